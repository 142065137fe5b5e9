// What the GDI, the desktop calls and the X code need of the forms side
// (qt/), which registers itself when it starts the application. Before that,
// and in a program that never shows a form, the pointer's state waits for
// the forms and X is reached on $DISPLAY. The forms side runs
// PresentWindows whenever the thread goes idle.
#pragma once

namespace portable {

class FormsSide {
 public:
  virtual ~FormsSide() = default;
  // Hides or shows the mouse pointer over our windows.
  virtual void ApplyCursorHidden(bool hidden) = 0;
  // The X display the forms are on; nullptr when they are not on X.
  virtual const char* XDisplayName() = 0;
  // A window watched with x11::WatchWindowSize changed size: the forms in
  // it follow from the event loop soon.
  virtual void WatchedWindowResized() = 0;
};

// nullptr when the forms side ends.
void RegisterFormsSide(FormsSide* side);
FormsSide* Forms();

// ShowCursor's display count is below 0: the pointer is hidden (the forms
// side reads it when it registers).
bool CursorHidden();

}  // namespace portable
