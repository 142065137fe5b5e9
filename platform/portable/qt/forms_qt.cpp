// The forms runtime's native side on Linux: forms as Qt widgets, message
// processing in Qt's event loop, message boxes, the screen.
#include "qt/forms_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/process.h"
#include "x11/present.h"
#include "x11/x11.h"

namespace forms::qt {

namespace {

QScreen* TheScreen() { return QGuiApplication::primaryScreen(); }

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
  const internal::PixelRect place = internal::WindowPlace(f);
  const QSize client(place.width, place.height);
  if (f.GetBorderStyle() == BorderStyle::FixedDialog) {
    w->setFixedSize(client);
  } else {
    w->setMinimumSize(1, 1);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (f.GetWindowState() != WindowState::Normal) return;
  if (f.GetBorderStyle() == BorderStyle::None) {
    // Without a frame the window is its client area (a frame's margins the
    // toolkit remembers from before would shift it).
    w->setGeometry(QRect(QPoint(place.left, place.top), client));
  } else {
    w->resize(client);
    w->move(place.left, place.top);
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
      if (internal::FillsScreen(f)) {
        // Set the geometry too, for there may be no window manager to do it.
        const internal::PixelRect a = internal::FullScreenRect(f);
        const QRect r(a.left, a.top, a.width, a.height);
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

void Bury(QWidget* w) {
  if (!w) return;
  QObject::disconnect(w, nullptr, nullptr, nullptr);
  w->hide();
  internal::FreeWhenSafe([p = QPointer<QWidget>(w)] { delete p.data(); });
}

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
  // in the move event of a first showing. Without a frame the corner is the
  // client area's (pos() may still count a frame the window had).
  const QPoint p = qf->form->GetBorderStyle() == BorderStyle::None ? geometry().topLeft() : pos();
  internal::Moved(*qf->form, p.x(), p.y());
}

void FormWindow::closeEvent(QCloseEvent* e) {
  // The window goes only through Unload, which may be cancelled.
  e->ignore();
  if (Form* f = owner_->form) RunFromNative([f] { f->NativeCloseRequested(); });
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
  Form* f = owner_->form;
  QWidget* fw = focusWidget();
  // The form hears keys only when none of its controls has the focus.
  if (!f || (fw && fw != this)) {
    QWidget::keyPressEvent(e);
    return;
  }
  internal::KeyDown(*f, VirtualKeyFromQt(e->key()), ShiftState(e->modifiers()));
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
  internal::MouseDown(*f, ButtonsOf(e->button()), ShiftState(e->modifiers()), pos.x(), pos.y());
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
  Form* f = owner_->form;
  const QPoint pos = e->position().toPoint();
  if (!f || childAt(pos)) return;
  internal::MouseMove(*f, ButtonsOf(e->buttons()), ShiftState(e->modifiers()), pos.x(), pos.y());
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

Frame FrameOf(const Form& form) {
  // The window manager draws the frame, if any: take a dialog's frame on
  // the system the forms were designed for.
  if (form.GetBorderStyle() == BorderStyle::None) return {};
  return {3, 26, 3, 3};
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
  ApplyState(*qf);
  w->show();
  if (qf->hostWindow == 0) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->activateWindow();
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
      // A new frame re-creates the native window, which hides it.
      const bool visible = qf->window->isVisible();
      ApplyFlags(*qf);
      ApplyGeometry(*qf);
      if (visible) {
        ApplyState(*qf);
        qf->window->show();
      }
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
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // A pass that does not wait is idle too.
  if (!Exiting()) portable::PresentWindows();
}

bool ShowDrawn() {
  if (!Exiting()) portable::PresentWindows();
  return true;
}

void MessageBox(const std::string& text, bool exclamation, const std::string& caption) {
  const QMessageBox::Icon icon = exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
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
  box.exec();
}

}  // namespace forms::backend

#if defined(__SANITIZE_ADDRESS__)
// fontconfig (Qt's font database) and libdbus (Qt's desktop integration on
// X11) keep a little memory unreachable for the whole run; not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif
