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

// Pixels as GDI reports them: 0x00BBGGRR, rows top to bottom.
struct Pixels {
  int width = 0, height = 0;
  std::vector<win::COLORREF> px;
  Pixels(int w, int h) : width(w), height(h), px(std::size_t(w) * h) {}
  win::COLORREF& at(int x, int y) { return px[std::size_t(y) * width + x]; }
  win::COLORREF at(int x, int y) const { return px[std::size_t(y) * width + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  bool operator==(const Pixels&) const = default;
};

constexpr win::COLORREF kWhite = 0x00FFFFFF;
constexpr win::COLORREF kGreen = 0x0000FF00;

std::uint32_t Swap(win::COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A deterministic mix of colours that are never pure white or pure green.
Pixels Pattern(int width, int height, unsigned seed) {
  Pixels p(width, height);
  std::uint32_t s = seed * 2654435761u + 12345u;
  for (auto& c : p.px) {
    s = s * 1103515245u + 12345u;
    c = (s >> 8) & 0x00FFFFFF;
    if (c == kWhite || c == kGreen) c ^= 0x00010101;
  }
  return p;
}

plat::Image ToImage(const Pixels& p) {
  plat::Image img;
  img.width = p.width;
  img.height = p.height;
  for (win::COLORREF c : p.px) img.px.push_back(Swap(c));
  return img;
}

forms::Picture ToPicture(const Pixels& p) {
  return forms::Picture(p.width, p.height, ToImage(p).px);
}

// A fresh 24-bit .bmp file holding the pixels.
std::string BmpFile(const Pixels& p) {
  const std::string path = testutil::Join(testutil::MakeTempDir("gfx"), "pic.bmp");
  EXPECT_TRUE(plat::WriteFileBytes(path, plat::EncodeBmp24(ToImage(p)))) << path;
  return path;
}

// A display-format memory DC holding the pixels, made without the code
// under test: the canvas that draws land on.
class Canvas : public gditest::Surface {
 public:
  explicit Canvas(const Pixels& p) : Surface(32, p.width, p.height), base_(p) { Fill(p.px); }
  Pixels Read() const {
    Pixels p = base_;
    p.px = Surface::Read();
    return p;
  }

 private:
  Pixels base_;
};

// Where two grids differ first.
::testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual) {
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      if (expected.at(x, y) != actual.at(x, y))
        return ::testing::AssertionFailure()
               << "at " << x << "," << y << ": 0x" << std::hex << actual.at(x, y) << ", expected 0x"
               << expected.at(x, y);
  return ::testing::AssertionSuccess();
}

// The destination after the cell's rectangle of `sheet` (at sx, sy, w x h)
// is drawn at (x, y), `opaque` telling which sheet pixels show; pixels whose
// source lies outside the sheet, and parts outside the destination, stay.
Pixels ModelCellDraw(const Pixels& dest, const Pixels& sheet, int sx, int sy, int w, int h, int x,
                     int y, const std::function<bool(win::COLORREF)>& opaque) {
  Pixels out = dest;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (sheet.contains(sx + i, sy + j) && out.contains(x + i, y + j) &&
          opaque(sheet.at(sx + i, sy + j)))
        out.at(x + i, y + j) = sheet.at(sx + i, sy + j);
  return out;
}

// Colours that differ from pure green in one bit each: they must stay
// opaque and as loaded.
constexpr win::COLORREF kNearGreen[] = {0x0000FE00, 0x0000FF01, 0x0001FF00, 0x0000FF80};
constexpr win::COLORREF kNearWhite[] = {0x00FEFFFF, 0x00FFFEFF, 0x00FFFFFE};

// A sheet picture: a pattern with the key colour over about a third of it,
// the near colours and some white and green sprinkled in.
Pixels SheetPixels(int width, int height, win::COLORREF key, unsigned seed) {
  Pixels p = Pattern(width, height, seed);
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
Pixels Keyed(const Pixels& sheet, win::COLORREF key) {
  Pixels out = sheet;
  for (auto& c : out.px)
    if (c == key) c = kWhite;
  return out;
}

auto OpaqueUnless(win::COLORREF key) {
  return [key](win::COLORREF c) { return c != key; };
}
auto Always() {
  return [](win::COLORREF) { return true; };
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
  const Pixels sheet = SheetPixels(36, 10, kGreen, 11);
  cSpriteBitmaps s;
  ASSERT_TRUE(s.CreateFromFile(BmpFile(sheet), 3, 1, "", kGreen));
  EXPECT_EQ(s.CellWidth(), 12);
  EXPECT_EQ(s.CellHeight(), 10);
  const Pixels keyed = Keyed(sheet, kGreen);
  const Pixels base = Pattern(kCanvasW, kCanvasH, 12);
  for (int cell = 1; cell <= 3; ++cell) {
    const int sx = (cell - 1) * 12;
    {
      Canvas c(base);
      s.DirectBltSprite(c.dc(), 5, 7, cell);
      EXPECT_TRUE(SamePixels(ModelCellDraw(base, keyed, sx, 0, 12, 10, 5, 7, Always()), c.Read()))
          << "opaque copy of cell " << cell;
    }
    for (const auto& at : kPlaces) {
      const Pixels expected =
          ModelCellDraw(base, sheet, sx, 0, 12, 10, at[0], at[1], OpaqueUnless(kGreen));
      for (bool build : {true, false}) {
        Canvas c(base);
        s.TransparentDraw(c.dc(), at[0], at[1], cell, build);
        EXPECT_TRUE(SamePixels(expected, c.Read()))
            << "cell " << cell << " at " << at[0] << "," << at[1] << " build " << build;
      }
    }
  }
}

TEST(cSpriteBitmaps, CellGeometryCountsAcrossThenDownAndIgnoresTheRowCount) {
  // 11 cells of 40 across, two rows of 8.
  const Pixels sheet = Pattern(440, 16, 31);
  const std::string path = BmpFile(sheet);
  const Pixels base = Pattern(50, 12, 32);
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
    EXPECT_TRUE(SamePixels(ModelCellDraw(base, sheet, k.sx, k.sy, 40, 8, 2, 1, Always()), c.Read()))
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
    EXPECT_TRUE(SamePixels(base, c.Read()));
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
  forms::Picture pic = ToPicture(SheetPixels(4, 4, kGreen, 83));
  ExpectError(plat::ErrorKind::DivisionByZero, [&] { s.CreateFromPicture(pic, 0, 0); });
  // A later make with valid counts works.
  ASSERT_TRUE(s.CreateFromFile(path, 2, 1, "", kGreen));
  ExpectError(plat::ErrorKind::Overflow, [&] { s.TransparentDraw(c.dc(), 0, 0, INT_MIN); });
  // Cell INT_MAX lies INT_MAX / 2 rows down: the row offset overflows.
  ExpectError(plat::ErrorKind::Overflow, [&] { s.DirectBltSprite(c.dc(), 0, 0, INT_MAX); });
  EXPECT_TRUE(SamePixels(Pattern(8, 8, 82), c.Read()));
}
