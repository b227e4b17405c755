// X reports a held key as release/press pairs that share one timestamp. Qt flags a pair as an
// auto-repeat only if the press has already arrived when it handles the release; otherwise the
// pair looks like a real release and a new press, and would cut one hold in two. So a release
// is held back until the next event says what it was, and then delivered with the times it came
// with: the measured hold is the same either way.
#pragma once

#include <optional>
#include <vector>

#include "reception/tick.h"

namespace varnel {

// How long a release waits for the press that would make it half of an auto-repeat pair. The X
// server sends both halves at once; this only covers the client reading them apart.
inline constexpr int kRepeatPairWaitMs = 20;

struct F12Event {
  bool down = false;
  bool isAutoRepeat = false;
  KeyTime time{};
  bool operator==(const F12Event&) const = default;
};

class RepeatPair {
 public:
  // What one event of the window comes to: what reaches the logic now, in the order it happened,
  // and whether a release is now held back, to be given up after kRepeatPairWaitMs.
  struct Step {
    std::vector<F12Event> deliver;
    bool waiting = false;
  };
  [[nodiscard]] Step Take(F12Event event);
  // Stops waiting: the release held back, if there is one. Whatever else reaches the logic must
  // come after it, so that the logic sees every event in the order it happened.
  [[nodiscard]] std::optional<F12Event> Release();
  bool Waiting() const { return pending_.has_value(); }

 private:
  std::optional<KeyTime> pending_;
};

}  // namespace varnel
