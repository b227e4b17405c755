// Windows' own lock keys: GetKeyState for the toggle, SendInput for a synthetic press.
#pragma once

#include <memory>

#include "light/lock_key_port.h"

namespace varnel {

std::unique_ptr<LockKeyPort> OpenSystemLockKeyPort();

}  // namespace varnel
