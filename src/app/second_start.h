// One Varnel per user session: what a start does when another Varnel already runs there.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "session/running_varnel.h"

namespace varnel {

struct SecondStart {
  enum class Action {
    Activate,  // ask the running window to come to the front, then end
    Say,       // tell on standard error which Varnel runs, then end
    // A window that shows the running service's codes as it decides them, beside it; where it
    // cannot follow them, a warning box instead, then end.
    View,
    Follow,  // write the running Varnel's records as it serves them, until it ends
  };
  Action action;
  int exitCode;
  std::string text;
};

// What this start, with `line`, does while `running` holds the session; nothing is known of a
// holder that has not said who it is.
SecondStart DecideSecondStart(const std::optional<RunningVarnel>& running, const CommandLine& line);

}  // namespace varnel

namespace varnel {

// The platform's own part of a second start; `warn` null where no box can be shown, and the
// text is said on standard error instead. `view` shows the codes of `running` until it ends and
// returns the exit status; nothing, with the reason said, when it cannot follow them.
struct SecondStartShell {
  std::function<void(const std::string& text)> warn;
  std::function<std::optional<int>(const RunningVarnel& running)> view;
};
// Carries out `second` beside `running`, the same way on every platform; returns the exit status.
int RunSecondStart(const SecondStart& second, const RunningVarnel& running,
                   const SecondStartShell& shell);

}  // namespace varnel
