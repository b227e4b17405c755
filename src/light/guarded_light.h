// The light the window's logic drives, watched: whenever what the program has lit changes, the
// guard hears of it, so that a light left on by a program killed mid-answer can still be put
// out.
#pragma once

#include "light/light.h"
#include "light/lit_lights.h"

namespace varnel {

class GuardedLight final : public Light {
 public:
  // `place`: where the light shows now, as it would be if it were lit.
  GuardedLight(Light& light, LightGuard& guard, LitLights place)
      : light_(light), guard_(guard), place_(std::move(place)) {}

  void Set(bool on) override;

  // The light has moved to `place` (the direct link came up or went down), a lit light with it.
  void MoveTo(LitLights place);

 private:
  void Tell();

  Light& light_;
  LightGuard& guard_;
  LitLights place_;
  // Whether the program last set the light on. Only what the program set counts, so a light
  // the desktop lit is never called its own.
  bool on_ = false;
  LitLights told_;
};

}  // namespace varnel
