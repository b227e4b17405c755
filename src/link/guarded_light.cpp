#include "link/guarded_light.h"

#include "link/lock_light.h"

namespace varnel {

void GuardedLight::SendPress(const KeyPressRecords& press) {
  // A press turns the light over, as a keyboard's does. The state is read before it: a light
  // read back at once may not show the press yet (Windows updates it as the keys are handled).
  // Only the program's own presses count, so a light the desktop lit is never called its own.
  const bool scrollLock = press[0].virtualKey == kVkScrollLock;
  const bool before = scrollLock && modStd::GetLockState(light_, kVkScrollLock) != 0;
  light_.SendPress(press);
  if (!scrollLock) return;
  on_ = !before;
  Tell();
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
