// The forms runtime's native side on Linux: forms as Qt widgets, message
// processing in Qt's event loop, message boxes, the screen.
#include "qt/forms_qt.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/process.h"
#include "platform/rules.h"
#include "process_internal.h"
#include "x11/present.h"
#include "x11/x11.h"

namespace forms::qt {

namespace {

QApplication* g_app = nullptr;  // lives for the whole run
QTimer* g_wakeup = nullptr;
int g_depth = 0;
bool g_exiting = false;
std::vector<QPointer<QObject>>& Graveyard() {
  static std::vector<QPointer<QObject>> g;
  return g;
}

// Alt+F4 closes a form as the system's close command does, also where no
// window manager does it for us.
class CloseKeyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* target, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() != Qt::Key_F4 || (k->modifiers() & Qt::AltModifier) == 0) return false;
    auto* w = qobject_cast<QWidget*>(target);
    if (!w) return false;
    auto* fw = dynamic_cast<FormWindow*>(w->window());
    if (!fw || !fw->Owner()->form) return false;
    Form* form = fw->Owner()->form;
    RunFromQt([form] { form->NativeCloseRequested(); });
    return true;
  }
};

// The session's end reaches us as a signal; its handler only writes to this
// pipe, and the event loop closes the forms as Windows does at a session's
// end.
int g_sessionPipe[2] = {-1, -1};

void NotifySessionEnd() {
  const char byte = 1;
  if (g_sessionPipe[1] >= 0) (void)!::write(g_sessionPipe[1], &byte, 1);
}

