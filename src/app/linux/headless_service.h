// Varnel with no window and no display: the reader's own device only, each code written as a
// record, the reader's light answering as the window's would. For a box with the reader plugged
// in and no screen, run as a service.
#pragma once

#include <QObject>

#include "link/direct_link.h"
#include "output/code_recorder.h"
#include "ui/form1.h"
#include "ui/form_input.h"
#include "ui/qt/form_timers.h"
#include "app/linux/link_driver.h"

namespace varnel {

class HeadlessService : public QObject, private FormPort {
 public:
  // `light` drives the link's light, through `guarded` unless that is null.
  HeadlessService(LockKeyPort& light, DirectLink& link, KeyboardLister& keyboards,
                  LinkDriver::Clock clock, LinkDriver::DeviceList devices, CodeRecorder& recorder,
                  GuardedLight* guarded = nullptr);

  // Takes up the reader if it is there, lights it for two seconds, and from then on waits for
  // codes and for readers plugged in.
  void Start();
  // The light off and the timers stopped; the event loop may end.
  void Stop();

 private:
  void SetTimerEnabled(TimerId timer, bool enabled) override;
  void ShowWarning(const std::string& text, const std::string& title) override;
  void SetOuterWidth(std::int32_t twips) override;

  Form1 form_;
  FormInput input_{form_, *this};
  LinkDriver::Clock clock_;
  FormTimers timers_;
  LinkDriver driver_;
};

}  // namespace varnel
