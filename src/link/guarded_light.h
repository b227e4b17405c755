// The light the window's logic drives, watched: whenever what the program has lit changes, the
// guard hears of it, so that a light left on by a program killed mid-answer can still be put
// out.
#pragma once

#include "link/lit_lights.h"
#include "link/lock_key_port.h"

namespace varnel {

class GuardedLight final : public LockKeyPort {
 public:
  // `place`: where the light shows now, as it would be if it were lit.
  GuardedLight(LockKeyPort& light, LightGuard& guard, LitLights place)
      : light_(light), guard_(guard), place_(std::move(place)) {}

  std::int16_t KeyState(std::int32_t virtualKey) override { return light_.KeyState(virtualKey); }
  void SendPress(const KeyPressRecords& press) override;

  // The light has moved to `place` (the direct link came up or went down), a lit light with it.
  void MoveTo(LitLights place);

 private:
  void Tell();

  LockKeyPort& light_;
  LightGuard& guard_;
  LitLights place_;
  // Whether the program's last press left the light on.
  bool on_ = false;
  LitLights told_;
};

}  // namespace varnel
