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

#include "link/guarded_light.h"
#include "link/light_guardian.h"
#include "link/light_key.h"
#include "link/reader_presence.h"
#include "link/session_lock.h"
#include "link/windows/scroll_lock_light.h"
#include "link/windows/send_input_typing.h"
#include "link/windows/system_lock_key_port.h"
#include "ui/code_recorder.h"
#include "ui/command_line.h"
#include "ui/line_writer.h"
#include "ui/local_time.h"
#include "ui/second_start.h"
#include "ui/win32/form1_window.h"
#include "version.h"

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> list;
  for (int i = 1; args && i < count; ++i) list.push_back(Utf8(args[i]));
  LocalFree(args);
  return list;
}

bool IsFileOrPipe(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// A program of the window subsystem has no console: what it writes goes to a file or a pipe it
// was given, or else to the console of the program that started it, if there is one.
void UseParentsConsole() {
  if (IsFileOrPipe(GetStdHandle(STD_OUTPUT_HANDLE)) && IsFileOrPipe(GetStdHandle(STD_ERROR_HANDLE)))
    return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  HANDLE console =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    if (!IsFileOrPipe(GetStdHandle(which))) SetStdHandle(which, console);
  }
}

// The bytes as they are, LF and all: no text mode stands between.
int WriteAll(DWORD which, std::string_view bytes) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return EBADF;
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      switch (GetLastError()) {
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
          return EPIPE;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
          return ENOSPC;
        default:
          return EIO;
      }
    }
    bytes.remove_prefix(written);
  }
  return 0;
}

void Say(const std::string& line) { WriteAll(STD_ERROR_HANDLE, line + "\n"); }

// Another Varnel holds the session: what this start does instead of running. The exit status.
int AsSecondStart(const varnel::SessionLock& lock, const varnel::CommandLine& line) {
  UseParentsConsole();
  const varnel::SecondStart second = varnel::DecideSecondStart(lock.holder, line);
  switch (second.action) {
    case varnel::SecondStart::Action::Activate:
      varnel::ActivateRunningWindow(*lock.holder);
      break;
    case varnel::SecondStart::Action::Say:
    case varnel::SecondStart::Action::Warn:  // only beside a Varnel without a window: not here
      Say(second.text);
      break;
  }
  return second.exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const std::vector<std::string> arguments = Arguments();
  // The light's guardian: this same file, started by the program (never by hand).
  if (!arguments.empty() && arguments[0] == "--guardian") return varnel::RunLightGuardian();
  const varnel::CommandLineRules rules{};
  const varnel::CommandLine line = varnel::ParseCommandLine(arguments, rules);
  if (line.action != varnel::CommandLine::Action::Run || line.print || line.type) {
    UseParentsConsole();
  }
  switch (line.action) {
    case varnel::CommandLine::Action::Help:
      WriteAll(STD_OUTPUT_HANDLE, varnel::UsageText(rules));
      return 0;
    case varnel::CommandLine::Action::Version:
      WriteAll(STD_OUTPUT_HANDLE, varnel::VersionText(VARNEL_VERSION_STRING));
      return 0;
    case varnel::CommandLine::Action::Refuse:
      WriteAll(STD_ERROR_HANDLE, "varnel: " + line.refusal + "\n" + varnel::UsageText(rules));
      return 2;
    case varnel::CommandLine::Action::Run:
      break;
  }

  // One Varnel per session, settled before the reader is looked for or any light is touched.
  const varnel::SessionLock lock = varnel::TakeSessionLock(true);
  if (!lock.taken && lock.problem.empty()) return AsSecondStart(lock, line);
  if (!lock.taken) {
    UseParentsConsole();
    Say("varnel: " + lock.problem + "; going on without");
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
    std::unique_ptr<varnel::LineWriter> output;
    std::unique_ptr<varnel::CodeRecorder> recorder;
    if (line.print) {
      output = std::make_unique<varnel::LineWriter>(
          [](std::string_view bytes) { return WriteAll(STD_OUTPUT_HANDLE, bytes); }, Say);
      recorder = std::make_unique<varnel::CodeRecorder>(
          [] { return varnel::LocalTimeText(std::chrono::system_clock::now()); },
          [&output](std::string record) { output->Push(std::move(record)); });
    }
    std::unique_ptr<varnel::LockKeyPort> systemKeys = varnel::OpenSystemLockKeyPort();
    varnel::ScrollLockLight systemLight(*systemKeys);
    std::optional<varnel::GuardedLight> guarded;
    if (guardian) guarded.emplace(systemLight, *guardian, varnel::LitLights{true, {}});
    // The key starts from what the system's light shows: one the user lit is not the program's.
    varnel::LightKey light(guarded ? static_cast<varnel::Light&>(*guarded) : systemLight,
                           systemLight.On());
    std::unique_ptr<varnel::KeyboardLister> keyboards = varnel::OpenSystemKeyboardLister();
    varnel::Form1Window window(light, *keyboards, recorder.get());
    const std::unique_ptr<varnel::TypingPort> typing =
        line.type ? varnel::OpenSendInputTyping() : nullptr;
    if (window.Create(instance)) {
      window.Load();
      if (typing) window.TypeCodes(*typing, *line.type, Say);
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
