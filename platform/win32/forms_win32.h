// The Windows side of the forms runtime, shared by its files: the native
// window of a form, the native half of a control, and the helpers that turn
// the forms' properties into Windows calls.
#pragma once

// clang-format off
// Ours first: <windows.h> defines macros (TRUE, SRCCOPY, MessageBox, ...)
// that would clash with the names of winapi.h and the backend.
#include <memory>
#include <string>
#include <vector>
#include "forms_backend.h"
#include "platform/forms.h"
#include <windows.h>
// clang-format on
#undef MessageBox

namespace forms::win32 {

struct NativeForm;

// The native half of one control. `control` is null once the control has
// gone; the record itself lives as long as its form's window.
struct NativeControl {
  Control* control = nullptr;
  NativeForm* owner = nullptr;
  // Null for lines and rectangles, which the form paints.
  HWND hwnd = nullptr;
  int id = 0;
  // A text box's kind (single or multi-line) is chosen once, when it is made.
  bool multiLine = false;
  // Set while the program changes the control, so that its notifications
  // are not taken for the user's doing.
  bool updating = false;
};

// The native half of a form.
struct NativeForm {
  Form* form = nullptr;  // null once the form is unloaded
  HWND hwnd = nullptr;
  HDC dc = nullptr;
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;
  // A child of another program's window (a screen-saver host).
  bool embedded = false;
  // The control that had the focus when the window was last deactivated.
  HWND savedFocus = nullptr;
  std::vector<std::unique_ptr<NativeControl>> controls;

  NativeControl* ById(int id) const;
  NativeControl* ByHwnd(HWND h) const;
};

NativeForm* Native(const Form& f);
NativeControl* Native(const Control& c);

// Brushes and fonts, made once per colour or font and kept for the run.
HBRUSH BrushOf(COLORREF c);
HFONT FontOf(const Font& f);

using internal::RunFromNative;

// Controls (forms_win32_controls.cpp).
constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL
void CreateControl(NativeForm& nf, Control& c);
void ApplyControl(NativeControl& nc, Prop what);
void ApplyTabOrder(NativeForm& nf);
// The form's window procedure hands these on.
void OnCommand(NativeForm& nf, int id, int code, HWND from);
void OnVScroll(NativeForm& nf, HWND from, int code, int thumb);
// WM_CTLCOLORSTATIC and WM_CTLCOLOREDIT: the brush, or null for the default.
HBRUSH OnCtlColor(NativeForm& nf, HWND from, HDC dc);
// WM_DRAWITEM of pictures and images; false when it is not ours.
bool OnDrawItem(NativeForm& nf, const DRAWITEMSTRUCT& di);
// Lines and rectangles, drawn in the form's WM_PAINT.
void PaintWindowless(NativeForm& nf, HDC dc);
bool IsWindowless(Kind k);
// The focused push button carries the default frame (Enter presses it).
void MarkDefaultButton(NativeForm& nf, HWND focused);

// Strings between the program's bytes and Windows' ANSI calls.
std::string WindowText(HWND h);

}  // namespace forms::win32
