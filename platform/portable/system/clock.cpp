// The system's clocks on Linux. The tick counts time since boot in the steps
// of the Windows counter (15.625 ms), so the show paces as on Windows.
#include <time.h>

#include <algorithm>

#include "platform/process.h"
#include "platform/winapi.h"
#include "process_internal.h"

namespace plat::native {

namespace {
std::int64_t Micros(clockid_t id) {
  timespec ts{};
  ::clock_gettime(id, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}
}  // namespace

std::int64_t RealStep() { return Micros(CLOCK_BOOTTIME) / kTickStepMicros; }

std::int64_t RealMillisUntilTick(std::uint32_t target) {
  // To the step that reaches the target: a wait of the bare difference
  // would wake up two or three times in one step of 15.625 ms.
  const std::int64_t us = Micros(CLOCK_BOOTTIME);
  const std::int64_t step = us / kTickStepMicros;
  if (TickReached(TickOfStep(step), target)) return 0;
  return (StepReaching(step, target) * kTickStepMicros - us + 999) / 1000;
}

double RealTimeOfDay() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  const time_t secs = ts.tv_sec;
  ::localtime_r(&secs, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(ts.tv_nsec) / 1e9;
}

std::int64_t RealMillis() { return Micros(CLOCK_MONOTONIC) / 1000; }

}  // namespace plat::native

namespace win {
DWORD GetTickCount() { return plat::TickCount(); }
}  // namespace win
