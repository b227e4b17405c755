// Varnel with no window and no display: the reader's own device only, each code written as a
// record, the reader's light answering as the window's would. For a box with the reader plugged
// in and no screen, run as a service.
#pragma once

#include <QObject>

#include "link/direct_link.h"
#include "output/code_recorder.h"
#include "ui/qt/hosted_form.h"

namespace varnel {

class HeadlessService : public QObject, private HostedForm::Face {
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
  void ShowWarning(const std::string& text, const std::string& title) override;
  void SetOuterWidth(std::int32_t) override {}
  void Handled() override {}

  HostedForm hosted_;
};

}  // namespace varnel
