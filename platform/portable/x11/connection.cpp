// The one X connection of our own and the one place where the errors the
// server sends back are read.
#include "x11/connection.h"

#include <xcb/shm.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "forms_side.h"
#include "x11/x11.h"

namespace portable::x11 {

namespace {

struct Server {
  bool tried = false;
  xcb_connection_t* c = nullptr;
  const xcb_screen_t* screen = nullptr;
  bool shm = false;
  std::size_t maxRequestBytes = 0;
  // Other programs' windows whose size changes we are told of.
  std::vector<xcb_window_t> watched;
};

Server& S() {
  static Server* s = new Server;  // lives to the end: surfaces outlive statics
  return *s;
}

void Open(Server& s) {
  // The forms' display once they run, else $DISPLAY.
  const char* name = Forms() ? Forms()->XDisplayName() : nullptr;
  int screenNumber = 0;
  s.c = xcb_connect(name, &screenNumber);
  if (xcb_connection_has_error(s.c)) {
    xcb_disconnect(s.c);
    s.c = nullptr;
    return;
  }
  const xcb_setup_t* setup = xcb_get_setup(s.c);
  auto it = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
  s.screen = it.rem ? it.data : nullptr;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(s.c, &xcb_shm_id);
  if (ext && ext->present) {
    xcb_shm_query_version_reply_t* v =
        xcb_shm_query_version_reply(s.c, xcb_shm_query_version(s.c), nullptr);
    s.shm = v != nullptr;
    std::free(v);
  }
  s.maxRequestBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(s.c)) * 4;
}

const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
  for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens)) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
         xcb_depth_next(&depths)) {
      for (auto v = xcb_depth_visuals_iterator(depths.data); v.rem; xcb_visualtype_next(&v))
        if (v.data->visual_id == id) return v.data;
    }
  }
  return nullptr;
}

}  // namespace

xcb_connection_t* Connection() {
  // Forms that are not on X (the offscreen platform of tests) have no
  // server, whatever $DISPLAY says.
  if (Forms() && !Forms()->XDisplayName()) return nullptr;
  Server& s = S();
  if (!s.tried) {
    s.tried = true;
    Open(s);
  }
  if (s.c && xcb_connection_has_error(s.c)) return nullptr;
  return s.c;
}

const xcb_screen_t* DefaultScreen() { return Connection() ? S().screen : nullptr; }

bool HasSharedMemory() { return Connection() && S().shm; }

std::size_t MaxRequestBytes() { return Connection() ? S().maxRequestBytes : 0; }

bool QueryWindow(unsigned long xid, WindowInfo* info) {
  xcb_connection_t* c = Connection();
  if (!c || xid == 0 || xid > 0xFFFFFFFFul) return false;
  const auto window = static_cast<xcb_window_t>(xid);
  // Errors come back in place of the replies.
  xcb_generic_error_t* e1 = nullptr;
  xcb_generic_error_t* e2 = nullptr;
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), &e1);
  xcb_get_window_attributes_reply_t* a =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &e2);
  const bool ok = g && a && g->width > 0 && g->height > 0;
  if (ok) {
    info->width = g->width;
    info->height = g->height;
    info->depth = g->depth;
    info->visual = FindVisual(xcb_get_setup(c), a->visual);
  }
  std::free(g);
  std::free(a);
  std::free(e1);
  std::free(e2);
  return ok;
}

int BitsPerPixel(std::uint8_t depth) {
  xcb_connection_t* c = Connection();
  if (!c) return 0;
  for (auto f = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c)); f.rem; xcb_format_next(&f))
    if (f.data->depth == depth) return f.data->scanline_pad == 32 ? f.data->bits_per_pixel : 0;
  return 0;
}

namespace {

// Passes on what came back: errors are dropped, the size changes of watched
// windows go to the forms side.
template <typename Next>
void Drain(xcb_connection_t* c, Next next) {
  bool resized = false;
  while (xcb_generic_event_t* e = next(c)) {
    if ((e->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY) {
      const auto* n = reinterpret_cast<const xcb_configure_notify_event_t*>(e);
      const auto& w = S().watched;
      resized |= std::find(w.begin(), w.end(), n->window) != w.end();
    }
    std::free(e);
  }
  if (resized && Forms()) Forms()->WatchedWindowResized();
}

}  // namespace

void Flush() {
  xcb_connection_t* c = Connection();
  if (!c) return;
  // Writing reads too whatever the server has sent by then, so what came
  // back is taken from what was read: no read of its own each frame.
  xcb_flush(c);
  Drain(c, xcb_poll_for_queued_event);
}

void Read() {
  if (xcb_connection_t* c = Connection()) Drain(c, xcb_poll_for_event);
}

int WatchWindowSize(unsigned long xid) {
  xcb_connection_t* c = Connection();
  if (!c || xid == 0 || xid > 0xFFFFFFFFul) return -1;
  const auto window = static_cast<xcb_window_t>(xid);
  // Each client has its own event mask on a window: the owner's stays as
  // it is.
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
  auto& w = S().watched;
  if (std::find(w.begin(), w.end(), window) == w.end()) w.push_back(window);
  xcb_flush(c);
  return xcb_get_file_descriptor(c);
}

bool WindowSize(unsigned long xid, int* width, int* height) {
  WindowInfo info;
  if (!QueryWindow(xid, &info)) return false;
  if (width) *width = info.width;
  if (height) *height = info.height;
  return true;
}

namespace {

// The value of `Xft.dpi` in resource-database text ("name:\tvalue" lines, as
// xrdb writes them); 0 when it is missing or not a sensible number.
int XftDpiIn(const std::string& db) {
  std::size_t at = 0;
  while (at < db.size()) {
    std::size_t end = db.find('\n', at);
    if (end == std::string::npos) end = db.size();
    std::string line = db.substr(at, end - at);
    at = end + 1;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    const auto notBlank = [](const std::string& s) { return s.find_first_not_of(" \t"); };
    const std::size_t first = notBlank(name);
    if (first == std::string::npos) continue;
    name = name.substr(first, name.find_last_not_of(" \t") + 1 - first);
    if (name != "Xft.dpi") continue;
    const char* value = line.c_str() + colon + 1;
    char* rest = nullptr;
    const double dpi = std::strtod(value, &rest);
    if (rest == value || !(dpi >= 24 && dpi <= 1440)) return 0;
    return static_cast<int>(dpi + 0.5);
  }
  return 0;
}

}  // namespace

int ScreenDpi() {
  static int dpi = -1;
  if (dpi >= 0) return dpi;
  xcb_connection_t* c = Connection();
  const xcb_screen_t* screen = DefaultScreen();
  if (!c || !screen) return dpi = 0;
  dpi = 96;
  // The root window's RESOURCE_MANAGER holds the database; ask for up to 4 MB.
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c,
      xcb_get_property(c, 0, screen->root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1u << 20),
      nullptr);
  if (r && r->format == 8) {
    const auto* text = static_cast<const char*>(xcb_get_property_value(r));
    const int len = xcb_get_property_value_length(r);
    if (const int xft = XftDpiIn(std::string(text, static_cast<std::size_t>(len)))) dpi = xft;
  }
  std::free(r);
  return dpi;
}

bool ScreenSize(int* width, int* height) {
  const xcb_screen_t* screen = DefaultScreen();
  if (!screen) return false;
  *width = screen->width_in_pixels;
  *height = screen->height_in_pixels;
  return true;
}

}  // namespace portable::x11
