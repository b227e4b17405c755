// The session's lock on Windows: a named mutex in the session's own namespace, owned by the main
// thread for the life of the process. Windows releases it however the process ends (a killed
// holder leaves it abandoned, which the next start takes as free). Beside it, a named section
// that the holder keeps open says which process holds it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "process/windows/system_error.h"
#include "process/windows/utf.h"
#include "session/session_lock.h"

namespace varnel {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\Varnel.Session";
constexpr wchar_t kHolderName[] = L"Local\\Varnel.Session.Holder";
constexpr DWORD kHolderBytes = 64;

// Kept open for the life of the process: closing it would let a second start read nothing.
void Publish(const RunningVarnel& me) {
  HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      kHolderBytes, kHolderName);
  if (!section) return;
  auto* view = static_cast<char*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, kHolderBytes));
  if (!view) return;
  const std::string line = RunningVarnelLine(me);
  std::memset(view, 0, kHolderBytes);
  std::memcpy(view, line.data(), std::min<std::size_t>(line.size(), kHolderBytes - 1));
}

// The holder writes its line just after it takes the lock; a start that comes in between waits
// for it a little.
std::optional<RunningVarnel> ReadHolder() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (HANDLE section = OpenFileMappingW(FILE_MAP_READ, FALSE, kHolderName)) {
      std::optional<RunningVarnel> holder;
      if (const auto* view =
              static_cast<const char*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, kHolderBytes))) {
        holder = ParseRunningVarnel(std::string_view(view, strnlen(view, kHolderBytes)));
        UnmapViewOfFile(view);
      }
      CloseHandle(section);
      if (holder) return holder;
    }
    Sleep(20);
  }
  return std::nullopt;
}

struct Found {
  DWORD pid;
  HWND main = nullptr;   // a visible top-level window owned by no other
  HWND other = nullptr;  // any other visible one, such as a box shown before the main window
};

BOOL CALLBACK Consider(HWND window, LPARAM param) {
  auto& found = *reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != found.pid || !IsWindowVisible(window)) return TRUE;
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return TRUE;  // a tooltip
  if (!GetWindow(window, GW_OWNER) && !found.main) {
    found.main = window;
  } else if (!found.other) {
    found.other = window;
  }
  return TRUE;
}

}  // namespace

SessionLock TakeSessionLock(bool window) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kMutexName);
  if (!mutex)
    return {false, std::nullopt, "no session lock to be had: " + SystemErrorText(GetLastError())};
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Someone has it open: the holder, or a start like this one that looked in a moment ago
    // and keeps a holder's lock (maybe abandoned by a killed one) in being.
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      CloseHandle(mutex);
      return {false, ReadHolder(), {}};
    }
  }
  Publish({static_cast<std::int64_t>(GetCurrentProcessId()), window});
  return {true, std::nullopt, {}};
}

void ActivateRunningWindow(const RunningVarnel& running) {
  Found found{static_cast<DWORD>(running.pid)};
  EnumWindows(Consider, reinterpret_cast<LPARAM>(&found));
  HWND window = found.main ? found.main : found.other;
  if (!window) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  // A modal box in front of the main window is what the user must answer: that one comes first.
  HWND popup = GetLastActivePopup(window);
  SetForegroundWindow(popup && IsWindowVisible(popup) ? popup : window);
}

}  // namespace varnel
