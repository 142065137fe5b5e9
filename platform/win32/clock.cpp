// The system's clocks on Windows, and GetTickCount, which follows the
// platform clock's mode.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/process.h"
#include "platform/winapi.h"
#include "process_internal.h"
#include <windows.h>
// clang-format on

namespace plat::native {

namespace {
// Windows' counter moves with the clock interrupt, in steps of 15.625 ms;
// the show's pace rests on it. Where the system's counter moves finer
// (Wine's moves every millisecond), it is brought to the step it is in, so
// the show keeps the same pace; values already on a step are left as they
// are.
std::int64_t StepOf(std::uint32_t ms) { return (std::int64_t{ms} + 1) * 1000 / kTickStepMicros; }
}  // namespace

std::int64_t RealStep() { return StepOf(::GetTickCount()); }

// The wait ends where the system's counter reaches the step that reaches
// the target.
std::int64_t RealMillisUntilTick(std::uint32_t target) {
  const std::uint32_t raw = ::GetTickCount();
  const std::int64_t step = StepOf(raw);
  if (TickReached(TickOfStep(step), target)) return 0;
  return static_cast<std::uint32_t>(TickOfStep(StepReaching(step, target)) - raw);
}

double RealTimeOfDay() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

std::int64_t RealMillis() {
  static const LONGLONG freq = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1000;
  }();
  LARGE_INTEGER c{};
  ::QueryPerformanceCounter(&c);
  return static_cast<std::int64_t>(c.QuadPart / freq * 1000 + c.QuadPart % freq * 1000 / freq);
}

}  // namespace plat::native

namespace win {
DWORD GetTickCount() { return plat::TickCount(); }
}  // namespace win
