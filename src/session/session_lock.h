// One Varnel per user session: a lock held for the life of the process, gone with it however it
// ends, so a start right after a kill is never refused.
#pragma once

#include <optional>
#include <string>

#include "session/running_varnel.h"

namespace varnel {

struct SessionLock {
  bool taken = false;
  std::optional<RunningVarnel> holder;  // not taken: the Varnel that holds it, when known
  std::string problem;                  // neither: why there is no lock to be had
};

// Takes the session's lock for this process, with or without a window, and keeps it.
SessionLock TakeSessionLock(bool window);

// Asks the running Varnel's window to come to the front; a desktop may refuse to raise it.
void ActivateRunningWindow(const RunningVarnel& running);

}  // namespace varnel
