// Whether the computer is online: wininet's answer.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
#include <wininet.h>
// clang-format on

namespace win {

BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved) {
  ::DWORD f = 0;
  const BOOL r = ::InternetGetConnectedState(&f, reserved);
  if (flags) *flags = f;
  return r;
}

}  // namespace win
