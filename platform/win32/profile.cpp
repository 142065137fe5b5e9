// Settings files and their places: Windows' own profile, file and folder
// functions.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
#include <shlobj.h>
// clang-format on

namespace win {

DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR def, LPSTR out, DWORD size,
                               LPCSTR file) {
  return ::GetPrivateProfileStringA(app, key, def, out, size, file);
}

BOOL WritePrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR value, LPCSTR file) {
  return ::WritePrivateProfileStringA(app, key, value, file);
}

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

DWORD GetFileAttributesA(LPCSTR path) { return ::GetFileAttributesA(path); }

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  return ::SetFileAttributesA(path, attributes);
}

HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path) {
  return ::SHGetFolderPathA(reinterpret_cast<::HWND>(owner), csidl, token, flags, path);
}

}  // namespace win
