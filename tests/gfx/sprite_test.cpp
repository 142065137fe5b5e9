// Sprites: the background they save and restore, their draw positions and
// what StageToScreen copies.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "gfx/gfx_fixture.h"
#include "platform/errors.h"
#include "platform/forms.h"
#include "saver/gfx/csprite.h"

using namespace gfxtest;

namespace {

constexpr int kW = 20;  // cell size of the test sheet
constexpr int kH = 30;
constexpr int kStageW = 300;
constexpr int kStageH = 250;

// A two-cell sheet keyed on green, opaque in a plus shape.
Pixels SheetPixels() {
  Pixels p = Pattern(2 * kW, kH, 5);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < 2 * kW; ++x) {
      const int cx = x % kW;
      if (!(cx >= 6 && cx < 14) && !(y >= 10 && y < 20)) p.at(x, y) = kGreen;
    }
  return p;
}

std::shared_ptr<cSpriteBitmaps> MakeSheet() {
  auto sheet = std::make_shared<cSpriteBitmaps>();
  EXPECT_TRUE(sheet->CreateFromFile(BmpFile(SheetPixels()), 2, 1, "", kGreen));
  return sheet;
}

void ExpectError(plat::ErrorKind kind, const std::function<void()>& fn) {
  try {
    fn();
    ADD_FAILURE() << "no run-time error";
  } catch (const plat::RuntimeError& e) {
    EXPECT_EQ(e.kind(), kind) << e.what();
  }
}

class SpriteTest : public ::testing::Test {
 protected:
  void SetUp() override { forms::SetScreenSizeOverride(800, 600); }
  void TearDown() override { forms::SetScreenSizeOverride(0, 0); }
};

struct Rect {
  int x, y, w, h;
};

// Two draws of a new sprite, then StageToScreen: the screen must have
// received exactly `rects` of the stage.
void ExpectCopies(int x1, int y1, int x2, int y2, bool inTwo, std::initializer_list<Rect> rects) {
  SCOPED_TRACE(::testing::Message()
               << "(" << x1 << "," << y1 << ") then (" << x2 << "," << y2 << ")");
  cSprite sprite;
  sprite.SpriteData(MakeSheet());
  sprite.Create(nullptr);
  Canvas stage(Pattern(kStageW, kStageH, 1));
  const Pixels screenBase = Pattern(kStageW, kStageH, 2);
  Canvas screen(screenBase);
  sprite.TransparentDraw(stage.dc(), x1, y1, 1, false);
  sprite.TransparentDraw(stage.dc(), x2, y2, 2, false);
  EXPECT_EQ(sprite.PreviousX(), x1);
  EXPECT_EQ(sprite.PreviousY(), y1);
  EXPECT_EQ(sprite.Cell(), 2);
  EXPECT_EQ(sprite.BltInTwo(), inTwo);
  sprite.StageToScreen(screen.dc(), stage.dc());
  const Pixels stageNow = stage.Read();
  Pixels expected = screenBase;
  for (const Rect& r : rects) expected = ModelCopy(expected, stageNow, r.x, r.y, r.w, r.h);
  EXPECT_TRUE(SamePixels(expected, screen.Read()));
}

}  // namespace

TEST_F(SpriteTest, ANewSpriteStartsAScreenUpAndLeftAndDrawsItsFirstFrameInTwoCopies) {
  cSprite sprite;
  EXPECT_EQ(sprite.PreviousX(), -800);
  EXPECT_EQ(sprite.PreviousY(), -600);
  EXPECT_EQ(sprite.X(), 0);
  EXPECT_EQ(sprite.Y(), 0);
  EXPECT_EQ(sprite.Cell(), 0);
  EXPECT_FALSE(sprite.Active());
  EXPECT_EQ(sprite.Width(), 0);
  EXPECT_EQ(sprite.Height(), 0);
  EXPECT_FALSE(sprite.BltInTwo());  // both places are the same off-screen one

  sprite.SpriteData(MakeSheet());
  EXPECT_EQ(sprite.Width(), kW);
  EXPECT_EQ(sprite.Height(), kH);
  sprite.Create(nullptr);
  Canvas stage(Pattern(kStageW, kStageH, 3));
  const Pixels screenBase = Pattern(kStageW, kStageH, 4);
  Canvas screen(screenBase);
  sprite.TransparentDraw(stage.dc(), 100, 100, 1, false);
  EXPECT_EQ(sprite.PreviousX(), -800);
  EXPECT_EQ(sprite.PreviousY(), -600);
  EXPECT_TRUE(sprite.BltInTwo());
  // The first copy lies wholly outside the screen; the second is the cell.
  sprite.StageToScreen(screen.dc(), stage.dc());
  EXPECT_TRUE(SamePixels(ModelCopy(screenBase, stage.Read(), 100, 100, kW, kH), screen.Read()));
}

