#include "session/followed_stream.h"

#include "session/follower_queues.h"

namespace varnel {

std::string FollowedLines::Take(std::string_view bytes) {
  std::string records;
  partial_.append(bytes);
  std::size_t start = 0;
  for (std::size_t end; !refusal_ && (end = partial_.find('\n', start)) != std::string::npos;
       start = end + 1) {
    const std::string_view line(partial_.data() + start, end - start);
    if (line.starts_with('{')) {
      records.append(line).push_back('\n');
    } else {
      refusal_ = std::string(line);
    }
  }
  partial_.erase(0, start);
  return records;
}

FollowEnd EndOfFollowing(const RunningVarnel& running, bool holderEnded,
                         const std::optional<std::string>& refusal) {
  const std::string which = "the Varnel of process " + std::to_string(running.pid);
  if (refusal) return {1, *refusal};
  if (holderEnded) return {0, "varnel: " + which + " has ended."};
  return {1, "varnel: " + which + " cut this program off, as it fell " +
                 std::to_string(FollowerQueues::kCutBehind) + " codes behind."};
}

}  // namespace varnel
