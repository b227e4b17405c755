// Brings a lock key's light to a wanted state by pressing the key when, and only when, it differs.
#pragma once

#include <cstdint>

#include "light/lock_key_port.h"

namespace modStd {

// The key's toggle state, 0 or 1.
std::uint8_t GetLockState(varnel::LockKeyPort& port, std::int32_t virtualKey);

}  // namespace modStd

namespace modLight {

enum : std::int32_t { kLockOff = 0, kLockOn = 1, kLockToggle = 2 };

// The key-down and key-up of one press of `virtualKey`.
varnel::KeyPressRecords PressRecords(std::int32_t virtualKey);

// `wanted` is kLockOff, kLockOn or kLockToggle. The state is read first, so asking for the state
// the light already shows sends nothing; a toggle always sends one press.
void SetLockKey(varnel::LockKeyPort& port, std::int32_t virtualKey, std::int32_t wanted);

}  // namespace modLight
