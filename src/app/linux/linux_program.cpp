#include "app/linux/linux_program.h"

#include <cstdio>
#include <cstdlib>

#include "light/light_guardian.h"
#include "link/linux/input_devices.h"
#include "output/record_lines.h"
#include "process/program_clock.h"
#include "process/standard_output.h"
#include "session/run_id.h"
#include "session/session_lock.h"

namespace varnel {
namespace {

// Ways out that skip destructors (Xlib and Qt end the process with exit() when the X server
// goes) must still leave the reader's own light off: the kernel keeps it as it was left.
DirectLink* linkAtExit = nullptr;
void LightsOffAtExit() {
  if (linkAtExit) linkAtExit->LightsOff();
}

}  // namespace

SessionStart SettleSession(const CommandLine& line, bool window) {
  const SessionLock lock = TakeSessionLock(window);
  if (lock.taken) return {true, std::nullopt, std::nullopt};
  if (!lock.problem.empty()) {
    std::fprintf(stderr, "varnel: %s; another Varnel could run beside this one.\n",
                 lock.problem.c_str());
    return {};
  }
  return {false, DecideSecondStart(lock.holder, line), lock.holder};
}

LinuxProgram::LinuxProgram(const SessionStart& session, std::unique_ptr<LineWriter> output,
                           varnel::Light* windowLight, WindowLight windowLightKind)
    : stream_(session.holds ? OpenCodeStream(SayOnStandardError) : nullptr),
      output_(std::move(output)),
      recorder_(WallClock, RecordLines(stream_.get(), output_.get()), NewRunId()),
      keyboards_(OpenSystemKeyboardLister()),
      link_(opener_, InputDirectory(), windowLight, windowLightKind),
      exitLights_(link_),
      guardian_(StartLightGuardian()),
      guarded_(Guard(guardian_.get(), link_)),
      light_(guarded_ ? static_cast<varnel::Light&>(*guarded_) : link_.Light()) {}

LinuxProgram::~LinuxProgram() = default;

LinuxProgram::ExitLights::ExitLights(DirectLink& link) {
  static const bool registered = std::atexit(LightsOffAtExit) == 0;
  (void)registered;
  linkAtExit = &link;
}

LinuxProgram::ExitLights::~ExitLights() { linkAtExit = nullptr; }

std::optional<GuardedLight> LinuxProgram::Guard(LightGuard* guardian, DirectLink& link) {
  if (!guardian) return std::nullopt;
  return std::optional<GuardedLight>(std::in_place, link.Light(), *guardian,
                                     LightPlace(link.Status()));
}

LinkDriver::DeviceList LinuxProgram::Devices() {
  return [] { return ReadReaderNodes(InputDevicesPath()); };
}

}  // namespace varnel
