// A record's line read back as the code it tells of, for a window that shows the codes another
// Varnel decides.
#pragma once

#include <optional>
#include <string_view>

#include "reception/code_outcome.h"

namespace varnel {

// Nothing for a line that is no record of a code.
std::optional<CodeOutcome> RecordedOutcome(std::string_view line);

}  // namespace varnel
