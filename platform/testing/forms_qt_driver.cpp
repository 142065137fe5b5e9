// Acting on Qt forms as a user would, for tests.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <algorithm>
#include <cstdlib>

#include "platform/forms_test.h"
#include "qt/forms_qt.h"

namespace forms::test {

using namespace forms::qt;

namespace {

QWidget* WidgetOf(const Control& c) {
  QtControl* qc = Native(c);
  return qc ? qc->widget.data() : nullptr;
}

// The Qt key that the forms side reads as this virtual-key code: the
// printable keys first, then the others.
int QtKeyFromVirtualKey(int vk) {
  for (int k = Qt::Key_Space; k <= 0xFF; ++k)
    if (VirtualKeyFromQt(k) == vk) return k;
  for (int k = Qt::Key_Escape; k <= Qt::Key_Escape + 0xFF; ++k)
    if (VirtualKeyFromQt(k) == vk) return k;
  return Qt::Key_unknown;
}

void Click(QWidget* w, QPoint at) {
  const QPointF local(at);
  const QPointF global(w->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

}  // namespace

void ClickScrollArrow(VScrollBar& bar, bool up) {
  auto* sb = static_cast<ScrollBar*>(WidgetOf(bar));
  if (!sb) return;
  // A real click focuses by the focus policy; a sent one does not.
  if (sb->isEnabled() && (sb->focusPolicy() & Qt::ClickFocus)) sb->setFocus(Qt::MouseFocusReason);
  // The arrow's place as the style draws it.
  const QRect r = sb->PartRect(up ? QStyle::SC_ScrollBarSubLine : QStyle::SC_ScrollBarAddLine);
  if (r.isEmpty())
    sb->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                         : QAbstractSlider::SliderSingleStepAdd);
  else
    Click(sb, r.center());
  DoEvents();
}

void ClickScrollTrough(VScrollBar& bar, bool above) {
  auto* sb = static_cast<ScrollBar*>(WidgetOf(bar));
  if (!sb) return;
  const QRect r = sb->PartRect(above ? QStyle::SC_ScrollBarSubPage : QStyle::SC_ScrollBarAddPage);
  // A bar too short for a trough, or a style whose trough click jumps,
  // still pages as the system's bar does.
  if (r.isEmpty() || sb->TroughJumps() || !sb->isEnabled())
    sb->triggerAction(above ? QAbstractSlider::SliderPageStepSub
                            : QAbstractSlider::SliderPageStepAdd);
  else
    Click(sb, r.center());
  DoEvents();
}

void ClickButton(CommandButton& button) {
  auto* b = static_cast<QPushButton*>(WidgetOf(button));
  if (!b) return;
  // A mouse click gives the button the focus first, as on Windows.
  if (b->isEnabled()) b->setFocus(Qt::MouseFocusReason);
  b->click();  // nothing when disabled
  DoEvents();
}

void TypeText(TextBox& box, const std::string& text) {
  QtControl* qc = Native(box);
  if (!qc || !qc->widget) return;
  QString t = ToQ(text);
  t.remove(QLatin1Char('\r'));
  if (qc->multiLine) {
    auto* e = static_cast<QPlainTextEdit*>(qc->widget.data());
    e->setPlainText(t);
    e->moveCursor(QTextCursor::End);
  } else {
    auto* e = static_cast<QLineEdit*>(qc->widget.data());
    e->setText(t);
    e->setModified(true);
  }
  DoEvents();
}

void CloseBox(Form& form) {
  QtForm* qf = Native(form);
  if (!qf) return;
  QCloseEvent e;
  QApplication::sendEvent(qf->window, &e);
  DoEvents();
}

void PressKey(Form& form, int keyCode, int shift) {
  QtForm* qf = Native(form);
  if (!qf) return;
  QWidget* target = qf->window->focusWidget();
  if (!target) target = qf->window;
  const Qt::KeyboardModifiers mods = (shift & 1) ? Qt::ShiftModifier : Qt::NoModifier;
  int key = QtKeyFromVirtualKey(keyCode);
  if (key == Qt::Key_Tab && (shift & 1)) key = Qt::Key_Backtab;  // as the keyboard sends it
  QString text;
  if (key == Qt::Key_Return || key == Qt::Key_Enter)
    text = QStringLiteral("\r");
  else if (key == Qt::Key_Space)
    text = QStringLiteral(" ");
  else if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z'))
    text = QChar(keyCode).toLower();
  else if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
    text = QStringLiteral("\t");
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(target, &press);
  // The press may have moved the focus or closed the form.
  QtForm* still = Native(form);
  if (still) {
    QWidget* now = still->window->focusWidget();
    if (!now) now = still->window;
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(now, &release);
  }
  DoEvents();
}

Control* FocusedControl(Form& form) {
  QtForm* qf = Native(form);
  if (!qf) return nullptr;
  QWidget* fw = qf->window->focusWidget();
  if (!fw) return nullptr;
  for (Control* c : form.Controls())
    if (WidgetOf(*c) == fw) return c;
  return nullptr;
}

PixelRect ControlRect(const Control& c) {
  QWidget* w = WidgetOf(c);
  if (!w) return {};
  if (c.kind() == Kind::Line) {
    const internal::LinePixels p = internal::LinePoints(c);
    return {std::min(p.x1, p.x2), std::min(p.y1, p.y2), std::abs(p.x2 - p.x1),
            std::abs(p.y2 - p.y1)};
  }
  const QRect g = w->geometry();
  return {g.x(), g.y(), g.width(), g.height()};
}

PixelRect ClientRect(const Form& form) {
  QtForm* qf = Native(form);
  if (!qf) return {};
  const QPoint origin = qf->window->mapToGlobal(QPoint(0, 0));
  return {origin.x(), origin.y(), qf->window->width(), qf->window->height()};
}

std::string ShownText(const Control& c) {
  QWidget* w = WidgetOf(c);
  if (!w) return {};
  switch (c.kind()) {
    case Kind::Label:
      return FromQ(static_cast<QLabel*>(w)->text());
    case Kind::CommandButton: {
      // A button's "&&" is how Qt is told to show one "&".
      QString t = static_cast<QPushButton*>(w)->text();
      t.replace(QLatin1String("&&"), QLatin1String("&"));
      return FromQ(t);
    }
    case Kind::TextBox:
      return static_cast<const TextBox&>(c).Text();
    default:
      return {};
  }
}

}  // namespace forms::test
