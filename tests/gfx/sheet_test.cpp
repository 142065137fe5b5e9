// Sprite sheets: masks from a transparent colour, cell geometry, transparent
// and opaque cell draws.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/image.h"
#include "platform/winapi.h"
#include "saver/gfx/csprite_bitmaps.h"
#include "support/test_util.h"

namespace {

using testutil::FirstDifference;
using testutil::Pattern;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGreen = 0x00FF00;

bool Inside(const plat::Image& p, int x, int y) {
  return x >= 0 && y >= 0 && x < p.width && y < p.height;
}

// A fresh 24-bit .bmp file holding the pixels.
std::string BmpFile(const plat::Image& p) {
  const std::string path = testutil::Join(testutil::MakeTempDir("gfx"), "pic.bmp");
  EXPECT_TRUE(plat::WriteFileBytes(path, plat::EncodeBmp24(p))) << path;
  return path;
}

// A display-format memory DC holding the pixels, made without the code
// under test: the canvas that draws land on.
class Canvas : public gditest::Surface {
 public:
  explicit Canvas(const plat::Image& p) : Surface(32, p.width, p.height) {
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const std::uint32_t c = p.at(x, y);  // as COLORREF: 0x00BBGGRR
        win::SetPixel(dc(), x, y, ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
      }
  }
  plat::Image Read() const { return testutil::Read(dc(), 0, 0, w(), h()); }
};

// The destination after the cell's rectangle of `sheet` (at sx, sy, w x h)
// is drawn at (x, y), `opaque` telling which sheet pixels show; pixels whose
// source lies outside the sheet, and parts outside the destination, stay.
plat::Image ModelCellDraw(const plat::Image& dest, const plat::Image& sheet, int sx, int sy, int w,
                          int h, int x, int y, const std::function<bool(std::uint32_t)>& opaque) {
  plat::Image out = dest;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (Inside(sheet, sx + i, sy + j) && Inside(out, x + i, y + j) &&
          opaque(sheet.at(sx + i, sy + j)))
        out.at(x + i, y + j) = sheet.at(sx + i, sy + j);
  return out;
}

// Colours that differ from pure green in one bit each: they must stay
// opaque and as loaded.
constexpr std::uint32_t kNearGreen[] = {0x0000FE00, 0x0000FF01, 0x0001FF00, 0x0000FF80};
constexpr std::uint32_t kNearWhite[] = {0x00FEFFFF, 0x00FFFEFF, 0x00FFFFFE};

// A sheet picture: a pattern with the key colour over about a third of it,
// the near colours and some white and green sprinkled in.
plat::Image SheetPixels(int width, int height, std::uint32_t key, unsigned seed) {
  plat::Image p = Pattern(width, height, seed);
  int n = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, ++n) {
      if ((x + 2 * y) % 3 == 0) p.at(x, y) = key;
      if (n % 7 == 1) p.at(x, y) = kNearGreen[(n / 7) % 4];
      if (n % 11 == 2) p.at(x, y) = kNearWhite[(n / 11) % 3];
      if (n % 13 == 3) p.at(x, y) = key == kGreen ? kWhite : kGreen;
    }
  }
  return p;
}

// The sheet as the toolkit keeps it: the key colour turned white.
plat::Image Keyed(const plat::Image& sheet, std::uint32_t key) {
  plat::Image out = sheet;
  for (auto& c : out.px)
    if (c == key) c = kWhite;
  return out;
}

auto OpaqueUnless(std::uint32_t key) {
  return [key](std::uint32_t c) { return c != key; };
}
auto Always() {
  return [](std::uint32_t) { return true; };
}

void ExpectError(plat::ErrorKind kind, const std::function<void()>& fn) {
  try {
    fn();
    ADD_FAILURE() << "no run-time error";
  } catch (const plat::RuntimeError& e) {
    EXPECT_EQ(e.kind(), kind) << e.what();
  }
}

constexpr int kCanvasW = 64;
constexpr int kCanvasH = 48;

// Draw places: inside, across each edge, wholly outside.
const int kPlaces[][2] = {{5, 7}, {-4, -3}, {kCanvasW - 6, kCanvasH - 5}, {-50, 10}, {70, 60}};

}  // namespace

