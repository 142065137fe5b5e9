// Where the portable GDI and the portable forms side meet: the windows of
// our own forms, whose window DC draws into a surface (a 32-bit image) that
// the native window shows.
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"
#include "raster.h"

namespace portable {

// The native window of a form, as the GDI and the desktop calls see it.
class WindowSink {
 public:
  virtual ~WindowSink() = default;
  // A rectangle of the surface was drawn (already clipped to it): show it.
  virtual void SurfaceDrawn(int x, int y, int width, int height) = 0;
  // SetWindowPos with SWP_SHOWWINDOW / SWP_HIDEWINDOW.
  virtual void SetShown(bool shown) = 0;
  // SetWindowPos with HWND_TOPMOST / HWND_NOTOPMOST.
  virtual void SetTopmost(bool topmost) = 0;
  virtual bool IsShown() const = 0;
  // The X window that shows the surface pixel for pixel, when there is one
  // that we may put the surface on ourselves; 0 otherwise (not shown, not on
  // X, or scaled by the toolkit).
  virtual unsigned long NativeWindow() const = 0;
};

// Registers a window of ours with a surface of width x height (black) and
// returns its handle. Handles of our windows carry a tag in their top bits;
// any other non-zero value is taken as an X window id of another program.
win::HWND RegisterWindow(WindowSink* sink, int width, int height, const std::string& className,
                         const std::string& title);
void ResizeWindow(win::HWND hwnd, int width, int height);
void SetWindowTitle(win::HWND hwnd, const std::string& title);
void UnregisterWindow(win::HWND hwnd);
bool IsOurWindow(win::HWND hwnd);
// FindWindowA over our windows: exact class name (case-insensitive) and,
// when `title` is not null, exact title.
win::HWND FindOurWindow(const char* className, const char* title);
WindowSink* SinkOf(win::HWND hwnd);
// The surface for painting: 0x00RRGGBB, `*stride` pixels per row; nullptr
// when the handle is not one of our windows.
const std::uint32_t* WindowPixels(win::HWND hwnd, int* width, int* height, int* stride);

// Puts what was drawn on our windows since the last time on the screen, for
// the windows the direct path serves (see present.h); the others were told
// through SurfaceDrawn. The forms side runs it whenever the thread goes
// idle; with nothing drawn it does nothing.
void PresentWindows();
// The server lost the picture of a place of a window served directly (an
// expose): it is put there again at the next present.
void WindowRepainted(win::HWND hwnd, int x, int y, int width, int height);

}  // namespace portable

// ---- what the GDI's window DCs draw into (surface.cpp) ----------------------------------

namespace portable::gdi {

// One of our windows: its surface, and the note that a rectangle of it was
// drawn (the window shows the part that changed).
bool OurWindowView(win::HWND hwnd, View* view);
void OurWindowDrawn(win::HWND hwnd, const Rect& drawn, const Rect& changed);

// The screen: 32 bits per pixel, the X screen's size when there is a
// display, else 1920 x 1080. Its pixels exist only in memory: drawing into
// the screen's DC shows nowhere, as under Windows, where another program
// cannot draw over the desktop either.
void ScreenSize(int* width, int* height);
bool ScreenView(View* view);

// Another program's X window (a screen-saver preview window): a surface of
// its size, pushed to the window as it is drawn. 0 when there is no such
// window or no display.
int OpenForeign(win::HWND hwnd);
bool ForeignView(int id, View* view);
void ForeignDrawn(int id, const Rect& changed);
void CloseForeign(int id);

}  // namespace portable::gdi