void WatchSessionEnd() {
  if (g_sessionPipe[0] >= 0 || ::pipe2(g_sessionPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* n = new QSocketNotifier(g_sessionPipe[0], QSocketNotifier::Read, g_app);
  QObject::connect(n, &QSocketNotifier::activated, [n] {
    n->setEnabled(false);
    RunFromQt(internal::EndSession);
  });
  plat::native::SetSessionEndNotifier(NotifySessionEnd);
}

QScreen* TheScreen() { return QGuiApplication::primaryScreen(); }

// What a full-screen form covers in device pixels: its monitor, else the
// screen with the runtime's size (the host window's, or a test's) when one
// is set.
QRect FullScreenRect(const Form& f) {
  const Form::Area& a = f.MonitorArea();
  if (a.width > 0 && a.height > 0) return QRect(a.left, a.top, a.width, a.height);
  QRect r(0, 0, 1024, 768);
  if (QScreen* s = TheScreen()) r = s->geometry();
  return QRect(r.topLeft(),
               QSize(std::max(1, Screen::WidthPixels()), std::max(1, Screen::HeightPixels())));
}

// Whether a window manager may take the rectangle for one of Qt's screens.
bool FillsRealScreen(const QRect& r) {
  for (QScreen* s : QGuiApplication::screens())
    if (r == s->geometry()) return true;
  return false;
}

void ApplyFlags(QtForm& qf) {
  Form& f = *qf.form;
  Qt::WindowFlags flags;
  switch (f.GetBorderStyle()) {
    case BorderStyle::None:
      flags = Qt::Window | Qt::FramelessWindowHint;
      break;
    case BorderStyle::FixedDialog:
      flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
              Qt::MSWindowsFixedSizeDialogHint;
      break;
    case BorderStyle::Sizable:
      flags = Qt::Window;
      break;
  }
  if (qf.window->windowFlags() & Qt::WindowStaysOnTopHint) flags |= Qt::WindowStaysOnTopHint;
  if (qf.hostWindow == 0) qf.window->setWindowFlags(flags);
}

void ApplyColors(QtForm& qf) {
  QPalette pal = qf.window->palette();
  pal.setColor(QPalette::Window, ColorOf(qf.form->BackColor()));
  qf.window->setPalette(pal);
  // A window that shows its surface paints every pixel itself.
  qf.window->setAutoFillBackground(!qf.dcUsed);
  qf.window->setAttribute(Qt::WA_OpaquePaintEvent, qf.dcUsed);
}

void ApplyIcon(QtForm& qf) {
  const Picture* p = qf.form->Icon();
  if (p && !p->Empty())
    qf.window->setWindowIcon(QIcon(QPixmap::fromImage(ImageOf(*p))));
  else
    qf.window->setWindowIcon(QIcon());
}

// Client size and position from the form's twips; the window state decides
// whether they apply.
void ApplyGeometry(QtForm& qf) {
  Form& f = *qf.form;
  FormWindow* w = qf.window;
  if (qf.hostWindow != 0) {
    int hw = 0, hh = 0;
    if (portable::x11::WindowSize(qf.hostWindow, &hw, &hh)) w->setGeometry(0, 0, hw, hh);
    return;
  }
  const QSize client(std::max(1, internal::PxX(f.ScaleWidth())),
                     std::max(1, internal::PxY(f.ScaleHeight())));
  if (f.GetBorderStyle() == BorderStyle::FixedDialog)
    w->setFixedSize(client);
  else
    w->setMinimumSize(1, 1);
  if (f.GetWindowState() != WindowState::Normal) return;
  w->resize(client);
  if (f.GetStartUpPosition() == StartUpPosition::CenterScreen && !qf.everShown) {
    // Centred as a whole window, frame included.
    QRect avail = TheScreen() ? TheScreen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const int ow = internal::PxX(f.Width());
    const int oh = internal::PxY(f.Height());
    w->move(avail.left() + (avail.width() - ow) / 2, avail.top() + (avail.height() - oh) / 2);
  } else {
    w->move(internal::PxX(f.Left()), internal::PxY(f.Top()));
  }
}

void ApplyState(QtForm& qf) {
  Form& f = *qf.form;
  FormWindow* w = qf.window;
  if (qf.hostWindow != 0) return;  // the host's window decides
  switch (f.GetWindowState()) {
    case WindowState::Normal:
      w->setWindowState(Qt::WindowNoState);
      ApplyGeometry(qf);
      break;
    case WindowState::Minimized:
      w->setWindowState(Qt::WindowMinimized);
      break;
    case WindowState::Maximized:
      if (f.GetBorderStyle() == BorderStyle::None) {
        // A borderless maximised window covers the whole screen; set the
        // geometry too, for there may be no window manager to do it.
        const QRect r = FullScreenRect(f);
        w->setGeometry(r);
        w->setWindowState(FillsRealScreen(r) ? Qt::WindowFullScreen : Qt::WindowNoState);
      } else {
        w->setWindowState(Qt::WindowMaximized);
      }
      break;
  }
}

}  // namespace

// ---- shared helpers ---------------------------------------------------------------

QImage ImageOf(const Picture& p) {
  QImage img(p.Width(), p.Height(), QImage::Format_RGB32);
  for (int y = 0; y < p.Height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < p.Width(); ++x) row[x] = 0xFF000000u | p.At(x, y);
  }
  return img;
}

QColor ColorOf(win::COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QString ToQ(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<int>(s.size()));
}

std::string FromQ(const QString& s) {
  std::string out;
  out.reserve(static_cast<std::size_t>(s.size()));
  for (QChar c : s) out.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
  return out;
}

QString EscapeMnemonics(const QString& s) {
  QString out = s;
  out.replace(QLatin1Char('&'), QLatin1String("&&"));
  return out;
}

void RunFromQt(const std::function<void()>& fn) {
  ++g_depth;
  internal::RunEvent(fn);
  --g_depth;
}

void Bury(QWidget* w) {
  if (!w) return;
  QObject::disconnect(w, nullptr, nullptr, nullptr);
  w->hide();
  Graveyard().push_back(w);
}

void CollectGraveyard() {
  if (g_depth > 0 || Graveyard().empty()) return;
  std::vector<QPointer<QObject>> dead;
  dead.swap(Graveyard());
  for (auto& p : dead) delete p.data();
}

bool Exiting() { return g_exiting || !g_app; }
void StopCallingQt() { g_exiting = true; }

