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
#include "saver/stage/form1.h"
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
  void ExpectShowing(Form1& f, std::int64_t frame) {
    EXPECT_TRUE(f.IsLoaded()) << frame;
    EXPECT_EQ(FirstDifference(Read(f.Stage()->hDC(), 0, 0, screenW_, screenH_),
                              Read(f.hDC(), 0, 0, screenW_, screenH_)),
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
  stage::RunOptions o;
  o.frames = 1000;
  Form1& f = NewStage(o);
  std::vector<int> askedAt;
  f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
    if (frame == 3) forms::test::PressKey(form, 0x41);
    if (frame == 4 || frame == 9) {
      // Back to the show after the refusal: the cursor hidden, the stage
      // drawing every frame.
      askedAt.push_back(g_asked);
      EXPECT_LE(CursorCount(), -1) << frame;
      ExpectShowing(form, frame);
    }
    if (frame == 8) form.Form_MouseDown(forms::kLeftButton, 0, 300, 300);
    if (frame == 13) {
      // A burst of moves (the first only records the place): the fifth
      // counted one asks.
      for (int i = 0; i < 6; ++i) form.Form_MouseMove(0, 0, 1500.0f + 30 * i, 1500);
    }
  });
  EXPECT_TRUE(RunShow(f));
  EXPECT_EQ(askedAt, (std::vector<int>{1, 2}));
  EXPECT_EQ(g_asked, 3);
  EXPECT_EQ(f.FramesRun(), 13);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_GE(CursorCount(), 0);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(EndingTest, AFailureInAnInputHandlerEndsWithTheWarning) {
  for (const char* failing : {"keydown", "mousedown", "mousemove"}) {
    SCOPED_TRACE(failing);
    messages_.clear();
    captions_.clear();
    MakeProgramFolder(1, 1, 1, 1);
    stage::RunOptions o;
    o.frames = 1000;
    Form1& f = NewStage(o);
    const std::string event = failing;
    f.SetInputHookForTest([event](const char* e) {
      if (event == e) plat::Raise(plat::ErrorKind::Overflow);
    });
    bool warnedWithCursor = false;
    forms::SetMsgBoxHookForTest(
        [&](const std::string& text, int style, const std::string& caption) {
          messages_.push_back(text);
          captions_.push_back(caption);
          EXPECT_EQ(style, forms::vbOKOnly + forms::vbExclamation);
          warnedWithCursor = CursorCount() >= 0;
          return forms::vbOK;
        });
    f.SetFrameHookForTest([&](Form1& form, std::int64_t frame) {
      if (frame != 3) return;
      if (event == "keydown") forms::test::PressKey(form, 0x20);
      if (event == "mousedown") form.Form_MouseDown(forms::kLeftButton, 0, 300, 300);
      if (event == "mousemove") form.Form_MouseMove(0, 0, 1500, 1500);
    });
    EXPECT_TRUE(RunShow(f));
    EXPECT_EQ(f.FramesRun(), 3);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], Module1::MissingFilesText());
    EXPECT_EQ(captions_[0], "Tamarel Screen Saver");
    EXPECT_TRUE(warnedWithCursor);
    EXPECT_FALSE(f.IsLoaded());
  }
}

}  // namespace
