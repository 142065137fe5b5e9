// Windows of another program that a show can draw into (the window a
// screen-saver host gives its programs).
#pragma once

#include <cstdint>

namespace plat {

// The size in pixels of the window `id` of another program (an X window
// id). False when no such window exists, there is no display, or the
// platform has no such windows to offer.
bool HostWindowSize(std::uint64_t id, int* width, int* height);

// The window that a screen-saver host names for its programs in the
// environment, as the host wrote it (on X: $XSCREENSAVER_WINDOW, "0x400008");
// nullptr when it names none or the platform has no such hosts.
const char* HostWindowNamed();

}  // namespace plat
