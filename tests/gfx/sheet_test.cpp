// Sprite sheets: masks from a transparent colour, cell geometry, transparent
// and opaque cell draws.
#include <gtest/gtest.h>

#include <climits>

#include "gfx/gfx_fixture.h"
#include "platform/errors.h"
#include "saver/gfx/csprite_bitmaps.h"
#include "support/test_util.h"

using namespace gfxtest;

namespace {

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

TEST(cSpriteBitmaps, WhiteKeyLeavesTheSheetAsLoaded) {
  const Pixels sheet = SheetPixels(20, 16, kWhite, 21);
  cSpriteBitmaps s;
  ASSERT_TRUE(s.CreateFromFile(BmpFile(sheet), 2, 2));  // default key: white
  EXPECT_EQ(s.CellWidth(), 10);
  EXPECT_EQ(s.CellHeight(), 8);
  const Pixels base = Pattern(kCanvasW, kCanvasH, 22);
  for (int cell = 1; cell <= 4; ++cell) {
    const int sx = ((cell - 1) % 2) * 10;
    const int sy = ((cell - 1) / 2) * 8;
    Canvas opaque(base);
    s.DirectBltSprite(opaque.dc(), 3, 4, cell);
    EXPECT_TRUE(
        SamePixels(ModelCellDraw(base, sheet, sx, sy, 10, 8, 3, 4, Always()), opaque.Read()));
    for (bool build : {true, false}) {
      Canvas c(base);
      s.TransparentDraw(c.dc(), 3, 4, cell, build);
      EXPECT_TRUE(SamePixels(ModelCellDraw(base, sheet, sx, sy, 10, 8, 3, 4, OpaqueUnless(kWhite)),
                             c.Read()))
          << "cell " << cell << " build " << build;
    }
  }
  // The build buffer is the default.
  Canvas a(base);
  Canvas b(base);
  s.TransparentDraw(a.dc(), -3, 44, 4);
  s.TransparentDraw(b.dc(), -3, 44, 4, true);
  EXPECT_TRUE(SamePixels(b.Read(), a.Read()));
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

TEST(cSpriteBitmaps, CellsOutsideTheGridDrawNothing) {
  const Pixels sheet = SheetPixels(30, 10, kGreen, 41);
  const Pixels base = Pattern(kCanvasW, kCanvasH, 42);
  cSpriteBitmaps s;
  ASSERT_TRUE(s.CreateFromFile(BmpFile(sheet), 3, 1, "", kGreen));
  for (int cell : {0, -1, -2, -3, -7, 4, 5, 100}) {
    for (bool build : {true, false}) {
      Canvas c(base);
      s.TransparentDraw(c.dc(), 10, 10, cell, build);
      EXPECT_TRUE(SamePixels(base, c.Read())) << "cell " << cell << " build " << build;
    }
    Canvas c(base);
    s.DirectBltSprite(c.dc(), 10, 10, cell);
    EXPECT_TRUE(SamePixels(base, c.Read())) << "opaque cell " << cell;
  }
}

TEST(cSpriteBitmaps, PixelsRightOfTheLastWholeCellAreNeverDrawn) {
  const Pixels sheet = Pattern(101, 5, 51);
  const Pixels base = Pattern(30, 10, 52);
  cSpriteBitmaps s;
  ASSERT_TRUE(s.CreateFromFile(BmpFile(sheet), 10, 1));
  EXPECT_EQ(s.CellWidth(), 10);
  EXPECT_EQ(s.CellHeight(), 5);
  Canvas c(base);
  s.DirectBltSprite(c.dc(), 1, 2, 10);
  s.TransparentDraw(c.dc(), 12, 2, 11);  // the next row: below this one-row sheet
  EXPECT_TRUE(SamePixels(ModelCellDraw(base, sheet, 90, 0, 10, 5, 1, 2, Always()), c.Read()));
}

TEST(cSpriteBitmaps, SuppliedMasksAndPicturesDrawLikeFiles) {
  const Pixels sheet = SheetPixels(24, 9, kGreen, 61);
  const Pixels keyed = Keyed(sheet, kGreen);
  Pixels mask(24, 9);
  for (std::size_t i = 0; i < mask.px.size(); ++i) mask.px[i] = sheet.px[i] == kGreen ? 0 : kWhite;
  const Pixels base = Pattern(kCanvasW, kCanvasH, 62);
  const Pixels expected = ModelCellDraw(base, sheet, 12, 0, 12, 9, 20, -2, OpaqueUnless(kGreen));

  cSpriteBitmaps fromFiles;
  ASSERT_TRUE(
      fromFiles.CreateFromFile(BmpFile(keyed, "sheet.bmp"), 2, 1, BmpFile(mask, "mask.bmp")));
  const forms::Picture pic = ToPicture(sheet);
  const forms::Picture keyedPic = ToPicture(keyed);
  const forms::Picture maskPic = ToPicture(mask);
  cSpriteBitmaps built;
  ASSERT_TRUE(built.CreateFromPicture(pic, 2, 1, nullptr, kGreen));
  cSpriteBitmaps supplied;
  ASSERT_TRUE(supplied.CreateFromPicture(keyedPic, 2, 1, &maskPic));
  for (cSpriteBitmaps* s : {&fromFiles, &built, &supplied}) {
    EXPECT_EQ(s->CellWidth(), 12);
    EXPECT_EQ(s->CellHeight(), 9);
    for (bool build : {true, false}) {
      Canvas c(base);
      s->TransparentDraw(c.dc(), 20, -2, 2, build);
      EXPECT_TRUE(SamePixels(expected, c.Read())) << build;
    }
  }
  // The picture itself is not keyed: it still holds its green.
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, pic.Handle());
  EXPECT_TRUE(SamePixels(sheet, ReadDC(dc, 0, 0, 24, 9)));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
}

TEST(cSpriteBitmaps, MakingFailsCleanlyAndMakingAgainReplacesEverything) {
  const std::string dir = testutil::MakeTempDir("gfx");
  const std::string good = BmpFile(SheetPixels(20, 6, kGreen, 71));
  cSpriteBitmaps s;
  EXPECT_FALSE(s.CreateFromFile(testutil::Join(dir, "none.bmp"), 2, 1, "", kGreen));
  EXPECT_FALSE(s.CreateFromFile(good, 2, 1, testutil::Join(dir, "nomask.bmp")));
  forms::Picture empty;
  EXPECT_FALSE(s.CreateFromPicture(empty, 1, 1));

  ASSERT_TRUE(s.CreateFromFile(good, 2, 1, "", kGreen));
  EXPECT_EQ(s.CellWidth(), 10);
  const Pixels second = SheetPixels(21, 8, kGreen, 72);
  ASSERT_TRUE(s.CreateFromFile(BmpFile(second), 3, 2, "", kGreen));
  EXPECT_EQ(s.CellWidth(), 7);
  EXPECT_EQ(s.CellHeight(), 4);
  const Pixels base = Pattern(kCanvasW, kCanvasH, 73);
  for (bool build : {true, false}) {
    Canvas c(base);
    s.TransparentDraw(c.dc(), 9, 9, 6, build);
    EXPECT_TRUE(
        SamePixels(ModelCellDraw(base, second, 14, 4, 7, 4, 9, 9, OpaqueUnless(kGreen)), c.Read()));
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

TEST(cSpriteBitmaps, OddSheetSizesBehaveWithoutACrash) {
  const Pixels base = Pattern(20, 10, 91);
  // 1 x 1.
  cSpriteBitmaps tiny;
  ASSERT_TRUE(tiny.CreateFromFile(BmpFile(Solid(1, 1, 0x00102030)), 1, 1, "", kGreen));
  EXPECT_EQ(tiny.CellWidth(), 1);
  EXPECT_EQ(tiny.CellHeight(), 1);
  for (bool build : {true, false}) {
    Canvas c(base);
    tiny.TransparentDraw(c.dc(), 4, 5, 1, build);
    Pixels expected = base;
    expected.at(4, 5) = 0x00102030;
    EXPECT_TRUE(SamePixels(expected, c.Read()));
  }
  // More cells than pixels across: cells are 0 wide and draw nothing.
  // (Windows makes a zero-width build buffer as its 1 x 1 stand-in.)
  cSpriteBitmaps narrow;
  EXPECT_TRUE(narrow.CreateFromFile(BmpFile(Pattern(5, 4, 92)), 10, 1, "", kGreen));
  EXPECT_EQ(narrow.CellWidth(), 0);
  EXPECT_EQ(narrow.CellHeight(), 4);
  for (int cell : {1, 2, 10}) {
    Canvas c(base);
    narrow.TransparentDraw(c.dc(), 1, 1, cell, true);
    narrow.TransparentDraw(c.dc(), 1, 1, cell, false);
    narrow.DirectBltSprite(c.dc(), 1, 1, cell);
    EXPECT_TRUE(SamePixels(base, c.Read()));
  }
  // Wider than any screen.
  const Pixels wide = SheetPixels(5000, 3, kGreen, 93);
  cSpriteBitmaps big;
  ASSERT_TRUE(big.CreateFromFile(BmpFile(wide), 2, 1, "", kGreen));
  EXPECT_EQ(big.CellWidth(), 2500);
  for (bool build : {true, false}) {
    Canvas c(base);
    big.TransparentDraw(c.dc(), -2490, 2, 2, build);
    EXPECT_TRUE(SamePixels(
        ModelCellDraw(base, wide, 2500, 0, 2500, 3, -2490, 2, OpaqueUnless(kGreen)), c.Read()));
  }
}
