#include "ui/win32/raw_input_host.h"

#include "link/reader_presence.h"
#include "link/windows/raw_input.h"

namespace varnel {
namespace {

// Past the window's own timers and messages.
constexpr UINT_PTR kScanTimer = 100;
constexpr UINT kHookF12 = WM_APP + 20;
// The device list is read again this often, in case a notice of a change was missed.
constexpr UINT kScanMs = 1000;

}  // namespace

RawInputHost::RawInputHost(LinkListener& listener, bool takeF12, Say say)
    : listener_(listener),
      takeF12_(takeF12),
      say_(std::move(say)),
      link_(ReaderIdentity(), takeF12, say_) {}

void RawInputHost::Attach(HWND window) {
  window_ = window;
  if (!RegisterKeyboardRawInput(window)) {
    say_("varnel: raw input refused the program (error " + std::to_string(GetLastError()) +
         "): codes come only through the window, while it has the focus.");
  }
  if (takeF12_) StartHook();
  Scan();
  SetTimer(window, kScanTimer, kScanMs, nullptr);
}

void RawInputHost::TakeF12(bool take) {
  if (take == takeF12_) return;
  takeF12_ = take;
  link_.TakeF12(take, listener_);
  if (!take) {
    hook_.reset();
  } else if (window_) {
    StartHook();
    hook_->SetSwallowing(link_.Linked());
  }
}

void RawInputHost::StartHook() {
  hook_ = std::make_unique<F12Hook>(window_, kHookF12);
  hookWatch_ = HookWatch();
  reinstallAsked_ = 0;
  if (!hook_->Started()) {
    say_("varnel: the F12 hook cannot be installed (error " + std::to_string(GetLastError()) +
         "): F12 also reaches the program in front.");
  }
}

void RawInputHost::Scan() {
  link_.Listed(ListRawKeyboards(), static_cast<Tick>(GetTickCount()), listener_);
  if (hook_) hook_->SetSwallowing(link_.Linked());
}

void RawInputHost::CheckHook() {
  if (!hook_ || !hookWatch_.Missed(static_cast<Tick>(GetTickCount()), hook_->LastSaw())) return;
  if (hook_->Installs() == reinstallAsked_) return;  // asked already, not done yet
  reinstallAsked_ = hook_->Installs();
  say_(
      "varnel: Windows removed the F12 hook (a hook that answers too late is removed without "
      "notice); it is installed again.");
  hook_->Reinstall();
}

std::optional<LRESULT> RawInputHost::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INPUT: {
      // When the key moved, on the GetTickCount clock, as for the window's key messages.
      const KeyTime time{static_cast<Tick>(GetMessageTime()), static_cast<Tick>(GetTickCount())};
      if (const auto key = ReadRawKey(lParam)) {
        hookWatch_.RawKey(time.event);
        link_.Key(key->handle, key->virtualKey, key->down, time, listener_);
        if (hook_) hook_->SetSwallowing(link_.Linked());
      }
      // The system frees the input's data there.
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_INPUT_DEVICE_CHANGE:
      Scan();
      return 0;
    case WM_TIMER:
      if (wParam != kScanTimer) return std::nullopt;
      Scan();
      CheckHook();
      return 0;
    case kHookF12:
      link_.HookF12(wParam != 0, {static_cast<Tick>(lParam), static_cast<Tick>(GetTickCount())},
                    listener_);
      return 0;
  }
  return std::nullopt;
}

}  // namespace varnel
