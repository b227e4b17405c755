// Following on Windows: the session's code pipe, made by the process that the session's lock
// names and no other; its end told apart from a cut-off by that process ending.
#include <windows.h>

#include "session/followed_stream.h"
#include "session/windows/code_pipe.h"

namespace varnel {
namespace {

// How long an ending Varnel may take from closing its pipe to its end.
constexpr DWORD kEndingMs = 5000;

HANDLE OpenPipe(const std::wstring& name, DWORD& error) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return pipe;
    error = GetLastError();
    if (error != ERROR_PIPE_BUSY) break;
    WaitNamedPipeW(name.c_str(), 500);  // the next instance is a moment away
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

int FollowRunningVarnel(const RunningVarnel& running, const std::string& said,
                        const FollowWrite& write, const FollowSay& say) {
  const std::string which = "the Varnel of process " + std::to_string(running.pid);
  DWORD error = 0;
  HANDLE pipe = OpenPipe(CodePipeName(), error);
  if (pipe == INVALID_HANDLE_VALUE) {
    say("varnel: cannot follow " + which + ": its code pipe does not open (error " +
        std::to_string(error) + ").");
    return 1;
  }
  // The pipe's maker must be the one that holds the session: anyone could have made a pipe of
  // that name while no Varnel ran.
  ULONG server = 0;
  if (!GetNamedPipeServerProcessId(pipe, &server) || server != running.pid) {
    say("varnel: the session's code pipe is served by process " + std::to_string(server) +
        ", not by the session's Varnel (process " + std::to_string(running.pid) +
        "): not followed.");
    CloseHandle(pipe);
    return 1;
  }
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, server);
  say(said);

  FollowedLines lines;
  char buffer[16384];
  DWORD got = 0;
  int status = -1;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr)) {
    const std::string records = lines.Take(std::string_view(buffer, got));
    if (lines.Refusal()) break;
    if (const int failed = records.empty() ? 0 : write(records); failed != 0) {
      say("varnel: cannot write the codes to standard output: no longer following.");
      status = 1;
      break;
    }
  }
  CloseHandle(pipe);
  if (status < 0) {
    const bool ended =
        !lines.Refusal() && process && WaitForSingleObject(process, kEndingMs) == WAIT_OBJECT_0;
    const FollowEnd end = EndOfFollowing(running, ended, lines.Refusal());
    say(end.text);
    status = end.status;
  }
  if (process) CloseHandle(process);
  return status;
}

}  // namespace varnel
