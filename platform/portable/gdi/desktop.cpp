// The desktop calls on Linux: the cursor's display count, and the z-order
// and visibility of our own windows. There is no taskbar to find, and no
// system flag for a running screen saver.
#include "forms_side.h"
#include "gdi/surface.h"
#include "platform/winapi.h"

namespace {
int g_cursorCount = 0;
portable::FormsSide* g_forms = nullptr;
}  // namespace

namespace portable {

void RegisterFormsSide(FormsSide* side) { g_forms = side; }
FormsSide* Forms() { return g_forms; }
bool CursorHidden() { return g_cursorCount < 0; }

}  // namespace portable

namespace win {

int ShowCursor(BOOL show) {
  g_cursorCount += show ? 1 : -1;
  if (portable::Forms()) portable::Forms()->ApplyCursorHidden(g_cursorCount < 0);
  return g_cursorCount;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int, int, int, int, UINT flags) {
  portable::WindowSink* sink = hwnd ? portable::SinkOf(hwnd) : nullptr;
  if (!sink) return FALSE;
  if (after == HWND_TOPMOST()) sink->SetTopmost(true);
  if (after == HWND_NOTOPMOST()) sink->SetTopmost(false);
  if (flags & SWP_SHOWWINDOW) sink->SetShown(true);
  if (flags & SWP_HIDEWINDOW) sink->SetShown(false);
  return TRUE;
}

HWND FindWindowA(LPCSTR cls, LPCSTR name) {
  if (!cls) return nullptr;
  return portable::FindOurWindow(cls, name);
}

BOOL IsWindowVisible(HWND hwnd) {
  portable::WindowSink* sink = hwnd ? portable::SinkOf(hwnd) : nullptr;
  return sink && sink->IsShown() ? TRUE : FALSE;
}

BOOL SystemParametersInfoA(UINT, UINT, void*, UINT) { return TRUE; }

}  // namespace win
