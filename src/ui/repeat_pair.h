// X reports a held key as release/press pairs that share one timestamp. Qt flags a pair as an
// auto-repeat only if the press has already arrived when it handles the release; otherwise the
// pair looks like a real release and a new press, and would cut one hold in two. So a release
// is held back until the next event says what it was, and then delivered with the times it came
// with: the measured hold is the same either way.
#pragma once

#include <optional>

#include "ui/link_route.h"

namespace varnel {

// How long a release waits for the press that would make it half of an auto-repeat pair. The X
// server sends both halves at once; this only covers the client reading them apart.
inline constexpr int kRepeatPairWaitMs = 20;

class RepeatPair {
 public:
  explicit RepeatPair(KeyRoute& route) : route_(route) {}

  // An F12 event of the window, stamped `time`. True when a release is now held back: the host
  // calls Flush after kRepeatPairWaitMs unless another event comes first.
  bool WindowF12(bool down, bool isAutoRepeat, KeyTime time);
  // Delivers a release held back, if there is one. Call it before anything else reaches the
  // logic, so that the logic sees every event in the order it happened.
  void Flush();
  bool Waiting() const { return pending_.has_value(); }

 private:
  KeyRoute& route_;
  std::optional<KeyTime> pending_;
};

}  // namespace varnel