QtForm* Native(const Form& f) { return static_cast<QtForm*>(f.native); }
QtControl* Native(const Control& c) { return static_cast<QtControl*>(c.native); }

int ShiftState(Qt::KeyboardModifiers m) {
  int s = 0;
  if (m & Qt::ShiftModifier) s |= kShiftMask;
  if (m & Qt::ControlModifier) s |= kCtrlMask;
  if (m & Qt::AltModifier) s |= kAltMask;
  return s;
}

// ---- the window of a form ------------------------------------------------------------

FormWindow::FormWindow(QtForm* owner) : QWidget(nullptr), owner_(owner) {
  owner_->window = this;
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

FormWindow::~FormWindow() = default;

QPaintEngine* FormWindow::paintEngine() const {
  // None for a window the platform puts its surface on: Qt paints nothing
  // of it, and asks (a paint event) only where the server lost the picture.
  return owner_->direct ? nullptr : QWidget::paintEngine();
}

void FormWindow::paintEvent(QPaintEvent* e) {
  QtForm* qf = owner_.get();
  if (!qf->dcUsed || !qf->hwnd) return;
  if (qf->direct) {
    for (const QRect& r : e->region())
      portable::WindowRepainted(qf->hwnd, r.x(), r.y(), r.width(), r.height());
    portable::PresentWindows();
    return;
  }
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* px = portable::WindowPixels(qf->hwnd, &w, &h, &stride);
  QPainter p(this);
  if (!px || w <= 0 || h <= 0) {
    p.fillRect(e->rect(), Qt::black);
    return;
  }
  // The surface is 0x00RRGGBB; as RGB32 the unused top byte is ignored.
  const QImage surface(reinterpret_cast<const uchar*>(px), w, h, static_cast<qsizetype>(stride) * 4,
                       QImage::Format_RGB32);
  // Each changed rectangle on its own: their bounding rectangle would be
  // most of the screen when sprites are spread over it.
  const QRegion inside = e->region().intersected(QRect(0, 0, w, h));
  for (const QRect& r : inside) p.drawImage(r.topLeft(), surface, r);
  // Beyond the surface (a window larger than it) the window stays black.
  const QRegion rest = e->region().subtracted(QRegion(0, 0, w, h));
  for (const QRect& r : rest) p.fillRect(r, Qt::black);
}

void FormWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  QtForm* qf = owner_.get();
  if (qf->hwnd && !Exiting()) portable::ResizeWindow(qf->hwnd, width(), height());
}

void FormWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  QtForm* qf = owner_.get();
  if (!qf->form || qf->hostWindow != 0) return;
  // pos() is the frame's corner; frameGeometry() can lag behind the margins
  // in the move event of a first showing.
  const QPoint p = pos();
  qf->form->NativeMoved(static_cast<float>(p.x()) * Screen::TwipsPerPixelX(),
                        static_cast<float>(p.y()) * Screen::TwipsPerPixelY());
}

void FormWindow::closeEvent(QCloseEvent* e) {
  // The window goes only through Unload, which may be cancelled.
  e->ignore();
  if (Form* f = owner_->form) RunFromQt([f] { f->NativeCloseRequested(); });
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
  Form* f = owner_->form;
  QWidget* fw = focusWidget();
  // The form hears keys only when none of its controls has the focus.
  if (!f || (fw && fw != this)) {
    QWidget::keyPressEvent(e);
    return;
  }
  const int vk = VirtualKeyFromQt(e->key());
  const int shift = ShiftState(e->modifiers());
  RunFromQt([f, vk, shift] { f->Form_KeyDown(vk, shift); });
}

namespace {
int ButtonsOf(Qt::MouseButtons b) {
  int r = 0;
  if (b & Qt::LeftButton) r |= kLeftButton;
  if (b & Qt::RightButton) r |= kRightButton;
  if (b & Qt::MiddleButton) r |= kMiddleButton;
  return r;
}
}  // namespace

