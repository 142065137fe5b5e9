// Whole shows through the real frame loop on the virtual clock: what the
// window shows frame by frame, the timer's minute before each pass, the
// end of a counted run with its snapshot, failures of the loop, and input.
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
#include "support/test_util.h"

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

  std::int64_t setUpClock = -1;
  std::vector<std::int64_t> passStarts, passEnds;
  int mode = 0, checks = 0;
  // The clock when the frame began: a pass's end enables the timer then.
  std::int64_t frameStart = 0;
  bool repaintedAfterPass = false;
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame == 0) {
      setUpClock = frameStart = plat::ClockMillis();
      EXPECT_EQ(FirstDifference(stagetest::TiledLawn(160, 120), Screen(form)), "");
      return;
    }
    if (frame == 1) {
      EXPECT_EQ(FirstDifference(LawnAndLogo(), Screen(form)), "");
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

  // A minute after the set-up, and a minute after the first pass ended
  // (each within one frame of the clock's 15.625 ms steps).
  ASSERT_EQ(passStarts.size(), 2u);
  ASSERT_GE(passEnds.size(), 1u);
  EXPECT_GE(passStarts[0] - setUpClock, 60000);
  EXPECT_LE(passStarts[0] - setUpClock, 60016);
  EXPECT_GE(passStarts[1] - passEnds[0], 60000);
  EXPECT_LE(passStarts[1] - passEnds[0], 60016);
}

TEST_F(ShowTest, ACountedRunEndsNormallyWithItsSnapshot) {
  MakeProgramFolder(2, 2, 2, 2);
  stage::RunOptions o;
  o.frames = 30;
  o.snapshot = testutil::Join(folder_, "shot.png");
  Form1& f = NewStage(o);
  plat::Image last;
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame == 30) last = Screen(form);
  });
  EXPECT_TRUE(RunShow(f));
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(f.FramesRun(), 30);
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(plat::ReadFileBytes(o.snapshot, png));
  // The picture of the last frame, as the PNG writer makes it.
  EXPECT_EQ(png, plat::EncodePng(last));

  // -frames 0: the lawn as the loop's preparation painted it.
  o.frames = 0;
  o.snapshot = testutil::Join(folder_, "zero.png");
  EXPECT_TRUE(RunShow(NewStage(o)));
  ASSERT_TRUE(plat::ReadFileBytes(o.snapshot, png));
  EXPECT_EQ(png, plat::EncodePng(stagetest::TiledLawn(320, 240)));

  // A snapshot that cannot be written does not keep the show from ending.
  o.frames = 2;
  o.snapshot = testutil::Join(testutil::Join(folder_, "no-such-folder"), "x.png");
  EXPECT_TRUE(RunShow(NewStage(o)));
  EXPECT_FALSE(testutil::FileExists(o.snapshot));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ShowTest, NoFlowersOnlyTheLogo) {
  MakeProgramFolder(0, 0, 0, 0);
  stage::RunOptions o;
  o.frames = 60;
  Form1& f = NewStage(o);
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame % 20 == 0 && frame > 0) {
      EXPECT_EQ(FirstDifference(LawnAndLogo(), Screen(form)), "") << frame;
    }
  });
  EXPECT_TRUE(RunShow(f));
  EXPECT_TRUE(messages_.empty());
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

