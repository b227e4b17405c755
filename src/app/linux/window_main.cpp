// Varnel's window on Linux: the main window, the direct link to the reader's own input device
// when it can be opened, and otherwise the window's keys and the X server's keyboard indicators;
// the input layer's device list for the reader check. `varnel` starts it for a window, with the
// command line it has already checked.
#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/command_line.h"
#include "app/linux/linux_program.h"
#include "app/linux/stop_signals.h"
#include "app/second_start.h"
#include "light/x11/indicator_light.h"
#include "output/line_writer.h"
#include "output/wayland/wayland_typing.h"
#include "output/x11/xtest_typing.h"
#include "process/program_clock.h"
#include "process/standard_output.h"
#include "session/followed_stream.h"
#include "session/session_lock.h"
#include "ui/qt/display_probe.h"
#include "ui/qt/form1_window.h"

namespace {

bool OnWayland() {
  const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
  return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) ||
         (waylandDisplay && *waylandDisplay);
}

// What a start does while another Varnel holds the session; returns how it ends.
int SecondStartRun(int argc, char** argv, const varnel::SessionStart& session) {
  varnel::SecondStartShell shell;
  shell.warn = [&](const std::string& text) {
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(varnel::kAppTitle),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
  };
  return varnel::RunSecondStart(*session.second, *session.holder, shell);
}

// For --type: the keyboard that types into the window in front, or null with the reason said.
std::unique_ptr<varnel::TypingPort> OpenTyping() {
  if (OnWayland()) {
    // On Wayland Varnel's window is in front when it is the active one. Kept as Qt tells each
    // change, for the port may ask from another thread.
    auto active = std::make_shared<std::atomic<bool>>(QGuiApplication::applicationState() ==
                                                      Qt::ApplicationActive);
    QObject::connect(
        qApp, &QGuiApplication::applicationStateChanged,
        [active](Qt::ApplicationState state) { *active = state == Qt::ApplicationActive; });
    std::string refusal;
    std::unique_ptr<varnel::TypingPort> port =
        varnel::OpenWaylandTyping([active] { return active->load(); }, refusal);
    if (!port) std::fprintf(stderr, "%s\n", refusal.c_str());
    return port;
  }
  const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) {
    std::fprintf(stderr, "varnel: --type needs X11 or Wayland, not Qt's %s platform\n",
                 qPrintable(QGuiApplication::platformName()));
    return nullptr;
  }
  std::string problem;
  std::unique_ptr<varnel::TypingPort> port = varnel::OpenXTestTyping(x11->display(), problem);
  if (!port) std::fprintf(stderr, "varnel: --type cannot type: %s\n", problem.c_str());
  return port;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  // A second start asks for the front with SIGUSR1, which would otherwise end the program.
  std::signal(SIGUSR1, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const varnel::CommandLine line = varnel::ParseCommandLine(args, varnel::kLinuxCommandLine);
  const bool print = line.print;
  if (!varnel::DisplayReachable(args)) {
    std::fputs("varnel: no X11 or Wayland display; `varnel --headless` runs without a window\n",
               stderr);
    return 1;
  }
  const varnel::SessionStart session = varnel::SettleSession(line, true);
  if (session.second) return SecondStartRun(argc, argv, session);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromStdString(varnel::kAppTitle));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/varnel-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/varnel-32.png"), QSize(32, 32));
  QApplication::setWindowIcon(icon);
  std::unique_ptr<varnel::TypingPort> typing;
  if (line.type && !(typing = OpenTyping())) return 2;

  // Every code to the programs that follow this Varnel, and with --print to standard output.
  const varnel::WindowLightPort windowLight = varnel::OpenWindowLight(OnWayland());
  varnel::LinuxProgram program(session,
                               print ? std::make_unique<varnel::LineWriter>(
                                           varnel::WriteStandardOutput, varnel::SayOnStandardError)
                                     : nullptr,
                               windowLight.light.get(), windowLight.kind);
  varnel::Form1Window window(program.Light(), program.Link(), program.Keyboards(),
                             varnel::TickCount, varnel::LinuxProgram::Devices(),
                             &program.Recorder(), program.Guarded());
  // The windows close there, the start-up warning among them if it is still open.
  bool quitRequested = false;
  varnel::StopOnSignals(
      &window,
      [&] {
        quitRequested = true;
        QApplication::closeAllWindows();
      },
      [&window] { window.Activate(); });
  window.Load();
  if (typing) {
    window.TypeCodes(*typing, {*line.type, line.typeDelayMs}, varnel::SayOnStandardError);
  }
  int status = 0;
  if (quitRequested) {  // while the warning was open: end here, light off
    window.close();
  } else {
    window.show();
    status = QApplication::exec();
  }
  return status;
}
