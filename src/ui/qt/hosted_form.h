// The window's logic as a Qt program runs it, with a window or without one: the form, its one way
// in, its timers on Qt's clock and, with the direct link, the driver that hosts the link. The
// window and the service are each one of these behind a face of their own, so that both run the
// logic the same way and start it in the same order.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/direct_link.h"
#include "ui/form1.h"
#include "ui/form_input.h"
#include "ui/qt/form_timers.h"
#include "ui/qt/link_driver.h"

namespace varnel {

class HostedForm final : private FormPort {
 public:
  // What differs between a window and a service.
  class Face {
   public:
    virtual void ShowWarning(const std::string& text, const std::string& title) = 0;
    virtual void SetOuterWidth(std::int32_t twips) = 0;
    // After each key, tick or link event has been handled: a window shows the outcome.
    virtual void Handled() = 0;

   protected:
    ~Face() = default;
  };

  // The timers and the link's watchers live as long as `parent`.
  HostedForm(QObject* parent, Face& face, LockKeyPort& light, KeyboardLister& keyboards,
             LinkDriver::Clock clock, FormInput::Repeats repeats);
  HostedForm(const HostedForm&) = delete;
  HostedForm& operator=(const HostedForm&) = delete;

  // The reader heard without the focus too, through `link`, which finds its devices in
  // `devices`. Before Load.
  void UseLink(DirectLink& link, LinkDriver::DeviceList devices);
  // The logic's load step, once: with the link, the devices are looked for first, so that the
  // start-up light already shows on the reader.
  void Load();

  Form1& Form() { return form_; }
  const Form1& Form() const { return form_; }
  FormInput& Input() { return input_; }
  Tick Now() const { return clock_(); }

 private:
  void SetTimerEnabled(TimerId timer, bool enabled) override { timers_.SetEnabled(timer, enabled); }
  void ShowWarning(const std::string& text, const std::string& title) override {
    face_.ShowWarning(text, title);
  }
  void SetOuterWidth(std::int32_t twips) override { face_.SetOuterWidth(twips); }

  QObject* parent_;
  Face& face_;
  Form1 form_;
  FormInput input_;
  LinkDriver::Clock clock_;
  FormTimers timers_;
  // Owned by `parent_`, as the timers are.
  LinkDriver* driver_ = nullptr;
};

}  // namespace varnel