void FormWindow::mousePressEvent(QMouseEvent* e) {
  Form* f = owner_->form;
  const QPoint pos = e->position().toPoint();
  // Presses on a control that did not take them are not the form's.
  if (!f || childAt(pos)) return;
  const int button = ButtonsOf(e->button());
  const int shift = ShiftState(e->modifiers());
  const float x = static_cast<float>(pos.x()) * Screen::TwipsPerPixelX();
  const float y = static_cast<float>(pos.y()) * Screen::TwipsPerPixelY();
  RunFromQt([f, button, shift, x, y] { f->Form_MouseDown(button, shift, x, y); });
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
  Form* f = owner_->form;
  const QPoint pos = e->position().toPoint();
  if (!f || childAt(pos)) return;
  const int buttons = ButtonsOf(e->buttons());
  const int shift = ShiftState(e->modifiers());
  const float x = static_cast<float>(pos.x()) * Screen::TwipsPerPixelX();
  const float y = static_cast<float>(pos.y()) * Screen::TwipsPerPixelY();
  RunFromQt([f, buttons, shift, x, y] { f->Form_MouseMove(buttons, shift, x, y); });
}

// ---- what the GDI asks of the window ---------------------------------------------------------

void QtForm::SurfaceDrawn(int x, int y, int width, int height) {
  if (window && !Exiting()) window->update(QRect(x, y, width, height));
}

void QtForm::SetShown(bool shown) {
  if (!window || Exiting()) return;
  window->setVisible(shown);
}

void QtForm::SetTopmost(bool topmost) {
  if (!window || Exiting() || hostWindow != 0) return;
  if (topmost == static_cast<bool>(window->windowFlags() & Qt::WindowStaysOnTopHint)) return;
  // Changing a flag re-creates the native window, which hides it.
  const bool visible = window->isVisible();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
  if (visible) window->show();
}

bool QtForm::IsShown() const { return window && window->isVisible(); }

unsigned long QtForm::NativeWindow() const {
  if (!direct || !window || Exiting() || !window->isVisible()) return 0;
  // The window's own handle: the widget's id can name a native window that
  // was made again (a changed window flag) after the widget took it.
  const QWindow* h = window->windowHandle();
  return h && h->handle() ? static_cast<unsigned long>(h->winId()) : 0;
}

namespace {

// Whether the platform can put the form's surface on its window itself: on
// X, unscaled (a scaled window's pixels are not the surface's), a visual
// the surface's pixels are, and no controls for Qt to paint over it.
bool CanPutDirectly(QtForm& qf) {
  static const bool onX = QGuiApplication::platformName() == QLatin1String("xcb");
  if (!onX || !qf.window || !qf.controls.empty()) return false;
  if (qf.window->devicePixelRatio() != 1.0) return false;
  return portable::present::CanServe(static_cast<unsigned long>(qf.window->winId()));
}

}  // namespace

}  // namespace forms::qt

// ---- the backend --------------------------------------------------------------------------------

