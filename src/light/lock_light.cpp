#include "light/lock_light.h"

namespace modStd {

std::uint8_t GetLockState(varnel::LockKeyPort& port, std::int32_t virtualKey) {
  return static_cast<std::uint8_t>(port.KeyState(virtualKey) & 1);
}

}  // namespace modStd

namespace modLight {

varnel::KeyPressRecords PressRecords(std::int32_t virtualKey) {
  varnel::KeyboardRecord record;
  record.virtualKey = static_cast<std::uint16_t>(virtualKey);
  varnel::KeyPressRecords press{record, record};
  press[1].flags = varnel::kKeyEventKeyUp;
  return press;
}

void SetLockKey(varnel::LockKeyPort& port, std::int32_t virtualKey, std::int32_t wanted) {
  if (modStd::GetLockState(port, virtualKey) == wanted) return;
  port.SendPress(PressRecords(virtualKey));
}

}  // namespace modLight
