// The lines owed to each program that follows the codes, one bounded queue each: a program that
// stops reading falls behind alone, and once it is too far behind it is cut off, so that it never
// holds up the window, the light or the others.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

class FollowerQueues {
 public:
  using Id = long long;  // the caller's name for a follower
  using Line = std::shared_ptr<const std::string>;

  static constexpr std::size_t kMaxFollowers = 16;
  // Records not yet written whole that cut a follower off.
  static constexpr std::size_t kCutBehind = 1024;

  // False when kMaxFollowers already follow: that one is refused.
  bool Add(Id id);
  void Remove(Id id);
  std::size_t Count() const { return queues_.size(); }

  // Queues `line` for every follower. Those it puts kCutBehind records behind are forgotten
  // here and returned, for the caller to let go of.
  std::vector<Id> Push(const Line& line);

  // What is still to be written of the oldest line owed to `id`.
  struct Rest {
    Line line;
    std::size_t offset = 0;
  };
  std::optional<Rest> Next(Id id) const;
  // `bytes` more of it were written.
  void Written(Id id, std::size_t bytes);
  // The records owed to `id`, the one partly written included; 0 for one not following.
  std::size_t Behind(Id id) const;

 private:
  struct Queue {
    std::vector<Line> lines;  // a ring of kCutBehind slots
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t offset = 0;  // into the first
  };
  std::map<Id, Queue> queues_;
};

// What a program that would follow beyond kMaxFollowers is told: one line, ending in LF.
const std::string& TooManyFollowersLine();

}  // namespace varnel
