// Ending a show, with the clock under the test's control: the mouse-move
// series, the password check of the 95/98/ME family (its dialog replaced by
// a test double, the one thing that cannot run here) and the exit steps
// that put the desktop back. (The warning box, its text, title and cursor,
// is the end-to-end ending's.)
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/stage/garden.h"
#include "support/test_util.h"

namespace {

using testutil::CursorCount;

class EndShowTest : public testing::Test {
 protected:
  void SetUp() override {
    plat::SetClockMode(plat::ClockMode::Manual);
    Module1::MoveCount = 0;
    Module1::FirstMoveTime = 0;
    Module1::PlatformId = 2;
    Module1::UsePassword = 0;
    // Start each test with the cursor shown once, as a desktop has it.
    while (CursorCount() < 0) win::ShowCursor(win::TRUE);
    while (CursorCount() > 0) win::ShowCursor(win::FALSE);
  }
  void TearDown() override {
    plat::SetClockMode(plat::ClockMode::Real);
    win::SetVerifyScreenSavePwdForTest(nullptr);
    forms::SetMsgBoxHookForTest(nullptr);
  }
  // A show without windows: the end of one is all these tests need.
  static stage::Garden& Show() {
    static stage::Garden show(Module1::TheShowHost(), {});
    return show;
  }
  // One move at this time of day; true when it ended the show.
  static bool MoveAt(float timeOfDay) {
    plat::SetManualClock(static_cast<std::int64_t>(timeOfDay * 1000), timeOfDay);
    return testutil::EndsProgram([] { Module1::CountMouseMove(Show()); });
  }
  static bool EndsTheShow() {
    return testutil::EndsProgram([] { Module1::EndShow(Show()); });
  }
};

TEST_F(EndShowTest, AFifthMoveLaterEndsWhenNoneCameLateAlsoAcrossMidnight) {
  // The series opens at 1000.4, stored as 1000; the fifth move is not timed.
  for (float t : {1000.4f, 1000.9f, 1001.5f, 1001.9f}) EXPECT_FALSE(MoveAt(t));
  EXPECT_TRUE(MoveAt(1500.0f));
  Module1::MoveCount = 0;
  Module1::FirstMoveTime = 0;
  EXPECT_FALSE(MoveAt(86399.7f));  // stored as 86400
  EXPECT_FALSE(MoveAt(0.5f));      // negative difference: never expired
  EXPECT_FALSE(MoveAt(30.0f));
  EXPECT_FALSE(MoveAt(60.0f));
  EXPECT_TRUE(MoveAt(90.0f));
}

TEST_F(EndShowTest, TheWindowCountsFromTheWholeSecond) {
  // Opened at 1000.6: stored as 1001, so a move at 1002.9 is still in time.
  EXPECT_FALSE(MoveAt(1000.6f));
  EXPECT_FALSE(MoveAt(1002.9f));
  EXPECT_EQ(Module1::MoveCount, 2);
  // Opened at 2000.4: stored as 2000, so 2002.1 is already late.
  Module1::MoveCount = 0;
  Module1::FirstMoveTime = 0;
  EXPECT_FALSE(MoveAt(2000.4f));
  EXPECT_FALSE(MoveAt(2002.1f));
  EXPECT_EQ(Module1::MoveCount, 0);
  EXPECT_EQ(Module1::FirstMoveTime, 0);
}

TEST_F(EndShowTest, NtFamilyEndsAtOnceWithTheCursorShown) {
  static int asked = 0;
  asked = 0;
  win::SetVerifyScreenSavePwdForTest([](win::HWND) -> win::BOOL { return ++asked, 0; });
  Module1::UsePassword = 1;
  win::ShowCursor(win::FALSE);
  EXPECT_TRUE(EndsTheShow());
  EXPECT_EQ(asked, 0);
  EXPECT_GE(CursorCount(), 0);
}

TEST_F(EndShowTest, AMissingPasswordModuleNeitherLetsThroughNorLocksForGood) {
  // No test double: the real lookup, which finds no password.cpl here (nor
  // under Wine).
  bool available = true;
  win::VerifyScreenSavePwd(nullptr, &available);
  ASSERT_FALSE(available);
  Module1::PlatformId = 1;
  Module1::UsePassword = 1;
  while (CursorCount() >= -5) win::ShowCursor(win::FALSE);
  EXPECT_FALSE(EndsTheShow());  // nobody is let past the password
  EXPECT_LE(CursorCount(), -1);
  // The system's keys were given back (the flag cleared): the session's end
  // still ends the show, and the exit steps put the desktop back.
  EXPECT_EQ(Module1::LastApiResult, 1);
}

TEST(ExitSteps, RunNewestFirstOnEveryEnd) {
  std::vector<int> order;
  const int a = plat::AddExitStep([&] { order.push_back(1); });
  const int b = plat::AddExitStep([&] { order.push_back(2); });
  const int c = plat::AddExitStep([&] { throw 5; });  // one failing step stops no other
  EXPECT_THROW(plat::EndProgram(3), plat::ProgramEnded);
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  plat::RemoveExitStep(b);
  plat::RemoveExitStep(c);
  order.clear();
  try {
    plat::EndProgram(7);
  } catch (const plat::ProgramEnded& e) {
    EXPECT_EQ(e.code, 7);
  }
  EXPECT_EQ(order, (std::vector<int>{1}));
  plat::RemoveExitStep(a);
}

}  // namespace
