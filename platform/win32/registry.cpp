// Registry reads: Windows' own.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
// clang-format on

namespace win {

LSTATUS RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM sam, HKEY* out) {
  ::HKEY k = nullptr;
  const LSTATUS r = ::RegOpenKeyExA(reinterpret_cast<::HKEY>(root), subkey, options, sam, &k);
  if (out) *out = reinterpret_cast<HKEY>(r == ERROR_SUCCESS ? k : nullptr);
  return r;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* cb) {
  return ::RegQueryValueExA(reinterpret_cast<::HKEY>(key), name,
                            reinterpret_cast<LPDWORD>(reserved), reinterpret_cast<LPDWORD>(type),
                            data, reinterpret_cast<LPDWORD>(cb));
}

LSTATUS RegCloseKey(HKEY key) { return ::RegCloseKey(reinterpret_cast<::HKEY>(key)); }

}  // namespace win
