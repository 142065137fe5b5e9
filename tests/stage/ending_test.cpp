// The end of a running show, with the stage's own frame loop: a password
// that is not confirmed (its dialog replaced by a test double, the one thing
// that cannot run here) leaves the stage showing and drawing, as many times
// as it happens; a failure in an input handler ends the show like a failure
// of a frame, with the warning.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/forms_test.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/stage/garden.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::FirstDifference;
using stagetest::Read;
using stagetest::StageTest;

using testutil::CursorCount;

// What the password dialog answers, in turn; the last answer repeats.
std::vector<win::BOOL> g_answers;
int g_asked = 0;
win::BOOL NextAnswer(win::HWND) {
  const std::size_t i = static_cast<std::size_t>(g_asked++);
  return g_answers.empty() ? 0 : g_answers[i < g_answers.size() ? i : g_answers.size() - 1];
}

class EndingTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    g_answers.clear();
    g_asked = 0;
    // As a show starts: the cursor hidden.
    while (CursorCount() >= -5) win::ShowCursor(win::FALSE);
  }
  void TearDown() override {
    win::SetVerifyScreenSavePwdForTest(nullptr);
    while (CursorCount() < 0) win::ShowCursor(win::TRUE);
    while (CursorCount() > 0) win::ShowCursor(win::FALSE);
    StageTest::TearDown();
  }
  // The window shows exactly the garden the stage composed.
  void ExpectShowing(stage::Garden& g, int frame) {
    Form1& w = *g.Windows().front();
    EXPECT_TRUE(w.IsLoaded()) << frame;
    EXPECT_EQ(FirstDifference(Read(w.Scene().Stage().hDC(), 0, 0, screenW_, screenH_), Shown(g)),
              "")
        << "frame " << frame;
  }
};

TEST_F(EndingTest, EachRefusedPasswordLeavesTheShowRunning) {
  MakeProgramFolder(2, 2, 2, 2);
  Module1::PlatformId = 1;  // the 95/98/ME family, where the check is ours
  Module1::UsePassword = 1;
  g_answers = {0, 0x10000, 1};  // refused, refused (only the low 16 bits count), confirmed
  win::SetVerifyScreenSavePwdForTest(NextAnswer);
  stage::Garden& g = NewShow();
  ASSERT_TRUE(g.Load());
  g.Prepare();
  Form1& w = *g.Windows().front();
  std::vector<int> askedAt;
  int frame = 1;
  EXPECT_TRUE(testutil::EndsProgram([&] {
    for (; frame <= 1000; ++frame) {
      g.Frame();
      if (frame == 3) forms::test::PressKey(w, 0x41);
      if (frame == 4 || frame == 9) {
        // Back to the show after the refusal: the cursor hidden, the stage
        // drawing every frame.
        askedAt.push_back(g_asked);
        EXPECT_LE(CursorCount(), -1) << frame;
        ExpectShowing(g, frame);
      }
      if (frame == 8) w.Form_MouseDown(forms::kLeftButton, 0, 300, 300);
      if (frame == 13) {
        // A burst of moves (the first only records the place): the fifth
        // counted one asks.
        for (int i = 0; i < 6; ++i) w.Form_MouseMove(0, 0, 1500.0f + 30 * i, 1500);
      }
    }
  }));
  EXPECT_EQ(askedAt, (std::vector<int>{1, 2}));
  EXPECT_EQ(g_asked, 3);
  EXPECT_EQ(frame, 13);
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_GE(CursorCount(), 0);
  EXPECT_TRUE(messages_.empty());
}

// The module's host, but the first thing an input handler asks of it fails.
class FailingHost : public Module1::ShowHost {
 public:
  void CountMouseMove(stage::Garden& show) override {
    FailOnce();
    ShowHost::CountMouseMove(show);
  }
  void EndShow(stage::Garden& show) override {
    FailOnce();
    ShowHost::EndShow(show);
  }

 private:
  void FailOnce() {
    if (failed_) return;
    failed_ = true;
    plat::Raise(plat::ErrorKind::Overflow);
  }
  bool failed_ = false;
};

TEST_F(EndingTest, AFailureInAnInputHandlerEndsWithTheWarning) {
  for (const char* failing : {"endshow", "mousemove"}) {
    SCOPED_TRACE(failing);
    messages_.clear();
    captions_.clear();
    MakeProgramFolder(1, 1, 1, 1);
    FailingHost host;
    stage::RunOptions o;
    o.frames = 1000;
    stage::Garden g(host, o);
    bool warnedWithCursor = false;
    forms::SetMsgBoxHookForTest(
        [&](const std::string& text, int style, const std::string& caption) {
          messages_.push_back(text);
          captions_.push_back(caption);
          EXPECT_EQ(style, forms::vbOKOnly + forms::vbExclamation);
          warnedWithCursor = CursorCount() >= 0;
          return forms::vbOK;
        });
    ASSERT_TRUE(g.Load());
    Form1& w = *g.Windows().front();
    // The input comes while the loop serves the window system.
    forms::Timer input(w);
    input.SetInterval(40);
    input.OnTimer = [&] {
      input.SetEnabled(false);
      if (std::string(failing) == "endshow") forms::test::PressKey(w, 0x20);
      // Two moves: the first only records the place, the second is counted.
      for (int i = 0; i < 2; ++i) w.Form_MouseMove(0, 0, 1500.0f + 30 * i, 1500);
    };
    input.SetEnabled(true);
    EXPECT_TRUE(testutil::EndsProgram([&] { g.RunGarden(); }));
    EXPECT_EQ(g.FramesRun(), 2);  // the input came in the third frame's wait
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], Module1::MissingFilesText());
    EXPECT_EQ(captions_[0], "Tamarel Screen Saver");
    EXPECT_TRUE(warnedWithCursor);
    EXPECT_FALSE(w.IsLoaded());
  }
}

}  // namespace