namespace forms::backend {

using namespace forms::qt;

void Init() {
  // Forms name the Windows dialog font, which Linux lacks; the nearest sans
  // font fontconfig offers is much wider, and captions laid out for the
  // Windows font would be clipped. A font with Arial's metrics fits them.
  QFont::insertSubstitutions(
      QStringLiteral("MS Sans Serif"),
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
  if (QCoreApplication::instance()) {
    g_app = qobject_cast<QApplication*>(QCoreApplication::instance());
  } else {
    // Forms are laid out in device pixels (twips per pixel follow the
    // screen's DPI), so Qt must not scale them again.
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 0);
    // Qt's own event loop rather than GLib's: nothing here needs GLib's, and
    // a show's waits (64 a second) cost less in it.
    setenv("QT_NO_GLIB", "1", 0);
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
      std::fprintf(stderr, "No display: set DISPLAY to the X display to show the windows on.\n");
      std::exit(1);
    }
    static int argc = 1;
    // The toolkit names the windows' class after the program.
    static std::string name = plat::LowerAscii(plat::ProgramName());
    static char* argv[] = {name.data(), nullptr};
    g_app = new QApplication(argc, argv);
    // The program ends through plat::EndProgram, never when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // One look everywhere: a style that draws scroll-bar arrows.
    if (QStyle* s = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(s);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(8.25);
    QApplication::setFont(f);
    std::atexit([] { g_exiting = true; });
  }
  if (!g_app) {
    std::fprintf(stderr, "The forms need a widget application.\n");
    std::exit(1);
  }
  g_app->installEventFilter(new CloseKeyFilter(g_app));
  WatchSessionEnd();
  g_wakeup = new QTimer(g_app);
  g_wakeup->setSingleShot(true);
  g_wakeup->setTimerType(Qt::PreciseTimer);
  QObject::connect(g_wakeup, &QTimer::timeout, [] { RunFromQt(internal::FireDueTimers); });
  RegisterFormsSide();
}

ScreenInfo QueryScreen() {
  ScreenInfo info;
  QScreen* s = TheScreen();
  if (!s) return info;
  const qreal ratio = s->devicePixelRatio();
  info.widthPx = static_cast<int>(s->geometry().width() * ratio + 0.5);
  info.heightPx = static_cast<int>(s->geometry().height() * ratio + 0.5);
  // On X, the desktop's scale as the GDI reports it (LOGPIXELSX), so that
  // forms, drawing and pictures follow one number, as on Windows.
  const int xdpi = portable::x11::ScreenDpi();
  const qreal dx = xdpi > 0 ? xdpi : s->logicalDotsPerInchX();
  const qreal dy = xdpi > 0 ? xdpi : s->logicalDotsPerInchY();
  if (dx > 0) info.twipsPerPixelX = static_cast<float>(1440.0 / dx);
  if (dy > 0) info.twipsPerPixelY = static_cast<float>(1440.0 / dy);
  return info;
}

void CreateForm(Form& form, const std::vector<Control*>& controls) {
  auto* qf = new QtForm;
  qf->form = &form;
  auto* w = new FormWindow(qf);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  w->setWindowTitle(ToQ(form.Caption()));
  if (form.HostWindow() != 0) {
    int hw = 0, hh = 0;
    // A host window that is gone leaves the form a window of its own.
    if (portable::x11::WindowSize(form.HostWindow(), &hw, &hh) && EmbedInto(w, form.HostWindow()))
      qf->hostWindow = form.HostWindow();
  }
  ApplyFlags(*qf);
  ApplyColors(*qf);
  ApplyIcon(*qf);
  ApplyGeometry(*qf);
  qf->hwnd = portable::RegisterWindow(qf, std::max(1, w->width()), std::max(1, w->height()),
                                      plat::ProgramName() + "Form", form.Caption());
  form.native = qf;
  for (Control* c : controls) CreateControl(*qf, *c);
  // Windowless controls (labels, pictures, lines, shapes) lie on the form,
  // below every control that is a window of its own, in creation order.
  for (auto it = qf->controls.rbegin(); it != qf->controls.rend(); ++it) {
    const Kind k = (*it)->control->kind();
    if (k == Kind::Label || k == Kind::Image || k == Kind::Line || k == Kind::Shape)
      (*it)->widget->lower();
  }
  ApplyTabOrder(*qf);
}

void DestroyForm(Form& form) {
  QtForm* qf = Native(form);
  if (!qf) return;
  form.native = nullptr;
  for (Control* c : form.Controls()) c->native = nullptr;
  for (auto& qc : qf->controls) {
    qc->control = nullptr;
    if (qc->widget) QObject::disconnect(qc->widget, nullptr, nullptr, nullptr);
  }
  qf->form = nullptr;
  if (Exiting()) return;
  if (qf->dc) win::ReleaseDC(qf->hwnd, qf->dc);
  qf->dc = nullptr;
  if (qf->hwnd) portable::UnregisterWindow(qf->hwnd);
  qf->hwnd = nullptr;
  Bury(qf->window);
}

void ShowForm(Form& form, bool show) {
  QtForm* qf = Native(form);
  if (!qf) return;
  FormWindow* w = qf->window;
  if (!show) {
    w->hide();
    return;
  }
  const bool first = !w->isVisible();
  ApplyState(*qf);
  w->show();
  qf->everShown = true;
  if (qf->hostWindow == 0) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->activateWindow();
  }
  if (first && !w->focusWidget()) {
    const auto order = form.TabOrder();
    if (!order.empty()) FocusControl(*order.front());
  }
}

