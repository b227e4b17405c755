#include "ui/qt/headless_service.h"

#include <cstdio>

namespace varnel {

HeadlessService::HeadlessService(LockKeyPort& light, DirectLink& link, KeyboardLister& keyboards,
                                 LinkDriver::Clock clock, LinkDriver::DeviceList devices,
                                 CodeRecorder& recorder, GuardedLight* guarded)
    : hosted_(this, *this, light, keyboards, std::move(clock), FormInput::Repeats::Flagged) {
  hosted_.UseLink(link, std::move(devices));
  hosted_.Input().Outlet().SetRecorder(&recorder);
  hosted_.Input().SetGuardedLight(guarded);
  hosted_.Input().GreetEachReader();
}

void HeadlessService::Start() { hosted_.Load(); }

void HeadlessService::Stop() { hosted_.Input().Unload(); }

// Nobody is there to close a box: the warning is said, and the program waits for the reader.
void HeadlessService::ShowWarning(const std::string& text, const std::string&) {
  std::fprintf(stderr,
               "varnel: no reader is attached (%s); it is taken up once it is plugged in.\n",
               text.c_str());
}

}  // namespace varnel
