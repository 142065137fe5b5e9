// Settings files: Windows' own profile functions.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
// clang-format on

namespace win {

DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR def, LPSTR out, DWORD size,
                               LPCSTR file) {
  return ::GetPrivateProfileStringA(app, key, def, out, size, file);
}

BOOL WritePrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR value, LPCSTR file) {
  return ::WritePrivateProfileStringA(app, key, value, file);
}

}  // namespace win
