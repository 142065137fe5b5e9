// What the forms runtime needs from each native side (win32: Windows
// controls; portable: Qt widgets). The shared part (platform/common/forms.cpp)
// keeps every property and decides every policy: where a window goes, what
// covers the screen, which controls take the focus and the first focus, a
// button's text, mouse positions in twips, the timers, the held exceptions,
// the live forms and the session's end, when native objects may be freed.
// The native side only turns these decisions into its toolkit's calls.
//
// Calls into form code from native callbacks go through RunFromNative, which
// holds any exception until control is back in DoEvents/WaitForEvents.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/forms.h"

namespace forms::backend {

struct ScreenInfo {
  int widthPx = 1024;
  int heightPx = 768;
  float twipsPerPixelX = 15;  // 1440 / DPI
  float twipsPerPixelY = 15;
};

// A window's frame around its client area, pixels.
struct Frame {
  int left = 0, top = 0, right = 0, bottom = 0;
};

void Init();
ScreenInfo QueryScreen();
// The frame a window of the form's border style has.
Frame FrameOf(const Form& form);

// Makes the form's native window, hidden, with its caption, style, client
// size and position (internal::WindowPlace), then its controls in the order
// given (keyboard order first, the rest after), then applies the keyboard
// order.
void CreateForm(Form& form, const std::vector<Control*>& controls);
void DestroyForm(Form& form);
void ShowForm(Form& form, bool show);
void UpdateForm(Form& form, FormProp what);
void RepaintForm(Form& form);
win::HWND FormHwnd(const Form& form);
// The window DC; owned by the window, valid while it exists.
win::HDC FormDC(Form& form);

void UpdateControl(Control& c, Prop what);
// The control goes before its form does (a control destroyed while the form
// is loaded); DestroyForm frees the rest.
void DestroyControl(Control& c);
// A text box's current text.
std::string ControlText(const TextBox& c);
void FocusControl(Control& c);
bool ControlHasFocus(const Control& c);

void ProcessPending();
// Puts what was drawn on the screen without a pass of the messages; false
// where only such a pass does.
bool ShowDrawn();
void WaitForEvents(std::int64_t timeoutMs);
// Calls forms::internal::FireDueTimers() after about `ms` milliseconds, also
// inside modal loops; a new call replaces the old one; ms < 0 cancels.
void ArmWakeup(std::int64_t ms);
void MessageBox(const std::string& text, bool exclamation, const std::string& caption);

}  // namespace forms::backend

namespace forms::internal {
// Runs an event procedure; any exception is held and rethrown by
// RethrowHeld().
void RunEvent(const std::function<void()>& fn);
void RethrowHeld();
// While one lives, a native handler (a window procedure, a Qt handler, a
// modal loop) is running: native objects are not freed under it.
class NativeScope {
 public:
  NativeScope();
  ~NativeScope();
  NativeScope(const NativeScope&) = delete;
  NativeScope& operator=(const NativeScope&) = delete;
};
// Calls form code from a native handler: RunEvent inside a NativeScope.
void RunFromNative(const std::function<void()>& fn);
// Frees a native object (a window that went with its form) when DoEvents or
// WaitForEvents next begins or ends outside every native handler.
void FreeWhenSafe(std::function<void()> free);
// Fires every enabled timer whose due time has passed and re-arms the
// native wake-up for the next one.
void FireDueTimers();
// The native wake-up's handler: fires what is due and arms it again.
void WakeupFired();
// Pixels of a twips size by the screen's twips per pixel (rounding rule of
// the runtime).
int PxX(float twips);
int PxY(float twips);

// Pixels on the screen (or in the form, for controls).
struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
};
// A borderless maximised form fills its monitor (the stage).
bool FillsScreen(const Form& f);
// What such a form covers: its monitor, else the screen as the forms see it
// (a host's or a test's size when one is set).
PixelRect FullScreenRect(const Form& f);
// Where a form's window goes in the normal state: the outer corner (left,
// top) and the client size. A centred form is centred on the screen, frame
// included, until it has been shown once.
PixelRect WindowPlace(const Form& f);
// Only text boxes, scroll bars and buttons ever take the focus.
bool TakesFocus(Kind k);
// A line's two end points in its form's client area.
struct LinePixels {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
LinePixels LinePoints(const Control& c);
// A button's text for a toolkit that takes "&" for a mnemonic: ours never
// underline, so what the user sees is the caption with "&&" as "&".
std::string ButtonText(const CommandButton& b);

// What the native side reports of the user and the system.
void KeyDown(Form& f, int keyCode, int shift);
void MouseDown(Form& f, int button, int shift, int xPx, int yPx);
void MouseMove(Form& f, int buttons, int shift, int xPx, int yPx);
// The window's outer corner moved to these pixels.
void Moved(Form& f, int xPx, int yPx);
// The session ends: every loaded form unloads as by the system's close
// command (their Form_Unload save what they keep), then the program ends.
void EndSession();
}  // namespace forms::internal
