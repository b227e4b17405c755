#include "session/running_varnel.h"

#include <charconv>

namespace varnel {

std::string RunningVarnelLine(const RunningVarnel& running) {
  return std::to_string(running.pid) + (running.window ? " window\n" : " headless\n");
}

std::optional<RunningVarnel> ParseRunningVarnel(std::string_view line) {
  RunningVarnel running;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), running.pid);
  if (error != std::errc() || running.pid <= 0) return std::nullopt;
  const std::string_view mode = line.substr(static_cast<std::size_t>(end - line.data()));
  if (mode == " window\n") return running;
  running.window = false;
  if (mode == " headless\n") return running;
  return std::nullopt;  // not yet written whole, or not ours
}

}  // namespace varnel
