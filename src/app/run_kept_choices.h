// --remember and --forget, carried out in one place on every platform, against the platform's
// own store and start at login.
#pragma once

#include "app/command_line.h"
#include "choices/kept_choices.h"

namespace varnel {

// For a line whose action is Remember or Forget: the exit status.
int RunKeptChoices(const CommandLine& line, const ChoiceSay& say);

}  // namespace varnel
