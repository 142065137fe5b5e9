// Transfers left out because they would change nothing: a long run of the
// transfers a show repeats (cells drawn where they are, backgrounds put back
// and saved, rectangles copied to a window), mixed with every kind of write
// that must make them count again (single pixels, other operations, colour
// changes, sources changed, bitmaps made anew), gives the same pixels at
// every step with leaving out as without it. So does a sprite put back and
// drawn again where it was, with transfers between that touch it or not
// (some of them with an extent that ends past INT_MAX).
#ifndef _WIN32
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/portable/gdi/surface.h"
#include "platform/testing.h"
#include "platform/winapi.h"

namespace {

using gditest::Surface;

using gditest::Sink;

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
  Surface saved(32, 16, 12), saved2(32, 16, 12);  // what lies under the sprites of the chains
  saved.Fill(gditest::ColourPattern(16 * 12, 5));
  saved2.Fill(gditest::ColourPattern(16 * 12, 9));
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
    const std::uint32_t pick = gditest::NextRand(r) % 32;
    const int rx = static_cast<int>(gditest::NextRand(r) % kW) - 4;
    const int ry = static_cast<int>(gditest::NextRand(r) % kH) - 4;
    // The sprite across the 64-pixel tiles' edges: put back, saved, drawn
    // and shown, with `between` done after saving it.
    constexpr int kSx = 56, kSy = 58;
    const auto sprite = [&](int cell, auto between) {
      win::BitBlt(stage.dc(), kSx, kSy, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
      win::BitBlt(saved.dc(), 0, 0, 16, 12, stage.dc(), kSx, kSy, win::SRCCOPY);
      between();
      pair(stage.dc(), kSx, kSy, cell);
      win::BitBlt(window, kSx, kSy, 16, 12, stage.dc(), kSx, kSy, win::SRCCOPY);
    };
    const auto nothing = [] {};
    // Now and then a transfer as wide as can be: its extent ends past
    // INT_MAX, and it draws what the clip leaves of it.
    const bool wide = (rx & 64) != 0;
    // A pair into the other background that reads the sprite's place.
    const auto backPair = [&] {
      win::BitBlt(back->dc(), 0, 0, 16, 12, mask.dc(), 0, 0, win::SRCPAINT);
      win::BitBlt(back->dc(), 0, 0, 16, 12, stage.dc(), kSx, kSy, win::SRCAND);
    };
    switch (pick) {
      case 22:
      case 23:
        sprite(0, nothing);
        sprite(0, [&] { pair(stage.dc(), 5, 7, 0); });  // elsewhere
        break;
      case 24:
      case 25: {  // something between that touches it or not, then drawn again
        const std::uint32_t what = gditest::NextRand(r) % 8;
        if (what == 4 || what == 6) {
          sprite(0, nothing);  // so that it is owed while the write comes
          if (what == 6) backPair();
        } else if (gditest::NextRand(r) & 1) {
          sprite(1, nothing);  // so that it is done and may begin a chain
        }
        sprite(0, [&] {
          switch (what) {
            case 0:
              pair(stage.dc(), kSx + 9, kSy - 5, 1);
              break;
            case 1:
              win::BitBlt(window, kSx - 3, kSy + 4, 8, 8, stage.dc(), kSx - 3, kSy + 4,
                          win::SRCCOPY);
              break;
            case 2:
            case 4:  // what it puts back, changed, and then its place read
              win::BitBlt(saved.dc(), 3, 2, wide ? INT_MAX : 5, 5, sheet.dc(), rx & 15, 0,
                          (rx & 16) ? win::SRCAND : win::SRCPAINT);
              if (what == 4)  // where nothing is drawn later in the step
                win::BitBlt(window, 100, 80, 4, 4, stage.dc(), kSx, kSy, win::SRCCOPY);
              break;
            case 3:
              win::BitBlt(back->dc(), 0, 0, wide ? INT_MAX : 16, 12, stage.dc(), kSx + 2, kSy + 2,
                          win::SRCAND);
              break;
            case 5:
              for (int k = 0; k < 4; ++k)
                win::SetPixel(stage.dc(), kSx + (gditest::NextRand(r) & 15), kSy + k * 3, 0x405060);
              break;
            case 6:
              backPair();
              break;
            default:
              win::BitBlt(stage.dc(), kSx + 15, kSy + 11, 16, 12, back->dc(), 0, 0, win::SRCCOPY);
              break;
          }
        });
        sprite(0, nothing);
        break;
      }
      case 26:  // its OR without its AND, or with another cell's
        win::BitBlt(stage.dc(), kSx, kSy, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
        win::BitBlt(stage.dc(), kSx, kSy, 16, 12, mask.dc(), 0, 0, win::SRCPAINT);
        if (gditest::NextRand(r) & 1)
          win::BitBlt(stage.dc(), kSx, kSy, 16, 12, sheet.dc(), 16, 0, win::SRCAND);
        else
          win::BitBlt(window, 0, 0, kW, kH, stage.dc(), 0, 0, win::SRCCOPY);
        break;
      case 27:  // another cell, or a pixel of its background or its cell changed
        switch (gditest::NextRand(r) % 3) {
          case 0:
            sprite(1, nothing);
            break;
          case 1:
            win::SetPixel(saved.dc(), rx & 15, ry % 12 < 0 ? 0 : ry % 12, 0x00A0A0);
            break;
          default:
            win::SetPixel((gditest::NextRand(r) & 1) ? sheet.dc() : mask.dc(), rx & 15,
                          ry % 12 < 0 ? 0 : ry % 12, (gditest::NextRand(r) & 1) ? 0 : 0xFFFFFF);
            sprite(0, nothing);
            break;
        }
        break;
      case 30:
        backPair();
        break;
      case 28:  // put back, then a pair elsewhere or half over it, on a place just
                // written outside it
        if (rx & 1) {
          win::SetPixel(stage.dc(), 5 + (rx & 15), 7 + (ry & 7), 0x102030);
          win::BitBlt(stage.dc(), kSx, kSy, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
          pair(stage.dc(), 5, 7, 0);
        } else {
          win::SetPixel(stage.dc(), kSx + 16 + (rx & 7), kSy - 5 + (ry & 3), 0x102030);
          win::BitBlt(stage.dc(), kSx, kSy, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
          pair(stage.dc(), kSx + 9, kSy - 5, 1);
        }
        break;
      case 31: {  // two put back, then both drawn (a kind's flowers as they grow)
        const int cell = static_cast<int>(gditest::NextRand(r) & 1);
        win::BitBlt(stage.dc(), kSx, kSy, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
        win::BitBlt(saved.dc(), 0, 0, 16, 12, stage.dc(), kSx, kSy, win::SRCCOPY);
        win::BitBlt(stage.dc(), 100, 20, 16, 12, saved2.dc(), 0, 0, win::SRCCOPY);
        win::BitBlt(saved2.dc(), 0, 0, 16, 12, stage.dc(), 100, 20, win::SRCCOPY);
        pair(stage.dc(), kSx, kSy, cell);
        pair(stage.dc(), 100, 20, 0);
        break;
      }
      case 29:  // saved back later than at once
        win::BitBlt(stage.dc(), kSx, kSy, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
        pair(stage.dc(), 5, 7, 0);
        win::BitBlt(saved.dc(), 0, 0, 16, 12, stage.dc(), kSx, kSy, win::SRCCOPY);
        pair(stage.dc(), kSx, kSy, 0);
        break;
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
        if (wide)  // places so far apart that it draws nothing
          win::BitBlt(stage.dc(), INT_MIN + 5, ry, 16, 12, sheet.dc(), INT_MAX - 20, 0,
                      win::SRCAND);
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
    for (const Surface* s : {&sheet, &mask, back.get(), &saved, &saved2}) {
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

// The show's logo, put back and drawn again a few times a frame: after the
// first time, none of its transfers is done, and its pixels stay right.
TEST(LeaveOut, SpritePutBackAndDrawnWhereItWasChangesNothing) {
  Sink sink;
  const win::HWND hwnd = portable::RegisterWindow(&sink, kW, kH, "Chain", "");
  const win::HDC window = win::GetDC(hwnd);
  Surface stage(32, kW, kH), sheet(32, 32, 12), mask(1, 32, 12), saved(32, 16, 12);
  stage.Fill(gditest::ColourPattern(kW * kH, 6));
  sheet.Fill(gditest::ColourPattern(32 * 12, 7));
  mask.Fill(gditest::MonoPattern(32 * 12, 8));
  const auto frame = [&] {
    win::BitBlt(stage.dc(), 70, 40, 16, 12, saved.dc(), 0, 0, win::SRCCOPY);
    win::BitBlt(saved.dc(), 0, 0, 16, 12, stage.dc(), 70, 40, win::SRCCOPY);
    win::BitBlt(stage.dc(), 70, 40, 16, 12, mask.dc(), 16, 0, win::SRCPAINT);
    win::BitBlt(stage.dc(), 70, 40, 16, 12, sheet.dc(), 16, 0, win::SRCAND);
    win::BitBlt(window, 70, 40, 16, 12, stage.dc(), 70, 40, win::SRCCOPY);
  };
  win::BitBlt(saved.dc(), 0, 0, 16, 12, stage.dc(), 70, 40, win::SRCCOPY);
  frame();
  const auto once = stage.Read();
  frame();  // the chain is known from here on
  const std::uint64_t before = portable::gdi::TransfersLeftOut();
  for (int i = 0; i < 10; ++i) frame();
  EXPECT_EQ(portable::gdi::TransfersLeftOut() - before, 50u);
  EXPECT_EQ(stage.Read(), once);
  EXPECT_EQ(win::GetPixel(window, 75, 45), win::GetPixel(stage.dc(), 75, 45));
  win::ReleaseDC(hwnd, window);
  portable::UnregisterWindow(hwnd);
}

}  // namespace
#endif
