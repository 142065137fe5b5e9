// Cell-sized transfers into colour, the sprite draw's own: widths on both
// sides of every vector length, every bit phase of a monochrome source,
// runs that end on a source row's last byte, several raster operations and
// destination colours, at a destination place aligned to nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/winapi.h"

namespace {

using gditest::Surface;

constexpr int kSrcW = 75, kDstW = 83, kH = 3;

struct Case {
  int sbpp;
  win::COLORREF bk, text;  // the destination's
};

void RunCells(const Case& c) {
  Surface src(c.sbpp, kSrcW, kH), dst(32, kDstW, kH), pristine(32, kDstW, kH);
  ASSERT_TRUE(src.ok() && dst.ok() && pristine.ok());
  win::SetBkColor(dst.dc(), c.bk);
  win::SetTextColor(dst.dc(), c.text);
  const auto sp = gditest::Pattern(c.sbpp, kSrcW * kH, c.sbpp == 1 ? 11 : 12);
  const auto dp = gditest::ColourPattern(kDstW * kH, 13);
  src.Fill(sp);
  pristine.Fill(dp);
  const win::DWORD rops[] = {win::SRCCOPY, win::SRCPAINT, win::SRCAND, win::SRCINVERT,
                             0x00BB0226 /* MERGEPAINT */};
  int failures = 0;
  for (int w : {1, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40, 47, 63, 64, 65, 75}) {
    std::vector<int> starts;
    for (int sx = 0; sx < 8 && sx + w <= kSrcW; ++sx) starts.push_back(sx);
    if (w <= kSrcW) starts.push_back(kSrcW - w);  // ending on the row's last pixel
    for (int sx : starts)
      for (win::DWORD rop : rops) {
        const int x = 5;
        ASSERT_TRUE(win::BitBlt(dst.dc(), 0, 0, kDstW, kH, pristine.dc(), 0, 0, win::SRCCOPY));
        ASSERT_TRUE(win::BitBlt(dst.dc(), x, 0, w, kH, src.dc(), sx, 0, rop));
        auto want = dp;
        for (int j = 0; j < kH; ++j)
          for (int i = 0; i < w && x + i < kDstW; ++i) {
            win::COLORREF s = sp[static_cast<std::size_t>(j) * kSrcW + sx + i];
            if (c.sbpp == 1) s = s ? c.bk : c.text;
            win::COLORREF& d = want[static_cast<std::size_t>(j) * kDstW + x + i];
            d = gditest::ApplyRop(rop, s, d);
          }
        if (dst.Read() != want && ++failures <= 10)
          ADD_FAILURE() << c.sbpp << "->32 rop " << std::hex << rop << std::dec << " width " << w
                        << " from " << sx;
      }
  }
  EXPECT_EQ(failures, 0);
}

TEST(CellBlits, ColourOntoColour) { RunCells({32, 0xFFFFFF, 0}); }

TEST(CellBlits, MonochromeOntoColourByTheDestinationColours) {
  RunCells({1, 0xFFFFFF, 0x000000});
  RunCells({1, 0x00FF00, 0x0000FF});
  RunCells({1, 0x000000, 0x123456});
}

}  // namespace
