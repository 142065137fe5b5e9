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

std::uint32_t RealTickCount() { return ::GetTickCount(); }

// The counter and the waits move with the same clock interrupt: a wait of
// the difference ends at the step that reaches it.
std::int64_t RealMillisUntilTick(std::uint32_t target) {
  const std::uint32_t now = ::GetTickCount();
  if (static_cast<std::int32_t>(now - target) >= 0) return 0;
  return static_cast<std::int64_t>(target - now);
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
