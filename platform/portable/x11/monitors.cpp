// The monitors of the desktop on Linux, as the X server tells them: its
// RandR monitors (RandR 1.5) where it has them, else its Xinerama heads,
// else the whole screen as one monitor.
#include <xcb/randr.h>
#include <xcb/xinerama.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/winapi.h"
#include "x11/connection.h"

namespace {

struct Monitor {
  win::RECT rect;
  bool primary;
};

// Those of the last enumeration: a monitor handle is its place here plus 1.
std::vector<Monitor>& Known() {
  static auto* known = new std::vector<Monitor>;
  return *known;
}

win::RECT RectOf(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

bool Present(xcb_connection_t* c, xcb_extension_t* ext) {
  const xcb_query_extension_reply_t* r = xcb_get_extension_data(c, ext);
  return r && r->present;
}

std::vector<Monitor> RandrMonitors(xcb_connection_t* c, xcb_window_t root) {
  std::vector<Monitor> out;
  if (!Present(c, &xcb_randr_id)) return out;
  xcb_generic_error_t* e = nullptr;
  xcb_randr_query_version_reply_t* v =
      xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), &e);
  const bool monitors = v && (v->major_version > 1 || v->minor_version >= 5);
  std::free(v);
  std::free(e);
  if (!monitors) return out;
  e = nullptr;
  xcb_randr_get_monitors_reply_t* r =
      xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, 1), &e);
  std::free(e);
  if (!r) return out;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(r); it.rem;
       xcb_randr_monitor_info_next(&it)) {
    const xcb_randr_monitor_info_t* m = it.data;
    if (m->width > 0 && m->height > 0)
      out.push_back({RectOf(m->x, m->y, m->width, m->height), m->primary != 0});
  }
  std::free(r);
  return out;
}

std::vector<Monitor> XineramaHeads(xcb_connection_t* c) {
  std::vector<Monitor> out;
  if (!Present(c, &xcb_xinerama_id)) return out;
  xcb_generic_error_t* e = nullptr;
  xcb_xinerama_is_active_reply_t* active =
      xcb_xinerama_is_active_reply(c, xcb_xinerama_is_active(c), &e);
  const bool on = active && active->state;
  std::free(active);
  std::free(e);
  if (!on) return out;
  e = nullptr;
  xcb_xinerama_query_screens_reply_t* r =
      xcb_xinerama_query_screens_reply(c, xcb_xinerama_query_screens(c), &e);
  std::free(e);
  if (!r) return out;
  const xcb_xinerama_screen_info_t* heads = xcb_xinerama_query_screens_screen_info(r);
  const int n = xcb_xinerama_query_screens_screen_info_length(r);
  // Xinerama names no primary head: the first one is.
  for (int i = 0; i < n; ++i)
    if (heads[i].width > 0 && heads[i].height > 0)
      out.push_back(
          {RectOf(heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height), out.empty()});
  std::free(r);
  return out;
}

}  // namespace

namespace win {

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC proc, LPARAM data) {
  if (dc || clip || !proc) return FALSE;
  xcb_connection_t* c = portable::x11::Connection();
  const xcb_screen_t* screen = portable::x11::DefaultScreen();
  if (!c || !screen) return FALSE;
  std::vector<Monitor> found = RandrMonitors(c, screen->root);
  if (found.empty()) found = XineramaHeads(c);
  if (found.empty())
    found.push_back({RectOf(0, 0, screen->width_in_pixels, screen->height_in_pixels), true});
  bool primary = false;
  for (const Monitor& m : found) primary = primary || m.primary;
  if (!primary) found.front().primary = true;
  Known() = found;
  for (std::size_t i = 0; i < found.size(); ++i) {
    RECT r = found[i].rect;
    if (!proc(reinterpret_cast<HMONITOR>(i + 1), nullptr, &r, data)) break;
  }
  return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  const auto i = reinterpret_cast<std::uintptr_t>(monitor);
  if (!info || info->cbSize < sizeof(MONITORINFO) || i == 0 || i > Known().size()) return FALSE;
  const Monitor& m = Known()[i - 1];
  info->rcMonitor = m.rect;
  info->rcWork = m.rect;
  info->dwFlags = m.primary ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

}  // namespace win
