// A lock-key port for tests: it models the system's one toggle state per key, flipped by every
// complete press, and keeps what it was sent.
#pragma once

#include <map>
#include <vector>

#include "light/lock_key_port.h"

namespace varnel {

class FakeLockKeyPort : public LockKeyPort {
 public:
  std::int16_t KeyState(std::int32_t virtualKey) override {
    // Like GetKeyState, the high bits say something too; only bit 0 is the toggle.
    return static_cast<std::int16_t>(0x7F00 | (on_[virtualKey] ? 1 : 0));
  }

  void SendPress(const KeyPressRecords& press) override {
    sent.push_back(press);
    const bool complete = press[0].virtualKey == press[1].virtualKey &&
                          (press[0].flags & kKeyEventKeyUp) == 0 &&
                          (press[1].flags & kKeyEventKeyUp) != 0;
    if (complete) on_[press[0].virtualKey] = !on_[press[0].virtualKey];
  }

  bool IsOn(std::int32_t virtualKey = kVkScrollLock) { return on_[virtualKey]; }
  void SetOn(bool on, std::int32_t virtualKey = kVkScrollLock) { on_[virtualKey] = on; }

  std::vector<KeyPressRecords> sent;

 private:
  std::map<std::int32_t, bool> on_;
};

}  // namespace varnel
