// The guardian on Windows: this same program file started again with --guardian, its standard
// input an anonymous pipe from the program. Only the pipe's read end is handed down: the session's
// mutex and everything else stay with the program, so when the program goes, nothing of it lives
// on in the guardian.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "light/light_guardian.h"
#include "light/lock_light.h"
#include "light/windows/system_lock_key_port.h"
#include "process/text.h"
#include "process/windows/this_program.h"

namespace varnel {
namespace {

class PipeGuard final : public LightGuard {
 public:
  explicit PipeGuard(HANDLE pipe) : pipe_(pipe) {}
  ~PipeGuard() override { CloseHandle(pipe_); }
  PipeGuard(const PipeGuard&) = delete;
  PipeGuard& operator=(const PipeGuard&) = delete;

  // The pipe does not wait: a guardian that has stopped reading never holds up the light. A line
  // is a few bytes, far below the pipe's buffer, so it goes whole or not at all; a guardian that
  // is gone fails the write, and the program goes on without one.
  void Tell(const LitLights& lit) override {
    const std::string line = LitLightsLine(lit);
    DWORD written = 0;
    WriteFile(pipe_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  // It cannot read Windows' Scroll Lock: it presses the key once, blind.
  bool SetsLightsOff() const override { return false; }

 private:
  HANDLE pipe_;
};

}  // namespace

std::unique_ptr<LightGuard> StartLightGuardian() {
  const std::wstring program = ThisProgram();
  if (program.empty()) return nullptr;
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return nullptr;
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  SIZE_T attributesSize = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &attributesSize);
  std::vector<std::uint64_t> attributes(attributesSize / sizeof(std::uint64_t) + 1);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  bool listMade = false;
  PROCESS_INFORMATION process{};
  const bool started =
      SetNamedPipeHandleState(writeEnd, &mode, nullptr, nullptr) &&
      SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) &&
      (listMade = InitializeProcThreadAttributeList(list, 1, 0, &attributesSize)) &&
      UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &readEnd,
                                sizeof readEnd, nullptr, nullptr) &&
      [&] {
        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_HIDE;
        startup.StartupInfo.hStdInput = readEnd;
        startup.lpAttributeList = list;
        std::wstring commandLine = L"\"" + program + L"\" --guardian";
        return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                              CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                              &startup.StartupInfo, &process) != FALSE;
      }();
  if (listMade) DeleteProcThreadAttributeList(list);
  // The guardian has its own copy of the read end; the program's would keep the pipe open.
  CloseHandle(readEnd);
  if (!started) {
    CloseHandle(writeEnd);
    return nullptr;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return std::make_unique<PipeGuard>(writeEnd);
}

int RunLightGuardian() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;
  // Only whole lines count: a line cut short by the program's end says nothing for sure.
  std::string pending;
  LitLights lit;
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    TakeWholeLines(pending, [&](std::string_view line) {
      lit = ParseLitLightsLine(line);
      return true;
    });
  }
  // Pressed blind: the state a process without the program's input would read is not the
  // light's. The program told the guardian what it left on, and one press puts that out.
  if (lit.indicator) {
    if (std::unique_ptr<LockKeyPort> port = OpenSystemLockKeyPort()) {
      port->SendPress(modLight::PressRecords(kVkScrollLock));
    }
  }
  return 0;
}

}  // namespace varnel
