#include "ui/qt/form1_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <cstdio>

#include "ui/form1_layout.h"
#include "ui/form1_state.h"

namespace varnel {
namespace {

// The shape control: a circle, filled in its fill colour when solid and empty when transparent.
class ShapeWidget : public QWidget {
 public:
  ShapeWidget(QColor fillColor, QWidget* parent) : QWidget(parent), fillColor_(fillColor) {}
  void SetFill(FillStyle fill) {
    if (fill == fill_) return;
    fill_ = fill;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_ == FillStyle::Solid ? QBrush(fillColor_) : Qt::NoBrush);
    const int side = std::min(width(), height()) - 1;
    painter.drawEllipse(QRect((width() - side) / 2, (height() - side) / 2, side, side));
  }

 private:
  QColor fillColor_;
  FillStyle fill_ = FillStyle::Transparent;
};

// The design's one system colour is the button face, which is the palette's button colour.
QColor ToQColor(Color color, const QPalette& palette) {
  const auto decoded = DecodeColor(color);
  if (const Rgb* rgb = std::get_if<Rgb>(&decoded)) return QColor(rgb->red, rgb->green, rgb->blue);
  return palette.color(QPalette::Button);
}

QFont ToQFont(const ControlFont& look) {
  QFont font(QString::fromUtf8(kFontFace));
  font.setPointSizeF(look.hundredthsOfPoint / 100.0);
  font.setBold(look.bold);
  return font;
}

// The logic knows keys by their Windows codes; of those, only F12's is needed here.
std::int16_t WindowsKeyCode(int qtKey) { return qtKey == Qt::Key_F12 ? kKeyF12 : 0; }

// One property of a control's state onto the widget, when the logic sets it there: each in turn is
// applied to every control, so none can be left out for one of them.
using Applier = void (*)(QWidget* control, const ControlState& state);
constexpr Applier kAppliers[] = {
    [](QWidget* control, const ControlState& state) {
      if (!state.caption) return;
      const QString text = QString::fromStdString(*state.caption);
      if (auto* label = qobject_cast<QLabel*>(control); label && label->text() != text) {
        label->setText(text);
      }
    },
    [](QWidget* control, const ControlState& state) {
      if (state.visible && control->isVisibleTo(control->parentWidget()) != *state.visible) {
        control->setVisible(*state.visible);
      }
    },
    [](QWidget* control, const ControlState& state) {
      if (!state.backColor) return;
      const QColor background = ToQColor(*state.backColor, control->palette());
      if (control->palette().color(QPalette::Window) == background) return;
      QPalette p = control->palette();
      p.setColor(QPalette::Window, background);
      control->setPalette(p);
    },
    [](QWidget* control, const ControlState& state) {
      if (!state.toolTip) return;
      const QString text = QString::fromStdString(*state.toolTip);
      if (control->toolTip() != text) control->setToolTip(text);
    },
    [](QWidget* control, const ControlState& state) {
      if (auto* shape = dynamic_cast<ShapeWidget*>(control); shape && state.fill) {
        shape->SetFill(*state.fill);
      }
    },
};

// The menu's items into `menu`, each entry carrying its ChoiceEntry.
void AddItems(QMenu& menu, const std::vector<MenuItem>& items) {
  menu.setToolTipsVisible(true);
  QActionGroup* radios = nullptr;
  for (const MenuItem& item : items) {
    const QString text = QString::fromStdString(item.text);
    QAction* action = nullptr;
    if (item.entry) {
      action = menu.addAction(text);
      action->setData(static_cast<int>(*item.entry));
      action->setCheckable(true);
      action->setChecked(item.checked);
      if (item.radio) {
        if (!radios) radios = new QActionGroup(&menu);
        radios->addAction(action);
      }
    } else {
      QMenu* submenu = menu.addMenu(text);
      AddItems(*submenu, item.items);
      action = submenu->menuAction();
    }
    action->setEnabled(item.enabled);
    action->setToolTip(QString::fromStdString(item.toolTip));
  }
}

}  // namespace

Form1Window::Form1Window(LockKeyPort& light, KeyboardLister& keyboards, Clock clock)
    : Form1Window(light, nullptr, keyboards, std::move(clock), {}, nullptr, nullptr) {}

Form1Window::Form1Window(LockKeyPort& light, DirectLink& link, KeyboardLister& keyboards,
                         Clock clock, DeviceList devices, CodeRecorder* recorder,
                         GuardedLight* guarded)
    : Form1Window(light, &link, keyboards, std::move(clock), std::move(devices), recorder,
                  guarded) {}

