// The sequence of raw GDI calls that sprite sheets make: a mask built from
// a transparent colour through colour-to-monochrome and back, then a cell
// drawn through it (mask SRCPAINT, sheet SRCAND). The pixels must come out
// as a plain "copy where opaque".
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/winapi.h"

namespace {

using gditest::Surface;

constexpr win::COLORREF kGreen = 0x00FF00, kWhite = 0xFFFFFF;

std::vector<win::COLORREF> Sheet(int n, win::COLORREF transparent, std::uint32_t seed) {
  std::vector<win::COLORREF> px = gditest::ColourPattern(n, seed);
  for (std::size_t i = 0; i < px.size(); ++i) {
    if (i % 5 == 0) px[i] = transparent;
    if (i % 13 == 0) px[i] = transparent ^ 0x000100;  // one bit off: opaque
  }
  return px;
}

void BuildMask(Surface& sheet, Surface& mask, win::COLORREF transparent) {
  if (transparent == kWhite) {
    ASSERT_TRUE(win::BitBlt(mask.dc(), 0, 0, mask.w(), mask.h(), sheet.dc(), 0, 0, win::WHITENESS));
    ASSERT_TRUE(win::BitBlt(mask.dc(), 0, 0, mask.w(), mask.h(), sheet.dc(), 0, 0, win::SRCINVERT));
    return;
  }
  Surface temp(1, sheet.w(), sheet.h());
  const win::COLORREF kept = win::SetBkColor(sheet.dc(), transparent);
  ASSERT_TRUE(win::BitBlt(temp.dc(), 0, 0, temp.w(), temp.h(), sheet.dc(), 0, 0, win::SRCCOPY));
  win::SetBkColor(sheet.dc(), kept);
  ASSERT_TRUE(win::BitBlt(sheet.dc(), 0, 0, sheet.w(), sheet.h(), temp.dc(), 0, 0, win::SRCPAINT));
  ASSERT_TRUE(win::BitBlt(mask.dc(), 0, 0, mask.w(), mask.h(), sheet.dc(), 0, 0, win::WHITENESS));
  ASSERT_TRUE(win::BitBlt(mask.dc(), 0, 0, mask.w(), mask.h(), temp.dc(), 0, 0, win::SRCINVERT));
}

TEST(SheetTransparency, MaskAndDrawThroughIt) {
  constexpr int W = 50, H = 12, CW = 10;
  for (win::COLORREF transparent : {kGreen, kWhite}) {
    SCOPED_TRACE(transparent);
    Surface sheet(32, W, H), mask(1, W, H), dest(32, 37, 23);
    const auto sheetPx = Sheet(W * H, transparent, 5);
    sheet.Fill(sheetPx);
    BuildMask(sheet, mask, transparent);

    const auto sheetAfter = sheet.Read();
    const auto maskPx = mask.Read();
    for (int i = 0; i < W * H; ++i) {
      const bool clear = sheetPx[i] == transparent;
      ASSERT_EQ(sheetAfter[i], clear ? kWhite : sheetPx[i]) << i;
      ASSERT_EQ(maskPx[i], clear ? 0u : kWhite) << i;
    }

    // Cells drawn at several places, one partly off the destination.
    const auto destPx = gditest::ColourPattern(37 * 23, 9);
    dest.Fill(destPx);
    auto want = destPx;
    struct At {
      int x, y, cell;
    };
    for (const At a : {At{0, 0, 0}, At{12, 5, 3}, At{30, 15, 4}, At{-4, -3, 1}}) {
      const int sx = a.cell * CW;
      ASSERT_TRUE(win::BitBlt(dest.dc(), a.x, a.y, CW, H, mask.dc(), sx, 0, win::SRCPAINT));
      ASSERT_TRUE(win::BitBlt(dest.dc(), a.x, a.y, CW, H, sheet.dc(), sx, 0, win::SRCAND));
      for (int j = 0; j < H; ++j)
        for (int i = 0; i < CW; ++i) {
          const int x = a.x + i, y = a.y + j;
          if (x < 0 || y < 0 || x >= 37 || y >= 23) continue;
          const win::COLORREF c = sheetPx[j * W + sx + i];
          if (c != transparent) want[y * 37 + x] = c;
        }
    }
    EXPECT_EQ(dest.Read(), want);
  }
}

}  // namespace
