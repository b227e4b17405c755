// The lock keys through the system's input queue: GetKeyState for the toggle, SendInput for a
// synthetic press. The system passes the resulting state on to every attached keyboard.
#include <windows.h>

#include "light/windows/system_lock_key_port.h"

namespace varnel {
namespace {

class WindowsLockKeyPort : public LockKeyPort {
 public:
  std::int16_t KeyState(std::int32_t virtualKey) override { return GetKeyState(virtualKey); }

  void SendPress(const KeyPressRecords& press) override {
    INPUT inputs[2] = {};
    for (std::size_t i = 0; i < 2; ++i) {
      inputs[i].type = INPUT_KEYBOARD;
      inputs[i].ki.wVk = press[i].virtualKey;
      inputs[i].ki.wScan = press[i].scanCode;
      inputs[i].ki.dwFlags = press[i].flags;
      inputs[i].ki.time = press[i].time;
      inputs[i].ki.dwExtraInfo = press[i].extraInfo;
    }
    // The record size is the platform's own: a 32-bit size (28) on x64 makes SendInput reject
    // the call, and the light would silently never change.
    SendInput(2, inputs, sizeof(INPUT));
  }
};

}  // namespace

std::unique_ptr<LockKeyPort> OpenSystemLockKeyPort() {
  return std::make_unique<WindowsLockKeyPort>();
}

}  // namespace varnel
