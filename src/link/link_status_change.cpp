#include "link/link_status_change.h"

#include <cstring>

namespace varnel {
namespace {

std::string WhyNotDirect(const LinkStatus& status) {
  switch (status.why) {
    case LinkStatus::Why::NoReader:
      return "the reader's device is not there";
    case LinkStatus::Why::NoDeviceList:
      return "the input device list cannot be read";
    case LinkStatus::Why::CannotOpen:
      return "cannot open " + status.failedPath + " (" + std::strerror(status.error) + ")";
    case LinkStatus::Why::PersonsKeyboard:
      return "the device with the reader's identity is a person's keyboard";
    case LinkStatus::Why::HeldByAnother:
      return "another program holds " + status.failedPath + " exclusively";
  }
  return {};
}

}  // namespace

std::string Meanwhile(WindowLight windowLight) {
  return windowLight == WindowLight::NoWindow
             ? " Until then no code comes in."
             : " Until then codes come through the window, while it has the focus.";
}

LinkStatusChange::LinkStatusChange(WindowLight windowLight) { status_.windowLight = windowLight; }

LinkStatusChange::Step LinkStatusChange::To(const LinkStatus& status) {
  Step step;
  const bool flipped = reported_ && status.direct != status_.direct;
  // The two paths stamp their events on different clocks: no hold or code spans them.
  step.cutCode = flipped;
  if (status.direct && (flipped || !reported_)) {
    step.say = "varnel: direct link to the reader up, through " + status.paths[0];
  } else if (flipped) {
    step.say = "varnel: direct link to the reader down (" + WhyNotDirect(status) + ")." +
               Meanwhile(status.windowLight);
  }
  step.report = !reported_ || !(status == status_);
  if (step.report) {
    status_ = status;
    reported_ = true;
  }
  return step;
}

}  // namespace varnel
