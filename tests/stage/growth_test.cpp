// Flower growth: the cycle of each kind through its cells at its own pace,
// and the replanting that leaves the last picture on the lawn.
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
    const Form1::Sprites* k[] = {&f.YellowFlowers(), &f.RedFlowers(), &f.Roses(),
                                 &f.WhiteFlowers()};
    return *k[kind];
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

}  // namespace
