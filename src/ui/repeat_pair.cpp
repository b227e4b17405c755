#include "ui/repeat_pair.h"

namespace varnel {

bool RepeatPair::WindowF12(bool down, bool isAutoRepeat, KeyTime time) {
  if (!down && !isAutoRepeat) {
    Flush();
    pending_ = time;
    return true;
  }
  if (down && pending_ && pending_->event == time.event) {
    pending_.reset();  // the second half of a repeat pair: the hold goes on
    isAutoRepeat = true;
  }
  Flush();
  route_.WindowKey(down, kKeyF12, isAutoRepeat, time);
  return false;
}

void RepeatPair::Flush() {
  if (!pending_) return;
  const KeyTime release = *pending_;
  pending_.reset();
  route_.WindowKey(false, kKeyF12, false, release);
}

}  // namespace varnel
