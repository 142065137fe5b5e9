// Timers on the platform clock, waits that block without spinning, message
// boxes seen through the test hook.
#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

#include "forms/forms_fixture.h"
#include "platform/testing.h"

namespace {

using formstest::FormsTest;
using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class Ticker : public forms::Form {
 public:
  forms::Timer timer{*this};
  forms::Timer other{*this};
  int ticks = 0;
  int otherTicks = 0;
  Ticker() {
    SetClientSize(1500, 1500);
    timer.OnTimer = [this] { ++ticks; };
    other.OnTimer = [this] { ++otherTicks; };
  }
};

TEST_F(FormsTest, RealTimerWakesAWaitAndFiresThroughIt) {
  Ticker t;
  t.Load();
  t.timer.SetInterval(40);
  t.timer.SetEnabled(true);
  const auto start = Clock::now();
  // The wait's own time-out is far away: only the timer can end it early.
  while (t.ticks == 0 && MsSince(start) < 3000) forms::WaitForEvents(2000);
  const std::int64_t elapsed = MsSince(start);
  EXPECT_EQ(t.ticks, 1);
  EXPECT_GE(elapsed, 25);  // not before it was due (allowing the counter's steps)
  EXPECT_LT(elapsed, 1500);
  t.timer.SetEnabled(false);
  t.Unload();
}

TEST_F(FormsTest, ManualClockTimersFireOnlyWhenDue) {
  plat::SetClockMode(plat::ClockMode::Manual);
  Ticker t;
  // The ticks so far once the clock stands at `ms` and events are served.
  const auto ticksAt = [&t](std::int64_t ms) {
    plat::SetManualClock(ms, 0);
    forms::DoEvents();
    return t.ticks;
  };
  plat::SetManualClock(1000, 0);
  t.Load();
  t.timer.SetInterval(100);
  t.timer.SetEnabled(true);  // due at 1100
  t.other.SetInterval(250);
  t.other.SetEnabled(true);  // due at 1250
  EXPECT_EQ(ticksAt(1000), 0);
  EXPECT_EQ(ticksAt(1099), 0);
  EXPECT_EQ(ticksAt(1100), 1);
  EXPECT_EQ(ticksAt(1100), 1);  // once per due time, not once per call
  EXPECT_EQ(t.otherTicks, 0);
  // The next tick counts from the one that fired.
  EXPECT_EQ(ticksAt(1199), 1);
  EXPECT_EQ(ticksAt(1260), 2);
  EXPECT_EQ(t.otherTicks, 1);
  // Disabled timers never fire; enabling again counts from now.
  t.timer.SetEnabled(false);
  EXPECT_EQ(ticksAt(5000), 2);
  t.timer.SetEnabled(true);
  EXPECT_EQ(ticksAt(5099), 2);
  EXPECT_EQ(ticksAt(5100), 3);
  t.Unload();
}

TEST_F(FormsTest, TimerExceptionComesOutOfDoEventsAndTheTimerGoesOn) {
  plat::SetClockMode(plat::ClockMode::Manual);
  plat::SetManualClock(0, 0);
  Ticker t;
  t.timer.OnTimer = [&t] {
    ++t.ticks;
    if (t.ticks == 1) throw std::runtime_error("first tick");
  };
  t.Load();
  t.timer.SetInterval(10);
  t.timer.SetEnabled(true);
  plat::SetManualClock(10, 0);
  EXPECT_THROW(forms::DoEvents(), std::runtime_error);
  plat::SetManualClock(20, 0);
  EXPECT_NO_THROW(forms::DoEvents());
  EXPECT_EQ(t.ticks, 2);
  t.Unload();
}

}  // namespace