TEST(cSpriteBitmaps, GreenKeyMakesOnlyPureGreenWhiteAndTransparent) {
  const plat::Image sheet = SheetPixels(36, 10, kGreen, 11);
  cSpriteBitmaps s;
  ASSERT_TRUE(s.CreateFromFile(BmpFile(sheet), 3, 1, "", kGreen));
  EXPECT_EQ(s.CellWidth(), 12);
  EXPECT_EQ(s.CellHeight(), 10);
  const plat::Image keyed = Keyed(sheet, kGreen);
  const plat::Image base = Pattern(kCanvasW, kCanvasH, 12);
  for (int cell = 1; cell <= 3; ++cell) {
    const int sx = (cell - 1) * 12;
    {
      Canvas c(base);
      s.DirectBltSprite(c.dc(), 5, 7, cell);
      EXPECT_EQ(
          "", FirstDifference(ModelCellDraw(base, keyed, sx, 0, 12, 10, 5, 7, Always()), c.Read()))
          << "opaque copy of cell " << cell;
    }
    for (const auto& at : kPlaces) {
      const plat::Image expected =
          ModelCellDraw(base, sheet, sx, 0, 12, 10, at[0], at[1], OpaqueUnless(kGreen));
      for (bool build : {true, false}) {
        Canvas c(base);
        s.TransparentDraw(c.dc(), at[0], at[1], cell, build);
        EXPECT_EQ("", FirstDifference(expected, c.Read()))
            << "cell " << cell << " at " << at[0] << "," << at[1] << " build " << build;
      }
    }
  }
}

TEST(cSpriteBitmaps, CellGeometryCountsAcrossThenDownAndIgnoresTheRowCount) {
  // 11 cells of 40 across, two rows of 8.
  const plat::Image sheet = Pattern(440, 16, 31);
  const std::string path = BmpFile(sheet);
  const plat::Image base = Pattern(50, 12, 32);
  cSpriteBitmaps two;
  ASSERT_TRUE(two.CreateFromFile(path, 11, 2));
  EXPECT_EQ(two.CellWidth(), 40);
  EXPECT_EQ(two.CellHeight(), 8);
  const struct {
    int cell, sx, sy;
  } cells[] = {{1, 0, 0}, {11, 400, 0}, {12, 0, 8}, {22, 400, 8}, {23, 0, 16}, {0, -40, 0}};
  for (const auto& k : cells) {
    Canvas c(base);
    two.DirectBltSprite(c.dc(), 2, 1, k.cell);
    EXPECT_EQ("", FirstDifference(ModelCellDraw(base, sheet, k.sx, k.sy, 40, 8, 2, 1, Always()),
                                  c.Read()))
        << "cell " << k.cell;
  }
  // One row exactly one cell high: cell 12 starts one cell height down and
  // shows nothing.
  cSpriteBitmaps one;
  ASSERT_TRUE(one.CreateFromFile(path, 11, 1));
  EXPECT_EQ(one.CellHeight(), 16);
  for (bool build : {true, false}) {
    Canvas c(base);
    one.TransparentDraw(c.dc(), 2, 1, 12, build);
    one.DirectBltSprite(c.dc(), 2, 1, 12);
    EXPECT_EQ("", FirstDifference(base, c.Read()));
  }
}

TEST(cSpriteBitmaps, RunTimeErrorsPassToTheCaller) {
  const std::string path = BmpFile(SheetPixels(20, 6, kGreen, 81));
  cSpriteBitmaps s;
  Canvas c(Pattern(8, 8, 82));
  // A sheet never made has no columns to count cells by.
  ExpectError(plat::ErrorKind::DivisionByZero, [&] { s.TransparentDraw(c.dc(), 0, 0, 1); });
  ExpectError(plat::ErrorKind::DivisionByZero, [&] { s.CreateFromFile(path, 0, 1, "", kGreen); });
  ExpectError(plat::ErrorKind::DivisionByZero, [&] { s.CreateFromFile(path, 2, 0, "", kGreen); });
  const plat::Image small = SheetPixels(4, 4, kGreen, 83);
  forms::Picture pic(small.width, small.height, small.px);
  ExpectError(plat::ErrorKind::DivisionByZero, [&] { s.CreateFromPicture(pic, 0, 0); });
  // A later make with valid counts works.
  ASSERT_TRUE(s.CreateFromFile(path, 2, 1, "", kGreen));
  ExpectError(plat::ErrorKind::Overflow, [&] { s.TransparentDraw(c.dc(), 0, 0, INT_MIN); });
  // Cell INT_MAX lies INT_MAX / 2 rows down: the row offset overflows.
  ExpectError(plat::ErrorKind::Overflow, [&] { s.DirectBltSprite(c.dc(), 0, 0, INT_MAX); });
  EXPECT_EQ("", FirstDifference(Pattern(8, 8, 82), c.Read()));
}
