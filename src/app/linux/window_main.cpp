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
#include "choices/kept_choices.h"
#include "light/no_light.h"
#include "light/x11/indicator_light.h"
#include "output/line_writer.h"
#include "output/wayland/wayland_typing.h"
#include "output/x11/xtest_typing.h"
#include "process/program_clock.h"
#include "process/standard_output.h"
#include "session/followed_stream.h"
#include "session/linux/followed_socket.h"
#include "session/session_lock.h"
#include "ui/choices_menu.h"
#include "ui/qt/display_probe.h"
#include "ui/qt/form1_window.h"
#include "ui/qt/service_viewer.h"

namespace {

bool OnWayland() {
  const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
  return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) ||
         (waylandDisplay && *waylandDisplay);
}

void SetUpApplication() {
  QApplication::setApplicationName(QString::fromStdString(varnel::kAppTitle));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/varnel-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/varnel-32.png"), QSize(32, 32));
  QApplication::setWindowIcon(icon);
}

// The window beside a service, showing its codes as it decides them until it ends; nothing,
// with the reason said, when they cannot be followed.
std::optional<int> ViewService(int argc, char** argv, const varnel::RunningVarnel& running) {
  const varnel::FollowedSocket stream(running);
  if (stream.Stream() < 0) {
    varnel::SayOnStandardError(stream.Problem());
    return std::nullopt;
  }
  QApplication app(argc, argv);
  SetUpApplication();
  varnel::NoLight light;
  const std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
  varnel::Form1Window window(light, *keyboards, varnel::TickCount);
  const std::unique_ptr<varnel::ChoiceStore> store = varnel::OpenChoiceStore();
  const std::unique_ptr<varnel::LoginStart> login = varnel::OpenLoginStart();
  varnel::ChoicesMenu choices(*store, *login,
                              varnel::LoadKept(*store, false, varnel::SayOnStandardError),
                              {.outlet = window.Outlet(),
                               .typingUnavailable = varnel::kViewerTypingTip,
                               .say = varnel::SayOnStandardError});
  window.SetChoices(&choices);
  const varnel::ServiceViewer viewer(window, running, stream);
  varnel::StopOnSignals(&window, [] { QApplication::closeAllWindows(); });
  window.show();
  return QApplication::exec();
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
  shell.view = [&](const varnel::RunningVarnel& running) {
    return ViewService(argc, argv, running);
  };
  return varnel::RunSecondStart(*session.second, *session.holder, shell);
}

// For --type: the keyboard that types into the window in front, or null with the reason in
// `problem`.
std::unique_ptr<varnel::TypingPort> OpenTyping(std::string& problem) {
  if (OnWayland()) {
    // On Wayland Varnel's window is in front when it is the active one. Kept as Qt tells each
    // change, for the port may ask from another thread.
    auto active = std::make_shared<std::atomic<bool>>(QGuiApplication::applicationState() ==
                                                      Qt::ApplicationActive);
    QObject::connect(
        qApp, &QGuiApplication::applicationStateChanged,
        [active](Qt::ApplicationState state) { *active = state == Qt::ApplicationActive; });
    return varnel::OpenWaylandTyping([active] { return active->load(); }, problem);
  }
  const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) {
    problem = "varnel: --type needs X11 or Wayland, not Qt's " +
              QGuiApplication::platformName().toStdString() + " platform";
    return nullptr;
  }
  std::unique_ptr<varnel::TypingPort> port = varnel::OpenXTestTyping(x11->display(), problem);
  if (!port) problem = "varnel: --type cannot type: " + problem;
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
  SetUpApplication();
  // Typing is made ready whether it is on or not, so that the menu can tell where it cannot work.
  std::string typingProblem;
  const std::unique_ptr<varnel::TypingPort> typing = OpenTyping(typingProblem);
  if (line.type && !typing) {
    std::fprintf(stderr, "%s\n", typingProblem.c_str());
    return 2;
  }
  const std::unique_ptr<varnel::ChoiceStore> store = varnel::OpenChoiceStore();
  const std::unique_ptr<varnel::LoginStart> login = varnel::OpenLoginStart();
  const varnel::Choices inForce = varnel::InForce(
      varnel::LoadKept(*store, false, varnel::SayOnStandardError), varnel::Given(line));
  if (inForce.typing != varnel::Typing::Off && !typing) {
    varnel::SayOnStandardError(typingProblem + " (typing is kept on: not this time)");
  }

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
  varnel::ChoicesMenu choices(*store, *login, inForce,
                              {.outlet = window.Outlet(),
                               .typing = typing.get(),
                               .typingUnavailable = OnWayland() ? varnel::kTypingOnWaylandTip
                                                                : varnel::kTypingUnavailableTip,
                               .say = varnel::SayOnStandardError,
                               .typeDelayMs = line.typeDelayMs});
  window.SetChoices(&choices);
  window.Load();
  choices.Start();
  int status = 0;
  if (quitRequested) {  // while the warning was open: end here, light off
    window.close();
  } else {
    window.show();
    status = QApplication::exec();
  }
  return status;
}
