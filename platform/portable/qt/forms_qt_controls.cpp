// The controls of a form as Qt widgets.
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionSlider>
#include <QTextCursor>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "qt/forms_qt.h"

namespace forms::qt {

namespace {

Qt::Alignment HAlign(Align a) {
  switch (a) {
    case Align::Center:
      return Qt::AlignHCenter;
    case Align::Right:
      return Qt::AlignRight;
    case Align::Left:
      break;
  }
  return Qt::AlignLeft;
}

// Controls that are drawn on the form rather than being windows: pictures,
// lines and rectangles.
class PaintedControl : public QWidget {
 public:
  PaintedControl(QtControl* qc, QWidget* parent) : QWidget(parent), qc_(qc) {
    setAttribute(Qt::WA_TransparentForMouseEvents, qc->control->kind() != Kind::PictureBox);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const Control* c = qc_->control;
    if (!c) return;
    QPainter p(this);
    switch (c->kind()) {
      case Kind::PictureBox: {
        p.fillRect(rect(), ColorOf(c->BackColor()));
        const Picture* pic = static_cast<const PictureBox*>(c)->GetPicture();
        if (pic && !pic->Empty()) p.drawImage(0, 0, ImageOf(*pic));
        break;
      }
      case Kind::Image: {
        const Picture* pic = static_cast<const forms::Image*>(c)->GetPicture();
        if (pic && !pic->Empty()) p.drawImage(0, 0, ImageOf(*pic));
        break;
      }
      case Kind::Line: {
        const internal::LinePixels lp = internal::LinePoints(*c);
        const QPoint origin = geometry().topLeft();
        p.setPen(QPen(ColorOf(c->ForeColor()), 1));
        p.drawLine(QPoint(lp.x1, lp.y1) - origin, QPoint(lp.x2, lp.y2) - origin);
        break;
      }
      case Kind::Shape:
        p.setPen(QPen(ColorOf(c->ForeColor()), 1));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        break;
      default:
        break;
    }
  }

