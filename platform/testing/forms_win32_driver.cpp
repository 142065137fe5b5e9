// Acting on Windows forms as a user would, for tests: each call sends what
// the control or the system would send for the user's action.
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "forms_win32.h"
#include "platform/forms_test.h"

namespace forms::test {

using namespace forms::win32;

namespace {

HWND WindowOf(const Control& c) {
  NativeControl* nc = Native(c);
  return nc ? nc->hwnd : nullptr;
}

HWND ParentOf(const Control& c) {
  NativeControl* nc = Native(c);
  return nc && nc->owner ? nc->owner->hwnd : nullptr;
}

// A bar sends its parent WM_VSCROLL for a click on an arrow or the trough,
// then SB_ENDSCROLL when the button is let go; a disabled bar sends nothing.
void ScrollClick(VScrollBar& bar, int code) {
  const HWND h = WindowOf(bar);
  const HWND parent = ParentOf(bar);
  if (!h || !parent || !IsWindowEnabled(h)) return;
  SendMessageA(parent, WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(h));
  if (IsWindow(h)) {
    SendMessageA(parent, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(h));
  }
  DoEvents();
}

LPARAM KeyData(int vk, bool up) {
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), 0 /* MAPVK_VK_TO_VSC */);
  LPARAM lp = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (up) lp |= (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
  return lp;
}

}  // namespace

void ClickScrollArrow(VScrollBar& bar, bool up) {
  // The system's bar takes the focus on a click when it is a tab stop.
  const HWND h = WindowOf(bar);
  if (h && IsWindowEnabled(h) && (GetWindowLongPtrA(h, GWL_STYLE) & WS_TABSTOP)) SetFocus(h);
  ScrollClick(bar, up ? SB_LINEUP : SB_LINEDOWN);
}

void ClickScrollTrough(VScrollBar& bar, bool above) {
  ScrollClick(bar, above ? SB_PAGEUP : SB_PAGEDOWN);
}

void ClickButton(CommandButton& button) {
  const HWND h = WindowOf(button);
  if (!h) return;
  // A disabled button cannot be clicked.
  if (IsWindowEnabled(h)) SendMessageA(h, BM_CLICK, 0, 0);
  DoEvents();
}

void TypeText(TextBox& box, const std::string& text) {
  const HWND h = WindowOf(box);
  if (!h) return;
  SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  DoEvents();
}

void CloseBox(Form& form) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return;
  // The close box sends the system command, which becomes WM_CLOSE.
  SendMessageA(nf->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  DoEvents();
}

void PressKey(Form& form, int keyCode, int shift) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return;
  HWND target = GetFocus();
  if (!target || (target != nf->hwnd && !IsChild(nf->hwnd, target))) target = nf->hwnd;
  // Shift held: the thread's key state, which the dialog manager and the
  // controls read.
  BYTE saved[256] = {};
  GetKeyboardState(saved);
  if (shift & 1) {
    BYTE held[256];
    std::copy(std::begin(saved), std::end(saved), held);
    held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    SetKeyboardState(held);
  }
  // Through the message queue, as the keyboard delivers it: the dialog
  // manager of the message loop sees it first.
  PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(keyCode), KeyData(keyCode, false));
  PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(keyCode), KeyData(keyCode, true));
  DoEvents();
  if (shift & 1) SetKeyboardState(saved);
}

Control* FocusedControl(Form& form) {
  NativeForm* nf = Native(form);
  if (!nf) return nullptr;
  NativeControl* nc = nf->ByHwnd(GetFocus());
  return nc ? nc->control : nullptr;
}

PixelRect ControlRect(const Control& c) {
  if (!c.native) return {};
  if (IsWindowless(c.kind())) {
    const internal::LinePixels p = internal::LinePoints(c);
    return {std::min(p.x1, p.x2), std::min(p.y1, p.y2), std::abs(p.x2 - p.x1),
            std::abs(p.y2 - p.y1)};
  }
  const HWND h = WindowOf(c);
  const HWND parent = ParentOf(c);
  if (!h || !parent) return {};
  RECT r{};
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

PixelRect ClientRect(const Form& form) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return {};
  RECT r{};
  GetClientRect(nf->hwnd, &r);
  POINT origin{0, 0};
  ClientToScreen(nf->hwnd, &origin);
  return {origin.x, origin.y, r.right - r.left, r.bottom - r.top};
}

std::string ShownText(const Control& c) {
  const HWND h = WindowOf(c);
  if (!h) return {};
  switch (c.kind()) {
    case Kind::Label:
    case Kind::TextBox:
      return WindowText(h);
    case Kind::CommandButton: {
      // The control shows "&&" as one "&".
      const std::string t = WindowText(h);
      std::string out;
      for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '&' && i + 1 < t.size() && t[i + 1] == '&') ++i;
        out.push_back(t[i]);
      }
      return out;
    }
    default:
      return {};
  }
}

}  // namespace forms::test
