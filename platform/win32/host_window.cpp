// Windows starts a screen saver's preview with a window handle of its own
// ("/P"); there is no other program's window to draw a show into.
#include "platform/host_window.h"

namespace plat {

bool HostWindowSize(std::uint64_t id, int* width, int* height) {
  (void)id;
  (void)width;
  (void)height;
  return false;
}

const char* HostWindowNamed() { return nullptr; }

}  // namespace plat
