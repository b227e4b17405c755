#include "link/guarded_light.h"

#include "link/lock_light.h"

namespace varnel {

void GuardedLight::SendPress(const KeyPressRecords& press) {
  if (press[0].virtualKey != kVkScrollLock) {
    light_.SendPress(press);
    return;
  }
  // A press turns the light over, as a keyboard's does. The state is read before it: a light
  // read back at once may not show the press yet (Windows updates it as the keys are handled).
  // Only the program's own presses count, so a light the desktop lit is never called its own.
  on_ = modStd::GetLockState(light_, kVkScrollLock) == 0;
  // Killed between the press and the word to the guardian, the program leaves the guardian
  // wrong. Wrong on the safe side: a guardian that sets lights off hears of a light before it
  // is lit and of its end after; one that presses the key, the other way round.
  const bool tellFirst = on_ == guard_.SetsLightsOff();
  if (tellFirst) Tell();
  light_.SendPress(press);
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
