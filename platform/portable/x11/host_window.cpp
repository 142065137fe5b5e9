// The size of a host program's window, read from the X server: the show
// needs it before any form exists.
#include "platform/host_window.h"

#include <cstdlib>

#include "x11/x11.h"

namespace plat {

bool HostWindowSize(std::uint64_t id, int* width, int* height) {
  if (id == 0 || id > 0xFFFFFFFFull) return false;
  return portable::x11::WindowSize(static_cast<unsigned long>(id), width, height);
}

const char* HostWindowNamed() { return std::getenv("XSCREENSAVER_WINDOW"); }

}  // namespace plat
