// The main window on Linux: renders the window logic's control properties with Qt widgets and
// translates the window's key events and timer ticks for its input. It decides nothing itself.
#pragma once

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <map>
#include <string>

#include "link/direct_link.h"
#include "output/code_recorder.h"
#include "ui/choices_menu.h"
#include "ui/qt/hosted_form.h"
#include "ui/qt/link_driver.h"

namespace varnel {

class Form1Window : public QWidget, private HostedForm::Face {
 public:
  using Clock = LinkDriver::Clock;
  using DeviceList = LinkDriver::DeviceList;
  // Through the window only: its key events and the light `light`.
  Form1Window(LockKeyPort& light, KeyboardLister& keyboards, Clock clock);
  // With the direct link to the reader, which finds its devices in `devices`. Every code goes to
  // `recorder` too, unless it is null. `light` drives the link's light, through `guarded` unless
  // that is null.
  Form1Window(LockKeyPort& light, DirectLink& link, KeyboardLister& keyboards, Clock clock,
              DeviceList devices, CodeRecorder* recorder = nullptr,
              GuardedLight* guarded = nullptr);
  // The running program was asked to come to the front, as by a second start.
  void Activate();

  // The window's load step; call once, before the window is first shown. With the direct link,
  // the devices are looked for first, so that the start-up light already shows on the reader.
  void Load();

  const Form1& Logic() const { return hosted_.Form(); }
  Form1& Logic() { return hosted_.Form(); }
  // Where each decided code goes out.
  CodeOutlet& Outlet() { return hosted_.Input().Outlet(); }
  // The menu that a right click opens; none without it.
  void SetChoices(ChoicesMenu* choices) { choices_ = choices; }
  // Brings the controls up to date with the logic, after it was changed from outside the
  // window's own events.
  void Render();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Key preview: sees every key event of the window before the focused control does.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowWarning(const std::string& text, const std::string& title) override;
  void SetOuterWidth(std::int32_t twips) override;
  void Handled() override { Render(); }

  int Px(std::int32_t twips) const;
  void BuildControls();

  Form1Window(LockKeyPort& light, DirectLink* link, KeyboardLister& keyboards, Clock clock,
              DeviceList devices, CodeRecorder* recorder, GuardedLight* guarded);

  HostedForm hosted_;
  std::map<std::string, QWidget*> controls_;
  ChoicesMenu* choices_ = nullptr;
};

}  // namespace varnel
