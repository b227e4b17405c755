// The F12 hook of --take-f12: a low-level keyboard hook on a thread of its own that does nothing
// else. It swallows every F12 press and release, from any keyboard, while it is told a reader is
// listed, and forwards each to a window as a posted message: it returns at once, so a busy or
// stopped window never holds the computer's keyboard back. Windows removes a hook that answers
// too late without a word; the program notices from the keys it misses and installs it again.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "reception/tick.h"

namespace varnel {

class F12Hook {
 public:
  // Each F12 goes to `window` as `message`: wParam 1 for a press, 0 for a release; lParam the
  // hook's own time of it (KBDLLHOOKSTRUCT.time).
  F12Hook(HWND window, UINT message);
  ~F12Hook();
  F12Hook(const F12Hook&) = delete;
  F12Hook& operator=(const F12Hook&) = delete;

  // Whether the hook was installed.
  bool Started() const { return started_; }
  void SetSwallowing(bool swallow) { swallow_.store(swallow); }
  // When the hook last saw a key, any key, or was last installed.
  Tick LastSaw() const { return lastSaw_.load(); }
  // How many times it has been installed.
  std::uint32_t Installs() const { return installs_.load(); }
  // Removes the hook, if it is still there, and installs it again.
  void Reinstall();

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI Thread(void* self);
  bool Install();

  HWND window_;
  UINT message_;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HHOOK hook_ = nullptr;
  bool started_ = false;
  std::atomic<bool> swallow_{false};
  // A release is swallowed when its press was, whatever the link did in between.
  bool pressSwallowed_ = false;
  std::atomic<Tick> lastSaw_{0};
  std::atomic<std::uint32_t> installs_{0};
};

}  // namespace varnel
