// The X side of the forms: embedding into another program's window (a
// screen-saver host), the hidden mouse pointer, the display we talk to.
#include <QCursor>
#include <QGuiApplication>
#include <QWindow>
#include <string>

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

int g_xerror = 0;
int NoteError(Display*, XErrorEvent* e) {
  g_xerror = e->error_code;
  return 0;
}

}  // namespace

bool ForeignWindowSize(unsigned long id, int* width, int* height) {
  Display* d = QtDisplay();
  if (!d || id == 0) return false;
  // A window id that names nothing must not end the program.
  XSync(d, False);
  g_xerror = 0;
  XErrorHandler old = XSetErrorHandler(NoteError);
  XWindowAttributes attr{};
  const Status ok = XGetWindowAttributes(d, static_cast<Window>(id), &attr);
  XSync(d, False);
  XSetErrorHandler(old);
  if (!ok || g_xerror != 0 || attr.width <= 0 || attr.height <= 0) return false;
  *width = attr.width;
  *height = attr.height;
  return true;
}

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

void ApplyCursorToApp() {
  if (!qGuiApp || g_cursorApplied == g_cursorHidden) return;
  if (g_cursorHidden)
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  else
    QGuiApplication::restoreOverrideCursor();
  g_cursorApplied = g_cursorHidden;
}

}  // namespace forms::qt

namespace portable {

void ApplyCursorHidden(bool hidden) {
  // Remembered until the first form makes the application.
  forms::qt::g_cursorHidden = hidden;
  if (!forms::qt::Exiting()) forms::qt::ApplyCursorToApp();
}

const char* XDisplayName() {
  static std::string name;
  Display* d = forms::qt::QtDisplay();
  if (!d) return nullptr;
  name = DisplayString(d);
  return name.c_str();
}

}  // namespace portable
