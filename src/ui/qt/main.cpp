// Varnel on Linux: reads the command line before anything else, answers --help and --version,
// runs --headless itself (Qt's core alone: no display, no display plugin, no widget library) and
// for a window becomes varnel-window, which links the widgets.
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "link/direct_link.h"
#include "link/evdev/evdev_opener.h"
#include "link/linux/input_devices.h"
#include "link/reader_presence.h"
#include "ui/code_recorder.h"
#include "ui/command_line.h"
#include "ui/line_writer.h"
#include "ui/qt/headless_service.h"
#include "ui/qt/program_clock.h"
#include "ui/qt/standard_output.h"
#include "ui/qt/stop_signals.h"

namespace {

// Ways out that skip destructors must still leave the reader's own light off: the kernel keeps
// it as it was left.
varnel::DirectLink* linkAtExit = nullptr;
void LightsOffAtExit() {
  if (linkAtExit) linkAtExit->LightsOff();
}

int RunHeadless(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::EvdevOpener opener;
  varnel::DirectLink link(opener, varnel::InputDirectory(), nullptr, varnel::WindowLight::NoWindow);
  linkAtExit = &link;
  std::atexit(LightsOffAtExit);

  // The records are what a service is for: once nobody reads them, it ends as on a signal.
  varnel::LineWriter output(varnel::WriteStandardOutput, varnel::SayOnStandardError,
                            varnel::RequestStop);
  varnel::CodeRecorder recorder(varnel::WallClock,
                                [&output](std::string line) { output.Push(std::move(line)); });
  varnel::HeadlessService service(
      link, *keyboards, varnel::TickCount,
      [] { return varnel::ReadReaderNodes(varnel::InputDevicesPath()); }, recorder);
  varnel::StopOnSignals(&app, [&service] {
    service.Stop();
    QCoreApplication::quit();
  });
  service.Start();
  QCoreApplication::exec();
  linkAtExit = nullptr;
  return 0;
}

// Beside this program in the build, in the package's own folder once installed.
std::filesystem::path WindowProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path beside = self.parent_path() / "varnel-window";
  if (std::filesystem::exists(beside, error)) return beside;
  return self.parent_path() / VARNEL_WINDOW_FROM_BIN;
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
  if (line.headless) {
    // A reader of standard output that goes away is told by the write's error, not by a signal
    // that would end the program.
    std::signal(SIGPIPE, SIG_IGN);
    return RunHeadless(argc, argv);
  }
  const std::string window = WindowProgram();
  argv[0] = const_cast<char*>(window.c_str());
  execv(window.c_str(), argv);
  std::fprintf(stderr, "varnel: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
  return 1;
}
