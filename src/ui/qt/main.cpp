// Varnel on Linux: the main window, the direct link to the reader's own input device when it can
// be opened, and otherwise the window's keys and the X server's keyboard indicators; the input
// layer's device list for the reader check.
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <ctime>

#include "link/direct_link.h"
#include "link/evdev/evdev_device.h"
#include "link/linux/input_devices.h"
#include "link/reader_presence.h"
#include "link/x11/window_light.h"
#include "ui/qt/form1_window.h"

namespace {

// Milliseconds of the monotonic clock, wrapping in 32 bits like the Windows tick count.
varnel::Tick TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  return static_cast<varnel::Tick>(static_cast<std::uint32_t>(ms));
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

int signalPipe[2] = {-1, -1};
bool quitRequested = false;

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

// A terminal's Ctrl+C, a kill or a hang-up closes the window the ordinary way, so the light is
// switched off as on any close. The handler only wakes the event loop; the windows close there,
// the start-up warning among them if it is still open.
void CloseOnSignals(QWidget& window) {
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [] {
    char byte;
    [[maybe_unused]] const ssize_t got = read(signalPipe[0], &byte, 1);
    quitRequested = true;
    QApplication::closeAllWindows();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromStdString(varnel::kAppTitle));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/varnel-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/varnel-32.png"), QSize(32, 32));
  QApplication::setWindowIcon(icon);

  const varnel::WindowLightPort windowLight = varnel::OpenWindowLight(OnWayland());
  std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::EvdevOpener opener;
  varnel::DirectLink link(opener, varnel::InputDirectory(), windowLight.port.get(),
                          windowLight.kind);
  linkAtExit = &link;
  std::atexit(LightsOffAtExit);

  varnel::Form1Window window(link, *keyboards, TickCount,
                             [] { return varnel::ReadReaderNodes(varnel::InputDevicesPath()); });
  CloseOnSignals(window);
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
