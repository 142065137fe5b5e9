// Flower growth: the cycle of each kind through its cells at its own pace,
// the replanting that leaves the last picture on the lawn, the drawing
// order, and the growth ticks across a mowing pass.
#include <vector>

#include "saver/stage/form1.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::CellColour;
using stagetest::kCellH;
using stagetest::kCellW;
using stagetest::kKindCells;
using stagetest::kKindPeriod;
using stagetest::kKinds;
using stagetest::StageTest;

class GrowthTest : public StageTest {
 protected:
  Form1& Ready(int yellow, int red, int rose, int white) {
    MakeProgramFolder(yellow, red, rose, white);
    Form1& f = NewStage();
    EXPECT_TRUE(f.SetUpForTest());
    f.PrepareForTest();
    return f;
  }
  static const Form1::Sprites& FlowersOf(const Form1& f, int kind) {
    switch (kind) {
      case 0:
        return f.YellowFlowers();
      case 1:
        return f.RedFlowers();
      case 2:
        return f.Roses();
      default:
        return f.WhiteFlowers();
    }
  }
  static std::int16_t StageEntry(const Form1& f, int kind, int i) {
    const Form1::GardenLocals& l = f.Locals();
    const std::vector<std::int16_t>* v[] = {&l.iYellowStage, &l.iRedStage, &l.iRoseStage,
                                            &l.iWhiteStage};
    return (*v[kind])[static_cast<std::size_t>(i)];
  }
  static std::vector<std::int16_t> Ticks(const Form1& f) {
    const Form1::GardenLocals& l = f.Locals();
    return {l.iYellowTick, l.iRedTick, l.iRoseTick, l.iWhiteTick};
  }
  // The pixel at the middle of a cell drawn at (x, y), when it lies on the
  // screen and away from the logo's corner.
  bool MiddleVisible(int x, int y) const {
    const int mx = x + kCellW / 2, my = y + kCellH / 2;
    const bool underLogo = mx < stagetest::kLogoW && my >= screenH_ - 5 - stagetest::kLogoH;
    return mx < screenW_ && my < screenH_ && !underLogo;
  }
  std::uint32_t StagePixel(const Form1& f, int x, int y) {
    return stagetest::Read(f.Stage()->hDC(), x, y, 1, 1).px.at(0);
  }
};

// The cell a flower shows after growth step s (s = 0: before the first).
int CellAfterStep(int s, int cells) {
  if (s <= 1) return 0;
  const int t = (s - 2) % (cells + 1);
  return t < cells ? t + 1 : 0;
}

TEST_F(GrowthTest, TheCycleOfEveryKind) {
  const int firstVisibleFrame[kKinds] = {11, 9, 13, 7};
  for (int kind = 0; kind < kKinds; ++kind) {
    SCOPED_TRACE(stagetest::kKindKey[kind]);
    Form1& f = Ready(kind == 0, kind == 1, kind == 2, kind == 3);
    const int p = kKindPeriod[kind], n = kKindCells[kind];
    cSprite& s = *FlowersOf(f, kind).at(1);
    int x = s.X(), y = s.Y();
    int visibleAt = 0, replants = 0;
    std::vector<int> replantSteps;
    for (int frame = 1, step = 0; step < 3 * (n + 1) + 2; ++frame) {
      f.DrawFrameForTest();
      // A kind of period p steps on frames p + 1, 2p + 1, ...
      if (frame > 1 && (frame - 1) % p == 0) ++step;
      ASSERT_EQ(s.Cell(), CellAfterStep(step, n)) << "frame " << frame;
      if (s.Cell() == 1 && visibleAt == 0) visibleAt = frame;
      ASSERT_EQ(StageEntry(f, kind, 1), step == 0       ? 0
                                        : s.Cell() == 0 ? 1
                                                        : s.Cell() + 1)
          << "frame " << frame;
      if (s.X() != x || s.Y() != y) {
        replantSteps.push_back(step);
        ++replants;
        // The last cell stays painted where the flower stood.
        if (MiddleVisible(x, y)) {
          EXPECT_EQ(StagePixel(f, x + kCellW / 2, y + kCellH / 2), CellColour(kind, n));
        }
        x = s.X();
        y = s.Y();
      } else if (s.Cell() > 0 && MiddleVisible(x, y)) {
        ASSERT_EQ(StagePixel(f, x + kCellW / 2, y + kCellH / 2), CellColour(kind, s.Cell()))
            << "frame " << frame;
      }
      ASSERT_TRUE(s.Active());
    }
    EXPECT_EQ(visibleAt, firstVisibleFrame[kind]);
    // Replanted on steps n + 2, then every n + 1 steps (11 or 12).
    EXPECT_EQ(replantSteps, (std::vector<int>{n + 2, 2 * n + 3, 3 * n + 4}));
  }
}

