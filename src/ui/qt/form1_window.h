// The main window on Linux: renders the window logic's control properties with Qt widgets and
// feeds it the window's key events and timer ticks. It decides nothing itself.
#pragma once

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <optional>

#include "link/direct_link.h"
#include "ui/form1.h"
#include "ui/link_route.h"

class QLabel;
class QSocketNotifier;

namespace varnel {

class Form1Window : public QWidget, private FormHost, private LinkHost {
 public:
  using Clock = std::function<Tick()>;
  using DeviceList = std::function<std::optional<ReaderNodes>()>;
  // Through the window only: its key events and the light `light`.
  Form1Window(LockKeyPort& light, KeyboardLister& keyboards, Clock clock);
  // With the direct link to the reader, which finds its devices in `devices`.
  Form1Window(DirectLink& link, KeyboardLister& keyboards, Clock clock, DeviceList devices);

  // The window's load step; call once, before the window is first shown. With the direct link,
  // the devices are looked for first, so that the start-up light already shows on the reader.
  void Load();

  const Form1& Logic() const { return form_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Key preview: sees every key event of the window before the focused control does.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetTimerEnabled(TimerId timer, bool enabled) override;
  void ShowWarning(const std::string& text, const std::string& title) override;
  void SetOuterWidth(std::int32_t twips) override;

  void ReaderF12(bool down, Tick eventTime, Tick handled) override;
  void CutCode(bool evenIfFull) override;
  void LinkChanged(const LinkStatus& status) override;
  void Watch(int fd, bool watch) override;
  void Say(const std::string& line) override;
  void ScanDevices();

  int Px(std::int32_t twips) const;
  void BuildControls();
  void Render();
  // Runs one step of the logic, then shows its outcome. A release held back is delivered
  // first, so the logic sees every event in the order it happened.
  template <typename Step>
  void Handle(Step step) {
    DeliverPendingRelease();
    step();
    Render();
  }
  void OnF12(QEvent::Type type, bool isAutoRepeat, quint64 timestamp);
  void DeliverPendingRelease();

  Form1Window(LockKeyPort& light, DirectLink* link, KeyboardLister& keyboards, Clock clock,
              DeviceList devices);

  Form1 form_;
  KeyRoute route_{form_};
  DirectLink* link_;
  DeviceList devices_;
  std::map<int, QSocketNotifier*> notifiers_;
  Clock clock_;
  std::array<QTimer*, kTimers.size()> timers_{};
  std::map<std::string, QWidget*> controls_;
  // An F12 release waiting to be told apart from the first half of an auto-repeat pair.
  std::optional<KeyTime> pendingRelease_;
  QTimer* releaseTimer_;
  QTimer* scanTimer_;
};

}  // namespace varnel
