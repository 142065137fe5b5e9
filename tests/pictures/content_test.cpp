// What the committed pictures must be for the show and the dialog: sizes,
// cells, the transparent colour, a seamless lawn, the pace of a mowing pass.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pictures/picture_files.h"
#include "platform/image.h"
#include "support/test_util.h"

namespace {

using pictest::Bitmap;

#define SKIP_ON_WINDOWS() \
  if (testutil::OnWindows()) GTEST_SKIP() << "checked by the Linux build"

Bitmap Load(const std::string& file) {
  Bitmap bm;
  std::string why;
  EXPECT_TRUE(
      pictest::ParseBmp24(pictest::ReadBytes(testutil::Join(testutil::SourceDir(), file)), bm, why))
      << file << ": " << why;
  return bm;
}

struct Sheet {
  const char* file;
  int cells;
};
const Sheet kFlowerSheets[] = {{"data/yellowFlower.bmp", 11},
                               {"data/redFlower.bmp", 11},
                               {"data/roses.bmp", 10},
                               {"data/whiteFlower.bmp", 11}};

TEST(Sheets, AreOneRowOfWholeCellsOfFlowerSize) {
  SKIP_ON_WINDOWS();
  for (const Sheet& s : kFlowerSheets) {
    SCOPED_TRACE(s.file);
    const Bitmap bm = Load(s.file);
    ASSERT_GT(bm.w, 0);
    EXPECT_EQ(bm.w % s.cells, 0);
    const int cw = bm.w / s.cells;
    EXPECT_GE(cw, 40);
    EXPECT_LE(cw, 64);
    EXPECT_GE(bm.h, 60);
    EXPECT_LE(bm.h, 90);
    for (int cell = 0; cell < s.cells; ++cell) {
      // Every stage shows something, and the plant stands on the bottom edge.
      int opaque = 0, onGround = 0;
      for (int y = 0; y < bm.h; ++y)
        for (int x = cell * cw; x < (cell + 1) * cw; ++x)
          if (!(bm.At(x, y) == pictest::kKey)) {
            ++opaque;
            if (y >= bm.h - 3) ++onGround;
          }
      EXPECT_GT(opaque, 6) << "cell " << cell + 1;
      EXPECT_GT(onGround, 0) << "cell " << cell + 1;
    }
    // A plant grows: the last cell covers far more than the first.
    auto covered = [&](int cell) {
      int n = 0;
      for (int y = 0; y < bm.h; ++y)
        for (int x = cell * cw; x < (cell + 1) * cw; ++x) n += !(bm.At(x, y) == pictest::kKey);
      return n;
    };
    EXPECT_GT(covered(s.cells - 1), 8 * covered(0));
  }
  const Bitmap tractor = Load("data/tractor.bmp");
  EXPECT_EQ(tractor.w % 6, 0);
  // The wheels turn: no two neighbouring cells are alike.
  const int tw = tractor.w / 6;
  for (int cell = 0; cell < 6; ++cell) {
    int differ = 0;
    const int next = (cell + 1) % 6;
    for (int y = 0; y < tractor.h; ++y)
      for (int x = 0; x < tw; ++x)
        differ += !(tractor.At(cell * tw + x, y) == tractor.At(next * tw + x, y));
    EXPECT_GT(differ, 50) << "cells " << cell + 1 << " and " << next + 1;
  }
}

TEST(Sheets, TransparentColourIsExactAndNothingElseNearIt) {
  SKIP_ON_WINDOWS();
  for (const std::string sub : {"data/", "data/2x/"})
    for (const char* name : {"yellowFlower.bmp", "redFlower.bmp", "roses.bmp", "whiteFlower.bmp",
                             "tractor.bmp", "blank.bmp", "logo.bmp"}) {
      const std::string file = sub + name;
      SCOPED_TRACE(file);
      const Bitmap bm = Load(file);
      int key = 0, nearKey = 0;
      for (const auto& p : bm.px) {
        if (p == pictest::kKey)
          ++key;
        else if (pictest::NearKey(p))
          ++nearKey;
      }
      EXPECT_EQ(nearKey, 0) << "pixels that look like the transparent green";
      EXPECT_GT(key, 0) << "a sprite needs transparent pixels";
      // The four corners of the sheet are transparent: no sprite is a box.
      EXPECT_EQ(bm.At(0, 0), pictest::kKey);
      EXPECT_EQ(bm.At(bm.w - 1, 0), pictest::kKey);
    }
}

// The pictures for high-density screens keep the cells and the layout at
// twice the size, drawn anew: a copy with doubled pixels would look blurred.
TEST(Doubled, EveryPictureIsTwiceItsOneTimesSizeAndDrawnAtThatSize) {
  SKIP_ON_WINDOWS();
  for (const std::string& f : pictest::AllPictureFiles()) {
    const auto at = f.find("/2x/");
    if (at == std::string::npos) continue;
    SCOPED_TRACE(f);
    const Bitmap one = Load(f.substr(0, at) + f.substr(at + 3)), two = Load(f);
    ASSERT_EQ(two.w, 2 * one.w);
    ASSERT_EQ(two.h, 2 * one.h);
    int blocks = 0, mixed = 0;
    for (int y = 0; y < two.h; y += 2)
      for (int x = 0; x < two.w; x += 2, ++blocks) {
        const auto& p = two.At(x, y);
        mixed += !(p == two.At(x + 1, y) && p == two.At(x, y + 1) && p == two.At(x + 1, y + 1));
      }
    // The strip is all transparent: nothing to draw.
    if (f != "data/2x/blank.bmp") {
      EXPECT_GT(mixed, blocks / 20);
    }
  }
}

}  // namespace
