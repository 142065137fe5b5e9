// The desktop calls: Windows' own.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
// clang-format on

namespace win {

int ShowCursor(BOOL show) { return ::ShowCursor(show); }

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(reinterpret_cast<::HWND>(hwnd), reinterpret_cast<::HWND>(after), x, y, cx,
                        cy, flags);
}

HWND FindWindowA(LPCSTR cls, LPCSTR name) {
  return reinterpret_cast<HWND>(::FindWindowA(cls, name));
}

BOOL IsWindowVisible(HWND hwnd) { return ::IsWindowVisible(reinterpret_cast<::HWND>(hwnd)); }

BOOL SystemParametersInfoA(UINT action, UINT param, void* pv, UINT winIni) {
  return ::SystemParametersInfoA(action, param, pv, winIni);
}

}  // namespace win
