// There is no registry on Linux: every open fails, as for a missing key.
#include "platform/winapi.h"

namespace win {

namespace {
constexpr LONG kErrorInvalidHandle = 6;
}

LSTATUS RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, HKEY* out) {
  if (out) *out = nullptr;
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegQueryValueExA(HKEY, LPCSTR, DWORD*, DWORD*, BYTE*, DWORD*) {
  return kErrorInvalidHandle;
}

LSTATUS RegCloseKey(HKEY) { return kErrorInvalidHandle; }

}  // namespace win
