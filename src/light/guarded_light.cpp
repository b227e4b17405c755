#include "light/guarded_light.h"

namespace varnel {

void GuardedLight::Set(bool on) {
  on_ = on;
  // Killed between the light and the word to the guardian, the program leaves the guardian
  // wrong. Wrong on the safe side: a guardian that sets lights off hears of a light before it
  // is lit and of its end after; one that presses the key, the other way round.
  const bool tellFirst = on_ == guard_.SetsLightsOff();
  if (tellFirst) Tell();
  light_.Set(on);
  if (!tellFirst) Tell();
}

void GuardedLight::MoveTo(LitLights place) {
  place_ = std::move(place);
  Tell();
}

void GuardedLight::Tell() {
  LitLights lit = on_ ? place_ : LitLights{};
  if (lit == told_) return;
  guard_.Tell(lit);
  told_ = std::move(lit);
}

}  // namespace varnel
