// The monitors of the desktop: Windows' own.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
// clang-format on

namespace win {

namespace {

static_assert(sizeof(MONITORINFO) == sizeof(::MONITORINFO), "same layout as Windows'");
static_assert(sizeof(RECT) == sizeof(::RECT), "same layout as Windows'");

struct Enumeration {
  MONITORENUMPROC proc;
  LPARAM data;
};

// Windows calls back in its own convention; ours is the language's.
BOOL CALLBACK Forward(::HMONITOR monitor, ::HDC dc, ::LPRECT rect, ::LPARAM data) {
  const auto* e = reinterpret_cast<const Enumeration*>(data);
  return e->proc(reinterpret_cast<HMONITOR>(monitor), reinterpret_cast<HDC>(dc),
                 reinterpret_cast<RECT*>(rect), e->data);
}

}  // namespace

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data) {
  if (!proc) return FALSE;
  Enumeration e{proc, data};
  return ::EnumDisplayMonitors(reinterpret_cast<::HDC>(dc), reinterpret_cast<const ::RECT*>(clip),
                               Forward, reinterpret_cast<::LPARAM>(&e));
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  return ::GetMonitorInfoA(reinterpret_cast<::HMONITOR>(monitor),
                           reinterpret_cast<::MONITORINFO*>(info));
}

}  // namespace win
