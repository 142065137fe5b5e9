// Whole shows through the real frame loop on the virtual clock: what the
// window shows frame by frame, the timer's minute before each pass,
// failures of the loop, and input. (Counted runs with their snapshots are
// the end-to-end show's, on both systems.)
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/forms_test.h"
#include "platform/process.h"
#include "saver/host/module1.h"
#include "saver/stage/form1.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::FirstDifference;
using stagetest::kPureGreen;
using stagetest::Read;
using stagetest::StageTest;

bool HasPureGreen(const plat::Image& img) {
  return std::find(img.px.begin(), img.px.end(), kPureGreen) != img.px.end();
}

class ShowTest : public StageTest {
 protected:
  plat::Image Screen(Form1& f) { return Read(f.hDC(), 0, 0, screenW_, screenH_); }
  plat::Image LawnAndLogo() const {
    plat::Image img = stagetest::TiledLawn(screenW_, screenH_);
    stagetest::DrawLogoModel(img, 0, screenH_ - 5 - stagetest::kLogoH);
    return img;
  }
};

TEST_F(ShowTest, AShowThroughTwoPasses) {
  ScreenSize(160, 120);
  MakeProgramFolder(3, 3, 3, 3);
  stage::RunOptions o;
  o.frames = 9300;
  Form1& f = NewStage(o);

  std::vector<std::int64_t> passStarts, passEnds;
  int mode = 0, checks = 0;
  // The clock when the frame began: a pass's end enables the timer then.
  std::int64_t frameStart = 0;
  bool repaintedAfterPass = false;
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame == 0) {
      frameStart = plat::ClockMillis();
      return;
    }
    const bool started = mode == 0 && form.Mode() == 1;
    const bool ended = mode == 1 && form.Mode() == 0;
    mode = form.Mode();
    if (started) passStarts.push_back(plat::ClockMillis());
    if (mode == 1) {
      EXPECT_FALSE(form.TimerChMode.Enabled());
    }
    if (ended) {
      passEnds.push_back(frameStart);
      EXPECT_TRUE(form.TimerChMode.Enabled());
      // Every picture the flowers left is gone; lawn and logo remain.
      EXPECT_EQ(FirstDifference(LawnAndLogo(), Screen(form)), "") << "frame " << frame;
      repaintedAfterPass = false;
    } else if (mode == 0 && !repaintedAfterPass && !passEnds.empty()) {
      // The first growing frame after a pass paints the flowers again.
      repaintedAfterPass = true;
      EXPECT_NE(FirstDifference(LawnAndLogo(), Screen(form)), "");
    }
    // While flowers grow the window shows the garden exactly; nothing
    // transparent ever shows.
    if (frame % 50 == 0 || started || ended) {
      const plat::Image shown = Screen(form);
      EXPECT_FALSE(HasPureGreen(shown)) << "frame " << frame;
      if (mode == 0 && !ended) {
        EXPECT_EQ(FirstDifference(Read(form.Stage()->hDC(), 0, 0, 160, 120), shown), "")
            << "frame " << frame;
      }
      ++checks;
    }
    frameStart = plat::ClockMillis();
  });
  EXPECT_TRUE(RunShow(f));
  EXPECT_EQ(f.FramesRun(), 9300);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_TRUE(messages_.empty());
  EXPECT_GT(checks, 150);

  // A minute after the first pass ended (within one frame of the clock's
  // 15.625 ms steps); frame 1, the first minute and the first pass are the
  // end-to-end show's, frame by frame.
  ASSERT_EQ(passStarts.size(), 2u);
  ASSERT_GE(passEnds.size(), 1u);
  EXPECT_GE(passStarts[1] - passEnds[0], 60000);
  EXPECT_LE(passStarts[1] - passEnds[0], 60016);
}

TEST_F(ShowTest, ANegativeCountEndsTheShowWhenTheLoopStarts) {
  MakeProgramFolder(1, -1, 1, 1);
  stage::RunOptions o;
  o.frames = 5;
  Form1& f = NewStage(o);
  bool ran = false;
  f.SetFrameHookForTest([&](Form1&, std::int64_t) { ran = true; });
  EXPECT_TRUE(RunShow(f));
  EXPECT_FALSE(ran);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], Module1::MissingFilesText());
}

TEST_F(ShowTest, AKeyOrAButtonEndsTheShow) {
  MakeProgramFolder(1, 1, 1, 1);
  stage::RunOptions o;
  o.frames = 1000;
  Form1& f = NewStage(o);
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame == 3) forms::test::PressKey(form, 0x41);  // A
  });
  EXPECT_TRUE(RunShow(f));
  EXPECT_LT(f.FramesRun(), 10);
  EXPECT_TRUE(messages_.empty());

  for (int button : {forms::kLeftButton, forms::kRightButton}) {
    Form1& g = NewStage();
    EXPECT_THROW(g.Form_MouseDown(button, 0, 100, 100), plat::ProgramEnded);
    EXPECT_THROW(g.Form_KeyDown(0x1B, forms::kShiftMask), plat::ProgramEnded);
  }
}

}  // namespace
