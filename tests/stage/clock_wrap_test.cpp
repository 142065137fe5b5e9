// A show on a machine that has run for weeks: the millisecond counter passes
// 2^31 (where it turns negative as a signed value) and 2^32 (where it wraps
// to 0) during a show, and frames stay paced 5 ms apart without a failure.
#include <cstdint>
#include <vector>

#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::StageTest;

class ClockWrapTest : public StageTest {
 protected:
  // Runs 24 frames with the manual clock starting at `startMillis`, moved
  // on by one millisecond whenever the window system is served (a timer of
  // 1 ms), and returns the clock after each frame.
  std::vector<std::int64_t> FrameClocks(std::int64_t startMillis) {
    ScreenSize(160, 120);
    MakeProgramFolder(1, 1, 1, 1);
    stage::Garden& g = NewShow();
    EXPECT_TRUE(g.Load());
    Form1& f = *g.Windows().front();
    plat::SetClockMode(plat::ClockMode::Manual);
    // The timer is due from the start on, and again after each move.
    plat::SetManualClock(startMillis - 1, 43200.0f);
    forms::Timer clock(f);
    int moves = 0;
    clock.OnTimer = [&] {
      plat::SetManualClock(plat::ClockMillis() + 1, 43200.0f);
      // A wait that never ends would hang the test: end the show instead.
      if (++moves > 10000) Module1::EndShow(g);
    };
    clock.SetInterval(1);
    clock.SetEnabled(true);
    plat::SetManualClock(startMillis, 43200.0f);
    std::vector<std::int64_t> clocks;
    g.Prepare();
    clocks.push_back(plat::ClockMillis());
    for (int frame = 1; frame <= 24; ++frame) {
      g.Frame();
      clocks.push_back(plat::ClockMillis());
    }
    EXPECT_TRUE(messages_.empty());
    return clocks;
  }
};

TEST_F(ClockWrapTest, FramesStayPacedWhereTheCounterPasses2To31And2To32) {
  for (std::int64_t edge : {std::int64_t{1} << 31, std::int64_t{1} << 32}) {
    SCOPED_TRACE(edge);
    const std::vector<std::int64_t> clocks = FrameClocks(edge - 50);
    ASSERT_EQ(clocks.size(), 25u);  // the preparation, then 24 frames
    EXPECT_LT(clocks.front(), edge);
    EXPECT_GT(clocks.back(), edge);
    for (std::size_t i = 1; i < clocks.size(); ++i) {
      // At least 5 ms from the start of a frame, and no longer than the
      // clock needs to get there.
      EXPECT_GE(clocks[i] - clocks[i - 1], 5) << "frame " << i;
      EXPECT_LE(clocks[i] - clocks[i - 1], 6) << "frame " << i;
    }
  }
}

}  // namespace
