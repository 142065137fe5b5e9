// The X side of the forms: embedding into another program's window (a
// screen-saver host), the hidden mouse pointer, the display the forms are
// on; and what the GDI and the X code ask of the forms (forms_side.h).
#include <QCursor>
#include <QGuiApplication>
#include <QWindow>
#include <string>

#include "forms_side.h"
#include "gdi/surface.h"
#include "qt/forms_qt.h"

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
  return true;
}

namespace {

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
  void SchedulePresent() override {
    if (Exiting()) return;
    // A posted call runs in every event loop, a message box's too.
    QMetaObject::invokeMethod(
        qApp, [] { portable::PresentWindows(); }, Qt::QueuedConnection);
  }
  void ApplyCursorHidden(bool hidden) override {
    g_cursorHidden = hidden;
    if (!Exiting()) ApplyCursorToApp();
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
  // ShowCursor may have hidden the pointer before the application existed.
  g_cursorHidden = portable::CursorHidden();
  ApplyCursorToApp();
}

}  // namespace forms::qt
