// The system's version and its password dialogs on Linux: the NT family,
// where the system itself guards the desktop, and no password dialogs.
#include <cstring>

#include "platform/winapi.h"

namespace win {

namespace {
VerifyScreenSavePwdFn g_verifyForTest = nullptr;
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
  if (g_verifyForTest) {
    if (available) *available = true;
    return g_verifyForTest(owner);
  }
  if (available) *available = false;
  return FALSE;
}

void SetVerifyScreenSavePwdForTest(VerifyScreenSavePwdFn fn) { g_verifyForTest = fn; }

}  // namespace win