 private:
  QtControl* qc_;
};

QString TextForBox(const std::string& s) {
  QString t = ToQ(s);
  t.remove(QLatin1Char('\r'));
  return t;
}

void ApplyGeometry(QtControl& qc) {
  const Control& c = *qc.control;
  if (c.kind() == Kind::Line) {
    const internal::LinePixels lp = internal::LinePoints(c);
    qc.widget->setGeometry(std::min(lp.x1, lp.x2), std::min(lp.y1, lp.y2),
                           std::abs(lp.x2 - lp.x1) + 1, std::abs(lp.y2 - lp.y1) + 1);
    return;
  }
  qc.widget->setGeometry(internal::PxX(c.Left()), internal::PxY(c.Top()),
                         std::max(0, internal::PxX(c.Width())),
                         std::max(0, internal::PxY(c.Height())));
}

void ApplyText(QtControl& qc) {
  Control& c = *qc.control;
  switch (c.kind()) {
    case Kind::Label:
      static_cast<QLabel*>(qc.widget.data())->setText(ToQ(static_cast<Label&>(c).DisplayText()));
      break;
    case Kind::CommandButton:
      static_cast<QPushButton*>(qc.widget.data())
          ->setText(ToQ(internal::ButtonText(static_cast<CommandButton&>(c))));
      break;
    case Kind::TextBox: {
      auto& box = static_cast<TextBox&>(c);
      if (qc.multiLine)
        static_cast<QPlainTextEdit*>(qc.widget.data())->setPlainText(TextForBox(box.StoredText()));
      else
        static_cast<QLineEdit*>(qc.widget.data())->setText(TextForBox(box.StoredText()));
      break;
    }
    default:
      break;
  }
}

void ApplyColors(QtControl& qc) {
  const Control& c = *qc.control;
  QWidget* w = qc.widget;
  QPalette pal = w->palette();
  switch (c.kind()) {
    case Kind::Label:
      pal.setColor(QPalette::Window, ColorOf(c.BackColor()));
      pal.setColor(QPalette::WindowText, ColorOf(c.ForeColor()));
      w->setAutoFillBackground(true);
      break;
    case Kind::TextBox:
      pal.setColor(QPalette::Base, ColorOf(c.BackColor()));
      pal.setColor(QPalette::Text, ColorOf(c.ForeColor()));
      break;
    default:
      break;
  }
  w->setPalette(pal);
  w->update();
}

void ApplyRange(QtControl& qc) {
  auto& bar = static_cast<VScrollBar&>(*qc.control);
  auto* sb = static_cast<QScrollBar*>(qc.widget.data());
  // A bar may run from a larger Min at the top to a smaller Max below.
  // Keys and the wheel move the system's bar toward its top for Up, Page Up
  // and the wheel up: the toolkit's scroll bar does that with its controls
  // inverted (its default), and an inverted appearance turns it back.
  const bool inverted = bar.Min() > bar.Max();
  sb->setInvertedAppearance(inverted);
  sb->setInvertedControls(!inverted);
  sb->setRange(std::min(bar.Min(), bar.Max()), std::max(bar.Min(), bar.Max()));
  sb->setSingleStep(std::max(1, bar.SmallChange()));
  sb->setPageStep(std::max(1, bar.LargeChange()));
  sb->setValue(bar.Value());
}

void ApplyStyle(QtControl& qc) {
  Control& c = *qc.control;
  switch (c.kind()) {
    case Kind::Label:
      static_cast<QLabel*>(qc.widget.data())
          ->setAlignment(HAlign(static_cast<Label&>(c).Alignment()) | Qt::AlignTop);
      break;
    case Kind::TextBox: {
      auto& box = static_cast<TextBox&>(c);
      if (qc.multiLine) {
        auto* e = static_cast<QPlainTextEdit*>(qc.widget.data());
        e->setReadOnly(box.Locked());
      } else {
        auto* e = static_cast<QLineEdit*>(qc.widget.data());
        e->setReadOnly(box.Locked());
        e->setAlignment(HAlign(box.Alignment()) | Qt::AlignVCenter);
      }
      break;
    }
    default:
      break;
  }
}

void ApplyPicture(QtControl& qc) {
  Control& c = *qc.control;
  if (c.kind() == Kind::CommandButton) {
    auto* b = static_cast<QPushButton*>(qc.widget.data());
    const Picture* p = static_cast<CommandButton&>(c).GetPicture();
    if (p && !p->Empty()) {
      b->setIcon(QIcon(QPixmap::fromImage(ImageOf(*p))));
      b->setIconSize(QSize(p->Width(), p->Height()));
    } else {
      b->setIcon(QIcon());
    }
  } else {
    qc.widget->update();
  }
}

QWidget* MakeWidget(QtControl* qc, QWidget* parent) {
  Control& c = *qc->control;
  switch (c.kind()) {
    case Kind::Label: {
      auto* l = new QLabel(parent);
      l->setTextFormat(Qt::PlainText);
      l->setWordWrap(true);
      l->setFocusPolicy(Qt::NoFocus);
      return l;
    }
    case Kind::TextBox: {
      qc->multiLine = static_cast<TextBox&>(c).MultiLine();
      if (qc->multiLine) {
        auto* e = new QPlainTextEdit(parent);
        // In a form the Tab key moves to the next control.
        e->setTabChangesFocus(true);
        e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        return e;
      }
      auto* e = new QLineEdit(parent);
      // The system's boxes have no limit; the toolkit's stops at 32,767.
      e->setMaxLength(std::numeric_limits<int>::max());
      return e;
    }
    case Kind::VScrollBar: {
      auto* sb = new ScrollBar(parent);
      sb->setTracking(true);
      // The bar's Change follows each completed move; a dragged thumb counts
      // once it is let go.
      QObject::connect(sb, &QScrollBar::valueChanged, [qc, sb](int v) {
        if (qc->updating || !qc->control || sb->isSliderDown()) return;
        auto* bar = static_cast<VScrollBar*>(qc->control);
        RunFromNative([bar, v] { bar->UserChanged(v); });
      });
      QObject::connect(sb, &QScrollBar::sliderReleased, [qc, sb] {
        if (qc->updating || !qc->control) return;
        auto* bar = static_cast<VScrollBar*>(qc->control);
        const int v = sb->value();
        RunFromNative([bar, v] { bar->UserChanged(v); });
      });
      return sb;
    }
    case Kind::CommandButton: {
      auto* b = new QPushButton(parent);
      // Enter presses the button that has the focus.
      b->setAutoDefault(true);
      QObject::connect(b, &QPushButton::clicked, [qc] {
        if (!qc->control) return;
        auto* button = static_cast<CommandButton*>(qc->control);
        RunFromNative([button] {
          if (button->Click) button->Click();
        });
      });
      return b;
    }
    case Kind::PictureBox:
    case Kind::Image:
    case Kind::Line:
    case Kind::Shape:
      return new PaintedControl(qc, parent);
  }
  return new QWidget(parent);
}

}  // namespace

QRect ScrollBar::PartRect(QStyle::SubControl part) const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, this);
}

