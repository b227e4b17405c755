// One Varnel per user session: what a start does when another Varnel already runs there.
#pragma once

#include <optional>
#include <string>

#include "session/running_varnel.h"
#include "app/command_line.h"

namespace varnel {

struct SecondStart {
  enum class Action {
    Activate,  // ask the running window to come to the front, then end
    Say,       // tell on standard error which Varnel runs, then end
    Warn,      // a warning box, then end
    Follow,    // write the running Varnel's records as it serves them, until it ends
  };
  Action action;
  int exitCode;
  std::string text;
};

// What this start, with `line`, does while `running` holds the session; nothing is known of a
// holder that has not said who it is.
SecondStart DecideSecondStart(const std::optional<RunningVarnel>& running, const CommandLine& line);

}  // namespace varnel
