// Inside x11/: the one connection, what the server offers, and the one place
// where errors the server sends back are read.
#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>

namespace portable::x11 {

// Null when there is no X server to reach (or the forms are not on X, or
// the connection was lost).
xcb_connection_t* Connection();
// The screen the connection opened on.
const xcb_screen_t* DefaultScreen();
// Whether the server can read pictures from shared memory (MIT-SHM).
bool HasSharedMemory();
// The largest request the server takes, in bytes.
std::size_t MaxRequestBytes();

// A window's geometry and visual, asked with replies: a window that does
// not exist (or not yet: a request to make it may be on its way) gives
// false and no error anywhere.
struct WindowInfo {
  int width = 0;
  int height = 0;
  std::uint8_t depth = 0;
  const xcb_visualtype_t* visual = nullptr;  // null when the server names none
};
bool QueryWindow(unsigned long xid, WindowInfo* info);

// The bits per pixel of the server's pictures of `depth` (0: none), with
// rows padded to 32 bits.
int BitsPerPixel(std::uint8_t depth);

// Sends what was asked; errors that came back for requests nobody waits on
// (a window that went away under us) are dropped here and in Read, and
// only there, and the size changes of watched windows are passed on.
void Flush();
// Reads what the server sent (the connection is readable): the same.
void Read();

}  // namespace portable::x11
