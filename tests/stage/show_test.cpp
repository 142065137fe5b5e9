// Whole shows through the real frame loop on the virtual clock: the timer's
// minute before each pass, failures of the loop, and input. (The pixels of
// every frame are the differential test's, the window against its stage the
// ending test's, the garden at a pass's end and no pure green shown the
// end-to-end show's.)
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/forms_test.h"
#include "platform/process.h"
#include "saver/host/module1.h"
#include "stage/stage_fixture.h"

namespace {

using ShowTest = stagetest::StageTest;

TEST_F(ShowTest, AShowThroughTwoPasses) {
  ScreenSize(160, 120);
  MakeProgramFolder(3, 3, 3, 3);
  stage::Garden& g = NewShow();
  ASSERT_TRUE(g.Load());
  g.Prepare();
  Form1& w = *g.Windows().front();

  std::vector<std::int64_t> passStarts, passEnds;
  int mode = 0;
  for (int frame = 1; frame <= 9300 && passStarts.size() < 2; ++frame) {
    // The clock when the frame began: a pass's end enables the timer then.
    const std::int64_t frameStart = plat::ClockMillis();
    g.Frame();
    const bool started = mode == 0 && w.Scene().Mode() == 1;
    const bool ended = mode == 1 && w.Scene().Mode() == 0;
    mode = w.Scene().Mode();
    if (started) passStarts.push_back(plat::ClockMillis());
    EXPECT_EQ(w.TimerChMode.Enabled(), mode == 0) << "frame " << frame;
    if (ended) passEnds.push_back(frameStart);
  }
  EXPECT_TRUE(messages_.empty());
  // A minute after the first pass ended (within one frame of the clock's
  // 15.625 ms steps).
  ASSERT_EQ(passStarts.size(), 2u);
  ASSERT_EQ(passEnds.size(), 1u);
  EXPECT_GE(passStarts[1] - passEnds[0], 60000);
  EXPECT_LE(passStarts[1] - passEnds[0], 60016);
}

TEST_F(ShowTest, ANegativeCountEndsTheShowWhenTheLoopStarts) {
  MakeProgramFolder(1, -1, 1, 1);
  stage::RunOptions o;
  o.frames = 5;
  stage::Garden& g = NewShow(o);
  EXPECT_TRUE(RunShow(g));
  EXPECT_EQ(g.FramesRun(), 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], Module1::MissingFilesText());
}

TEST_F(ShowTest, AKeyOrAButtonEndsTheShow) {
  MakeProgramFolder(1, 1, 1, 1);
  for (int input = 0; input < 3; ++input) {
    SCOPED_TRACE(input);
    stage::Garden& g = NewShow();
    ASSERT_TRUE(g.Load());
    g.Prepare();
    Form1& w = *g.Windows().front();
    int frames = 0;
    EXPECT_TRUE(testutil::EndsProgram([&] {
      for (; frames < 10; ++frames) {
        if (frames == 3 && input == 0) forms::test::PressKey(w, 0x41);  // A
        if (frames == 3 && input == 1) w.Form_MouseDown(forms::kLeftButton, 0, 100, 100);
        if (frames == 3 && input == 2) w.Form_KeyDown(0x1B, forms::kShiftMask);
        g.Frame();
      }
    }));
    EXPECT_LE(frames, 4);
    EXPECT_FALSE(w.IsLoaded());
  }
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
