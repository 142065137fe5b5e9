// The Windows calls that the programs make, by their Windows names.
//
// Program code never includes <windows.h>: it calls these. The win32 build
// forwards each one to Windows itself; the portable build stands in for it
// (a software GDI, profile files, no registry). Handles are opaque pointer
// types of our own so that program code compiles the same on both.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using COLORREF = DWORD;
using LPCSTR = const char*;
using LPSTR = char*;
using REGSAM = DWORD;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HWND__;
using HWND = HWND__*;
struct HKEY__;
using HKEY = HKEY__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HGDIOBJ = void*;
using HANDLE = void*;

// A window handle from a 32-bit value, as Windows passes them on command
// lines: sign-extended to the pointer width.
inline HWND HwndFromLong(std::int32_t v) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(v));
}
inline std::int32_t LongFromHwnd(HWND h) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h));
}

// ---- GDI ------------------------------------------------------------------

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr DWORD BLACKNESS = 0x00000042;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x10;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Same layout as Windows' BITMAP (24 bytes on 32-bit, 32 on 64-bit).
struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

HWND GetDesktopWindow();
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HDC CreateCompatibleDC(HDC hdc);
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
// Frees bitmaps and, as the toolkit relies on, memory DCs too.
BOOL DeleteObject(HGDIOBJ obj);
BOOL DeleteDC(HDC hdc);
int GetObjectA(HGDIOBJ obj, int size, void* out);
COLORREF SetBkColor(HDC hdc, COLORREF c);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF c);
COLORREF GetTextColor(HDC hdc);
HANDLE LoadImageA(HINSTANCE inst, LPCSTR name, UINT type, int cx, int cy, UINT flags);
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c);
// The colour depth and the screen's dots per inch (the desktop's scale).
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
int GetDeviceCaps(HDC hdc, int index);

// ---- windows and the desktop ------------------------------------------------

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline HWND HWND_TOP() { return nullptr; }
inline HWND HWND_TOPMOST() { return HwndFromLong(-1); }
inline HWND HWND_NOTOPMOST() { return HwndFromLong(-2); }

constexpr UINT SPI_SETSCREENSAVERRUNNING = 97;

int ShowCursor(BOOL show);
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);
HWND FindWindowA(LPCSTR cls, LPCSTR name);
BOOL IsWindowVisible(HWND hwnd);
BOOL SystemParametersInfoA(UINT action, UINT param, void* pv, UINT winIni);

// ---- monitors ---------------------------------------------------------------------

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
struct HMONITOR__;
using HMONITOR = HMONITOR__*;
using LPARAM = std::intptr_t;
// Same layout as Windows' MONITORINFO.
struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;  // pixels of the virtual screen
  RECT rcWork;
  DWORD dwFlags;
};
constexpr DWORD MONITORINFOF_PRIMARY = 1;
// Called once per monitor; returning FALSE stops the enumeration. (Windows
// calls its own convention's callback; the win32 side passes this one on.)
using MONITORENUMPROC = BOOL (*)(HMONITOR monitor, HDC dc, RECT* rect, LPARAM data);
// Every monitor of the desktop (dc and clip null only). Portable: the X
// server's RandR monitors where it has them, else its Xinerama heads, else
// the whole screen; nothing without an X server.
BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);

// ---- kernel32 -----------------------------------------------------------------

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

BOOL GetVersionExA(OSVERSIONINFOA* info);
DWORD GetPrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR def, LPSTR out, DWORD size,
                               LPCSTR file);
BOOL WritePrivateProfileStringA(LPCSTR app, LPCSTR key, LPCSTR value, LPCSTR file);
// Files, as far as finding a settings file's place needs them. Portable:
// the access, share, disposition and flag values below; the handle only
// closes.
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1, FILE_SHARE_WRITE = 0x2, FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
inline HANDLE INVALID_HANDLE_VALUE() {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD flags, HANDLE templ);
BOOL CloseHandle(HANDLE h);
// Copies a file's bytes; with failIfExists an existing target is left alone
// and the call fails.
BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists);
BOOL CreateDirectoryA(LPCSTR path, void* security);
// Portable: read-only is "nobody has the right to write".
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);
// The millisecond tick; follows the platform clock (see platform/process.h),
// so tests and -virtual-clock runs control it.
DWORD GetTickCount();

// ---- advapi32 -------------------------------------------------------------------

using LSTATUS = LONG;
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline HKEY HkeyFromLong(std::int32_t v) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(v));
}
inline HKEY HKEY_CURRENT_USER() { return HkeyFromLong(static_cast<std::int32_t>(0x80000001u)); }

LSTATUS RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM sam, HKEY* out);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* cb);
LSTATUS RegCloseKey(HKEY key);

// ---- password dialogs -------------------------------------------------------------

// mpr.dll, resolved at run time; portable: reports failure (non-zero).
DWORD PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, void* reserved2);
// password.cpl, resolved at run time. Returns the dialog's result, or
// sets *available to false (when given) and returns 0 where the module or its
// entry cannot be loaded.
BOOL VerifyScreenSavePwd(HWND owner, bool* available = nullptr);

// ---- network and shell ----------------------------------------------------------------

BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved);
// The user's own folders: CSIDL_APPDATA only (portable: $XDG_CONFIG_HOME,
// else ~/.config). With CSIDL_FLAG_CREATE the folder is made when missing.
using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr int MAX_PATH = 260;
HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path);
constexpr int SW_SHOWNORMAL = 1;
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, int show);

}  // namespace win
