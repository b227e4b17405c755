// Varnel on Windows: the main window with plain user32 controls, the light through the input
// queue and the reader check through the management service.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_kept_choices.h"
#include "app/second_start.h"
#include "choices/kept_choices.h"
#include "light/guarded_light.h"
#include "light/light_guardian.h"
#include "light/light_key.h"
#include "light/windows/scroll_lock_light.h"
#include "light/windows/system_lock_key_port.h"
#include "link/reader_presence.h"
#include "output/code_recorder.h"
#include "output/line_writer.h"
#include "output/record_lines.h"
#include "output/windows/send_input_typing.h"
#include "process/program_clock.h"
#include "process/standard_output.h"
#include "process/windows/parents_console.h"
#include "process/windows/utf.h"
#include "session/code_stream.h"
#include "session/followed_stream.h"
#include "session/run_id.h"
#include "session/session_lock.h"
#include "ui/choices_menu.h"
#include "ui/win32/form1_window.h"
#include "ui/win32/raw_input_host.h"
#include "version.h"

namespace {

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> list;
  for (int i = 1; args && i < count; ++i) list.push_back(varnel::Utf8(args[i]));
  LocalFree(args);
  return list;
}

// Another Varnel holds the session: what this start does instead of running. The exit status.
int AsSecondStart(const varnel::SessionLock& lock, const varnel::CommandLine& line) {
  varnel::UseParentsConsole();
  // A warning box is for a start beside a Varnel without a window, which has none here.
  return varnel::RunSecondStart(varnel::DecideSecondStart(lock.holder, line), *lock.holder, {});
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const std::vector<std::string> arguments = Arguments();
  // The light's guardian: this same file, started by the program (never by hand).
  if (!arguments.empty() && arguments[0] == "--guardian") return varnel::RunLightGuardian();
  const varnel::CommandLineRules rules = varnel::kWindowsCommandLine;
  const varnel::CommandLine line = varnel::ParseCommandLine(arguments, rules);
  if (line.action != varnel::CommandLine::Action::Run || line.print || line.type) {
    varnel::UseParentsConsole();
  }
  switch (line.action) {
    case varnel::CommandLine::Action::Help:
      varnel::WriteStandardOutput(varnel::UsageText(rules));
      return 0;
    case varnel::CommandLine::Action::Version:
      varnel::WriteStandardOutput(varnel::VersionText(VARNEL_VERSION_STRING));
      return 0;
    case varnel::CommandLine::Action::Refuse:
      varnel::WriteStandardError("varnel: " + line.refusal + "\n" + varnel::UsageText(rules));
      return 2;
    case varnel::CommandLine::Action::Remember:
    case varnel::CommandLine::Action::Forget:
      return varnel::RunKeptChoices(line, varnel::SayOnStandardError);
    case varnel::CommandLine::Action::Run:
      break;
  }

  // One Varnel per session, settled before the reader is looked for or any light is touched.
  const varnel::SessionLock lock = varnel::TakeSessionLock(true);
  if (!lock.taken && lock.problem.empty()) return AsSecondStart(lock, line);
  if (!lock.taken) {
    varnel::UseParentsConsole();
    varnel::SayOnStandardError("varnel: " + lock.problem + "; going on without");
  }
  // Started before any light: whatever the program lights from here on, the guardian hears of.
  const std::unique_ptr<varnel::LightGuard> guardian = varnel::StartLightGuardian();

  // The manifest asks for the version 6 controls (visual styles); this loads them.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The reader check talks to the management service through COM.
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  int exitCode = 1;
  {
    // Every code to the programs that follow this Varnel, and with --print to standard output.
    const std::unique_ptr<varnel::CodeStream> stream =
        lock.taken ? varnel::OpenCodeStream(varnel::SayOnStandardError) : nullptr;
    std::unique_ptr<varnel::LineWriter> output;
    if (line.print) {
      output = std::make_unique<varnel::LineWriter>(varnel::WriteStandardOutput,
                                                    varnel::SayOnStandardError);
    }
    const auto recorder = std::make_unique<varnel::CodeRecorder>(
        varnel::WallClock, varnel::RecordLines(stream.get(), output.get()), varnel::NewRunId());
    std::unique_ptr<varnel::LockKeyPort> systemKeys = varnel::OpenSystemLockKeyPort();
    varnel::ScrollLockLight systemLight(*systemKeys);
    std::optional<varnel::GuardedLight> guarded;
    if (guardian) guarded.emplace(systemLight, *guardian, varnel::LitLights{true, {}});
    // The key starts from what the system's light shows: one the user lit is not the program's.
    varnel::LightKey light(guarded ? static_cast<varnel::Light&>(*guarded) : systemLight,
                           systemLight.On());
    std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
    varnel::Form1Window window(light, *keyboards, recorder.get());
    const std::unique_ptr<varnel::ChoiceStore> store = varnel::OpenChoiceStore();
    const std::unique_ptr<varnel::LoginStart> login = varnel::OpenLoginStart();
    const varnel::Choices inForce = varnel::InForce(
        varnel::LoadKept(*store, true, varnel::SayOnStandardError), varnel::Given(line));
    // The reader heard whichever window has the focus, through raw input.
    varnel::RawInputHost link(window.Input(), inForce.takeF12, varnel::SayOnStandardError);
    const std::unique_ptr<varnel::TypingPort> typing = varnel::OpenSendInputTyping();
    varnel::ChoicesMenu choices(*store, *login, inForce,
                                {.outlet = window.Outlet(),
                                 .typing = typing.get(),
                                 .takeF12 = [&link](bool take) { link.TakeF12(take); },
                                 .say = varnel::SayOnStandardError,
                                 .typeDelayMs = line.typeDelayMs});
    window.SetChoices(&choices);
    if (window.Create(instance)) {
      window.SetLinkMessages(&link);
      link.Attach(window.Window());
      window.Load();
      choices.Start();
      window.Show(showCommand);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        window.PreviewKey(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      exitCode = static_cast<int>(msg.wParam);
    }
  }
  if (com) CoUninitialize();
  return exitCode;
}
