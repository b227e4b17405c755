// The platform's side of a keyboard lock key: its toggle state and synthetic presses of it.
#pragma once

#include <array>
#include <cstdint>

namespace varnel {

inline constexpr std::int32_t kVkScrollLock = 145;
inline constexpr std::uint32_t kKeyEventKeyUp = 2;

// One synthetic keyboard event, as the platform's input queue takes it.
struct KeyboardRecord {
  std::uint16_t virtualKey = 0;
  std::uint16_t scanCode = 0;
  std::uint32_t flags = 0;
  std::uint32_t time = 0;
  std::uintptr_t extraInfo = 0;
};

// A complete press: the key-down, then the key-up.
using KeyPressRecords = std::array<KeyboardRecord, 2>;

class LockKeyPort {
 public:
  virtual ~LockKeyPort() = default;
  // The key's state word; bit 0 is its toggle state.
  virtual std::int16_t KeyState(std::int32_t virtualKey) = 0;
  // Inserts both events into the input queue in one go, so nothing can come between them.
  virtual void SendPress(const KeyPressRecords& press) = 0;
};

}  // namespace varnel
