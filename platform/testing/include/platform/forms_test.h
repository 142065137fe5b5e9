// Acting on forms as a user would, for tests: each call sends the native
// window the message or event that the user's action would (a click on a
// scroll arrow, a button press, typing, the close box), then processes it.
#pragma once

#include <string>

#include "platform/forms.h"

namespace forms::test {

void ClickScrollArrow(VScrollBar& bar, bool up);
void ClickScrollTrough(VScrollBar& bar, bool above);
void ClickButton(CommandButton& button);
// Replaces the box's text as typing would (fires the native change).
void TypeText(TextBox& box, const std::string& text);
// The window's close box (or Alt+F4, or the system).
void CloseBox(Form& form);
// A key press on the form (virtual-key code), with Shift held when shift
// has its bit 1.
void PressKey(Form& form, int keyCode, int shift = 0);
// Which control has the keyboard focus (nullptr: none of this form's).
Control* FocusedControl(Form& form);

// What the native window shows, pixels: a control's rectangle in its form's
// client area (a line: the rectangle its two points span), and a form's
// client area (left, top: its origin on the screen).
struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
};
PixelRect ControlRect(const Control& c);
PixelRect ClientRect(const Form& form);
// The text the native control displays (label, button, text box), as the
// user reads it: "&&" of a caption shows as "&".
std::string ShownText(const Control& c);

}  // namespace forms::test
