// A light that nothing shows: for a window that only shows the codes of another Varnel, which
// answers the reader itself.
#pragma once

#include "light/lock_key_port.h"

namespace varnel {

class NoLight final : public LockKeyPort {
 public:
  std::int16_t KeyState(std::int32_t) override { return 0; }
  void SendPress(const KeyPressRecords&) override {}
};

}  // namespace varnel
