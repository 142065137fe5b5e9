// The system's version and its password dialogs. The password entries live
// in modules that not every Windows has (mpr.dll's PwdChangePasswordA,
// password.cpl's VerifyScreenSavePwd on the 95/98/ME family), so they are
// looked up when needed.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include "seams.h"
#include <windows.h>
// clang-format on

namespace win {

namespace {

using PwdChangeFn = DWORD(WINAPI*)(LPCSTR, ::HWND, DWORD, DWORD);
using VerifyFn = BOOL(WINAPI*)(::HWND);

template <typename Fn>
Fn Resolve(const char* module, const char* entry) {
  HMODULE m = ::GetModuleHandleA(module);
  if (!m) m = ::LoadLibraryA(module);  // kept loaded for the rest of the run
  if (!m) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m, entry)));
}
}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  static_assert(sizeof(OSVERSIONINFOA) == sizeof(::OSVERSIONINFOA), "same layout as Windows'");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return ::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(info));
#pragma GCC diagnostic pop
}

DWORD PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, void* reserved2) {
  static const PwdChangeFn fn = Resolve<PwdChangeFn>("mpr.dll", "PwdChangePasswordA");
  if (!fn) return ERROR_NOT_SUPPORTED;
  return fn(provider, reinterpret_cast<::HWND>(owner), reserved1,
            static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(reserved2)));
}

BOOL VerifyScreenSavePwd(HWND owner, bool* available) {
  if (seams::verifyScreenSavePwd) {
    if (available) *available = true;
    return seams::verifyScreenSavePwd(owner);
  }
  static const VerifyFn fn = Resolve<VerifyFn>("password.cpl", "VerifyScreenSavePwd");
  if (!fn) {
    if (available) *available = false;
    return FALSE;
  }
  if (available) *available = true;
  return fn(reinterpret_cast<::HWND>(owner));
}

namespace seams {
BOOL (*verifyScreenSavePwd)(HWND) = nullptr;
}  // namespace seams

}  // namespace win
