// The shared half of the forms runtime: properties, keyboard order, timers
// on the platform clock, held exceptions, and every policy the native sides
// apply (forms_backend.h). The native half is in platform/win32/ and
// platform/portable/qt/.
#include "platform/forms.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "forms_backend.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "seams.h"

namespace forms::seams {
std::function<int(const std::string&, int, const std::string&)> msgBox;
float twipsPerPixel = 0;
}  // namespace forms::seams

namespace forms {

namespace {

std::exception_ptr g_held;
int g_overrideW = 0, g_overrideH = 0;
bool g_initialised = false;
// The due time the native wake-up is armed for (kNotArmed: none). Every
// message pass asks for the next wake-up; arming the native timer again for
// the same due time would change nothing and costs a round trip to the
// window system under Wine.
constexpr std::int64_t kNotArmed = std::numeric_limits<std::int64_t>::min();
std::int64_t g_armedDue = kNotArmed;
// Never destroyed: forms and timers that are statics of their own may go
// after these lists at the program's exit, and still unregister themselves.
std::vector<Timer*>& Timers() {
  static auto* t = new std::vector<Timer*>;
  return *t;
}
std::vector<Form*>& LoadedForms() {
  static auto* f = new std::vector<Form*>;
  return *f;
}

// Native handlers running now, and native objects waiting for none to run.
int g_nativeDepth = 0;
std::vector<std::function<void()>>& Unfreed() {
  static auto* v = new std::vector<std::function<void()>>;
  return *v;
}

void CollectFreed() {
  if (g_nativeDepth > 0 || Unfreed().empty()) return;
  std::vector<std::function<void()>> due;
  due.swap(Unfreed());
  for (auto& free : due) free();
}

// "&&" stands for one "&"; a single "&" marks a mnemonic, which we do not
// show.
std::string StripMnemonics(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') {
        out.push_back('&');
        ++i;
      }
      continue;
    }
    out.push_back(s[i]);
  }
  return out;
}

}  // namespace

// ---- internal ------------------------------------------------------------------

namespace internal {

void RunEvent(const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    if (!g_held) g_held = std::current_exception();
  }
}

void RethrowHeld() {
  if (g_held) {
    std::exception_ptr e = g_held;
    g_held = nullptr;
    std::rethrow_exception(e);
  }
}

NativeScope::NativeScope() { ++g_nativeDepth; }
NativeScope::~NativeScope() { --g_nativeDepth; }

void RunFromNative(const std::function<void()>& fn) {
  NativeScope scope;
  RunEvent(fn);
}

void FreeWhenSafe(std::function<void()> free) { Unfreed().push_back(std::move(free)); }

void ArmNextWakeup() {
  if (plat::GetClockMode() != plat::ClockMode::Real) {
    g_armedDue = kNotArmed;
    backend::ArmWakeup(-1);
    return;
  }
  std::int64_t next = std::numeric_limits<std::int64_t>::max();
  for (Timer* t : Timers()) {
    if (t->Enabled() && t->Interval() > 0) next = std::min(next, t->Due());
  }
  if (next == g_armedDue) return;
  g_armedDue = next;
  if (next == std::numeric_limits<std::int64_t>::max()) {
    backend::ArmWakeup(-1);
  } else {
    backend::ArmWakeup(std::max<std::int64_t>(0, next - plat::ClockMillis()));
  }
}

void WakeupFired() {
  // The native timer may have stopped (a single shot) or fired early: arm
  // it again whatever the due time.
  g_armedDue = kNotArmed;
  FireDueTimers();
}

void FireDueTimers() {
  const std::int64_t now = plat::ClockMillis();
  // A tick may enable, disable or destroy timers: work on a copy and check
  // each one is still there.
  const std::vector<Timer*> snapshot = Timers();
  for (Timer* t : snapshot) {
    auto& live = Timers();
    if (std::find(live.begin(), live.end(), t) == live.end()) continue;
    if (t->Enabled() && t->Interval() > 0 && t->Due() <= now) t->Fire();
  }
  ArmNextWakeup();
}

namespace {

// A layout's twips in pixels. Where twips per pixel is whole (96, 120, 144
// dpi) by the system's rule, rounded division; at 168, 192 and 216 dpi
// rounding 8.57, 7.5 or 6.67 would shrink every form and its pictures' places
// by up to a fifteenth, so there the division is exact (truncated).
int LayoutPixels(float twips, float twipsPerPixel) {
  if (twipsPerPixel == std::nearbyint(twipsPerPixel))
    return plat::TwipsToPixels(twips, twipsPerPixel);
  const double px = std::nearbyint(twips) / twipsPerPixel;
  return static_cast<int>(std::trunc(px + (px < 0 ? -1e-3 : 1e-3)));
}

}  // namespace

