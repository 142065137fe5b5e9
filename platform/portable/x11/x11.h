// What the rest of the Linux platform asks of the X server, on the one
// connection of our own (the forms toolkit keeps its own for its windows and
// events). Made on first use on the display the forms are on, or $DISPLAY
// before any form exists. A window id that names nothing is an answer here,
// never the end of the program.
#pragma once

namespace portable::x11 {

// The size of the X window `xid`; false when there is no display or the
// window does not exist.
bool WindowSize(unsigned long xid, int* width, int* height);

// Has the server tell us when the X window `xid` (another program's) changes
// size: the forms side's WatchedWindowResized() is called once the news has
// been read, which present::Flush does (call it when the returned socket is
// readable). Returns the connection's socket; -1 when there is no display.
int WatchWindowSize(unsigned long xid);

// The size of the default screen; false when there is no display.
bool ScreenSize(int* width, int* height);

// The desktop's scale in dots per inch: `Xft.dpi` of the server's resource
// database, as desktops set it for high-density screens; 96 without it, 0
// when there is no display. Read once: like Windows, a program keeps the
// scale it started with.
int ScreenDpi();

}  // namespace portable::x11