TEST_F(GrowthTest, LaterKindsLieOverEarlierOnesAndTheLogoOverAll) {
  Form1& f = Ready(1, 1, 0, 1);
  cSprite& yellow = *f.YellowFlowers().at(1);
  cSprite& red = *f.RedFlowers().at(1);
  cSprite& white = *f.WhiteFlowers().at(1);
  yellow.X(100);
  yellow.Y(100);
  white.X(100);
  white.Y(100);
  red.X(10);
  red.Y(screenH_ - 20);  // under the logo
  for (int frame = 1; frame <= 11; ++frame) f.DrawFrameForTest();
  ASSERT_EQ(yellow.Cell(), 1);
  ASSERT_GE(white.Cell(), 1);
  ASSERT_GE(red.Cell(), 1);
  EXPECT_EQ(StagePixel(f, 106, 106), CellColour(3, white.Cell()));
  // The logo covers the red flower; its transparent corner does not.
  const int logoY = screenH_ - 5 - stagetest::kLogoH;
  EXPECT_EQ(StagePixel(f, 16, screenH_ - 14), stagetest::LogoColour(16, screenH_ - 14 - logoY));
  EXPECT_EQ(f.Logo()->X(), 0);
  EXPECT_EQ(f.Logo()->Y(), logoY);
}

TEST_F(GrowthTest, TicksAcrossAMowingPass) {
  ScreenSize(120, 60);  // a short pass
  Form1& f = Ready(2, 2, 2, 2);
  for (int frame = 1; frame <= 7; ++frame) f.DrawFrameForTest();
  EXPECT_EQ(Ticks(f), (std::vector<std::int16_t>{3, 4, 2, 2}));

  struct Flower {
    int cell, x, y, entry;
  };
  auto snapshot = [&] {
    std::vector<Flower> v;
    for (int k = 0; k < kKinds; ++k)
      for (int i = 1; i <= 2; ++i) {
        const cSprite& s = *FlowersOf(f, k).at(static_cast<std::size_t>(i));
        v.push_back({s.Cell(), s.X(), s.Y(), StageEntry(f, k, i)});
      }
    return v;
  };
  auto same = [](const std::vector<Flower>& a, const std::vector<Flower>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i].cell != b[i].cell || a[i].x != b[i].x || a[i].y != b[i].y ||
          a[i].entry != b[i].entry)
        return false;
    return true;
  };
  const auto before = snapshot();

  f.TimerChMode_Timer();
  int frames = 0;
  while (f.Mode() != 0 && frames < 10000) {
    f.DrawFrameForTest();
    ++frames;
    if (f.Mode() != 0) {
      ASSERT_EQ(Ticks(f), (std::vector<std::int16_t>{3, 4, 2, 2}));
    }
  }
  ASSERT_EQ(f.Mode(), 0);
  EXPECT_EQ(Ticks(f), (std::vector<std::int16_t>{6, 6, 6, 6}));
  EXPECT_TRUE(same(before, snapshot()));  // nothing grew during the pass

  // Yellow, red and white step on the first growing frame after it, roses
  // on the second.
  f.DrawFrameForTest();
  const auto first = snapshot();
  for (int k = 0; k < kKinds; ++k)
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(first[static_cast<std::size_t>(k * 2 + i)].entry !=
                    before[static_cast<std::size_t>(k * 2 + i)].entry,
                k != 2)
          << stagetest::kKindKey[k];
    }
  EXPECT_EQ(Ticks(f), (std::vector<std::int16_t>{2, 2, 7, 2}));
  f.DrawFrameForTest();
  EXPECT_NE(snapshot()[4].entry, before[4].entry);
  EXPECT_EQ(Ticks(f), (std::vector<std::int16_t>{3, 3, 2, 3}));
}

}  // namespace
