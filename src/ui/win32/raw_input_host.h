// Hosts the Windows link in the main window: turns WM_INPUT, WM_INPUT_DEVICE_CHANGE, the F12
// hook's messages and a once-a-second read of the device list into the link's input. It decides
// nothing itself.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "link/hook_watch.h"
#include "link/raw_input_link.h"
#include "link/windows/f12_hook.h"
#include "ui/win32/link_messages.h"

namespace varnel {

class RawInputHost final : public LinkMessages {
 public:
  using Say = std::function<void(const std::string& line)>;
  RawInputHost(LinkListener& listener, bool takeF12, Say say);

  // Registers `window` for raw input, reads the device list and, for --take-f12, starts the
  // hook. Call before the window's load step, so that a reader there at start-up is heard.
  void Attach(HWND window);
  std::optional<LRESULT> Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  // From now on F12 is kept from the other programs, or no longer: the hook installed or taken
  // away at once.
  void TakeF12(bool take);

 private:
  void StartHook();
  void Scan();
  // Installs the hook again once it has missed a key: Windows removed it.
  void CheckHook();

  LinkListener& listener_;
  bool takeF12_;
  Say say_;
  RawInputLink link_;
  HWND window_ = nullptr;
  std::unique_ptr<F12Hook> hook_;
  HookWatch hookWatch_;
  // The hook's installs when it was last asked to be installed again.
  std::uint32_t reinstallAsked_ = 0;
};

}  // namespace varnel
