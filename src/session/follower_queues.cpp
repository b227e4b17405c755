#include "session/follower_queues.h"

namespace varnel {

bool FollowerQueues::Add(Id id) {
  if (queues_.size() >= kMaxFollowers || queues_.count(id)) return false;
  queues_[id].lines.resize(kCutBehind);
  return true;
}

void FollowerQueues::Remove(Id id) { queues_.erase(id); }

std::vector<FollowerQueues::Id> FollowerQueues::Push(const Line& line) {
  std::vector<Id> cut;
  for (auto it = queues_.begin(); it != queues_.end();) {
    Queue& queue = it->second;
    queue.lines[(queue.first + queue.count) % kCutBehind] = line;
    if (++queue.count < kCutBehind) {
      ++it;
      continue;
    }
    cut.push_back(it->first);
    it = queues_.erase(it);
  }
  return cut;
}

std::optional<FollowerQueues::Rest> FollowerQueues::Next(Id id) const {
  const auto it = queues_.find(id);
  if (it == queues_.end() || it->second.count == 0) return std::nullopt;
  const Queue& queue = it->second;
  return Rest{queue.lines[queue.first], queue.offset};
}

void FollowerQueues::Written(Id id, std::size_t bytes) {
  const auto it = queues_.find(id);
  if (it == queues_.end() || it->second.count == 0) return;  // cut off meanwhile
  Queue& queue = it->second;
  queue.offset += bytes;
  if (queue.offset < queue.lines[queue.first]->size()) return;
  queue.lines[queue.first].reset();
  queue.first = (queue.first + 1) % kCutBehind;
  --queue.count;
  queue.offset = 0;
}

std::size_t FollowerQueues::Behind(Id id) const {
  const auto it = queues_.find(id);
  return it == queues_.end() ? 0 : it->second.count;
}

const std::string& TooManyFollowersLine() {
  static const std::string line = "varnel: " + std::to_string(FollowerQueues::kMaxFollowers) +
                                  " programs already follow this Varnel, as many as it serves; "
                                  "try again once one has ended.\n";
  return line;
}

}  // namespace varnel
