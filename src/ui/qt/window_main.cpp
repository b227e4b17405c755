// Varnel's window on Linux: the main window, the direct link to the reader's own input device
// when it can be opened, and otherwise the window's keys and the X server's keyboard indicators;
// the input layer's device list for the reader check. `varnel` starts it for a window, with the
// command line it has already checked.
#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "link/direct_link.h"
#include "link/evdev/evdev_opener.h"
#include "link/linux/input_devices.h"
#include "link/reader_presence.h"
#include "link/x11/window_light.h"
#include "ui/code_recorder.h"
#include "ui/command_line.h"
#include "ui/line_writer.h"
#include "ui/local_time.h"
#include "ui/qt/display_probe.h"
#include "ui/qt/form1_window.h"
#include "ui/qt/program_clock.h"
#include "ui/qt/standard_output.h"
#include "ui/qt/stop_signals.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool print = varnel::ParseCommandLine(args, varnel::kLinuxCommandLine).print;
  if (!varnel::DisplayReachable(args)) {
    std::fputs("varnel: no X11 or Wayland display; `varnel --headless` runs without a window\n",
               stderr);
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromStdString(varnel::kAppTitle));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/varnel-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/varnel-32.png"), QSize(32, 32));
  QApplication::setWindowIcon(icon);

  std::unique_ptr<varnel::LineWriter> output;
  std::unique_ptr<varnel::CodeRecorder> recorder;
  if (print) {
    output = std::make_unique<varnel::LineWriter>(varnel::WriteStandardOutput,
                                                  varnel::SayOnStandardError);
    recorder = std::make_unique<varnel::CodeRecorder>(
        varnel::WallClock, [&output](std::string line) { output->Push(std::move(line)); });
  }

  const varnel::WindowLightPort windowLight = varnel::OpenWindowLight(OnWayland());
  std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::EvdevOpener opener;
  varnel::DirectLink link(opener, varnel::InputDirectory(), windowLight.port.get(),
                          windowLight.kind);
  linkAtExit = &link;
  std::atexit(LightsOffAtExit);

  varnel::Form1Window window(
      link, *keyboards, varnel::TickCount,
      [] { return varnel::ReadReaderNodes(varnel::InputDevicesPath()); }, recorder.get());
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
