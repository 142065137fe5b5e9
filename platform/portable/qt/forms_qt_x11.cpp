// The X side of the forms: embedding into another program's window (a
// screen-saver host) and following its size, the hidden mouse pointer, the
// display the forms are on and its loss; and what the GDI and the X code ask
// of the forms (forms_side.h).
#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QWindow>
#include <string>
#include <vector>

#include "forms_side.h"
#include "gdi/surface.h"
#include "platform/process.h"
#include "qt/forms_qt.h"
#include "x11/present.h"
#include "x11/x11.h"

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>

namespace forms::qt {

namespace {

bool g_cursorHidden = false;
bool g_cursorApplied = false;

Display* QtDisplay() {
  if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

struct Embedded {
  QPointer<QWidget> widget;
  unsigned long host;
};
std::vector<Embedded>& EmbeddedWindows() {
  static std::vector<Embedded> e;
  return e;
}

// Each embedded form takes its host window's size; a form whose size
// changed hears Form_Resize.
void FollowHostWindows() {
  if (Exiting()) return;
  for (const Embedded& e : EmbeddedWindows()) {
    auto* fw = dynamic_cast<FormWindow*>(e.widget.data());
    int w = 0, h = 0;
    if (!fw || !portable::x11::WindowSize(e.host, &w, &h)) continue;
    if (fw->size() != QSize(w, h)) fw->setGeometry(0, 0, w, h);
    if (Form* f = fw->Owner()->form) RunFromNative([f, w, h] { f->NativeResized(w, h); });
  }
}

// Reads our own connection when the server sent something (the news of a
// host window's size).
void WatchHostWindow(unsigned long id) {
  static QSocketNotifier* notifier = nullptr;
  const int fd = portable::x11::WatchWindowSize(id);
  if (fd < 0 || notifier) return;
  notifier = new QSocketNotifier(fd, QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, [] { portable::present::Read(); });
}

}  // namespace

bool EmbedInto(QWidget* w, unsigned long id) {
  if (!QtDisplay()) return false;
  QWindow* host = QWindow::fromWinId(static_cast<WId>(id));
  if (!host) return false;
  w->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  w->setAttribute(Qt::WA_NativeWindow);
  w->winId();  // makes the native window, so it can be given its parent
  QWindow* own = w->windowHandle();
  if (!own) {
    delete host;
    return false;
  }
  own->setParent(host);
  EmbeddedWindows().push_back({w, id});
  WatchHostWindow(id);
  return true;
}

namespace {

// The display went away (the session ended under us). Qt and Xlib would end
// the process with status 1 from deep inside the event loop, and the
// program's static forms would then be destroyed against a dead display;
// instead the session ends here as on SIGTERM: every form unloads (the
// dialog keeps its counts) without another call into Qt, the exit steps
// run, and the process ends with status 0.
[[noreturn]] void EndWithLostDisplay() {
  StopCallingQt();
  internal::EndSession();
  plat::EndProgram(0);
}

bool DisplayLost() {
  if (!qGuiApp || QThread::currentThread() != qGuiApp->thread()) return false;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 && x11->connection() && xcb_connection_has_error(x11->connection());
}

int OnXIOError(Display*) { EndWithLostDisplay(); }

// Qt's own connection reports its loss with a warning before it ends the
// process.
QtMessageHandler g_previousMessages = nullptr;
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtDebugMsg && DisplayLost()) EndWithLostDisplay();
  if (g_previousMessages) g_previousMessages(type, context, text);
}

void WatchDisplayLoss() {
  if (!QtDisplay()) return;
  XSetIOErrorHandler(OnXIOError);
  g_previousMessages = qInstallMessageHandler(OnQtMessage);
}

void ApplyCursorToApp() {
  if (!qGuiApp || g_cursorApplied == g_cursorHidden) return;
  if (g_cursorHidden)
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  else
    QGuiApplication::restoreOverrideCursor();
  g_cursorApplied = g_cursorHidden;
}

}  // namespace

namespace {

// What the GDI and the X code ask of the forms.
class QtFormsSide : public portable::FormsSide {
 public:
  void ApplyCursorHidden(bool hidden) override {
    g_cursorHidden = hidden;
    if (!Exiting()) ApplyCursorToApp();
  }
  void WatchedWindowResized() override {
    if (Exiting()) return;
    QMetaObject::invokeMethod(
        qApp, [] { FollowHostWindows(); }, Qt::QueuedConnection);
  }
  const char* XDisplayName() override {
    // Asked often (every put checks it); the display never changes.
    if (!known_) {
      known_ = true;
      if (Display* d = QtDisplay()) {
        name_ = DisplayString(d);
        onX_ = true;
      }
    }
    return onX_ ? name_.c_str() : nullptr;
  }

 private:
  bool known_ = false;
  bool onX_ = false;
  std::string name_;
};

}  // namespace

void RegisterFormsSide() {
  static QtFormsSide side;
  portable::RegisterFormsSide(&side);
  // What was drawn reaches the screen before any event loop waits, a
  // message box's too: no call of its own to post, no wake-up to serve it.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   [] {
                     if (!Exiting()) portable::PresentWindows();
                   });
  // ShowCursor may have hidden the pointer before the application existed.
  g_cursorHidden = portable::CursorHidden();
  ApplyCursorToApp();
  WatchDisplayLoss();
}

}  // namespace forms::qt
