#include "ui/repeat_pair.h"

namespace varnel {

RepeatPair::Step RepeatPair::Take(F12Event event) {
  Step step;
  const bool secondHalf = event.down && pending_ && pending_->event == event.time.event;
  if (secondHalf) {
    pending_.reset();  // the hold goes on
    event.isAutoRepeat = true;
  }
  if (auto release = Release()) step.deliver.push_back(*release);
  if (!event.down && !event.isAutoRepeat) {
    pending_ = event.time;
    step.waiting = true;
  } else {
    step.deliver.push_back(event);
  }
  return step;
}

std::optional<F12Event> RepeatPair::Release() {
  if (!pending_) return std::nullopt;
  const F12Event release{false, false, *pending_};
  pending_.reset();
  return release;
}

}  // namespace varnel