TEST_F(SpriteTest, StageToScreenCopiesOneRectangleUpTo24PixelsApartAndTwoBeyond) {
  ExpectCopies(100, 100, 110, 105, false, {{100, 100, kW + 10, kH + 5}});
  ExpectCopies(100, 100, 90, 114, false, {{90, 100, kW + 10, kH + 14}});
  ExpectCopies(100, 100, 76, 100, false, {{76, 100, kW + 24, kH}});
  ExpectCopies(100, 100, 125, 100, true, {{100, 100, kW, kH}, {125, 100, kW, kH}});
  ExpectCopies(100, 100, 100, 75, true, {{100, 100, kW, kH}, {100, 75, kW, kH}});
  ExpectCopies(100, 100, 113, 88, true, {{100, 100, kW, kH}, {113, 88, kW, kH}});
  ExpectCopies(100, 100, 100, 100, false, {{100, 100, kW, kH}});
  // Across the stage's edges.
  ExpectCopies(-5, 240, 5, 230, false, {{-5, 230, kW + 10, kH + 10}});
}

TEST_F(SpriteTest, TheFrameCycleLeavesNoTrailsAndKeepsTheScreenEqualToTheStage) {
  const Pixels lawn = Pattern(kStageW, kStageH, 6);
  Canvas stage(lawn);
  Canvas screen(lawn);
  auto sheet = MakeSheet();
  const Pixels sheetPixels = SheetPixels();
  cSprite sprite;
  sprite.SpriteData(sheet);
  sprite.Create(nullptr);
  // Steps small and large, across every edge and back.
  const int path[][2] = {{50, 50},   {52, 51},   {52, 51},   {70, 60},   {200, 60},  {290, 60},
                         {290, 240}, {-15, 240}, {-15, -25}, {-30, -40}, {100, 100}, {110, 90}};
  int cell = 1;
  for (const auto& p : path) {
    sprite.RestoreBackground(stage.dc());
    sprite.X(p[0]);
    sprite.Y(p[1]);
    sprite.StoreBackground(stage.dc(), sprite.X(), sprite.Y());
    sprite.TransparentDraw(stage.dc(), sprite.X(), sprite.Y(), cell, false);
    sprite.StageToScreen(screen.dc(), stage.dc());
    const Pixels now = stage.Read();
    const int sx = (cell - 1) * kW;
    EXPECT_TRUE(SamePixels(ModelCellDraw(lawn, sheetPixels, sx, 0, kW, kH, p[0], p[1],
                                         [](win::COLORREF c) { return c != kGreen; }),
                           now))
        << "stage at " << p[0] << "," << p[1];
    EXPECT_TRUE(SamePixels(now, screen.Read())) << "screen at " << p[0] << "," << p[1];
    cell = 3 - cell;
  }
  sprite.RestoreBackground(stage.dc());
  EXPECT_TRUE(SamePixels(lawn, stage.Read()));
}

TEST_F(SpriteTest, MissingSheetsAndFarDrawsRaise) {
  Canvas stage(Pattern(40, 40, 8));
  cSprite bare;
  ExpectError(plat::ErrorKind::ObjectNotSet, [&] { bare.Create(nullptr); });
  ExpectError(plat::ErrorKind::ObjectNotSet,
              [&] { bare.TransparentDraw(stage.dc(), 3, 4, 1, false); });
  // The draw was recorded before the sheet was needed.
  EXPECT_EQ(bare.PreviousX(), -800);
  EXPECT_EQ(bare.Cell(), 1);
  ExpectError(plat::ErrorKind::ObjectNotSet, [&] { bare.SpriteData(nullptr); });

  cSprite far;
  far.SpriteData(MakeSheet());
  far.Create(nullptr);
  far.TransparentDraw(stage.dc(), INT_MAX, 0, 1, false);
  ExpectError(plat::ErrorKind::Overflow, [&] { (void)far.BltInTwo(); });
  ExpectError(plat::ErrorKind::Overflow, [&] { far.StageToScreen(stage.dc(), stage.dc()); });
  EXPECT_TRUE(SamePixels(Pattern(40, 40, 8), stage.Read()));
}
