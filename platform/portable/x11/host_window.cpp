// The size of a host program's window, read from the X server on a
// connection of our own: the show needs it before any form exists.
#include "platform/host_window.h"

#include "gdi/surface.h"

// Xlib last: its macros clash with other names.
#include <X11/Xlib.h>

namespace plat {

namespace {

int g_xerror = 0;
int NoteError(Display*, XErrorEvent* e) {
  g_xerror = e->error_code;
  return 0;
}

}  // namespace

bool HostWindowSize(std::uint64_t id, int* width, int* height) {
  if (id == 0 || id > 0xFFFFFFFFull) return false;
  Display* d = XOpenDisplay(portable::XDisplayName());
  if (!d) return false;
  // A window id that names nothing must not end the program.
  g_xerror = 0;
  XErrorHandler old = XSetErrorHandler(NoteError);
  XWindowAttributes attr{};
  const Status ok = XGetWindowAttributes(d, static_cast<Window>(id), &attr);
  XSync(d, False);
  XSetErrorHandler(old);
  XCloseDisplay(d);
  if (!ok || g_xerror != 0 || attr.width <= 0 || attr.height <= 0) return false;
  if (width) *width = attr.width;
  if (height) *height = attr.height;
  return true;
}

}  // namespace plat