bool ScrollBar::TroughJumps() const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->styleHint(QStyle::SH_ScrollBar_LeftClickAbsolutePosition, &opt, this) != 0;
}

void ApplyFont(QWidget* w, const Font& f) {
  // The named font where fontconfig has it, else the nearest sans font.
  QFont font(ToQ(f.name));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(f.size > 0 ? f.size : 8.25);
  font.setBold(f.bold);
  w->setFont(font);
}

void ApplyControl(QtControl& qc, Prop what) {
  if (!qc.control || !qc.widget) return;
  Control& c = *qc.control;
  qc.updating = true;
  switch (what) {
    case Prop::Geometry:
      ApplyGeometry(qc);
      break;
    case Prop::Text:
      ApplyText(qc);
      break;
    case Prop::Visible:
      qc.widget->setVisible(c.Visible());
      break;
    case Prop::Enabled:
      qc.widget->setEnabled(c.Enabled());
      break;
    case Prop::Font:
      ApplyFont(qc.widget, c.GetFont());
      break;
    case Prop::Colors:
      ApplyColors(qc);
      break;
    case Prop::Value:
    case Prop::Range:
      if (c.kind() == Kind::VScrollBar) ApplyRange(qc);
      break;
    case Prop::Picture:
      ApplyPicture(qc);
      break;
    case Prop::Style:
      ApplyStyle(qc);
      break;
  }
  qc.updating = false;
}

void CreateControl(QtForm& qf, Control& c) {
  auto qc = std::make_unique<QtControl>();
  qc->control = &c;
  qc->owner = &qf;
  qc->widget = MakeWidget(qc.get(), qf.window);
  c.native = qc.get();
  for (Prop p : {Prop::Font, Prop::Colors, Prop::Style, Prop::Range, Prop::Text, Prop::Picture,
                 Prop::Geometry, Prop::Enabled, Prop::Visible})
    ApplyControl(*qc, p);
  // Only the controls in the keyboard order are reached with Tab.
  if (internal::TakesFocus(c.kind()))
    qc->widget->setFocusPolicy(c.TabIndex() >= 0 ? Qt::StrongFocus : Qt::ClickFocus);
  qf.controls.push_back(std::move(qc));
}

void ApplyTabOrder(QtForm& qf) {
  if (!qf.form) return;
  QWidget* prev = nullptr;
  for (Control* c : qf.form->TabOrder()) {
    QtControl* qc = Native(*c);
    if (!qc || !qc->widget) continue;
    if (prev) QWidget::setTabOrder(prev, qc->widget);
    prev = qc->widget;
  }
}

}  // namespace forms::qt

namespace forms::backend {

using namespace forms::qt;

void UpdateControl(Control& c, Prop what) {
  QtControl* qc = Native(c);
  if (!qc || Exiting()) return;
  ApplyControl(*qc, what);
  // Steps are plain members of the bar: take them along with any change.
  if (c.kind() == Kind::VScrollBar && what != Prop::Range && what != Prop::Value) {
    qc->updating = true;
    ApplyRange(*qc);
    qc->updating = false;
  }
}

void DestroyControl(Control& c) {
  QtControl* qc = Native(c);
  c.native = nullptr;
  if (!qc) return;
  qc->control = nullptr;
  if (!Exiting()) Bury(qc->widget);
}

std::string ControlText(const TextBox& c) {
  QtControl* qc = Native(c);
  if (!qc || !qc->widget) return c.StoredText();
  if (qc->multiLine) {
    // Lines end with CR LF, as the system's edit boxes give them.
    QString t = static_cast<QPlainTextEdit*>(qc->widget.data())->toPlainText();
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return FromQ(t);
  }
  return FromQ(static_cast<QLineEdit*>(qc->widget.data())->text());
}

void FocusControl(Control& c) {
  QtControl* qc = Native(c);
  if (!qc || !qc->widget || Exiting()) return;
  qc->widget->setFocus(Qt::OtherFocusReason);
}

bool ControlHasFocus(const Control& c) {
  QtControl* qc = Native(c);
  if (!qc || !qc->widget || Exiting()) return false;
  return qc->widget->window()->focusWidget() == qc->widget;
}

}  // namespace forms::backend
