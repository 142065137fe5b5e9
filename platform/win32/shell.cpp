// Opening a document or an address: Windows' shell.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace win {

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, int show) {
  return reinterpret_cast<HINSTANCE>(
      ::ShellExecuteA(reinterpret_cast<::HWND>(owner), verb, file, params, dir, show));
}

}  // namespace win
