// Scroll Lock on Windows, as a state. The system keeps the toggle and passes it to every
// keyboard; a press is its only way to change it, so a wanted state becomes a press here, and
// only when the system's state differs from it.
#pragma once

#include "light/light.h"
#include "light/lock_key_port.h"

namespace varnel {

class ScrollLockLight final : public Light {
 public:
  explicit ScrollLockLight(LockKeyPort& keys) : keys_(keys) {}

  void Set(bool on) override;
  // What the system's light shows now.
  bool On();

 private:
  LockKeyPort& keys_;
};

}  // namespace varnel
