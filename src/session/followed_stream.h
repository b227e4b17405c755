// The other end of the code stream: a program that wants the codes while a Varnel already runs
// gets them from that one, which holds the reader.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "session/running_varnel.h"

namespace varnel {

// What comes from the followed Varnel, cut into its lines: records pass on as the bytes they
// are; a line that is not a record is the Varnel's reason for refusing this program.
class FollowedLines {
 public:
  // The records completed by `bytes`, each line whole, in order.
  std::string Take(std::string_view bytes);
  const std::optional<std::string>& Refusal() const { return refusal_; }

 private:
  std::string partial_;
  std::optional<std::string> refusal_;
};

struct FollowEnd {
  int status;
  std::string text;
};
// How following `running` ends once its stream has: the Varnel ended (`holderEnded`), or went on
// without this program, which it cut off or refused.
FollowEnd EndOfFollowing(const RunningVarnel& running, bool holderEnded,
                         const std::optional<std::string>& refusal);

// Writes all of `bytes`: 0, or the errno that stopped it.
using FollowWrite = std::function<int(std::string_view bytes)>;
using FollowSay = std::function<void(const std::string& line)>;

// Follows `running`, the holder of the session's lock, once it is sure that the stream is that
// one's: `said` first, then each record to `write` as it comes. The exit status.
int FollowRunningVarnel(const RunningVarnel& running, const std::string& said,
                        const FollowWrite& write, const FollowSay& say);

}  // namespace varnel
