#include "light/windows/scroll_lock_light.h"

#include "light/lock_light.h"

namespace varnel {

void ScrollLockLight::Set(bool on) {
  modLight::SetLockKey(keys_, kVkScrollLock, on ? modLight::kLockOn : modLight::kLockOff);
}

bool ScrollLockLight::On() { return modStd::GetLockState(keys_, kVkScrollLock) != 0; }

}  // namespace varnel