void UpdateForm(Form& form, FormProp what) {
  QtForm* qf = Native(form);
  if (!qf || Exiting()) return;
  switch (what) {
    case FormProp::Caption:
      qf->window->setWindowTitle(ToQ(form.Caption()));
      if (qf->hwnd) portable::SetWindowTitle(qf->hwnd, form.Caption());
      break;
    case FormProp::Geometry:
      ApplyGeometry(*qf);
      break;
    case FormProp::State:
      if (qf->window->isVisible()) ApplyState(*qf);
      break;
    case FormProp::Colors:
      ApplyColors(*qf);
      qf->window->update();
      break;
    case FormProp::Icon:
      ApplyIcon(*qf);
      break;
    case FormProp::Style: {
      const bool visible = qf->window->isVisible();
      ApplyFlags(*qf);
      if (visible) qf->window->show();
      break;
    }
  }
}

void RepaintForm(Form& form) {
  QtForm* qf = Native(form);
  if (qf && !Exiting()) qf->window->repaint();
}

win::HWND FormHwnd(const Form& form) {
  QtForm* qf = Native(form);
  return qf ? qf->hwnd : nullptr;
}

win::HDC FormDC(Form& form) {
  QtForm* qf = Native(form);
  if (!qf || !qf->hwnd) return nullptr;
  if (!qf->dc) {
    qf->dc = win::GetDC(qf->hwnd);
    if (!qf->dc) return nullptr;
    // From now on what reaches the screen is what was drawn to the DC.
    qf->dcUsed = true;
    if (CanPutDirectly(*qf)) {
      qf->direct = true;
      qf->window->setAttribute(Qt::WA_PaintOnScreen, true);
    }
    ApplyColors(*qf);
    qf->window->update();
  }
  return qf->dc;
}

void ProcessPending() {
  CollectGraveyard();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  CollectGraveyard();
}

void WaitForEvents(std::int64_t timeoutMs) {
  CollectGraveyard();
  // The time-out is an event of its own, so the wait blocks in the event
  // loop until either comes.
  QTimer timeout;
  timeout.setSingleShot(true);
  timeout.setTimerType(Qt::PreciseTimer);
  timeout.start(static_cast<int>(std::clamp<std::int64_t>(timeoutMs, 0, 24 * 3600 * 1000)));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  CollectGraveyard();
}

void ArmWakeup(std::int64_t ms) {
  if (!g_wakeup) return;
  if (ms < 0) {
    g_wakeup->stop();
    return;
  }
  g_wakeup->start(static_cast<int>(std::min<std::int64_t>(ms, 24 * 3600 * 1000)));
}

int MessageBox(const std::string& text, int style, const std::string& caption) {
  const QMessageBox::Icon icon =
      (style & 0x70) == vbExclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
  QWidget* owner = QApplication::activeWindow();
  if (owner && !dynamic_cast<FormWindow*>(owner)) owner = nullptr;
  QMessageBox box(icon, ToQ(caption), ToQ(text), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Ok);
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setIcon(QIcon());
  box.setEscapeButton(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  // The owner may be a topmost full-screen window.
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  ++g_depth;
  box.exec();
  --g_depth;
  return vbOK;
}

}  // namespace forms::backend

#if defined(__SANITIZE_ADDRESS__)
// fontconfig (Qt's font database) and libdbus (Qt's desktop integration on
// X11) keep a little memory unreachable for the whole run; not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif
