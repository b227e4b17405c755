// Scroll Lock's key over a light: what the window's logic presses becomes the light's state.
// The key's state is the one it last set, so SetLockKey presses only when the wanted state
// differs from it, and nothing below has to read a light back to learn what a press meant.
#pragma once

#include "light/light.h"
#include "light/lock_key_port.h"

namespace varnel {

class LightKey final : public LockKeyPort {
 public:
  // `on`: what the light shows as the key is taken, when that light is not the program's alone.
  explicit LightKey(Light& light, bool on = false) : light_(light), on_(on) {}

  std::int16_t KeyState(std::int32_t virtualKey) override;
  // A press turns the light over on its key-down, as a keyboard's does. Other keys have no
  // light here and change nothing.
  void SendPress(const KeyPressRecords& press) override;

 private:
  Light& light_;
  bool on_;
};

}  // namespace varnel
