// The system's version and its password dialogs on Linux: the NT family,
// where the system itself guards the desktop, and no password dialogs.
#include <cstring>

#include "platform/winapi.h"
#include "seams.h"

namespace win {

namespace {
constexpr DWORD kErrorNotSupported = 50;
}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 1;
  info->dwBuildNumber = 7601;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return TRUE;
}

DWORD PwdChangePasswordA(LPCSTR, HWND, DWORD, void*) { return kErrorNotSupported; }

BOOL VerifyScreenSavePwd(HWND owner, bool* available) {
  if (seams::verifyScreenSavePwd) {
    if (available) *available = true;
    return seams::verifyScreenSavePwd(owner);
  }
  if (available) *available = false;
  return FALSE;
}

namespace seams {
BOOL (*verifyScreenSavePwd)(HWND) = nullptr;
}  // namespace seams

}  // namespace win
