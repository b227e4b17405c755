// Where the session's Varnel keeps its lock and its code stream on Linux, and who holds the lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "session/running_varnel.h"

namespace varnel {

// $XDG_RUNTIME_DIR, or a private folder of the user's own; empty, with `problem`, when there is
// none to be had.
std::string SessionFolder(std::string& problem);

// The process that holds the flock on the file `fd` is open on, as /proc/locks names it; 0 when
// none does, or it cannot tell.
std::int64_t FlockHolder(int fd);

// The line of the lock's holder in the lock file `fd`, once it names that holder.
std::optional<RunningVarnel> ReadSessionHolder(int fd);

// The Varnel that holds the session now, without trying for the lock.
std::optional<RunningVarnel> PeekSessionHolder();

}  // namespace varnel
