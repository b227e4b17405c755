// Varnel on Linux: the main window, the direct link to the reader's own input device when it can
// be opened, and otherwise the window's keys and the X server's keyboard indicators; the input
// layer's device list for the reader check. With --headless, no window: the direct link only.
#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "link/direct_link.h"
#include "link/evdev/evdev_device.h"
#include "link/linux/input_devices.h"
#include "link/reader_presence.h"
#include "link/x11/window_light.h"
#include "ui/code_recorder.h"
#include "ui/command_line.h"
#include "ui/line_writer.h"
#include "ui/local_time.h"
#include "ui/qt/display_probe.h"
#include "ui/qt/form1_window.h"
#include "ui/qt/headless_service.h"
#include "ui/qt/stop_signals.h"

namespace {

// Milliseconds of the monotonic clock, wrapping in 32 bits like the Windows tick count.
varnel::Tick TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  return static_cast<varnel::Tick>(static_cast<std::uint32_t>(ms));
}

std::optional<varnel::ReaderNodes> ReaderDevices() {
  return varnel::ReadReaderNodes(varnel::InputDevicesPath());
}

// Ways out that skip destructors (Xlib and Qt end the process with exit() when the X server
// goes) must still leave the reader's own light off: the kernel keeps it as it was left.
varnel::DirectLink* linkAtExit = nullptr;
void LightsOffAtExit() {
  if (linkAtExit) linkAtExit->LightsOff();
}

bool OnWayland() {
  const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
  return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) ||
         (waylandDisplay && *waylandDisplay);
}

void Say(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

// All of `bytes` to standard output, waiting while it is full; the writer's own thread calls it.
int WriteStandardOutput(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN) {  // a descriptor left non-blocking by whoever started us
      pollfd out{STDOUT_FILENO, POLLOUT, 0};
      poll(&out, 1, -1);
    } else if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

std::string WallClock() { return varnel::LocalTimeText(std::chrono::system_clock::now()); }

int RunWindow(int argc, char** argv, bool print) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromStdString(varnel::kAppTitle));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/varnel-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/varnel-32.png"), QSize(32, 32));
  QApplication::setWindowIcon(icon);

  std::unique_ptr<varnel::LineWriter> output;
  std::unique_ptr<varnel::CodeRecorder> recorder;
  if (print) {
    output = std::make_unique<varnel::LineWriter>(WriteStandardOutput, Say);
    recorder = std::make_unique<varnel::CodeRecorder>(
        WallClock, [&output](std::string line) { output->Push(std::move(line)); });
  }

  const varnel::WindowLightPort windowLight = varnel::OpenWindowLight(OnWayland());
  std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::EvdevOpener opener;
  varnel::DirectLink link(opener, varnel::InputDirectory(), windowLight.port.get(),
                          windowLight.kind);
  linkAtExit = &link;
  std::atexit(LightsOffAtExit);

  varnel::Form1Window window(link, *keyboards, TickCount, ReaderDevices, recorder.get());
  // The windows close there, the start-up warning among them if it is still open.
  bool quitRequested = false;
  varnel::StopOnSignals(&window, [&] {
    quitRequested = true;
    QApplication::closeAllWindows();
  });
  window.Load();
  int status = 0;
  if (quitRequested) {  // while the warning was open: end here, light off
    window.close();
  } else {
    window.show();
    status = QApplication::exec();
  }
  linkAtExit = nullptr;
  return status;
}

int RunHeadless(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // no display plugin
  std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::EvdevOpener opener;
  varnel::DirectLink link(opener, varnel::InputDirectory(), nullptr,
                          varnel::WindowLight::NoDisplay);
  linkAtExit = &link;
  std::atexit(LightsOffAtExit);

  // The records are what a service is for: once nobody reads them, it ends.
  static std::atomic<bool> outputClosed = false;
  varnel::LineWriter output(WriteStandardOutput, Say, [] {
    outputClosed = true;
    varnel::RequestStop();
  });
  varnel::CodeRecorder recorder(WallClock,
                                [&output](std::string line) { output.Push(std::move(line)); });
  varnel::HeadlessService service(link, *keyboards, TickCount, ReaderDevices, recorder);
  varnel::StopOnSignals(&app, [&service] {
    service.Stop();
    QCoreApplication::quit();
  });
  service.Start();
  QCoreApplication::exec();
  linkAtExit = nullptr;
  return outputClosed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader of standard output that goes away is told by the write's error, not by a signal
  // that would end the program.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const varnel::CommandLineRules rules{.qtOptions = true, .headless = true};
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
  if (line.headless) return RunHeadless(argc, argv);
  if (!varnel::DisplayReachable(args)) {
    std::fputs("varnel: no X11 or Wayland display; `varnel --headless` runs without a window\n",
               stderr);
    return 1;
  }
  return RunWindow(argc, argv, line.print);
}
