// The Qt application of the forms: its start, the timers' wake-up, Alt+F4
// and the session's end.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "gdi/surface.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "process_internal.h"
#include "qt/forms_qt.h"

namespace forms::qt {

namespace {

QApplication* g_app = nullptr;  // lives for the whole run
QTimer* g_wakeup = nullptr;
bool g_exiting = false;

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
    RunFromNative([form] { form->NativeCloseRequested(); });
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
    RunFromNative(internal::EndSession);
  });
  plat::native::SetSessionEndNotifier(NotifySessionEnd);
}
}  // namespace

bool Exiting() { return g_exiting || !g_app; }
void StopCallingQt() { g_exiting = true; }

}  // namespace forms::qt

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
  QObject::connect(g_wakeup, &QTimer::timeout, [] { RunFromNative(internal::WakeupFired); });
  RegisterFormsSide();
}

void WaitForEvents(std::int64_t timeoutMs) {
  // The time-out is an event of its own, so the wait blocks in the event
  // loop until either comes. A timer of each wait's own: a wait inside an
  // event of another keeps that one's time-out as it was. The timers are
  // the ids of one object that ignores them, not an object per wait: a show
  // waits 40 to 64 times a second.
  static QObject* const timeouts = new QObject;  // lives to the end, as the app
  // What was drawn goes out first, also where the wait does not block (and
  // so never reaches the idle moment that puts it).
  if (!Exiting()) portable::PresentWindows();
  const int id = timeouts->startTimer(
      static_cast<int>(std::clamp<std::int64_t>(timeoutMs, 0, 24 * 3600 * 1000)), Qt::PreciseTimer);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  if (id != 0) timeouts->killTimer(id);
}

void ArmWakeup(std::int64_t ms) {
  if (!g_wakeup) return;
  if (ms < 0) {
    g_wakeup->stop();
    return;
  }
  g_wakeup->start(static_cast<int>(std::min<std::int64_t>(ms, 24 * 3600 * 1000)));
}

}  // namespace forms::backend
