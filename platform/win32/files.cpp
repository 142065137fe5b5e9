// The file and folder calls that find a settings file's place: Windows' own.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
#include <shlobj.h>
// clang-format on

namespace win {

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD flags, HANDLE templ) {
  return ::CreateFileA(name, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security),
                       disposition, flags, templ);
}

BOOL CloseHandle(HANDLE h) { return ::CloseHandle(h); }

BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
  return ::CopyFileA(existing, target, failIfExists);
}

BOOL CreateDirectoryA(LPCSTR path, void* security) {
  return ::CreateDirectoryA(path, static_cast<LPSECURITY_ATTRIBUTES>(security));
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  return ::SetFileAttributesA(path, attributes);
}

HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path) {
  return ::SHGetFolderPathA(reinterpret_cast<::HWND>(owner), csidl, token, flags, path);
}

}  // namespace win
