// Transfers left out because they would change nothing: a long run of the
// transfers a show repeats (cells drawn where they are, backgrounds put back
// and saved, rectangles copied to a window), mixed with every kind of write
// that must make them count again (single pixels, other operations, colour
// changes, sources changed, bitmaps made anew), gives the same pixels at
// every step with leaving out as without it.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/portable/gdi_engine.h"
#include "platform/portable/surface.h"
#include "platform/winapi.h"

namespace {

using gditest::Surface;

class Sink : public portable::WindowSink {
 public:
  void SurfaceDrawn(int, int, int, int) override {}
  void SetShown(bool) override {}
  void SetTopmost(bool) override {}
  bool IsShown() const override { return true; }
  unsigned long NativeWindow() const override { return 0; }
};

// Wider and taller than the 64-pixel tiles whose stamps are looked at first,
// with transfers across their edges.
constexpr int kW = 150, kH = 100;

// One run of `steps` random steps from a fixed start; the pixels of every
// bitmap and of the window after each step.
std::vector<std::vector<win::COLORREF>> RunSteps(int steps, std::uint32_t seed) {
  Sink sink;
  const win::HWND hwnd = portable::RegisterWindow(&sink, kW, kH, "LeaveOut", "");
  const win::HDC window = win::GetDC(hwnd);
  Surface stage(32, kW, kH), sheet(32, 32, 12), mask(1, 32, 12);
  auto back = std::make_unique<Surface>(32, 16, 12);
  stage.Fill(gditest::ColourPattern(kW * kH, 1));
  sheet.Fill(gditest::ColourPattern(32 * 12, 2));
  mask.Fill(gditest::MonoPattern(32 * 12, 3));
  back->Fill(gditest::ColourPattern(16 * 12, 4));

  // A cell drawn through its mask, as a sprite sheet draws it.
  auto pair = [&](win::HDC dst, int x, int y, int cell) {
    win::BitBlt(dst, x, y, 16, 12, mask.dc(), 16 * cell, 0, win::SRCPAINT);
    win::BitBlt(dst, x, y, 16, 12, sheet.dc(), 16 * cell, 0, win::SRCAND);
  };
  std::vector<std::vector<win::COLORREF>> seen;
  std::uint32_t r = seed;
  for (int i = 0; i < steps; ++i) {
    const std::uint32_t pick = gditest::NextRand(r) % 22;
    const int rx = static_cast<int>(gditest::NextRand(r) % kW) - 4;
    const int ry = static_cast<int>(gditest::NextRand(r) % kH) - 4;
    switch (pick) {
      case 0:
      case 1:
      case 2:
        pair(stage.dc(), 5, 7, 0);
        break;
      case 3:
      case 4:
        pair(stage.dc(), 12, 11, 1);  // overlaps the one above
        pair(stage.dc(), 58, 60, 0);  // across the edges of four tiles
        break;
      case 20:
        win::BitBlt(window, 50, 50, 30, 30, stage.dc(), 50, 50, win::SRCCOPY);
        break;
      case 21:  // one pixel under the transfer across the tiles' edges
        win::SetPixel(stage.dc(), 58 + (rx & 15), 60 + (ry & 7), 0x204060);
        break;
      case 5:
      case 6:  // a background put back, then saved again
        win::BitBlt(stage.dc(), 120, 60, 16, 12, back->dc(), 0, 0, win::SRCCOPY);
        win::BitBlt(back->dc(), 0, 0, 16, 12, stage.dc(), 120, 60, win::SRCCOPY);
        break;
      case 7:
      case 8:
      case 9:
        win::BitBlt(window, 5, 7, 23, 16, stage.dc(), 5, 7, win::SRCCOPY);
        break;
      case 10:
        win::BitBlt(window, 0, 0, kW, kH, stage.dc(), 0, 0, win::SRCCOPY);
        break;
      case 11:
        win::SetPixel(stage.dc(), rx, ry, gditest::NextRand(r) & 0xFFFFFF);
        break;
      case 12:
        win::BitBlt(stage.dc(), rx, ry, 9, 7, sheet.dc(), 3, 2, win::SRCINVERT);
        break;
      case 13:  // the colours a monochrome source takes
        win::SetBkColor(stage.dc(), (gditest::NextRand(r) & 1) ? 0xFFFFFF : 0x00FF00);
        win::SetTextColor(stage.dc(), (gditest::NextRand(r) & 1) ? 0x000000 : 0x0000FF);
        break;
      case 14:
        win::BitBlt(stage.dc(), 5, 7, 16, 12, mask.dc(), 0, 0, win::SRCPAINT);  // an OR alone
        break;
      case 15:  // a source changed
        if (gditest::NextRand(r) & 1)
          win::SetPixel(sheet.dc(), rx & 31, ry % 12 < 0 ? 0 : ry % 12, 0x00FFFF);
        else
          win::SetPixel(mask.dc(), rx & 31, ry % 12 < 0 ? 0 : ry % 12, 0);
        break;
      case 16:  // a new bitmap in the old one's place
        back = std::make_unique<Surface>(32, 16, 12);
        back->Fill(gditest::ColourPattern(16 * 12, gditest::NextRand(r) & 3));
        break;
      case 17:
        pair(window, 40, 30, 1);
        break;
      case 18:  // a copy back of a copy, with a write between
        win::BitBlt(stage.dc(), 30, 20, 16, 12, back->dc(), 0, 0, win::SRCCOPY);
        win::SetPixel(stage.dc(), 31, 21, 0x808080);
        win::BitBlt(back->dc(), 0, 0, 16, 12, stage.dc(), 30, 20, win::SRCCOPY);
        break;
      case 19:
        win::BitBlt(stage.dc(), rx, ry, 16, 12, window, rx + 3, ry, win::SRCAND);
        break;
    }
    std::vector<win::COLORREF> all = stage.Read();
    for (const Surface* s : {&sheet, &mask, back.get()}) {
      const auto px = s->Read();
      all.insert(all.end(), px.begin(), px.end());
    }
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) all.push_back(win::GetPixel(window, x, y));
    seen.push_back(std::move(all));
  }
  win::ReleaseDC(hwnd, window);
  portable::UnregisterWindow(hwnd);
  return seen;
}

TEST(LeaveOut, GivesThePixelsOfDoingEveryTransfer) {
  for (std::uint32_t seed : {7u, 1234u, 99999u}) {
    SCOPED_TRACE(seed);
    portable::gdi::SetLeaveOutForTest(false);
    const auto done = RunSteps(700, seed);
    portable::gdi::SetLeaveOutForTest(true);
    const std::uint64_t before = portable::gdi::TransfersLeftOut();
    const auto leftOut = RunSteps(700, seed);
    // The run did leave transfers out, or it would prove nothing.
    EXPECT_GT(portable::gdi::TransfersLeftOut() - before, 150u);
    ASSERT_EQ(done.size(), leftOut.size());
    for (std::size_t i = 0; i < done.size(); ++i) ASSERT_EQ(done[i], leftOut[i]) << "step " << i;
  }
}

}  // namespace
#endif
