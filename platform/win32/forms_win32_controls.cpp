// The controls of a form as Windows controls: STATIC labels and pictures,
// EDIT text boxes, SCROLLBAR bars, BUTTON buttons; lines and rectangles are
// painted by the form.
#include <algorithm>
#include <cstdlib>

#include "forms_win32.h"

namespace forms::win32 {

namespace {

int Px(float twips) { return internal::PxX(twips); }
int Py(float twips) { return internal::PxY(twips); }

DWORD AlignStyle(Align a, DWORD left, DWORD center, DWORD right) {
  switch (a) {
    case Align::Center:
      return center;
    case Align::Right:
      return right;
    case Align::Left:
      break;
  }
  return left;
}

// A scroll bar runs 0..span natively; the control's Min is at the top, and
// Min may be larger than Max.
int Span(const VScrollBar& b) { return std::abs(b.Max() - b.Min()); }
int NativePos(const VScrollBar& b, int value) {
  return b.Min() <= b.Max() ? value - b.Min() : b.Min() - value;
}
int ValueOf(const VScrollBar& b, int pos) {
  return b.Min() <= b.Max() ? b.Min() + pos : b.Min() - pos;
}

void InvalidateWindowless(NativeControl& nc) {
  if (nc.owner && nc.owner->hwnd) InvalidateRect(nc.owner->hwnd, nullptr, TRUE);
}

void ApplyGeometry(NativeControl& nc) {
  const Control& c = *nc.control;
  if (!nc.hwnd) {
    InvalidateWindowless(nc);
    return;
  }
  MoveWindow(nc.hwnd, Px(c.Left()), Py(c.Top()), std::max(0, Px(c.Width())),
             std::max(0, Py(c.Height())), TRUE);
}

void ApplyText(NativeControl& nc) {
  Control& c = *nc.control;
  switch (c.kind()) {
    case Kind::Label:
      SetWindowTextA(nc.hwnd, static_cast<Label&>(c).DisplayText().c_str());
      break;
    case Kind::CommandButton:
      SetWindowTextA(nc.hwnd, internal::ButtonText(static_cast<CommandButton&>(c)).c_str());
      break;
    case Kind::TextBox:
      SetWindowTextA(nc.hwnd, static_cast<TextBox&>(c).StoredText().c_str());
      break;
    default:
      break;
  }
}

void ApplyRange(NativeControl& nc) {
  auto& bar = static_cast<VScrollBar&>(*nc.control);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  si.nMin = 0;
  si.nMax = Span(bar);
  si.nPage = 0;  // a fixed thumb, not a proportional one
  si.nPos = NativePos(bar, bar.Value());
  SetScrollInfo(nc.hwnd, SB_CTL, &si, TRUE);
}

void ApplyStyle(NativeControl& nc) {
  Control& c = *nc.control;
  if (c.kind() == Kind::Label) {
    LONG_PTR style = GetWindowLongPtrA(nc.hwnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(SS_TYPEMASK);
    style |= static_cast<LONG_PTR>(
        AlignStyle(static_cast<Label&>(c).Alignment(), SS_LEFT, SS_CENTER, SS_RIGHT));
    SetWindowLongPtrA(nc.hwnd, GWL_STYLE, style);
    InvalidateRect(nc.hwnd, nullptr, TRUE);
  } else if (c.kind() == Kind::TextBox) {
    auto& box = static_cast<TextBox&>(c);
    SendMessageA(nc.hwnd, EM_SETREADONLY, box.Locked() ? TRUE : FALSE, 0);
    LONG_PTR style = GetWindowLongPtrA(nc.hwnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(ES_LEFT | ES_CENTER | ES_RIGHT);
    style |= static_cast<LONG_PTR>(AlignStyle(box.Alignment(), ES_LEFT, ES_CENTER, ES_RIGHT));
    SetWindowLongPtrA(nc.hwnd, GWL_STYLE, style);
    InvalidateRect(nc.hwnd, nullptr, TRUE);
  }
}

void ApplyPicture(NativeControl& nc) {
  Control& c = *nc.control;
  if (c.kind() == Kind::CommandButton) {
    const Picture* p = static_cast<CommandButton&>(c).GetPicture();
    const HBITMAP bmp = p && !p->Empty() ? reinterpret_cast<HBITMAP>(p->Handle()) : nullptr;
    // A picture button shows its picture instead of its caption.
    LONG_PTR style = GetWindowLongPtrA(nc.hwnd, GWL_STYLE);
    style = bmp ? (style | BS_BITMAP) : (style & ~static_cast<LONG_PTR>(BS_BITMAP));
    SetWindowLongPtrA(nc.hwnd, GWL_STYLE, style);
    SendMessageA(nc.hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
  }
  // Pictures and images are drawn in WM_DRAWITEM.
  InvalidateRect(nc.hwnd, nullptr, TRUE);
}

HWND MakeWindow(NativeForm& nf, NativeControl& nc) {
  Control& c = *nc.control;
  const char* cls = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex = 0;
  switch (c.kind()) {
    case Kind::Label:
      cls = "STATIC";
      // The text shows literally: no letter is underlined.
      style |= SS_NOPREFIX |
               AlignStyle(static_cast<Label&>(c).Alignment(), SS_LEFT, SS_CENTER, SS_RIGHT);
      break;
    case Kind::TextBox: {
      auto& box = static_cast<TextBox&>(c);
      cls = "EDIT";
      ex = WS_EX_CLIENTEDGE;
      nc.multiLine = box.MultiLine();
      style |= AlignStyle(box.Alignment(), ES_LEFT, ES_CENTER, ES_RIGHT);
      if (nc.multiLine)
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      else
        style |= ES_AUTOHSCROLL;
      if (box.Locked()) style |= ES_READONLY;
      break;
    }
    case Kind::VScrollBar:
      cls = "SCROLLBAR";
      style |= SBS_VERT;
      break;
    case Kind::CommandButton:
      cls = "BUTTON";
      // Focus notifications let the focused button carry the default frame.
      style |= BS_PUSHBUTTON | BS_NOTIFY;
      break;
    // Pictures are drawn by the form, at the control's top-left corner and
    // at the control's own size (a bitmap static would resize itself to
    // its picture, or stretch it).
    case Kind::PictureBox:
      cls = "STATIC";
      style |= SS_OWNERDRAW | SS_NOTIFY;  // a window that takes its clicks
      break;
    case Kind::Image:
      cls = "STATIC";
      style |= SS_OWNERDRAW;  // clicks go through to the form
      break;
    case Kind::Line:
    case Kind::Shape:
      return nullptr;
  }
  if (internal::TakesFocus(c.kind()) && c.TabIndex() >= 0) style |= WS_TABSTOP;
  return CreateWindowExA(
      ex, cls, "", style, Px(c.Left()), Py(c.Top()), std::max(0, Px(c.Width())),
      std::max(0, Py(c.Height())), nf.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nc.id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(nf.hwnd, GWLP_HINSTANCE)), nullptr);
}

// Where the user let the thumb go: the message's 16-bit position, or for a
// longer bar the bar's own tracking position.
int ThumbPos(HWND bar, int thumb, int span) {
  if (span <= 0xFFFF) return thumb;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_TRACKPOS;
  return GetScrollInfo(bar, SB_CTL, &si) ? si.nTrackPos : thumb;
}

}  // namespace

bool IsWindowless(Kind k) { return k == Kind::Line || k == Kind::Shape; }

void ApplyControl(NativeControl& nc, Prop what) {
  if (!nc.control) return;
  Control& c = *nc.control;
  if (!nc.hwnd) {
    // Lines and rectangles: the form paints them again.
    InvalidateWindowless(nc);
    return;
  }
  nc.updating = true;
  switch (what) {
    case Prop::Geometry:
      ApplyGeometry(nc);
      break;
    case Prop::Text:
      ApplyText(nc);
      break;
    case Prop::Visible:
      ShowWindow(nc.hwnd, c.Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Prop::Enabled:
      EnableWindow(nc.hwnd, c.Enabled() ? TRUE : FALSE);
      break;
    case Prop::Font:
      SendMessageA(nc.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(c.GetFont())), TRUE);
      break;
    case Prop::Colors:
      InvalidateRect(nc.hwnd, nullptr, TRUE);
      break;
    case Prop::Value:
    case Prop::Range:
      if (c.kind() == Kind::VScrollBar) ApplyRange(nc);
      break;
    case Prop::Picture:
      ApplyPicture(nc);
      break;
    case Prop::Style:
      ApplyStyle(nc);
      break;
  }
  nc.updating = false;
}

void CreateControl(NativeForm& nf, Control& c) {
  auto owned = std::make_unique<NativeControl>();
  NativeControl& nc = *owned;
  nc.control = &c;
  nc.owner = &nf;
  nc.id = kFirstControlId + static_cast<int>(nf.controls.size());
  nf.controls.push_back(std::move(owned));
  c.native = &nc;
  nc.hwnd = MakeWindow(nf, nc);
  if (!nc.hwnd) {
    InvalidateWindowless(nc);
    return;
  }
  if (c.kind() == Kind::TextBox) SendMessageA(nc.hwnd, EM_SETLIMITTEXT, 0, 0);  // no limit
  for (Prop p : {Prop::Font, Prop::Range, Prop::Text, Prop::Picture, Prop::Geometry, Prop::Enabled})
    ApplyControl(nc, p);
  if (c.Visible()) ShowWindow(nc.hwnd, SW_SHOWNA);
}

void ApplyTabOrder(NativeForm& nf) {
  if (!nf.form) return;
  // The z-order is the keyboard order: the controls in the keyboard order
  // first, one after the other, the rest below them.
  HWND prev = HWND_TOP;
  for (Control* c : nf.form->TabOrder()) {
    NativeControl* nc = Native(*c);
    if (!nc || !nc->hwnd) continue;
    SetWindowPos(nc->hwnd, prev, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    prev = nc->hwnd;
  }
}

void MarkDefaultButton(NativeForm& nf, HWND focused) {
  for (const auto& nc : nf.controls) {
    if (!nc->control || !nc->hwnd || nc->control->kind() != Kind::CommandButton) continue;
    const bool def = nc->hwnd == focused;
    const LONG_PTR style = GetWindowLongPtrA(nc->hwnd, GWL_STYLE);
    const bool isDef = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (def != isDef)
      SendMessageA(nc->hwnd, BM_SETSTYLE, def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void OnCommand(NativeForm& nf, int id, int code, HWND from) {
  NativeControl* nc = nf.ById(id);
  if (!nc || nc->hwnd != from || !nc->control) return;
  if (nc->control->kind() != Kind::CommandButton) return;
  switch (code) {
    case BN_CLICKED: {
      // A disabled button is never pressed.
      if (!IsWindowEnabled(from) || nc->updating) return;
      auto* button = static_cast<CommandButton*>(nc->control);
      RunFromNative([button] {
        if (button->Click) button->Click();
      });
      break;
    }
    case BN_SETFOCUS:
      MarkDefaultButton(nf, from);
      break;
    case BN_KILLFOCUS: {
      // Another push button that takes the focus takes the frame itself.
      NativeControl* next = nf.ByHwnd(GetFocus());
      if (!next || !next->control || next->control->kind() != Kind::CommandButton)
        MarkDefaultButton(nf, nullptr);
      break;
    }
    default:
      break;
  }
}

void OnVScroll(NativeForm& nf, HWND from, int code, int thumb) {
  NativeControl* nc = nf.ByHwnd(from);
  if (!nc || !nc->control || nc->control->kind() != Kind::VScrollBar || nc->updating) return;
  if (!IsWindowEnabled(from)) return;
  auto* bar = static_cast<VScrollBar*>(nc->control);
  const int span = Span(*bar);
  int pos = NativePos(*bar, bar->Value());
  switch (code) {
    case SB_LINEUP:
      pos -= std::max(1, bar->SmallChange());
      break;
    case SB_LINEDOWN:
      pos += std::max(1, bar->SmallChange());
      break;
    case SB_PAGEUP:
      pos -= std::max(1, bar->LargeChange());
      break;
    case SB_PAGEDOWN:
      pos += std::max(1, bar->LargeChange());
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = span;
      break;
    case SB_THUMBTRACK:
      // The thumb follows the mouse; the value changes once it is let go.
      SetScrollPos(from, SB_CTL, std::clamp(ThumbPos(from, thumb, span), 0, span), TRUE);
      return;
    case SB_THUMBPOSITION:
      pos = ThumbPos(from, thumb, span);
      break;
    default:
      return;  // SB_ENDSCROLL
  }
  pos = std::clamp(pos, 0, span);
  nc->updating = true;
  SetScrollPos(from, SB_CTL, pos, TRUE);
  nc->updating = false;
  RunFromNative([bar, pos] { bar->UserChanged(ValueOf(*bar, pos)); });
  // The Change procedure may have set another value, or unloaded the form.
  NativeControl* still = Native(*bar);
  if (still && still->hwnd) {
    still->updating = true;
    SetScrollPos(still->hwnd, SB_CTL, NativePos(*bar, bar->Value()), TRUE);
    still->updating = false;
  }
}

HBRUSH OnCtlColor(NativeForm& nf, HWND from, HDC dc) {
  NativeControl* nc = nf.ByHwnd(from);
  if (!nc || !nc->control) return nullptr;
  const Control& c = *nc->control;
  COLORREF back = c.BackColor();
  // An image has no background of its own: the form shows through.
  if (c.kind() == Kind::Image && nf.form) back = nf.form->BackColor();
  SetBkColor(dc, back);
  SetTextColor(dc, c.Enabled() ? c.ForeColor() : GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, OPAQUE);
  return BrushOf(back);
}

bool OnDrawItem(NativeForm& nf, const DRAWITEMSTRUCT& di) {
  NativeControl* nc = nf.ByHwnd(di.hwndItem);
  if (!nc || !nc->control) return false;
  const Control& c = *nc->control;
  const Picture* p = nullptr;
  COLORREF back = c.BackColor();
  if (c.kind() == Kind::Image) {
    p = static_cast<const forms::Image&>(c).GetPicture();
    back = nf.form ? nf.form->BackColor() : back;  // the form shows through
  } else if (c.kind() == Kind::PictureBox) {
    p = static_cast<const PictureBox&>(c).GetPicture();
  } else {
    return false;
  }
  FillRect(di.hDC, &di.rcItem, BrushOf(back));
  const HBITMAP bmp = p && !p->Empty() ? reinterpret_cast<HBITMAP>(p->Handle()) : nullptr;
  if (bmp) {
    if (HDC mem = CreateCompatibleDC(di.hDC)) {
      const HGDIOBJ old = SelectObject(mem, bmp);
      BitBlt(di.hDC, 0, 0, std::min(p->Width(), static_cast<int>(di.rcItem.right)),
             std::min(p->Height(), static_cast<int>(di.rcItem.bottom)), mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
  }
  return true;
}

void PaintWindowless(NativeForm& nf, HDC dc) {
  if (!nf.form) return;
  for (Control* c : nf.form->Controls()) {
    if (!IsWindowless(c->kind()) || !c->Visible() || !c->native) continue;
    const HPEN pen = CreatePen(PS_SOLID, 1, c->ForeColor());
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    if (c->kind() == Kind::Line) {
      const internal::LinePixels p = internal::LinePoints(*c);
      MoveToEx(dc, p.x1, p.y1, nullptr);
      LineTo(dc, p.x2, p.y2);
      SetPixel(dc, p.x2, p.y2, c->ForeColor());  // both ends belong to the line
    } else {
      const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, Px(c->Left()), Py(c->Top()), Px(c->Left() + c->Width()),
                Py(c->Top() + c->Height()));
      SelectObject(dc, oldBrush);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
}

}  // namespace forms::win32

namespace forms::backend {

using namespace forms::win32;

void UpdateControl(Control& c, Prop what) {
  NativeControl* nc = Native(c);
  if (!nc) return;
  ApplyControl(*nc, what);
}

void DestroyControl(Control& c) {
  NativeControl* nc = Native(c);
  c.native = nullptr;
  if (!nc) return;
  nc->control = nullptr;
  if (nc->hwnd) {
    const HWND h = nc->hwnd;
    nc->hwnd = nullptr;
    DestroyWindow(h);
  } else {
    InvalidateWindowless(*nc);
  }
}

std::string ControlText(const TextBox& c) {
  NativeControl* nc = Native(c);
  if (!nc || !nc->hwnd) return c.StoredText();
  return WindowText(nc->hwnd);
}

void FocusControl(Control& c) {
  NativeControl* nc = Native(c);
  if (!nc || !nc->hwnd || !nc->owner || !nc->owner->hwnd) return;
  if (!IsWindowVisible(nc->owner->hwnd)) {
    // Taken when the form is shown and activated.
    nc->owner->savedFocus = nc->hwnd;
    return;
  }
  SetFocus(nc->hwnd);
  MarkDefaultButton(*nc->owner, GetFocus());
}

bool ControlHasFocus(const Control& c) {
  NativeControl* nc = Native(c);
  return nc && nc->hwnd && GetFocus() == nc->hwnd;
}

}  // namespace forms::backend