Form1Window::Form1Window(LockKeyPort& light, DirectLink* link, KeyboardLister& keyboards,
                         Clock clock, DeviceList devices, CodeRecorder* recorder,
                         GuardedLight* guarded)
    // X may report an auto-repeat as a plain release and press.
    : hosted_(this, *this, light, keyboards, std::move(clock), FormInput::Repeats::Unflagged) {
  hosted_.Input().Outlet().SetRecorder(recorder);
  hosted_.Input().SetGuardedLight(guarded);
  setWindowTitle(QString::fromStdString(kAppTitle));
  setObjectName("Form1");
  setFont(ToQFont(kCaptionFont));
  BuildControls();
  setFixedSize(Px(kClientWidthTwips), Px(kClientHeightTwips));

  if (link) hosted_.UseLink(*link, std::move(devices));

  create();
  windowHandle()->installEventFilter(this);
}

int Form1Window::Px(std::int32_t twips) const { return TwipsToPixels(twips, logicalDpiX()); }

void Form1Window::BuildControls() {
  QWidget* frame = nullptr;
  for (const ControlLayout& c : Form1Layout()) {
    QWidget* parent = c.inFrame ? frame : this;
    QWidget* control = nullptr;
    switch (c.kind) {
      case ControlKind::Button:
        control = new QPushButton(QString::fromStdString(c.caption), parent);
        control->setFocusPolicy(Qt::StrongFocus);
        break;
      case ControlKind::Frame:
        control = frame = new QGroupBox(QString::fromStdString(c.caption), parent);
        break;
      case ControlKind::Label: {
        auto* label = new QLabel(QString::fromStdString(c.caption), parent);
        if (c.border) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment((c.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        control = label;
        break;
      }
      case ControlKind::Shape:
        control = new ShapeWidget(ToQColor(c.fillColor, palette()), parent);
        break;
    }
    control->setObjectName(QString::fromStdString(c.name));
    if (c.kind != ControlKind::Button) control->setFocusPolicy(Qt::NoFocus);
    control->setGeometry(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
    // Qt orders focus only among controls that can take it, and Trg is the only one: the
    // layout's tab index is kept as a property so the whole order stays on record.
    if (c.kind != ControlKind::Shape) control->setProperty("TabIndex", c.tabIndex);
    if (c.font != kCaptionFont) control->setFont(ToQFont(c.font));
    if (c.foreColor) {
      QPalette text = control->palette();
      text.setColor(QPalette::WindowText, ToQColor(*c.foreColor, palette()));
      control->setPalette(text);
    }
    if (c.fillsBackground) control->setAutoFillBackground(true);
    if (!c.visible) control->setVisible(false);
    controls_[c.name] = control;
  }
}

void Form1Window::Load() {
  hosted_.Load();
  Render();
  controls_.at("Trg")->setFocus();
}

void Form1Window::Render() {
  for (const auto& [name, control] : controls_) {
    const ControlState state = StateOf(hosted_.Form().Controls(), name);
    for (Applier apply : kAppliers) apply(control, state);
  }
}

void Form1Window::ShowWarning(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.exec();
}

void Form1Window::SetOuterWidth(std::int32_t twips) {
  const int frameWidth = frameGeometry().width() - width();
  setFixedSize(Px(twips) - frameWidth, height());
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // The event's timestamp is the window system's own time of the key's movement (the X
    // server's or the compositor's milliseconds), which is what the holds are measured on.
    const KeyTime time{static_cast<Tick>(static_cast<std::uint32_t>(key->timestamp())),
                       hosted_.Now()};
    hosted_.Input().WindowKey(WindowsKeyCode(key->key()), event->type() == QEvent::KeyPress,
                              key->isAutoRepeat(), time);
    Render();
  }
  return QWidget::eventFilter(watched, event);  // the key goes on to the focused control
}

void Form1Window::Activate() {
  // The start-up warning, while it is open, is what the user has to see.
  QWidget* front = QApplication::activeModalWidget();
  if (!front) front = this;
  if (front == this && isMinimized()) showNormal();
  front->raise();
  front->activateWindow();
}

void Form1Window::contextMenuEvent(QContextMenuEvent* event) {
  if (!choices_) return QWidget::contextMenuEvent(event);
  QMenu menu(this);
  AddItems(menu, choices_->Items());
  if (const QAction* chosen = menu.exec(event->globalPos())) {
    choices_->Choose(static_cast<ChoiceEntry>(chosen->data().toInt()));
  }
  Render();
}

void Form1Window::closeEvent(QCloseEvent* event) {
  hosted_.Input().Unload();
  event->accept();
}

}  // namespace varnel
