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

#include "app/command_line.h"
#include "app/linux/linux_program.h"
#include "app/linux/stop_signals.h"
#include "app/run_kept_choices.h"
#include "app/second_start.h"
#include "output/code_typing.h"
#include "output/line_writer.h"
#include "process/linux/sibling_program.h"
#include "process/program_clock.h"
#include "process/standard_output.h"
#include "session/followed_stream.h"
#include "session/linux/session_folder.h"
#include "session/session_lock.h"
#include "ui/qt/headless_service.h"

namespace {

int RunHeadless(int argc, char** argv, const varnel::CommandLine& line) {
  const varnel::SessionStart session = varnel::SettleSession(line, false);
  if (session.second) {
    std::fprintf(stderr, "%s\n", session.second->text.c_str());
    return session.second->exitCode;
  }
  QCoreApplication app(argc, argv);
  // The records are what a service is for: once nobody reads them, it ends as on a signal.
  varnel::LinuxProgram program(
      session,
      std::make_unique<varnel::LineWriter>(varnel::WriteStandardOutput, varnel::SayOnStandardError,
                                           varnel::RequestStop),
      nullptr, varnel::WindowLight::NoWindow);
  varnel::HeadlessService service(program.Light(), program.Link(), program.Keyboards(),
                                  varnel::TickCount, varnel::LinuxProgram::Devices(),
                                  program.Recorder(), program.Guarded());
  varnel::StopOnSignals(&app, [&service] {
    service.Stop();
    QCoreApplication::quit();
  });
  service.Start();
  QCoreApplication::exec();
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
    case varnel::CommandLine::Action::Remember:
    case varnel::CommandLine::Action::Forget:
      return varnel::RunKeptChoices(line, varnel::SayOnStandardError);
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
        return varnel::RunSecondStart(second, *holder, {});
      }
    }
  }
  const std::string window = varnel::SiblingProgram("varnel-window");
  argv[0] = const_cast<char*>(window.c_str());
  execv(window.c_str(), argv);
  std::fprintf(stderr, "varnel: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
  return 1;
}