int PxX(float twips) { return LayoutPixels(twips, Screen::TwipsPerPixelX()); }
int PxY(float twips) { return LayoutPixels(twips, Screen::TwipsPerPixelY()); }

bool FillsScreen(const Form& f) {
  return f.GetBorderStyle() == BorderStyle::None && f.GetWindowState() == WindowState::Maximized;
}

PixelRect FullScreenRect(const Form& f) {
  const Form::Area& a = f.MonitorArea();
  if (a.width > 0 && a.height > 0) return {a.left, a.top, a.width, a.height};
  return {0, 0, std::max(1, Screen::WidthPixels()), std::max(1, Screen::HeightPixels())};
}

PixelRect WindowPlace(const Form& f) {
  PixelRect r{PxX(f.Left()), PxY(f.Top()), std::max(1, PxX(f.ScaleWidth())),
              std::max(1, PxY(f.ScaleHeight()))};
  if (f.GetStartUpPosition() == StartUpPosition::CenterScreen && !f.EverShown()) {
    const backend::Frame fr = backend::FrameOf(f);
    r.left = (Screen::WidthPixels() - (r.width + fr.left + fr.right)) / 2;
    r.top = (Screen::HeightPixels() - (r.height + fr.top + fr.bottom)) / 2;
  }
  return r;
}

bool TakesFocus(Kind k) {
  return k == Kind::TextBox || k == Kind::VScrollBar || k == Kind::CommandButton;
}

LinePixels LinePoints(const Control& c) {
  return {PxX(c.Left()), PxY(c.Top()), PxX(c.Left() + c.Width()), PxY(c.Top() + c.Height())};
}

std::string ButtonText(const CommandButton& b) {
  std::string out;
  for (char ch : b.DisplayText()) {
    out.push_back(ch);
    if (ch == '&') out.push_back('&');
  }
  return out;
}

void KeyDown(Form& f, int keyCode, int shift) {
  RunFromNative([&f, keyCode, shift] { f.Form_KeyDown(keyCode, shift); });
}

void MouseDown(Form& f, int button, int shift, int xPx, int yPx) {
  const float x = static_cast<float>(xPx) * Screen::TwipsPerPixelX();
  const float y = static_cast<float>(yPx) * Screen::TwipsPerPixelY();
  RunFromNative([&f, button, shift, x, y] { f.Form_MouseDown(button, shift, x, y); });
}

void MouseMove(Form& f, int buttons, int shift, int xPx, int yPx) {
  const float x = static_cast<float>(xPx) * Screen::TwipsPerPixelX();
  const float y = static_cast<float>(yPx) * Screen::TwipsPerPixelY();
  RunFromNative([&f, buttons, shift, x, y] { f.Form_MouseMove(buttons, shift, x, y); });
}

void Moved(Form& f, int xPx, int yPx) {
  f.NativeMoved(static_cast<float>(xPx) * Screen::TwipsPerPixelX(),
                static_cast<float>(yPx) * Screen::TwipsPerPixelY());
}

void EndSession() {
  // Unloading one form may unload others: work on a copy.
  const std::vector<Form*> loaded = LoadedForms();
  for (Form* f : loaded) {
    auto& now = LoadedForms();
    if (std::find(now.begin(), now.end(), f) == now.end()) continue;
    f->NativeCloseRequested();
  }
  RunFromNative([] { plat::EndProgram(0); });
}

}  // namespace internal

// ---- pictures -----------------------------------------------------------------------

