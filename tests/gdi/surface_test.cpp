// Window DCs on Linux: our windows' surfaces (what the forms side shows)
// and other programs' X windows (a preview window handed to us).
#ifndef _WIN32
#include "platform/portable/gdi/surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/testing.h"
#include "platform/winapi.h"
// Last: Xlib's macros (None, Bool, Status) would clash with the others.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace {

using gditest::Sink;

std::uint32_t SurfaceAt(win::HWND hwnd, int x, int y) {
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* px = portable::WindowPixels(hwnd, &w, &h, &stride);
  return px[y * stride + x];
}

TEST(WindowSurfaces, OnlyWhatIsCopiedToTheWindowReachesIt) {
  Sink sink;
  win::HWND hwnd = portable::RegisterWindow(&sink, 30, 20, "TestClass", "Test title");
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(portable::IsOurWindow(hwnd));
  EXPECT_EQ(portable::FindOurWindow("testclass", "Test title"), hwnd);
  EXPECT_EQ(portable::FindOurWindow("TestClass", nullptr), hwnd);
  EXPECT_EQ(portable::FindOurWindow("TestClass", "other"), nullptr);
  EXPECT_EQ(portable::SinkOf(hwnd), &sink);

  gditest::Surface buffer(32, 30, 20);
  win::SetPixel(buffer.dc(), 3, 4, 0x0000FF);
  EXPECT_EQ(SurfaceAt(hwnd, 3, 4), 0u);  // drawing off screen shows nothing
  EXPECT_TRUE(sink.drawn.empty());

  win::HDC dc = win::GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  const std::uint64_t before = portable::gdi::WindowPixelsCopied();
  // Partly off the window's right and bottom: clipped there.
  ASSERT_TRUE(win::BitBlt(dc, 2, 3, 40, 40, buffer.dc(), 1, 1, win::SRCCOPY));
  EXPECT_EQ(SurfaceAt(hwnd, 4, 6), 0xFF0000u);  // red as 0x00RRGGBB
  EXPECT_EQ(win::GetPixel(dc, 4, 6), 0x0000FFu);
  // The window is told of the rows that changed (the rest was black
  // already), across the width copied; the count is of all that was copied.
  ASSERT_EQ(sink.drawn.size(), 1u);
  EXPECT_EQ(sink.drawn[0].x, 2);
  EXPECT_EQ(sink.drawn[0].y, 6);
  EXPECT_EQ(sink.drawn[0].w, 28);
  EXPECT_EQ(sink.drawn[0].h, 1);
  EXPECT_EQ(portable::gdi::WindowPixelsCopied() - before, 28u * 17u);
  // The same copy again changes nothing: nothing to show.
  ASSERT_TRUE(win::BitBlt(dc, 2, 3, 40, 40, buffer.dc(), 1, 1, win::SRCCOPY));
  EXPECT_EQ(sink.drawn.size(), 1u);
  // Rows apart change: one rectangle from the first to the last.
  win::SetPixel(buffer.dc(), 5, 2, 0x00FF00);
  win::SetPixel(buffer.dc(), 5, 12, 0x00FF00);
  ASSERT_TRUE(win::BitBlt(dc, 0, 0, 30, 20, buffer.dc(), 0, 0, win::SRCCOPY));
  ASSERT_EQ(sink.drawn.size(), 2u);
  EXPECT_EQ(sink.drawn[1].y, 2);
  EXPECT_EQ(sink.drawn[1].h, 11);
  EXPECT_EQ(SurfaceAt(hwnd, 5, 12), 0x00FF00u);
  EXPECT_EQ(SurfaceAt(hwnd, 3, 4), 0xFF0000u);
  // Operations other than a copy tell of all they drew.
  ASSERT_TRUE(win::BitBlt(dc, 1, 1, 3, 2, buffer.dc(), 0, 0, win::SRCPAINT));
  ASSERT_EQ(sink.drawn.size(), 3u);
  EXPECT_EQ(sink.drawn[2].h, 2);
  // Nothing drawn (wholly outside): nothing to show.
  ASSERT_TRUE(win::BitBlt(dc, 40, 0, 5, 5, buffer.dc(), 0, 0, win::SRCCOPY));
  EXPECT_EQ(sink.drawn.size(), 3u);

  // A larger window keeps what was drawn.
  portable::ResizeWindow(hwnd, 50, 25);
  EXPECT_EQ(SurfaceAt(hwnd, 5, 12), 0x00FF00u);
  EXPECT_EQ(SurfaceAt(hwnd, 45, 22), 0u);

  // Once the window is gone its handle and its DC find nothing.
  portable::UnregisterWindow(hwnd);
  EXPECT_FALSE(portable::IsOurWindow(hwnd));
  EXPECT_EQ(portable::SinkOf(hwnd), nullptr);
  EXPECT_EQ(win::GetDC(hwnd), nullptr);
  EXPECT_FALSE(win::BitBlt(dc, 0, 0, 5, 5, buffer.dc(), 0, 0, win::SRCCOPY));
  EXPECT_EQ(win::GetPixel(dc, 0, 0), win::CLR_INVALID);
  EXPECT_EQ(win::ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(portable::FindOurWindow("TestClass", nullptr), nullptr);
}

}  // namespace
#endif
