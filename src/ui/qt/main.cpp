// Varnel on Linux: reads the command line before anything else, answers --help and --version,
// runs --headless itself (Qt's core alone: no display, no display plugin, no widget library) and
// for a window becomes varnel-window, which links the widgets.
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "link/code_stream.h"
#include "link/direct_link.h"
#include "link/evdev/evdev_opener.h"
#include "link/followed_stream.h"
#include "link/light_guardian.h"
#include "link/light_key.h"
#include "link/linux/input_devices.h"
#include "link/linux/session_folder.h"
#include "link/linux/sibling_program.h"
#include "link/program_clock.h"
#include "link/reader_link.h"
#include "link/reader_presence.h"
#include "link/run_id.h"
#include "link/session_lock.h"
#include "link/standard_output.h"
#include "ui/code_recorder.h"
#include "ui/code_typing.h"
#include "ui/command_line.h"
#include "ui/line_writer.h"
#include "ui/qt/headless_service.h"
#include "ui/qt/stop_signals.h"
#include "ui/second_start.h"

namespace {

// Ways out that skip destructors must still leave the reader's own light off: the kernel keeps
// it as it was left.
varnel::DirectLink* linkAtExit = nullptr;
void LightsOffAtExit() {
  if (linkAtExit) linkAtExit->LightsOff();
}

int RunHeadless(int argc, char** argv, const varnel::CommandLine& line) {
  // One Varnel per session, before the reader check and any light.
  const varnel::SessionLock lock = varnel::TakeSessionLock(false);
  if (!lock.taken && lock.problem.empty()) {
    const varnel::SecondStart second = varnel::DecideSecondStart(lock.holder, line);
    std::fprintf(stderr, "%s\n", second.text.c_str());
    return second.exitCode;
  }
  if (!lock.taken) {
    std::fprintf(stderr, "varnel: %s; another Varnel could run beside this one.\n",
                 lock.problem.c_str());
  }
  QCoreApplication app(argc, argv);
  std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::EvdevOpener opener;
  varnel::DirectLink link(opener, varnel::InputDirectory(), nullptr, varnel::WindowLight::NoWindow);
  linkAtExit = &link;
  std::atexit(LightsOffAtExit);
  // Puts the light out should the program end without doing so itself.
  const std::unique_ptr<varnel::LightGuard> guardian = varnel::StartLightGuardian();
  std::optional<varnel::GuardedLight> guarded;
  if (guardian) guarded.emplace(link.Light(), *guardian, varnel::LightPlace(link.Status()));
  varnel::LightKey light(guarded ? static_cast<varnel::Light&>(*guarded) : link.Light());

  // The records are what a service is for: once nobody reads them, it ends as on a signal.
  varnel::LineWriter output(varnel::WriteStandardOutput, varnel::SayOnStandardError,
                            varnel::RequestStop);
  // And to the programs that follow this Varnel.
  const std::unique_ptr<varnel::CodeStream> stream =
      lock.taken ? varnel::OpenCodeStream(varnel::SayOnStandardError) : nullptr;
  varnel::CodeRecorder recorder(
      varnel::WallClock,
      [&output, &stream](std::string line) {
        if (stream) stream->Serve(line);
        output.Push(std::move(line));
      },
      varnel::NewRunId());
  varnel::HeadlessService service(
      light, link, *keyboards, varnel::TickCount,
      [] { return varnel::ReadReaderNodes(varnel::InputDevicesPath()); }, recorder,
      guarded ? &*guarded : nullptr);
  varnel::StopOnSignals(&app, [&service] {
    service.Stop();
    QCoreApplication::quit();
  });
  service.Start();
  QCoreApplication::exec();
  linkAtExit = nullptr;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const varnel::CommandLineRules& rules = varnel::kLinuxCommandLine;
  const varnel::CommandLine line = varnel::ParseCommandLine(args, rules);
  switch (line.action) {
    case varnel::CommandLine::Action::Help:
      std::fputs(varnel::UsageText(rules).c_str(), stdout);
      return 0;
    case varnel::CommandLine::Action::Version:
      std::fputs(varnel::VersionText(VARNEL_VERSION).c_str(), stdout);
      return 0;
    case varnel::CommandLine::Action::Refuse:
      std::fprintf(stderr, "varnel: %s\n%s", line.refusal.c_str(),
                   varnel::UsageText(rules).c_str());
      return 2;
    case varnel::CommandLine::Action::Run:
      break;
  }
  if (line.headless && line.type) {
    std::fprintf(stderr, "%s\n", varnel::kTypingHeadless);
    return 2;
  }
  if (line.headless) {
    // A reader of standard output that goes away is told by the write's error, not by a signal
    // that would end the program.
    std::signal(SIGPIPE, SIG_IGN);
    // A second window start asks a window to come to the front; here there is none.
    std::signal(SIGUSR1, SIG_IGN);
    return RunHeadless(argc, argv, line);
  }
  if (line.print) {
    // Beside a running Varnel the codes come from that one, which has the reader: no display is
    // needed for them.
    if (const std::optional<varnel::RunningVarnel> holder = varnel::PeekSessionHolder()) {
      const varnel::SecondStart second = varnel::DecideSecondStart(holder, line);
      if (second.action == varnel::SecondStart::Action::Follow) {
        std::signal(SIGPIPE, SIG_IGN);  // a reader of the output that goes away: EPIPE
        return varnel::FollowRunningVarnel(*holder, second.text, varnel::WriteStandardOutput,
                                           varnel::SayOnStandardError);
      }
    }
  }
  const std::string window = varnel::SiblingProgram("varnel-window");
  argv[0] = const_cast<char*>(window.c_str());
  execv(window.c_str(), argv);
  std::fprintf(stderr, "varnel: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
  return 1;
}
