// The Varnel that holds the user session, as the session's lock names it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

// The Varnel that holds the session, as its lock names it.
struct RunningVarnel {
  std::int64_t pid = 0;
  bool window = true;  // false: --headless
  bool operator==(const RunningVarnel&) const = default;
};

// As the session's lock keeps it: "<pid> window" or "<pid> headless", one line.
std::string RunningVarnelLine(const RunningVarnel& running);
std::optional<RunningVarnel> ParseRunningVarnel(std::string_view line);

}  // namespace varnel
