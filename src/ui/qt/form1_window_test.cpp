// The Linux window in-process, on Qt's offscreen platform, with a fake light and clock.
#include "ui/qt/form1_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <map>

#include "light/fake_light.h"
#include "light/fake_lock_key_port.h"
#include "light/light_key.h"
#include "link/fake_reader_device.h"
#include "ui/form1_layout.h"

namespace varnel {
namespace {

struct ReaderAttached : KeyboardLister {
  std::optional<KeyboardIds> KeyboardDeviceIds() override {
    return KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\1-2:1.0"};
  }
};

class Form1WindowTest : public ::testing::Test {
 protected:
  Form1WindowTest() : window(light, keyboards, [this] { return now; }) {}

  void SetUp() override {
    window.Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
  }

  template <typename T = QWidget>
  T* Control(const std::string& name) {
    return window.findChild<T*>(QString::fromStdString(name));
  }
  QString Caption(const std::string& name) { return Control<QLabel>(name)->text(); }
  int Px(std::int32_t twips) { return TwipsToPixels(twips, window.logicalDpiX()); }

  // A key event as the window system delivers it, stamped by default on a clock of its own that
  // runs with the program's but crosses the 32-bit wrap of X's timestamps during the test.
  void Key(Qt::Key key, bool press, quint64 timestamp = 0, bool isAutoRepeat = false) {
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, QString(),
                    isAutoRepeat);
    event.setTimestamp(timestamp ? timestamp : 0xFFFF'F000u + static_cast<quint64>(now));
    QCoreApplication::sendEvent(window.windowHandle(), &event);
  }
  void EndRepeatPairWait() {
    ASSERT_TRUE(QMetaObject::invokeMethod(&RepeatPairTimer(), "timeout"));
  }
  // The input's wait is the fourth of the form's timers.
  QTimer& RepeatPairTimer() { return *window.findChild<QTimer*>("Timer4"); }
  void Fire(const char* timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(Control<QTimer>(timer), "timeout"));
  }

  FakeLockKeyPort light;
  ReaderAttached keyboards;
  Tick now = 3'000;
  Form1Window window;
};

TEST_F(Form1WindowTest, ControlsHaveTheirNamesCaptionsAndPlaces) {
  EXPECT_EQ(window.windowTitle(), "Varnel");
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "not resizable";
  EXPECT_EQ(window.frameGeometry().width(), Px(kRunningOuterWidthTwips)) << "narrowed on load";
  EXPECT_EQ(window.height(), Px(kClientHeightTwips));

  for (const ControlLayout& c : Form1Layout()) {
    SCOPED_TRACE(c.name);
    QWidget* control = Control(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), QRect(Px(c.left), Px(c.top), Px(c.width), Px(c.height)));
    EXPECT_EQ(control->parentWidget() == Control("frReader"), c.inFrame);
    EXPECT_EQ(control->focusPolicy() != Qt::NoFocus, c.name == "Trg");
    switch (c.kind) {
      case ControlKind::Button:
        EXPECT_EQ(static_cast<QPushButton*>(control)->text().toStdString(), c.caption);
        break;
      case ControlKind::Frame:
        EXPECT_EQ(static_cast<QGroupBox*>(control)->title().toStdString(), c.caption);
        break;
      case ControlKind::Label:
        EXPECT_EQ(Caption(c.name).toStdString(), c.caption);
        break;
      case ControlKind::Shape:
        break;
    }
  }
  EXPECT_FALSE(Control("lblErr")->isVisible());
  EXPECT_TRUE(Control<QLabel>("lblErr")->font().bold());
  EXPECT_EQ(Control<QLabel>("lblErr")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_LT(Control("Bit(7)")->x(), Control("Bit(0)")->x());
  EXPECT_EQ(Control("Bit(0)")->x(), Control("Sh1")->x());
  EXPECT_EQ(Control("Bit(1)")->x(), Control("lblCnt")->x());
  EXPECT_EQ(Control("Trg")->x(), Px(3840));
  EXPECT_GE(Control("Trg")->x(), window.width()) << "Trg is pushed out of view";

  for (TimerId id : kTimers) {
    const auto* timer = Control<QTimer>("Timer" + std::to_string(static_cast<int>(id) + 1));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), TimerInterval(id));
    EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
  }
}

