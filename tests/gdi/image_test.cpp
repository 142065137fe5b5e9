// Pictures written by the programs (.bmp; the .png snapshots are read back
// by the end-to-end show test) and pixels moved between memory and DCs.
#include "platform/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/winapi.h"
#include "support/test_util.h"

namespace {

TEST(PictureWriting, BitmapsFromImagesAndPixelsOfDcs) {
  plat::Image img = testutil::Pattern(9, 6, 5);
  img.px[0] |= 0xFF000000u;  // the unused top byte is not a colour
  win::HBITMAP bmp = plat::CreateBitmapFromImage(img);
  ASSERT_NE(bmp, nullptr);
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  plat::Image back;
  // Partly outside the bitmap: those pixels read black.
  ASSERT_TRUE(plat::ReadPixels(dc, 4, 2, 8, 6, back));
  ASSERT_EQ(back.width, 8);
  ASSERT_EQ(back.height, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = 4 + x < 9 && 2 + y < 6;
      EXPECT_EQ(back.at(x, y), inside ? img.at(4 + x, 2 + y) & 0xFFFFFF : 0u) << x << "," << y;
    }
  // A monochrome bitmap reads black and white.
  gditest::Surface mono(1, 3, 1);
  win::SetPixel(mono.dc(), 1, 0, 0xFFFFFF);
  ASSERT_TRUE(plat::ReadPixels(mono.dc(), 0, 0, 3, 1, back));
  EXPECT_EQ(back.px, (std::vector<std::uint32_t>{0, 0xFFFFFF, 0}));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  win::DeleteObject(bmp);
  EXPECT_FALSE(plat::ReadPixels(dc, 0, 0, 1, 1, back));
  EXPECT_EQ(plat::CreateBitmapFromImage(plat::Image()), nullptr);
}

}  // namespace
