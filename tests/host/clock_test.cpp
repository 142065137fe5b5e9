// The platform clock: the virtual clock's steps, the real counter's steps,
// and the tick wait.
#include <gtest/gtest.h>

#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

namespace {

struct ClockModeGuard {
  explicit ClockModeGuard(plat::ClockMode m) { plat::SetClockMode(m); }
  ~ClockModeGuard() { plat::SetClockMode(plat::ClockMode::Real); }
};

TEST(Clock, VirtualStartsFixedAndMovesInWindowsTicks) {
  ClockModeGuard g(plat::ClockMode::Virtual);
  EXPECT_EQ(plat::TickCount(), 10000000u);
  EXPECT_FLOAT_EQ(plat::TimeOfDay(), 43200.0f);
  EXPECT_EQ(plat::MillisUntilTick(10000100u), 0);  // never waits in real time
  plat::AdvanceVirtualClockToTick(10000001u);
  EXPECT_EQ(plat::TickCount(), 10000015u);  // one step of 15.625 ms
  plat::AdvanceVirtualClockToTick(10000020u);
  EXPECT_EQ(plat::TickCount(), 10000031u);
  plat::AdvanceVirtualClockToTick(10000000u);  // already passed: nothing
  EXPECT_EQ(plat::TickCount(), 10000031u);
  plat::AdvanceVirtualClockToTick(10001000u);
  EXPECT_EQ(plat::TickCount(), 10001000u);  // 64 steps are exactly 1000 ms
  EXPECT_FLOAT_EQ(plat::TimeOfDay(), 43201.0f);
  EXPECT_EQ(win::GetTickCount(), plat::TickCount());
  // A fresh start is the same start: runs repeat exactly.
  plat::SetClockMode(plat::ClockMode::Virtual);
  EXPECT_EQ(plat::TickCount(), 10000000u);
}

TEST(Clock, RealTickMovesAndTimeOfDayIsInADay) {
  const std::uint32_t a = win::GetTickCount();
  const float t = plat::TimeOfDay();
  EXPECT_GE(t, 0.0f);
  EXPECT_LT(t, 86400.0f);
  std::uint32_t b = a;
  for (int i = 0; i < 10000000 && b == a; ++i) b = win::GetTickCount();
  EXPECT_NE(a, b);
  // Every platform keeps the Windows counter's steps (Wine's counter moves
  // every millisecond): 15 or 16 ms apart.
  const std::uint32_t step = b - a;
  EXPECT_TRUE(step == 15 || step == 16 || step == 31 || step == 32) << step;
}

TEST(WaitForTick, APassedTargetStillProcessesPendingEventsOnce) {
  ClockModeGuard g(plat::ClockMode::Virtual);
  forms::Form owner;
  forms::Timer timer(owner);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.SetInterval(10);
  timer.SetEnabled(true);
  const std::uint32_t start = plat::TickCount();
  plat::AdvanceVirtualClockToTick(start + 20);  // the timer is now due
  const std::uint32_t before = plat::TickCount();
  Module1::WaitForTick(static_cast<std::int32_t>(start));
  EXPECT_EQ(plat::TickCount(), before);  // no time passed
  EXPECT_EQ(ticks, 1);
  timer.SetEnabled(false);
}

TEST(WaitForTick, RealClockWaitsUntilTheTarget) {
  const std::uint32_t start = win::GetTickCount();
  Module1::WaitForTick(static_cast<std::int32_t>(start + 40));
  EXPECT_GE(static_cast<std::int32_t>(win::GetTickCount() - (start + 40)), 0);
}

}  // namespace
