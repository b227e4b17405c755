#include "light/light_key.h"

namespace varnel {

std::int16_t LightKey::KeyState(std::int32_t virtualKey) {
  return virtualKey == kVkScrollLock && on_ ? 1 : 0;
}

void LightKey::SendPress(const KeyPressRecords& press) {
  for (const KeyboardRecord& record : press) {
    if ((record.flags & kKeyEventKeyUp) != 0 || record.virtualKey != kVkScrollLock) continue;
    on_ = !on_;
    light_.Set(on_);
  }
}

}  // namespace varnel
