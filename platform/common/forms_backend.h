// What the forms runtime needs from each native side (win32: Windows
// controls; portable: Qt widgets). The shared part (platform/common/forms.cpp)
// keeps every property, the timers and the held exceptions; the native side
// only makes, updates and reads windows.
//
// Calls into form code from native callbacks go through RunEvent, which
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

void Init();
ScreenInfo QueryScreen();

// Makes the form's native window, hidden, with its caption, style, client
// size and position (twips converted by the form's rules), then its controls
// in the order given (keyboard order first, the rest after), then applies the
// keyboard order.
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
void WaitForEvents(std::int64_t timeoutMs);
// Calls forms::internal::FireDueTimers() after about `ms` milliseconds, also
// inside modal loops; a new call replaces the old one; ms < 0 cancels.
void ArmWakeup(std::int64_t ms);
int MessageBox(const std::string& text, int style, const std::string& caption);

}  // namespace forms::backend

namespace forms::internal {
// Runs an event procedure from a native callback; any exception is held and
// rethrown by RethrowHeld().
void RunEvent(const std::function<void()>& fn);
void RethrowHeld();
// Fires every enabled timer whose due time has passed and re-arms the
// native wake-up for the next one.
void FireDueTimers();
// Re-arms the native wake-up for the earliest enabled timer (Real clock).
void ArmNextWakeup();
// Pixels of a twips size by the screen's twips per pixel (rounding rule of
// the runtime).
int PxX(float twips);
int PxY(float twips);
// The session ends: every loaded form unloads as by the system's close
// command (their Form_Unload save what they keep), then the program ends.
void EndSession();
}  // namespace forms::internal