// Each text a control shows at one time or another fits it, in the control's own font.
TEST_F(Form1WindowTest, EveryCaptionFitsItsControl) {
  const std::pair<std::string, QStringList> shown[] = {
      {"Label1", {"Bit"}}, {"Label2", {"Valore"}},   {"Valore", {"0", "255"}},
      {"lblCnt", {"8"}},   {"Bit(7)", {"0", "1"}},   {"lblErr", {"ERRORE", "Parità", "Timeout"}},
      {"Trg", {"Trg"}},    {"frReader", {"Lettore"}}};
  for (const auto& [name, texts] : shown) {
    QWidget* control = Control(name);
    const QFontMetrics metrics(control->font());
    QRect room = control->contentsRect();
    if (auto* label = qobject_cast<QLabel*>(control); label && label->frameWidth() > 0) {
      room.setWidth(room.width() - metrics.horizontalAdvance(QLatin1Char('x')) / 2);  // indent
    }
    for (const QString& text : texts) {
      EXPECT_LE(metrics.horizontalAdvance(text), room.width())
          << name << ": " << text.toStdString();
      EXPECT_LE(metrics.height(), room.height()) << name << ": " << text.toStdString();
    }
  }
}

TEST_F(Form1WindowTest, TabOrderFollowsTheLayout) {
  std::map<int, std::string> byIndex;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    const QVariant index = w->property("TabIndex");
    if (index.isValid()) {
      EXPECT_TRUE(byIndex.emplace(index.toInt(), w->objectName().toStdString()).second);
    }
  }
  std::vector<std::string> order;
  for (const auto& [index, name] : byIndex) order.push_back(name);
  const std::vector<std::string> expected{"frReader", "lblCnt", "lblErr", "Valore", "Bit(7)",
                                          "Bit(6)",   "Bit(5)", "Bit(4)", "Bit(3)", "Bit(2)",
                                          "Bit(1)",   "Bit(0)", "Label2", "Label1", "Trg"};
  EXPECT_EQ(order, expected);
}

TEST_F(Form1WindowTest, F12ReachesCaptureWhateverHasTheFocusAndOtherKeysDoNothing) {
  ASSERT_EQ(QApplication::focusWidget(), Control("Trg"));
  for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_F11, Qt::Key_ScrollLock}) {
    Key(key, true);
    Key(key, false);
  }
  EXPECT_EQ(window.Logic().Window().SlotIndex, kArmedSlot);
  EXPECT_EQ(Caption("lblCnt"), "8");

  Key(Qt::Key_F12, true);
  EXPECT_EQ(window.Logic().Controls().Sh1FillStyle, FillStyle::Solid);
  now += 300;
  Key(Qt::Key_F12, false);
  now += 20;
  EndRepeatPairWait();
  EXPECT_EQ(window.Logic().Window().Pulses[7], 300) << "timed by the events, not by their delivery";
  EXPECT_EQ(Caption("lblCnt"), "7");
  EXPECT_EQ(window.Logic().Controls().Sh1FillStyle, FillStyle::Transparent);
}

TEST_F(Form1WindowTest, ACodeIsDecodedAndShownOnTheTimersTicks) {
  Fire("Timer1");  // the start-up light ends
  EXPECT_FALSE(light.IsOn());
  EXPECT_EQ(Control("Bit(6)")->toolTip(), "");
  for (int bit : {1, 0, 1, 0, 0, 1, 0, 1}) {
    Key(Qt::Key_F12, true);
    now += bit ? 300 : 100;
    Key(Qt::Key_F12, false);
    now += 50;  // the next press delivers the release
  }
  now += 801;
  Fire("Timer3");
  EXPECT_EQ(Caption("Valore"), "165");
  EXPECT_EQ(Caption("Bit(7)"), "1");
  EXPECT_EQ(Caption("Bit(6)"), "0");
  EXPECT_EQ(Control("Bit(6)")->toolTip(), "Pressione 100 ms, soglia 200 ms");
  EXPECT_EQ(Control("Valore")->toolTip(), "Margine 100 ms");
  EXPECT_EQ(Control("Valore")->palette().color(QPalette::Window), QColor(0, 255, 0));
  EXPECT_TRUE(light.IsOn());
  Fire("Timer1");
  EXPECT_EQ(Control("Valore")->palette().color(QPalette::Window),
            window.palette().color(QPalette::Button));
  EXPECT_FALSE(light.IsOn());
}

