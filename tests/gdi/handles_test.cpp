// DCs, bitmaps and their handles: what a new memory DC holds, which format
// a compatible bitmap gets, what selecting returns, and that a zero, stale
// or deleted handle fails the call and draws nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "gdi/gdi_fixture.h"
#include "platform/winapi.h"

namespace {

using gditest::Surface;

struct Info {
  int w = -1, h = -1, bits = -1;
};
Info InfoOf(win::HGDIOBJ obj) {
  win::BITMAP bm{};
  Info i;
  if (win::GetObjectA(obj, sizeof(bm), &bm) != static_cast<int>(sizeof(bm))) return i;
  i.w = bm.bmWidth;
  i.h = bm.bmHeight;
  i.bits = bm.bmBitsPixel * bm.bmPlanes;
  return i;
}

TEST(GdiHandles, ANewMemoryDcHoldsOneMonochromePixelInBlackOnWhite) {
  win::HDC screen = win::GetDC(win::GetDesktopWindow());
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(win::GetDeviceCaps(screen, win::BITSPIXEL), 32);
  for (win::HDC ref : {static_cast<win::HDC>(nullptr), screen}) {
    win::HDC dc = win::CreateCompatibleDC(ref);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(win::GetBkColor(dc), 0xFFFFFFu);
    EXPECT_EQ(win::GetTextColor(dc), 0u);
    // Compatible with the new DC: 1 bit; with the screen: the display's.
    win::HBITMAP mono = win::CreateCompatibleBitmap(dc, 10, 4);
    win::HBITMAP colour = win::CreateCompatibleBitmap(screen, 10, 4);
    EXPECT_EQ(InfoOf(mono).bits, 1);
    EXPECT_EQ(InfoOf(colour).bits, 32);
    EXPECT_EQ(InfoOf(colour).w, 10);
    EXPECT_EQ(InfoOf(colour).h, 4);
    // Selecting returns what it replaced: first the 1 x 1 bitmap.
    win::HGDIOBJ initial = win::SelectObject(dc, colour);
    ASSERT_NE(initial, nullptr);
    const Info first = InfoOf(initial);
    EXPECT_EQ(first.w, 1);
    EXPECT_EQ(first.h, 1);
    EXPECT_EQ(first.bits, 1);
    // A memory DC's device is still the display.
    EXPECT_EQ(win::GetDeviceCaps(dc, win::BITSPIXEL), 32);
    // With the colour bitmap selected, compatible bitmaps are colour.
    win::HBITMAP another = win::CreateCompatibleBitmap(dc, 3, 3);
    EXPECT_EQ(InfoOf(another).bits, 32);
    EXPECT_EQ(win::SelectObject(dc, mono), colour);
    EXPECT_EQ(win::SelectObject(dc, initial), mono);
    EXPECT_TRUE(win::DeleteObject(another));
    EXPECT_TRUE(win::DeleteObject(mono));
    EXPECT_TRUE(win::DeleteObject(colour));
    EXPECT_TRUE(win::DeleteObject(dc));  // frees the DC as DeleteDC
    EXPECT_EQ(win::GetPixel(dc, 0, 0), win::CLR_INVALID);
  }
  EXPECT_EQ(win::ReleaseDC(win::GetDesktopWindow(), screen), 1);
}

TEST(GdiHandles, PixelsReadBackAsSetAndOutsideIsInvalid) {
  Surface colour(32, 4, 3), mono(1, 4, 3);
  EXPECT_EQ(win::SetPixel(colour.dc(), 1, 2, 0x00ABCDEF), 0x00ABCDEFu);
  EXPECT_EQ(win::GetPixel(colour.dc(), 1, 2), 0x00ABCDEFu);
  EXPECT_EQ(win::GetPixel(colour.dc(), 0, 0), 0u);  // a new bitmap is black
  EXPECT_EQ(win::SetPixel(mono.dc(), 3, 0, 0xFFFFFF), 0xFFFFFFu);
  EXPECT_EQ(win::GetPixel(mono.dc(), 3, 0), 0xFFFFFFu);
  EXPECT_EQ(win::GetPixel(mono.dc(), 2, 0), 0u);
  for (auto* s : {&colour, &mono}) {
    EXPECT_EQ(win::GetPixel(s->dc(), -1, 0), win::CLR_INVALID);
    EXPECT_EQ(win::GetPixel(s->dc(), 4, 0), win::CLR_INVALID);
    EXPECT_EQ(win::GetPixel(s->dc(), 0, 3), win::CLR_INVALID);
    // Outside, nothing is set, and the colour it would have been comes back.
    EXPECT_EQ(win::SetPixel(s->dc(), 0, -1, 0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(win::SetPixel(s->dc(), 4, 0, 0), 0u);
    EXPECT_EQ(win::GetPixel(s->dc(), 3, 0), s == &mono ? 0xFFFFFFu : 0u);
  }
}

TEST(GdiHandles, ZeroHandlesFailAndDrawNothing) {
  Surface s(32, 3, 3);
  win::SetPixel(s.dc(), 0, 0, 0x123456);
  EXPECT_FALSE(win::BitBlt(nullptr, 0, 0, 3, 3, s.dc(), 0, 0, win::SRCCOPY));
  EXPECT_FALSE(win::BitBlt(s.dc(), 0, 0, 3, 3, nullptr, 0, 0, win::SRCCOPY));
  EXPECT_EQ(win::GetPixel(s.dc(), 0, 0), 0x123456u);
  // An operation that reads no source needs none.
  EXPECT_TRUE(win::BitBlt(s.dc(), 0, 0, 1, 1, nullptr, 0, 0, win::WHITENESS));
  EXPECT_EQ(win::GetPixel(s.dc(), 0, 0), 0xFFFFFFu);
  EXPECT_EQ(win::GetPixel(nullptr, 0, 0), win::CLR_INVALID);
  EXPECT_EQ(win::SelectObject(nullptr, s.bmp()), nullptr);
  EXPECT_EQ(win::SelectObject(s.dc(), nullptr), nullptr);
  EXPECT_FALSE(win::DeleteObject(nullptr));
  EXPECT_FALSE(win::DeleteDC(nullptr));
  EXPECT_EQ(win::GetObjectA(nullptr, sizeof(win::BITMAP), nullptr), 0);
  EXPECT_EQ(win::SetBkColor(nullptr, 0), win::CLR_INVALID);
  EXPECT_EQ(win::ReleaseDC(nullptr, nullptr), 0);
  EXPECT_EQ(win::ReleaseDC(nullptr, s.dc()), 0);  // a memory DC is not released
}

TEST(GdiHandles, DeletedHandlesFailAndDrawNothing) {
  Surface target(32, 4, 4);
  win::SetPixel(target.dc(), 1, 1, 0x445566);

  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HBITMAP bmp = win::CreateCompatibleBitmap(target.dc(), 4, 4);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  ASSERT_NE(old, nullptr);
  win::SelectObject(dc, old);
  ASSERT_TRUE(win::DeleteObject(bmp));
  ASSERT_TRUE(win::DeleteDC(dc));

  EXPECT_EQ(win::GetObjectA(bmp, sizeof(win::BITMAP), nullptr), 0);
  EXPECT_FALSE(win::DeleteObject(bmp));
  EXPECT_FALSE(win::DeleteDC(dc));
  EXPECT_FALSE(win::DeleteObject(dc));
  EXPECT_EQ(win::SelectObject(target.dc(), bmp), nullptr);
  EXPECT_EQ(win::SelectObject(dc, old), nullptr);
  EXPECT_FALSE(win::BitBlt(dc, 0, 0, 4, 4, target.dc(), 0, 0, win::SRCCOPY));
  EXPECT_FALSE(win::BitBlt(target.dc(), 0, 0, 4, 4, dc, 0, 0, win::SRCCOPY));
  EXPECT_FALSE(win::BitBlt(dc, 0, 0, 4, 4, nullptr, 0, 0, win::WHITENESS));
  EXPECT_EQ(win::GetPixel(dc, 0, 0), win::CLR_INVALID);
  EXPECT_EQ(win::SetPixel(dc, 0, 0, 0), win::CLR_INVALID);
  EXPECT_EQ(win::SetBkColor(dc, 0), win::CLR_INVALID);
  EXPECT_EQ(win::GetPixel(target.dc(), 1, 1), 0x445566u);

  // A released window DC is stale too.
  win::HDC screen = win::GetDC(nullptr);
  ASSERT_EQ(win::ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(win::ReleaseDC(nullptr, screen), 0);
}

// Deleting a bitmap that a DC still holds: the DC keeps drawing into it
// until it lets it go, and then the handle is gone.
TEST(GdiHandles, ABitmapDeletedWhileSelectedGoesWhenItIsLetGo) {
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  Surface ref(32, 1, 1);
  win::HBITMAP bmp = win::CreateCompatibleBitmap(ref.dc(), 3, 3);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  EXPECT_TRUE(win::DeleteObject(bmp));
  EXPECT_EQ(win::SetPixel(dc, 1, 1, 0x0000FF), 0x0000FFu);
  EXPECT_EQ(win::GetPixel(dc, 1, 1), 0x0000FFu);
  EXPECT_EQ(win::SelectObject(dc, old), bmp);
  EXPECT_EQ(win::GetObjectA(bmp, sizeof(win::BITMAP), nullptr), 0);
  EXPECT_TRUE(win::DeleteDC(dc));
}

TEST(GdiHandles, SettingAPixelOfAMonochromeBitmapTakesTheNearerOfBlackAndWhite) {
  Surface mono(1, 8, 1);
  const win::COLORREF colours[] = {0x808080, 0x7F7F7F, 0x0000FF, 0x00FF00,
                                   0xFF0000, 0x00FFFF, 0xC0C0C0, 0x404040};
  for (int i = 0; i < 8; ++i) {
    const win::COLORREF c = colours[i];
    const int sum = static_cast<int>((c & 0xFF) + ((c >> 8) & 0xFF) + (c >> 16));
    const win::COLORREF want = sum > 381 ? 0xFFFFFF : 0;
    EXPECT_EQ(win::SetPixel(mono.dc(), i, 0, c), want) << std::hex << c;
    EXPECT_EQ(win::GetPixel(mono.dc(), i, 0), want) << std::hex << c;
  }
}

}  // namespace
