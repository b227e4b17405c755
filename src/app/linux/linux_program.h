// What every Linux Varnel is made of, the window and the service alike, in the order it has to
// be made: the session settled first, before the reader check, the warning box and any light;
// then the records, served to the programs that follow this Varnel and written to standard
// output when asked; the direct link to the reader; the guardian that puts the light out
// however the program ends; and the light key that the window's logic drives.
#pragma once

#include <memory>
#include <optional>

#include "app/second_start.h"
#include "light/guarded_light.h"
#include "light/light_key.h"
#include "link/direct_link.h"
#include "link/linux/evdev_opener.h"
#include "link/reader_presence.h"
#include "output/code_recorder.h"
#include "output/line_writer.h"
#include "session/code_stream.h"
#include "ui/qt/link_driver.h"

namespace varnel {

struct SessionStart {
  // This start holds the session's lock: it serves its records to followers.
  bool holds = false;
  // Another Varnel holds it: what this start does instead, and who that one is.
  std::optional<SecondStart> second;
  std::optional<RunningVarnel> holder;
};
// One Varnel per session. A lock that cannot be had at all is said, and this one goes on.
SessionStart SettleSession(const CommandLine& line, bool window);

class LinuxProgram {
 public:
  // `output`, when not null, is where the records go beside the followers; `windowLight`, of
  // kind `windowLightKind`, is the window system's light, null when there is none.
  LinuxProgram(const SessionStart& session, std::unique_ptr<LineWriter> output, Light* windowLight,
               WindowLight windowLightKind);
  ~LinuxProgram();
  LinuxProgram(const LinuxProgram&) = delete;
  LinuxProgram& operator=(const LinuxProgram&) = delete;

  DirectLink& Link() { return link_; }
  LockKeyPort& Light() { return light_; }
  GuardedLight* Guarded() { return guarded_ ? &*guarded_ : nullptr; }
  CodeRecorder& Recorder() { return recorder_; }
  KeyboardLister& Keyboards() { return *keyboards_; }
  // The input layer's list of the readers' nodes.
  static LinkDriver::DeviceList Devices();

 private:
  static std::optional<GuardedLight> Guard(LightGuard* guardian, DirectLink& link);

  std::unique_ptr<CodeStream> stream_;
  std::unique_ptr<LineWriter> output_;
  CodeRecorder recorder_;
  std::unique_ptr<KeyboardLister> keyboards_;
  EvdevOpener opener_;
  DirectLink link_;
  // Puts the reader's light out on the ways out that skip destructors, while the link lives.
  struct ExitLights {
    explicit ExitLights(DirectLink& link);
    ~ExitLights();
  } exitLights_;
  // Puts the light out should the program end without doing so itself.
  std::unique_ptr<LightGuard> guardian_;
  std::optional<GuardedLight> guarded_;
  LightKey light_;
};

}  // namespace varnel
