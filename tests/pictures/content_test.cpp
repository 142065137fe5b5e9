// What the committed pictures must be for the show: sizes, cells, growth,
// the turning wheels and the transparent colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/image.h"
#include "support/test_util.h"

namespace {

#define SKIP_ON_WINDOWS() \
  if (testutil::OnWindows()) GTEST_SKIP() << "checked by the Linux build"

constexpr std::uint32_t kKey = 0x00FF00;  // the transparent green, 0x00RRGGBB
// A colour a viewer could take for the transparent green.
bool NearKey(std::uint32_t p) {
  return (p >> 16) < 64 && ((p >> 8) & 0xFF) > 191 && (p & 0xFF) < 64;
}

plat::Image Load(const std::string& file) {
  std::vector<std::uint8_t> bytes;
  plat::Image img;
  EXPECT_TRUE(plat::ReadFileBytes(testutil::Join(testutil::SourceDir(), file), bytes) &&
              plat::DecodeBmp(bytes.data(), bytes.size(), img))
      << file;
  return img;
}

struct Sheet {
  const char* file;
  int cells;
};
const Sheet kFlowerSheets[] = {{"data/yellowFlower.bmp", 11},
                               {"data/redFlower.bmp", 11},
                               {"data/roses.bmp", 10},
                               {"data/whiteFlower.bmp", 11}};

TEST(Sheets, AreOneRowOfWholeCellsOfGrowingPlants) {
  SKIP_ON_WINDOWS();
  for (const Sheet& s : kFlowerSheets) {
    SCOPED_TRACE(s.file);
    const plat::Image bm = Load(s.file);
    ASSERT_GT(bm.width, 0);
    EXPECT_EQ(bm.width % s.cells, 0);
    const int cw = bm.width / s.cells;
    for (int cell = 0; cell < s.cells; ++cell) {
      // Every stage shows something, and the plant stands on the bottom edge.
      int opaque = 0, onGround = 0;
      for (int y = 0; y < bm.height; ++y)
        for (int x = cell * cw; x < (cell + 1) * cw; ++x)
          if (bm.at(x, y) != kKey) {
            ++opaque;
            if (y >= bm.height - 3) ++onGround;
          }
      EXPECT_GT(opaque, 6) << "cell " << cell + 1;
      EXPECT_GT(onGround, 0) << "cell " << cell + 1;
    }
    // A plant grows: the last cell covers far more than the first.
    auto covered = [&](int cell) {
      int n = 0;
      for (int y = 0; y < bm.height; ++y)
        for (int x = cell * cw; x < (cell + 1) * cw; ++x) n += bm.at(x, y) != kKey;
      return n;
    };
    EXPECT_GT(covered(s.cells - 1), 8 * covered(0));
  }
  const plat::Image tractor = Load("data/tractor.bmp");
  EXPECT_EQ(tractor.width % 6, 0);
  // The wheels turn: no two neighbouring cells are alike.
  const int tw = tractor.width / 6;
  for (int cell = 0; cell < 6; ++cell) {
    int differ = 0;
    const int next = (cell + 1) % 6;
    for (int y = 0; y < tractor.height; ++y)
      for (int x = 0; x < tw; ++x)
        differ += tractor.at(cell * tw + x, y) != tractor.at(next * tw + x, y);
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
      const plat::Image bm = Load(file);
      int key = 0, nearKey = 0;
      for (const auto& p : bm.px) {
        if (p == kKey)
          ++key;
        else if (NearKey(p))
          ++nearKey;
      }
      EXPECT_EQ(nearKey, 0) << "pixels that look like the transparent green";
      EXPECT_GT(key, 0) << "a sprite needs transparent pixels";
      // The four corners of the sheet are transparent: no sprite is a box.
      EXPECT_EQ(bm.at(0, 0), kKey);
      EXPECT_EQ(bm.at(bm.width - 1, 0), kKey);
    }
}

// The pictures for high-density screens keep the cells and the layout at
// twice the size, drawn anew: a copy with doubled pixels would look blurred.
TEST(Doubled, EveryPictureIsTwiceItsOneTimesSizeAndDrawnAtThatSize) {
  SKIP_ON_WINDOWS();
  for (const char* dir : {"data", "saver/resources", "mailer/resources"})
    for (const auto& e : std::filesystem::directory_iterator(
             std::filesystem::path(testutil::SourceDir()) / dir / "2x")) {
      const std::string name = e.path().filename().string();
      const std::string one = std::string(dir) + "/" + name,
                        twice = std::string(dir) + "/2x/" + name;
      SCOPED_TRACE(twice);
      const plat::Image a = Load(one), b = Load(twice);
      ASSERT_EQ(b.width, 2 * a.width);
      ASSERT_EQ(b.height, 2 * a.height);
      int blocks = 0, mixed = 0;
      for (int y = 0; y < b.height; y += 2)
        for (int x = 0; x < b.width; x += 2, ++blocks) {
          const auto p = b.at(x, y);
          mixed += !(p == b.at(x + 1, y) && p == b.at(x, y + 1) && p == b.at(x + 1, y + 1));
        }
      // The strip is all transparent: nothing to draw.
      if (twice != "data/2x/blank.bmp") {
        EXPECT_GT(mixed, blocks / 20);
      }
    }
}

}  // namespace
