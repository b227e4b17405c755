#include "app/linux/headless_service.h"

#include <cstdio>

namespace varnel {

HeadlessService::HeadlessService(LockKeyPort& light, DirectLink& link, KeyboardLister& keyboards,
                                 LinkDriver::Clock clock, LinkDriver::DeviceList devices,
                                 CodeRecorder& recorder, GuardedLight* guarded)
    : form_(light, keyboards, *this),
      clock_(clock),
      timers_(this, [this](TimerId id) { input_.TimerTick(id, clock_()); }),
      driver_(link, std::move(clock), std::move(devices), input_, this) {
  input_.Outlet().SetRecorder(&recorder);
  input_.SetGuardedLight(guarded);
  input_.GreetEachReader();
}

void HeadlessService::Start() {
  driver_.Start(form_);
}

void HeadlessService::Stop() { input_.Unload(); }

void HeadlessService::SetTimerEnabled(TimerId timer, bool enabled) {
  timers_.SetEnabled(timer, enabled);
}

// Nobody is there to close a box: the warning is said, and the program waits for the reader.
void HeadlessService::ShowWarning(const std::string& text, const std::string&) {
  std::fprintf(stderr,
               "varnel: no reader is attached (%s); it is taken up once it is plugged in.\n",
               text.c_str());
}

void HeadlessService::SetOuterWidth(std::int32_t) {}

}  // namespace varnel
