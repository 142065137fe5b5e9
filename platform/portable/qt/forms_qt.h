// The Qt side of the forms runtime, shared by its files: the native window
// of a form, the native half of a control, and the rules for calling into
// form code from Qt handlers.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QString>
#include <QStyle>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms_backend.h"
#include "gdi/surface.h"
#include "platform/forms.h"

namespace forms::qt {

struct QtForm;

// The native half of one control. It lives as long as its form's window, so
// that Qt signals still queued for a widget never reach freed memory;
// `control` is null once the control has gone.
struct QtControl {
  Control* control = nullptr;
  QtForm* owner = nullptr;
  QPointer<QWidget> widget;
  // Set while the program changes the widget, so that the widget's signals
  // are not taken for the user's doing.
  bool updating = false;
  // A text box's widget kind is chosen once, when it is made.
  bool multiLine = false;
};

class FormWindow;

// The native half of a form; also the window that the GDI draws into.
struct QtForm : portable::WindowSink {
  Form* form = nullptr;  // null once the form is unloaded
  FormWindow* window = nullptr;
  win::HWND hwnd = nullptr;
  win::HDC dc = nullptr;
  // Once the program asked for the window DC, the window shows its surface.
  bool dcUsed = false;
  // The surface is put on the X window by the platform itself, and Qt keeps
  // no picture of the window (see present.h).
  bool direct = false;
  // The X window of another program we are embedded in (0: none).
  unsigned long hostWindow = 0;
  std::vector<std::unique_ptr<QtControl>> controls;

  void SurfaceDrawn(int x, int y, int width, int height) override;
  void SetShown(bool shown) override;
  void SetTopmost(bool topmost) override;
  bool IsShown() const override;
  unsigned long NativeWindow() const override;
};

// The top-level widget of a form.
class FormWindow : public QWidget {
 public:
  explicit FormWindow(QtForm* owner);
  ~FormWindow() override;
  QtForm* Owner() const { return owner_.get(); }

 protected:
  void paintEvent(QPaintEvent* e) override;
  QPaintEngine* paintEngine() const override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  std::unique_ptr<QtForm> owner_;
};

// A scroll bar that can tell where its arrows and trough are.
class ScrollBar : public QScrollBar {
 public:
  explicit ScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}
  QRect PartRect(QStyle::SubControl part) const;
  bool TroughJumps() const;
};

// ---- shared helpers ------------------------------------------------------------

// Program texts are bytes of the ANSI code page; Latin-1 is its nearest
// match here, with "?" for what it cannot hold (as Windows converts).
QString ToQ(const std::string& s);
std::string FromQ(const QString& s);
QColor ColorOf(win::COLORREF c);
QImage ImageOf(const Picture& p);
using internal::RunFromNative;
// Hides a widget and deletes it once no handler is running.
void Bury(QWidget* w);
// True after the program began to exit: Qt is no longer called then.
bool Exiting();
// The program ends without Qt (its display is gone): Exiting() from now on.
void StopCallingQt();

QtForm* Native(const Form& f);
QtControl* Native(const Control& c);

// The virtual-key code of a Qt key (0: none).
int VirtualKeyFromQt(int qtKey);
int ShiftState(Qt::KeyboardModifiers m);

// Controls (forms_qt_controls.cpp).
void CreateControl(QtForm& qf, Control& c);
void ApplyControl(QtControl& qc, Prop what);
void ApplyTabOrder(QtForm& qf);
void ApplyFont(QWidget* w, const Font& f);

// The X side (forms_qt_x11.cpp).
// Makes `w` a child of the X window `id`, which it then follows in size;
// false when that cannot be done.
bool EmbedInto(QWidget* w, unsigned long id);
// Tells the GDI side that the forms run (forms_side.h).
void RegisterFormsSide();

}  // namespace forms::qt
