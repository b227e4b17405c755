#include "ui/qt/hosted_form.h"

namespace varnel {

HostedForm::HostedForm(QObject* parent, Face& face, LockKeyPort& light, KeyboardLister& keyboards,
                       LinkDriver::Clock clock, FormInput::Repeats repeats)
    : parent_(parent),
      face_(face),
      form_(light, keyboards, *this),
      input_(form_, *this, repeats),
      clock_(std::move(clock)),
      timers_(parent, [this](TimerId id) {
        input_.TimerTick(id, clock_());
        face_.Handled();
      }) {}

void HostedForm::UseLink(DirectLink& link, LinkDriver::DeviceList devices) {
  driver_ = new LinkDriver(link, clock_, std::move(devices), input_, parent_);
  driver_->AfterEach([this] { face_.Handled(); });
}

void HostedForm::Load() {
  if (driver_) {
    driver_->Start(form_);
  } else {
    form_.Load();
  }
}

}  // namespace varnel
