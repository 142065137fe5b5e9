// The forms runtime's native side on Windows: forms as top-level windows of
// our own class, message processing with a PeekMessage loop and
// IsDialogMessage, waits that block in MsgWaitForMultipleObjectsEx, the
// timers' wake-up as a thread timer, message boxes, the screen.
#include "forms_win32.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <tuple>

#include "platform/process.h"

namespace forms::win32 {

namespace {

// The program's name and "Form": the class of every form's window.
const char* FormClass() {
  static const std::string name = plat::ProgramName() + "Form";
  return name.c_str();
}
constexpr UINT_PTR kNoTimer = 0;

HINSTANCE g_instance = nullptr;
int g_dpiX = 96, g_dpiY = 96;
UINT_PTR g_wakeup = kNoTimer;

DWORD StyleOf(const Form& f, bool embedded) {
  if (embedded) return WS_CHILD | WS_CLIPCHILDREN;
  switch (f.GetBorderStyle()) {
    case BorderStyle::None:
      return WS_POPUP | WS_CLIPCHILDREN;
    case BorderStyle::FixedDialog:
      // No minimise or maximise box, no sizing border.
      return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    case BorderStyle::Sizable:
      break;
  }
  return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
}

DWORD ExStyleOf(const Form& f, bool embedded) {
  if (embedded) return 0;
  return f.GetBorderStyle() == BorderStyle::FixedDialog ? WS_EX_DLGMODALFRAME : 0;
}

RECT RectOf(const internal::PixelRect& r) {
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

// Outer window rectangle for the form's client size and position.
RECT OuterRect(const Form& f) {
  const internal::PixelRect place = internal::WindowPlace(f);
  const backend::Frame fr = backend::FrameOf(f);
  return {place.left, place.top, place.left + fr.left + place.width + fr.right,
          place.top + fr.top + place.height + fr.bottom};
}

using internal::FillsScreen;

void ApplyGeometry(NativeForm& nf) {
  Form& f = *nf.form;
  if (nf.embedded) {
    RECT host{};
    GetClientRect(GetParent(nf.hwnd), &host);
    SetWindowPos(nf.hwnd, nullptr, 0, 0, host.right, host.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  if (FillsScreen(f)) {
    // The stage: a popup over the whole screen, or its monitor.
    const RECT r = RectOf(internal::FullScreenRect(f));
    SetWindowPos(nf.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  if (f.GetWindowState() != WindowState::Normal || IsIconic(nf.hwnd) || IsZoomed(nf.hwnd)) {
    // Takes effect when the window is restored.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(nf.hwnd, &wp)) {
      wp.rcNormalPosition = OuterRect(f);
      wp.showCmd = static_cast<UINT>(IsWindowVisible(nf.hwnd) ? wp.showCmd : SW_HIDE);
      SetWindowPlacement(nf.hwnd, &wp);
    }
    return;
  }
  const RECT r = OuterRect(f);
  SetWindowPos(nf.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int ShowCommand(const Form& f) {
  if (FillsScreen(f)) return SW_SHOW;
  switch (f.GetWindowState()) {
    case WindowState::Minimized:
      return SW_SHOWMINIMIZED;
    case WindowState::Maximized:
      return SW_SHOWMAXIMIZED;
    case WindowState::Normal:
      break;
  }
  return SW_SHOW;
}

void ApplyState(NativeForm& nf) {
  Form& f = *nf.form;
  if (nf.embedded) return;  // the host's window decides
  if (FillsScreen(f)) {
    if (IsZoomed(nf.hwnd) || IsIconic(nf.hwnd)) ShowWindow(nf.hwnd, SW_RESTORE);
    ApplyGeometry(nf);
    return;
  }
  switch (f.GetWindowState()) {
    case WindowState::Normal:
      if (IsZoomed(nf.hwnd) || IsIconic(nf.hwnd)) ShowWindow(nf.hwnd, SW_RESTORE);
      ApplyGeometry(nf);
      break;
    case WindowState::Minimized:
      ShowWindow(nf.hwnd, SW_MINIMIZE);
      break;
    case WindowState::Maximized:
      ShowWindow(nf.hwnd, SW_MAXIMIZE);
      break;
  }
}

void FreeIcons(NativeForm& nf) {
  if (nf.iconBig) DestroyIcon(nf.iconBig);
  if (nf.iconSmall) DestroyIcon(nf.iconSmall);
  nf.iconBig = nf.iconSmall = nullptr;
}

HICON IconOf(const Picture& p) {
  const HBITMAP color = reinterpret_cast<HBITMAP>(p.Handle());
  if (!color) return nullptr;
  // An all-clear mask: every pixel of the picture shows.
  const int stride = ((p.Width() + 15) / 16) * 2;
  std::vector<BYTE> zeros(static_cast<std::size_t>(stride) * p.Height(), 0);
  const HBITMAP mask = CreateBitmap(p.Width(), p.Height(), 1, 1, zeros.data());
  if (!mask) return nullptr;
  ICONINFO ii{};
  ii.fIcon = TRUE;
  ii.hbmMask = mask;
  ii.hbmColor = color;
  const HICON icon = CreateIconIndirect(&ii);  // copies both bitmaps
  DeleteObject(mask);
  return icon;
}

void ApplyIcon(NativeForm& nf) {
  const Picture* p = nf.form->Icon();
  HICON big = nullptr, small = nullptr;
  if (p && !p->Empty()) {
    big = IconOf(*p);
    small = IconOf(*p);
  }
  SendMessageA(nf.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(nf.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  FreeIcons(nf);
  nf.iconBig = big;
  nf.iconSmall = small;
}

int ShiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= kShiftMask;
  if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlMask;
  if (GetKeyState(VK_MENU) < 0) s |= kAltMask;
  return s;
}

int ButtonsOf(WPARAM w) {
  int b = 0;
  if (w & MK_LBUTTON) b |= kLeftButton;
  if (w & MK_RBUTTON) b |= kRightButton;
  if (w & MK_MBUTTON) b |= kMiddleButton;
  return b;
}

void ReportMoved(NativeForm& nf) {
  if (!nf.form || nf.embedded || IsIconic(nf.hwnd) || IsZoomed(nf.hwnd)) return;
  RECT r{};
  if (GetWindowRect(nf.hwnd, &r)) internal::Moved(*nf.form, r.left, r.top);
}

LRESULT HandleFormMessage(NativeForm* nf, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Form* f = nf ? nf->form : nullptr;
  if (!f) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, BrushOf(f->BackColor()));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      const HDC dc = BeginPaint(hwnd, &ps);
      if (dc) PaintWindowless(*nf, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      const HBRUSH b = OnCtlColor(*nf, reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp));
      if (b) return reinterpret_cast<LRESULT>(b);
      break;
    }
    case WM_DRAWITEM:
      if (lp && OnDrawItem(*nf, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
      break;
    case WM_COMMAND:
      if (lp != 0) OnCommand(*nf, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_VSCROLL:
      if (lp != 0) OnVScroll(*nf, reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp));
      return 0;
    case DM_GETDEFID: {
      // Enter presses the push button that has the focus; with the focus
      // elsewhere there is no default button.
      NativeControl* nc = nf->ByHwnd(GetFocus());
      if (nc && nc->control && nc->control->kind() == Kind::CommandButton)
        return MAKELRESULT(nc->id, DC_HASDEFID);
      return 0;
    }
    case WM_NEXTDLGCTL: {
      // A multi-line box wants Tab itself and asks its parent to move on,
      // as the dialog manager would: the next (or, wp != 0, the previous)
      // tab stop, or the window in wp when lp says so.
      HWND target =
          LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd, GetFocus(), wp != 0);
      if (target && IsChild(hwnd, target)) {
        SetFocus(target);
        // A box reached by the keyboard has its text selected.
        if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
          SendMessageA(target, EM_SETSEL, 0, -1);
        MarkDefaultButton(*nf, target);
      }
      return 0;
    }
    case WM_GETDLGCODE:
      // A form without controls hears every key itself (Escape and Enter
      // included) when the dialog manager sees it.
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) nf->savedFocus = focus;
        return 0;
      }
      if (!HIWORD(wp)) {
        // Back to the control that had the focus, else the first in the
        // keyboard order, else the form itself.
        HWND target = nf->savedFocus;
        if (!target || !IsWindow(target) || !IsChild(hwnd, target) || !IsWindowEnabled(target) ||
            !IsWindowVisible(target)) {
          target = nullptr;
          for (Control* c : f->TabOrder()) {
            NativeControl* nc = Native(*c);
            if (nc && nc->hwnd && IsWindowEnabled(nc->hwnd) && IsWindowVisible(nc->hwnd)) {
              target = nc->hwnd;
              break;
            }
          }
        }
        SetFocus(target ? target : hwnd);
        if (target) MarkDefaultButton(*nf, target);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      internal::KeyDown(*f, static_cast<int>(wp), ShiftState());
      // Alt+F4 and the system menu keys still work.
      if (msg == WM_SYSKEYDOWN && Native(*f) == nf) return DefWindowProcA(hwnd, msg, wp, lp);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const int button = msg == WM_LBUTTONDOWN   ? kLeftButton
                         : msg == WM_RBUTTONDOWN ? kRightButton
                                                 : kMiddleButton;
      internal::MouseDown(*f, button, ShiftState(), static_cast<short>(LOWORD(lp)),
                          static_cast<short>(HIWORD(lp)));
      return 0;
    }
    case WM_MOUSEMOVE:
      internal::MouseMove(*f, ButtonsOf(wp), ShiftState(), static_cast<short>(LOWORD(lp)),
                          static_cast<short>(HIWORD(lp)));
      return 0;
    case WM_MOVE:
      ReportMoved(*nf);
      return 0;
    case WM_CLOSE:
      // The window goes only through Unload, which may be cancelled.
      internal::RunFromNative([f] { f->NativeCloseRequested(); });
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp) internal::EndSession();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* nf = static_cast<NativeForm*>(cs->lpCreateParams);
    if (nf) nf->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(nf));
  }
  auto* nf = reinterpret_cast<NativeForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (nf) {
      // Destroyed from outside (a host window that went away): the form
      // keeps its properties and has no window any more.
      nf->hwnd = nullptr;
      nf->dc = nullptr;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  const internal::NativeScope scope;
  try {
    return HandleFormMessage(nf, hwnd, msg, wp, lp);
  } catch (...) {
    // Form code runs through RunFromNative; nothing may cross this frame.
    return 0;
  }
}

void CALLBACK WakeupProc(HWND, UINT, UINT_PTR, DWORD) {
  internal::RunFromNative(internal::WakeupFired);
}

// The dialog manager handles Tab, Enter and the arrows for forms with
// controls; everything else is dispatched as it is.
void Dispatch(MSG& m) {
  if (m.hwnd) {
    const HWND root = GetAncestor(m.hwnd, GA_ROOT);
    char cls[32] = {};
    NativeForm* nf = nullptr;
    if (root && GetClassNameA(root, cls, sizeof cls) && lstrcmpiA(cls, FormClass()) == 0)
      nf = reinterpret_cast<NativeForm*>(GetWindowLongPtrA(root, GWLP_USERDATA));
    if (!nf) {
      // An embedded form's root is the host's window.
      HWND h = m.hwnd;
      while (h && !nf) {
        if (GetClassNameA(h, cls, sizeof cls) && lstrcmpiA(cls, FormClass()) == 0) {
          nf = reinterpret_cast<NativeForm*>(GetWindowLongPtrA(h, GWLP_USERDATA));
          break;
        }
        h = GetParent(h);
      }
    }
    if (nf && nf->form && nf->hwnd && m.hwnd != nf->hwnd && IsDialogMessageA(nf->hwnd, &m)) return;
  }
  TranslateMessage(&m);
  DispatchMessageA(&m);
}

}  // namespace

// ---- shared helpers ------------------------------------------------------------------

NativeControl* NativeForm::ById(int id) const {
  const int i = id - kFirstControlId;
  if (i < 0 || i >= static_cast<int>(controls.size())) return nullptr;
  return controls[static_cast<std::size_t>(i)].get();
}

NativeControl* NativeForm::ByHwnd(HWND h) const {
  if (!h) return nullptr;
  for (const auto& nc : controls)
    if (nc->hwnd == h) return nc.get();
  return nullptr;
}

NativeForm* Native(const Form& f) { return static_cast<NativeForm*>(f.native); }
NativeControl* Native(const Control& c) { return static_cast<NativeControl*>(c.native); }

HBRUSH BrushOf(COLORREF c) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto it = brushes.find(c);
  if (it != brushes.end()) return it->second;
  const HBRUSH b = CreateSolidBrush(c);
  if (b) brushes.emplace(c, b);
  return b;
}

HFONT FontOf(const Font& f) {
  static std::map<std::tuple<std::string, int, bool>, HFONT> fonts;
  const float points = f.size > 0 ? f.size : 8.25f;
  // Points at the screen's DPI; a negative height asks for the character
  // height, as point sizes mean.
  const int height = -MulDiv(static_cast<int>(std::lround(points * 100.0f)), g_dpiY, 7200);
  const auto key = std::make_tuple(f.name, height, f.bold);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  const HFONT font =
      CreateFontA(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_SWISS, f.name.empty() ? "MS Sans Serif" : f.name.c_str());
  if (font) fonts.emplace(key, font);
  return font;
}

std::string WindowText(HWND h) {
  if (!h) return {};
  const int n = GetWindowTextLengthA(h);
  if (n <= 0) return {};
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  const int got = GetWindowTextA(h, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(std::max(0, got)));
  return s;
}

}  // namespace forms::win32

// ---- the backend ---------------------------------------------------------------------------

namespace forms::backend {

using namespace forms::win32;

void Init() {
  g_instance = GetModuleHandleA(nullptr);
  // Pixels are pixels: the programs lay out at the screen's real DPI (their
  // manifest says so too; this covers a program without one).
  if (HMODULE user = GetModuleHandleA("user32.dll")) {
    using SetAware = BOOL(WINAPI*)();
    if (auto fn = reinterpret_cast<SetAware>(
            reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDPIAware"))))
      fn();
  }
  if (HDC screen = GetDC(nullptr)) {
    g_dpiX = std::max(1, GetDeviceCaps(screen, LOGPIXELSX));
    g_dpiY = std::max(1, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  // One DC of its own per window: what the program draws into it stays
  // valid for the window's life and reaches the screen at once.
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = g_instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = nullptr;  // each form paints its own colour
  wc.lpszClassName = FormClass();
  RegisterClassExA(&wc);
}

Frame FrameOf(const Form& form) {
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, StyleOf(form, false), FALSE, ExStyleOf(form, false));
  return {-r.left, -r.top, r.right, r.bottom};
}

ScreenInfo QueryScreen() {
  ScreenInfo info;
  info.widthPx = GetSystemMetrics(SM_CXSCREEN);
  info.heightPx = GetSystemMetrics(SM_CYSCREEN);
  info.twipsPerPixelX = 1440.0f / static_cast<float>(g_dpiX);
  info.twipsPerPixelY = 1440.0f / static_cast<float>(g_dpiY);
  return info;
}

void CreateForm(Form& form, const std::vector<Control*>& controls) {
  auto owned = std::make_unique<NativeForm>();
  NativeForm* nf = owned.get();
  nf->form = &form;
  HWND parent = nullptr;
  if (form.HostWindow() != 0) {
    const HWND host = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(form.HostWindow()));
    // A host window that is gone leaves the form a window of its own.
    if (IsWindow(host)) {
      parent = host;
      nf->embedded = true;
    }
  }
  const DWORD style = StyleOf(form, nf->embedded);
  const DWORD ex = ExStyleOf(form, nf->embedded);
  RECT r{};
  if (nf->embedded) {
    GetClientRect(parent, &r);
  } else if (FillsScreen(form)) {
    r = RectOf(internal::FullScreenRect(form));
  } else {
    r = OuterRect(form);
  }
  const HWND hwnd =
      CreateWindowExA(ex, FormClass(), form.Caption().c_str(), style, r.left, r.top,
                      r.right - r.left, r.bottom - r.top, parent, nullptr, g_instance, nf);
  if (!hwnd) {
    // Without a window the form still keeps every property.
    return;
  }
  owned.release();
  form.native = nf;
  ApplyIcon(*nf);
  for (Control* c : controls) CreateControl(*nf, *c);
  ApplyTabOrder(*nf);
}

void DestroyForm(Form& form) {
  NativeForm* nf = Native(form);
  if (!nf) return;
  form.native = nullptr;
  for (Control* c : form.Controls()) c->native = nullptr;
  for (auto& nc : nf->controls) nc->control = nullptr;
  nf->form = nullptr;
  if (nf->hwnd) {
    const HWND hwnd = nf->hwnd;
    if (nf->dc) ReleaseDC(hwnd, nf->dc);
    nf->dc = nullptr;
    DestroyWindow(hwnd);
  }
  FreeIcons(*nf);
  // Window procedures running now may still hold it.
  internal::FreeWhenSafe([nf] { delete nf; });
}

void ShowForm(Form& form, bool show) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return;
  if (!show) {
    ShowWindow(nf->hwnd, SW_HIDE);
    return;
  }
  if (!IsWindowVisible(nf->hwnd) && !form.EverShown() && !nf->embedded) ApplyGeometry(*nf);
  ShowWindow(nf->hwnd, nf->embedded ? SW_SHOW : ShowCommand(form));
  if (!nf->embedded) {
    ApplyState(*nf);
    SetForegroundWindow(nf->hwnd);
  }
  // Painted now, so that what the program draws next is not erased later.
  UpdateWindow(nf->hwnd);
}

void UpdateForm(Form& form, FormProp what) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return;
  switch (what) {
    case FormProp::Caption:
      SetWindowTextA(nf->hwnd, form.Caption().c_str());
      break;
    case FormProp::Geometry:
      ApplyGeometry(*nf);
      break;
    case FormProp::State:
      if (IsWindowVisible(nf->hwnd)) ApplyState(*nf);
      break;
    case FormProp::Colors:
      RedrawWindow(nf->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case FormProp::Icon:
      ApplyIcon(*nf);
      break;
    case FormProp::Style:
      if (!nf->embedded) {
        SetWindowLongPtrA(nf->hwnd, GWL_STYLE,
                          static_cast<LONG_PTR>(StyleOf(form, false) |
                                                (IsWindowVisible(nf->hwnd) ? WS_VISIBLE : 0)));
        SetWindowLongPtrA(nf->hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyleOf(form, false)));
        SetWindowPos(nf->hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        ApplyGeometry(*nf);
      }
      break;
  }
}

void RepaintForm(Form& form) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return;
  // The lines and the controls paint again at once; what the program drew
  // into the window stays (no erasing).
  RedrawWindow(nf->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

win::HWND FormHwnd(const Form& form) {
  NativeForm* nf = Native(form);
  return nf ? reinterpret_cast<win::HWND>(nf->hwnd) : nullptr;
}

win::HDC FormDC(Form& form) {
  NativeForm* nf = Native(form);
  if (!nf || !nf->hwnd) return nullptr;
  if (!nf->dc) nf->dc = GetDC(nf->hwnd);  // the class's own DC: kept
  return reinterpret_cast<win::HDC>(nf->dc);
}

void ProcessPending() {
  // Bounded, so that a flood of posted messages cannot hold the caller.
  MSG m;
  for (int i = 0; i < 100000 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) continue;  // nothing of ours quits this way
    Dispatch(m);
  }
}

bool ShowDrawn() {
  // A window's pixels reach the screen when its thread looks for messages.
  return false;
}

void WaitForEvents(std::int64_t timeoutMs) {
  const DWORD ms = static_cast<DWORD>(std::clamp<std::int64_t>(timeoutMs, 0, 24 * 3600 * 1000));
  // Blocks until input or a timer arrives (also input already seen but not
  // yet taken), or the time-out passes.
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  ProcessPending();
}

void ArmWakeup(std::int64_t ms) {
  if (ms < 0) {
    if (g_wakeup != kNoTimer) KillTimer(nullptr, g_wakeup);
    g_wakeup = kNoTimer;
    return;
  }
  const UINT elapse =
      static_cast<UINT>(std::clamp<std::int64_t>(ms, USER_TIMER_MINIMUM, 0x7FFFFFFF));
  // A thread timer: its WM_TIMER is dispatched by every message loop,
  // message boxes' included. The same id replaces the running one.
  const UINT_PTR id = SetTimer(nullptr, g_wakeup, elapse, WakeupProc);
  if (id != 0) g_wakeup = id;
}

void MessageBox(const std::string& text, bool exclamation, const std::string& caption) {
  UINT flags = MB_OK;
  if (exclamation) flags |= MB_ICONEXCLAMATION;
  // Owned by the active form (so it stays above a topmost stage), else
  // modal to every window of the program.
  HWND owner = GetActiveWindow();
  char cls[32] = {};
  if (owner && !(GetClassNameA(owner, cls, sizeof cls) && lstrcmpiA(cls, FormClass()) == 0))
    owner = nullptr;
  if (!owner) flags |= MB_TASKMODAL | MB_SETFOREGROUND;
  MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

}  // namespace forms::backend