TEST_F(Form1WindowTest, AHeldBackReleaseIsDeliveredBeforeTheNextTick) {
  Key(Qt::Key_F12, true);
  now += 300;
  Key(Qt::Key_F12, false);
  now += 900;
  Fire("Timer3");  // the release comes first, so this tick finds a cut code
  EXPECT_EQ(window.Logic().Window().Pulses[7], 300);
  EXPECT_EQ(Caption("lblErr"), "Timeout");
  EXPECT_TRUE(Control("lblErr")->isVisible());
}

TEST_F(Form1WindowTest, ClosingTheWindowTurnsTheLightOff) {
  ASSERT_TRUE(light.IsOn()) << "the start-up light";
  window.close();
  EXPECT_FALSE(light.IsOn());
  EXPECT_FALSE(Control<QTimer>("Timer3")->isActive());
}

// The reader's device behind a pipe, so that the window's watch on it is a real one.
struct PipeOpener : DeviceOpener {
  PipeOpener() { EXPECT_EQ(pipe(fds), 0); }
  ~PipeOpener() override {
    close(fds[0]);
    close(fds[1]);
  }
  OpenedDevice Open(const std::string&) override {
    return {std::make_unique<FakeReaderDevice>(hw, fds[0]), 0};
  }
  // The device sends `event`; the window gets to it through its event loop.
  void Send(DeviceEvent event) {
    hw->queued.push_back(event);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    QCoreApplication::processEvents();
    char byte;
    ASSERT_EQ(read(fds[0], &byte, 1), 1);
  }
  std::shared_ptr<FakeHardware> hw = std::make_shared<FakeHardware>();
  int fds[2];
};

TEST(Form1WindowLink, TheReadersOwnKeysCountTheWindowsDoNotAndTheFrameNamesTheLink) {
  PipeOpener opener;
  FakeLight desktop;
  ReaderAttached keyboards;
  DirectLink link(opener, "/in", &desktop, WindowLight::Indicator);
  LightKey light(link.Light());
  Tick now = 7'000;
  ReaderNodes listed{{"/devices/usb1/1-2/1-2:1.0/input/input5", "event5"}};
  Form1Window window(
      light, link, keyboards, [&] { return now; }, [&] { return listed; });
  window.Load();
  QWidget* frame = window.findChild<QWidget*>("frReader");
  EXPECT_EQ(frame->toolTip(), "Collegamento diretto al lettore: /in/event5.");
  EXPECT_TRUE(opener.hw->led) << "the start-up light is the reader's own";
  EXPECT_FALSE(desktop.IsOn());

  QKeyEvent press(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
  QCoreApplication::sendEvent(window.windowHandle(), &press);
  EXPECT_EQ(window.Logic().Controls().Sh1FillStyle, FillStyle::Transparent) << "not counted";
  opener.Send({DeviceEvent::Kind::F12Down, 500});
  EXPECT_EQ(window.Logic().Controls().Sh1FillStyle, FillStyle::Solid);

  auto* scan = window.findChild<QTimer*>("DeviceScanTimer");
  EXPECT_EQ(scan->interval(), kScanIntervalMs);
  EXPECT_EQ(scan->timerType(), Qt::PreciseTimer);
  listed.clear();  // pulled out, F12 held: its node says so
  opener.hw->gone = true;
  opener.Send({DeviceEvent::Kind::F12UpByKernel, 600});
  ASSERT_TRUE(QMetaObject::invokeMethod(scan, "timeout"));
  EXPECT_EQ(window.findChild<QLabel*>("lblErr")->text(), "Timeout");
  EXPECT_THAT(frame->toolTip().toStdString(), ::testing::HasSubstr("attraverso la finestra"));
  EXPECT_TRUE(desktop.IsOn()) << "the start-up light goes on on the desktop";
}

}  // namespace
}  // namespace varnel

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
