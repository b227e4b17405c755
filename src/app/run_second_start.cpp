#include "app/second_start.h"
#include "process/standard_output.h"
#include "session/followed_stream.h"
#include "session/session_lock.h"

namespace varnel {

int RunSecondStart(const SecondStart& second, const RunningVarnel& running,
                   const SecondStartShell& shell) {
  switch (second.action) {
    case SecondStart::Action::Activate:
      ActivateRunningWindow(running);
      break;
    case SecondStart::Action::View:
      if (shell.view) {
        if (const std::optional<int> status = shell.view(running)) return *status;
      }
      if (shell.warn) {
        shell.warn(second.text);
        break;
      }
      [[fallthrough]];
    case SecondStart::Action::Say:
      SayOnStandardError(second.text);
      break;
    case SecondStart::Action::Follow:
      return FollowRunningVarnel(running, second.text, WriteStandardOutput, SayOnStandardError);
  }
  return second.exitCode;
}

}  // namespace varnel