TEST_F(ShowTest, MouseMovesThatCount) {
  Form1& f = NewStage();
  // The first report of a show only records the place.
  f.Form_MouseMove(0, 0, 3000, 2000);
  EXPECT_EQ(Module1::MoveCount, 0);
  EXPECT_EQ(f.LastMouseX(), 3000);
  // The same place again, and moves of 3 twips or less, are not movement.
  f.Form_MouseMove(0, 0, 3000, 2000);
  f.Form_MouseMove(0, 0, 3003, 1997);
  EXPECT_EQ(Module1::MoveCount, 0);
  // One pixel (15 twips) is.
  f.Form_MouseMove(0, 0, 3018, 1997);
  EXPECT_EQ(Module1::MoveCount, 1);
  // Kept rounded, halves to even.
  f.Form_MouseMove(0, 0, 3020.5f, 1990.5f);
  EXPECT_EQ(f.LastMouseX(), 3020);
  EXPECT_EQ(f.LastMouseY(), 1990);
  EXPECT_EQ(Module1::MoveCount, 2);

  // From the left or the top edge a move is not counted.
  f.Form_MouseMove(0, 0, 0, 1000);
  EXPECT_EQ(Module1::MoveCount, 3);  // the move to the edge is
  f.Form_MouseMove(0, 0, 600, 1000);
  EXPECT_EQ(Module1::MoveCount, 3);
  f.Form_MouseMove(0, 0, 600, 0.4f);
  f.Form_MouseMove(0, 0, 900, 900);
  EXPECT_EQ(Module1::MoveCount, 4);  // to the top edge counted, from it not

  // A 4K screen is 57600 twips wide: positions there are kept and compared
  // exactly, and the fifth move ends the show.
  Module1::MoveCount = 0;
  Module1::FirstMoveTime = 0;
  Form1& g = NewStage();
  g.Form_MouseMove(0, 0, 57585, 32385);
  EXPECT_EQ(g.LastMouseX(), 57585);
  EXPECT_EQ(g.LastMouseY(), 32385);
  g.Form_MouseMove(0, 0, 57587, 32385);  // 2 twips: the same place
  EXPECT_EQ(Module1::MoveCount, 0);
  for (int i = 1; i <= 4; ++i) {
    g.Form_MouseMove(0, 0, 57587.0f - 15 * i, 32385);
    EXPECT_EQ(Module1::MoveCount, i);
  }
  EXPECT_THROW(g.Form_MouseMove(0, 0, 40000, 32385), plat::ProgramEnded);
}

TEST_F(ShowTest, TheCommittedPictures) {
  MakeProgramFolder(10, 10, 10, 10);
  if (!UseCommittedPictures()) GTEST_SKIP() << "no pictures in data/ yet";
  // The pictures read the way the show reads them.
  auto decode = [&](const char* name) {
    std::vector<std::uint8_t> bytes;
    plat::Image img;
    EXPECT_TRUE(plat::ReadFileBytes(Module1::DataFolderPath() + name, bytes));
    EXPECT_TRUE(plat::DecodeBmp(bytes.data(), bytes.size(), img)) << name;
    return img;
  };
  const plat::Image lawn = decode("lawn.bmp");
  const plat::Image logo = decode("logo.bmp");
  ASSERT_GT(lawn.width, 0);
  ASSERT_GT(logo.width, 0);
  plat::Image expected;
  expected.width = screenW_;
  expected.height = screenH_;
  expected.px.resize(static_cast<std::size_t>(screenW_) * screenH_);
  for (int y = 0; y < screenH_; ++y)
    for (int x = 0; x < screenW_; ++x) expected.at(x, y) = lawn.at(x % lawn.width, y % lawn.height);
  // The logo sits 5 pixels above the bottom-left corner.
  const int ly = screenH_ - logo.height - 5;
  for (int y = 0; y < logo.height; ++y)
    for (int x = 0; x < logo.width && x < screenW_; ++x)
      if (logo.at(x, y) != kPureGreen && ly + y >= 0) expected.at(x, ly + y) = logo.at(x, y);

  stage::RunOptions o;
  o.frames = 400;
  Form1& f = NewStage(o);
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame == 1) {
      EXPECT_EQ(FirstDifference(expected, Screen(form)), "");
    }
    if (frame % 40 == 0) {
      EXPECT_FALSE(HasPureGreen(Screen(form))) << frame;
    }
  });
  EXPECT_TRUE(RunShow(f));
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
