#include "link/windows/f12_hook.h"

namespace varnel {
namespace {

// A low-level hook's procedure is told nothing of whose it is: the program has one.
F12Hook* theHook = nullptr;
constexpr UINT kReinstall = WM_APP + 1;

}  // namespace

F12Hook::F12Hook(HWND window, UINT message) : window_(window), message_(message) {
  theHook = this;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  struct Start {
    F12Hook* self;
    HANDLE ready;
  } start{this, ready};
  thread_ = CreateThread(
      nullptr, 0,
      [](void* arg) -> DWORD {
        auto* s = static_cast<Start*>(arg);
        F12Hook* self = s->self;
        // The thread's message queue exists before the starter goes on, for its requests.
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        self->started_ = self->Install();
        SetEvent(s->ready);
        return Thread(self);
      },
      &start, 0, &threadId_);
  if (thread_) WaitForSingleObject(ready, INFINITE);
  CloseHandle(ready);
}

F12Hook::~F12Hook() {
  if (thread_) {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  theHook = nullptr;
}

bool F12Hook::Install() {
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &F12Hook::Proc, GetModuleHandleW(nullptr), 0);
  lastSaw_.store(static_cast<Tick>(GetTickCount()));
  ++installs_;
  return hook_ != nullptr;
}

void F12Hook::Reinstall() { PostThreadMessageW(threadId_, kReinstall, 0, 0); }

DWORD WINAPI F12Hook::Thread(void* arg) {
  auto* self = static_cast<F12Hook*>(arg);
  MSG msg;
  // The hook is called on this thread, between its messages.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kReinstall) self->Install();
  }
  if (self->hook_) UnhookWindowsHookEx(self->hook_);
  return 0;
}

LRESULT CALLBACK F12Hook::Proc(int code, WPARAM wParam, LPARAM lParam) {
  F12Hook* self = theHook;
  if (code != HC_ACTION || !self) return CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  self->lastSaw_.store(static_cast<Tick>(key->time));
  if (key->vkCode != VK_F12) return CallNextHookEx(nullptr, code, wParam, lParam);
  const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
  PostMessageW(self->window_, self->message_, down ? 1 : 0, static_cast<LPARAM>(key->time));
  bool swallow = self->swallow_.load();
  if (down) {
    self->pressSwallowed_ = swallow;
  } else {
    swallow = swallow || self->pressSwallowed_;
    self->pressSwallowed_ = false;
  }
  return swallow ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace varnel
