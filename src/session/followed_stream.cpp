#include "session/followed_stream.h"

#include "process/text.h"
#include "session/follower_queues.h"

namespace varnel {

std::string FollowedLines::Take(std::string_view bytes) {
  std::string records;
  partial_.append(bytes);
  if (refusal_) return records;
  TakeWholeLines(partial_, [&](std::string_view line) {
    if (!line.starts_with('{')) {
      refusal_ = std::string(line);
      return false;
    }
    records.append(line).push_back('\n');
    return true;
  });
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
