// The GDI calls: Windows' own, with one difference the toolkit relies on:
// DeleteObject frees memory DCs too.
// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, ...) that would
// clash with the names of winapi.h.
#include "platform/winapi.h"
#include <windows.h>
// clang-format on

namespace win {

namespace {
::HDC D(HDC h) { return reinterpret_cast<::HDC>(h); }
}  // namespace

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(::GetDesktopWindow()); }

HDC GetDC(HWND hwnd) { return reinterpret_cast<HDC>(::GetDC(reinterpret_cast<::HWND>(hwnd))); }

int ReleaseDC(HWND hwnd, HDC hdc) { return ::ReleaseDC(reinterpret_cast<::HWND>(hwnd), D(hdc)); }

HDC CreateCompatibleDC(HDC hdc) { return reinterpret_cast<HDC>(::CreateCompatibleDC(D(hdc))); }

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  return reinterpret_cast<HBITMAP>(::CreateCompatibleBitmap(D(hdc), cx, cy));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  return ::SelectObject(D(hdc), static_cast<::HGDIOBJ>(obj));
}

BOOL DeleteObject(HGDIOBJ obj) {
  // Windows' DeleteObject leaves DCs alone (and fails), but the toolkit frees
  // its memory DCs with it as it does bitmaps: a DC goes to DeleteDC.
  const DWORD type = ::GetObjectType(static_cast<::HGDIOBJ>(obj));
  if (type == OBJ_MEMDC || type == OBJ_DC) return ::DeleteDC(static_cast<::HDC>(obj));
  return ::DeleteObject(static_cast<::HGDIOBJ>(obj));
}

BOOL DeleteDC(HDC hdc) { return ::DeleteDC(D(hdc)); }

int GetObjectA(HGDIOBJ obj, int size, void* out) {
  static_assert(sizeof(BITMAP) == sizeof(::BITMAP), "BITMAP layout");
  return ::GetObjectA(static_cast<::HGDIOBJ>(obj), size, out);
}

COLORREF SetBkColor(HDC hdc, COLORREF c) { return ::SetBkColor(D(hdc), c); }
COLORREF GetBkColor(HDC hdc) { return ::GetBkColor(D(hdc)); }
COLORREF SetTextColor(HDC hdc, COLORREF c) { return ::SetTextColor(D(hdc), c); }
COLORREF GetTextColor(HDC hdc) { return ::GetTextColor(D(hdc)); }

HANDLE LoadImageA(HINSTANCE inst, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  return ::LoadImageA(reinterpret_cast<::HINSTANCE>(inst), name, type, cx, cy, flags);
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  return ::BitBlt(D(dst), x, y, cx, cy, D(src), x1, y1, rop);
}

COLORREF GetPixel(HDC hdc, int x, int y) { return ::GetPixel(D(hdc), x, y); }
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) { return ::SetPixel(D(hdc), x, y, c); }

int GetDeviceCaps(HDC hdc, int index) { return ::GetDeviceCaps(D(hdc), index); }

}  // namespace win