Picture::Picture(int width, int height, std::vector<std::uint32_t> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {
  if (width_ <= 0 || height_ <= 0 ||
      pixels_.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
    width_ = height_ = 0;
    pixels_.clear();
  }
}

Picture Picture::FromBmp(const std::uint8_t* data, std::size_t size) {
  plat::Image img;
  if (!plat::DecodeBmp(data, size, img)) return Picture();
  return Picture(img.width, img.height, std::move(img.px));
}

Picture::~Picture() {
  if (handle_) win::DeleteObject(handle_);
}

Picture::Picture(Picture&& o) noexcept
    : width_(o.width_), height_(o.height_), pixels_(std::move(o.pixels_)), handle_(o.handle_) {
  o.width_ = o.height_ = 0;
  o.handle_ = nullptr;
}

Picture& Picture::operator=(Picture&& o) noexcept {
  if (this != &o) {
    if (handle_) win::DeleteObject(handle_);
    width_ = o.width_;
    height_ = o.height_;
    pixels_ = std::move(o.pixels_);
    handle_ = o.handle_;
    o.width_ = o.height_ = 0;
    o.handle_ = nullptr;
  }
  return *this;
}

win::HBITMAP Picture::Handle() const {
  if (!handle_ && !Empty()) {
    plat::Image img;
    img.width = width_;
    img.height = height_;
    img.px = pixels_;
    handle_ = plat::CreateBitmapFromImage(img);
  }
  return handle_;
}

// ---- controls ----------------------------------------------------------------------------

Control::Control(Form& form, Kind kind) : form_(form), kind_(kind) {
  form_.controls_.push_back(this);
}

Control::~Control() {
  if (native) backend::DestroyControl(*this);
  auto& v = form_.controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void Control::Changed(Prop p) {
  if (native) backend::UpdateControl(*this, p);
}

void Control::Move(float left, float top, float width, float height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Changed(Prop::Geometry);
}

bool Control::CanFocus() const {
  return internal::TakesFocus(kind_) && tabIndex_ >= 0 && visible_ && enabled_;
}

void Control::SetVisible(bool v) {
  visible_ = v;
  Changed(Prop::Visible);
}
void Control::SetEnabled(bool v) {
  enabled_ = v;
  Changed(Prop::Enabled);
}
void Control::SetFont(const Font& f) {
  font_ = f;
  Changed(Prop::Font);
}
void Control::SetBackColor(win::COLORREF c) {
  backColor_ = c;
  Changed(Prop::Colors);
}
void Control::SetForeColor(win::COLORREF c) {
  foreColor_ = c;
  Changed(Prop::Colors);
}
void Control::SetFocus() {
  if (native) backend::FocusControl(*this);
}
bool Control::HasFocus() const { return native && backend::ControlHasFocus(*this); }

void Label::SetCaption(std::string c) {
  caption_ = std::move(c);
  Changed(Prop::Text);
}
std::string Label::DisplayText() const { return StripMnemonics(caption_); }
void Label::SetAlignment(Align a) {
  align_ = a;
  Changed(Prop::Style);
}

std::string TextBox::Text() const { return native ? backend::ControlText(*this) : text_; }
void TextBox::SetText(std::string t) {
  text_ = std::move(t);
  Changed(Prop::Text);
}
void TextBox::SetLocked(bool l) {
  locked_ = l;
  Changed(Prop::Style);
}
void TextBox::SetAlignment(Align a) {
  align_ = a;
  Changed(Prop::Style);
}

void VScrollBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  value_ = std::clamp(value_, std::min(min_, max_), std::max(min_, max_));
  Changed(Prop::Range);
}
void VScrollBar::SetValue(int v) {
  v = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  if (v == value_) return;
  value_ = v;
  Changed(Prop::Value);
  if (Change) Change();
}
void VScrollBar::UserChanged(int v) {
  v = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  if (v == value_) return;
  value_ = v;
  if (Change) internal::RunEvent(Change);
}

void CommandButton::SetCaption(std::string c) {
  caption_ = std::move(c);
  Changed(Prop::Text);
}
std::string CommandButton::DisplayText() const { return StripMnemonics(caption_); }
void CommandButton::SetPicture(const Picture* p) {
  picture_ = p;
  Changed(Prop::Picture);
}

PictureBox::~PictureBox() { Release(); }

void PictureBox::Release() {
  if (dc_) {
    if (old_) win::SelectObject(dc_, old_);
    win::DeleteDC(dc_);
  }
  if (bmp_) win::DeleteObject(bmp_);
  dc_ = nullptr;
  bmp_ = nullptr;
  old_ = nullptr;
}

void PictureBox::SetPicture(const Picture* p) {
  picture_ = p;
  Release();
  Changed(Prop::Picture);
}

win::HDC PictureBox::hDC() {
  if (dc_) return dc_;
  // The box keeps its pixels in a memory DC of its own size: the background
  // colour with the picture at its top-left corner.
  plat::Image img;
  img.width = std::max(1, internal::PxX(Width()));
  img.height = std::max(1, internal::PxY(Height()));
  const win::COLORREF bg = BackColor();
  const std::uint32_t bgPx = ((bg & 0xFF) << 16) | (bg & 0xFF00) | ((bg >> 16) & 0xFF);
  img.px.assign(static_cast<std::size_t>(img.width) * img.height, bgPx);
  if (picture_) {
    const int w = std::min(img.width, picture_->Width());
    const int h = std::min(img.height, picture_->Height());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.at(x, y) = picture_->At(x, y);
  }
  bmp_ = plat::CreateBitmapFromImage(img);
  if (!bmp_) return nullptr;
  dc_ = win::CreateCompatibleDC(nullptr);
  if (!dc_) {
    win::DeleteObject(bmp_);
    bmp_ = nullptr;
    return nullptr;
  }
  old_ = win::SelectObject(dc_, bmp_);
  return dc_;
}

void Image::SetPicture(const Picture* p) {
  picture_ = p;
  Changed(Prop::Picture);
}

// ---- timers ------------------------------------------------------------------------------------

Timer::Timer(Form& /*form*/) { Timers().push_back(this); }

Timer::~Timer() {
  auto& v = Timers();
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void Timer::SetInterval(int ms) {
  interval_ = std::max(0, ms);
  if (enabled_) Arm();
}

void Timer::SetEnabled(bool e) {
  enabled_ = e;
  if (enabled_) Arm();
}

void Timer::Arm() {
  due_ = plat::ClockMillis() + interval_;
  if (g_initialised) internal::ArmNextWakeup();
}

void Timer::Fire() {
  // The next tick counts from this one, as a window timer does.
  due_ = plat::ClockMillis() + interval_;
  if (OnTimer) internal::RunEvent(OnTimer);
}

// ---- forms
// ---------------------------------------------------------------------------------------

Form::Form() = default;

Form::~Form() {
  if (loaded_) {
    backend::DestroyForm(*this);
    auto& v = LoadedForms();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
}

void Form::Changed(FormProp p) {
  if (native) backend::UpdateForm(*this, p);
}

void Form::SetBorderStyle(BorderStyle b) {
  border_ = b;
  Changed(FormProp::Style);
}
void Form::SetCaption(std::string c) {
  caption_ = std::move(c);
  Changed(FormProp::Caption);
}
void Form::SetBackColor(win::COLORREF c) {
  backColor_ = c;
  Changed(FormProp::Colors);
}
void Form::SetIcon(const Picture* p) {
  icon_ = p;
  Changed(FormProp::Icon);
}
void Form::SetClientSize(float width, float height) {
  clientW_ = width;
  clientH_ = height;
  Changed(FormProp::Geometry);
}
void Form::SetLeft(float v) {
  left_ = v;
  Changed(FormProp::Geometry);
}
void Form::SetTop(float v) {
  top_ = v;
  Changed(FormProp::Geometry);
}

namespace {
// The frame's width and height in twips.
float FrameWidth(const Form& f) {
  Init();
  const backend::Frame fr = backend::FrameOf(f);
  return static_cast<float>(fr.left + fr.right) * Screen::TwipsPerPixelX();
}
float FrameHeight(const Form& f) {
  Init();
  const backend::Frame fr = backend::FrameOf(f);
  return static_cast<float>(fr.top + fr.bottom) * Screen::TwipsPerPixelY();
}
}  // namespace

float Form::Width() const { return clientW_ + FrameWidth(*this); }
float Form::Height() const { return clientH_ + FrameHeight(*this); }
void Form::SetWidth(float v) {
  clientW_ = v - FrameWidth(*this);
  Changed(FormProp::Geometry);
}
void Form::SetHeight(float v) {
  clientH_ = v - FrameHeight(*this);
  Changed(FormProp::Geometry);
}
void Form::SetMonitorArea(const Area& a) {
  monitor_ = a;
  Changed(FormProp::Geometry);
}
void Form::SetWindowState(WindowState s) {
  state_ = s;
  Changed(FormProp::State);
}

std::vector<Control*> Form::TabOrder() const {
  std::vector<Control*> v;
  for (Control* c : controls_)
    if (c->CanFocus()) v.push_back(c);
  std::stable_sort(v.begin(), v.end(), [](const Control* a, const Control* b) {
    return a->TabIndex() < b->TabIndex();
  });
  return v;
}

void Form::Load() {
  if (loaded_) return;
  Init();
  // Native controls are made in keyboard order (labels and pictures with an
  // index take their place in it), the rest after.
  std::vector<Control*> order = controls_;
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    const int ia = a->TabIndex() < 0 ? std::numeric_limits<int>::max() : a->TabIndex();
    const int ib = b->TabIndex() < 0 ? std::numeric_limits<int>::max() : b->TabIndex();
    return ia < ib;
  });
  backend::CreateForm(*this, order);
  loaded_ = true;
  LoadedForms().push_back(this);
  internal::RethrowHeld();
  Form_Load();
}

void Form::Show() {
  if (!loaded_) Load();
  if (!loaded_) return;  // Form_Load unloaded it
  const bool first = !shown_;
  shown_ = true;
  backend::ShowForm(*this, true);
  everShown_ = true;
  // The first showing puts the focus on the first control in the keyboard
  // order, unless the form's activation put it on one already.
  if (first && loaded_) {
    const auto order = TabOrder();
    const bool focused =
        std::any_of(controls_.begin(), controls_.end(), [](Control* c) { return c->HasFocus(); });
    if (!order.empty() && !focused) order.front()->SetFocus();
  }
  internal::RethrowHeld();
}

void Form::Hide() {
  if (!loaded_) return;
  shown_ = false;
  backend::ShowForm(*this, false);
}

void Form::Unload() {
  if (!loaded_) return;
  int cancel = 0;
  Form_Unload(cancel);
  if (cancel != 0 || !loaded_) return;
  backend::DestroyForm(*this);
  loaded_ = false;
  shown_ = false;
  auto& v = LoadedForms();
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void Form::Refresh() {
  if (loaded_) backend::RepaintForm(*this);
}

win::HWND Form::hWnd() const { return loaded_ ? backend::FormHwnd(*this) : nullptr; }

win::HDC Form::hDC() {
  if (!loaded_) Load();
  return loaded_ ? backend::FormDC(*this) : nullptr;
}

void Form::NativeCloseRequested() {
  internal::RunEvent([this] { Unload(); });
}

void Form::NativeResized(int widthPx, int heightPx) {
  const float w = static_cast<float>(widthPx) * Screen::TwipsPerPixelX();
  const float h = static_cast<float>(heightPx) * Screen::TwipsPerPixelY();
  if (!loaded_ || (w == clientW_ && h == clientH_)) return;
  clientW_ = w;
  clientH_ = h;
  internal::RunEvent([this] { Form_Resize(); });
}

// ---- message boxes and processing
// ----------------------------------------------------------------

int MsgBox(const std::string& text, int style, const std::string& caption) {
  if (seams::msgBox) return seams::msgBox(text, style, caption);
  Init();
  {
    internal::NativeScope modal;
    backend::MessageBox(text, (style & 0x70) == vbExclamation, caption);
  }
  internal::RethrowHeld();
  return vbOK;
}

void DoEvents() {
  Init();
  CollectFreed();
  backend::ProcessPending();
  CollectFreed();
  internal::FireDueTimers();
  internal::RethrowHeld();
}

void ShowDrawn() {
  Init();
  if (!backend::ShowDrawn()) DoEvents();
}

void WaitForEvents(std::int64_t timeoutMs) {
  Init();
  CollectFreed();
  backend::WaitForEvents(std::max<std::int64_t>(0, timeoutMs));
  CollectFreed();
  internal::FireDueTimers();
  internal::RethrowHeld();
}

void RunUntilEnd() {
  for (;;) {
    if (LoadedForms().empty()) plat::EndProgram(0);
    // Timers wake the wait through the native side; the time-out only
    // bounds how long a wait without any event lasts.
    WaitForEvents(1000);
  }
}

// ---- the screen
// --------------------------------------------------------------------------------------

namespace Screen {
int WidthPixels() {
  Init();
  return g_overrideW > 0 ? g_overrideW : backend::QueryScreen().widthPx;
}
int HeightPixels() {
  Init();
  return g_overrideH > 0 ? g_overrideH : backend::QueryScreen().heightPx;
}
float Width() { return static_cast<float>(WidthPixels()) * TwipsPerPixelX(); }
float Height() { return static_cast<float>(HeightPixels()) * TwipsPerPixelY(); }
float TwipsPerPixelX() {
  Init();
  if (seams::twipsPerPixel > 0) return seams::twipsPerPixel;
  return backend::QueryScreen().twipsPerPixelX;
}
float TwipsPerPixelY() {
  Init();
  if (seams::twipsPerPixel > 0) return seams::twipsPerPixel;
  return backend::QueryScreen().twipsPerPixelY;
}
int PictureScale() { return 1440.0 / TwipsPerPixelX() >= 167.5 ? 2 : 1; }
}  // namespace Screen

void SetScreenSizeOverride(int widthPx, int heightPx) {
  g_overrideW = widthPx;
  g_overrideH = heightPx;
}

bool ScreenSizeOverridden() { return g_overrideW > 0 || g_overrideH > 0; }

void Init() {
  if (g_initialised) return;
  g_initialised = true;
  backend::Init();
}

}  // namespace forms
