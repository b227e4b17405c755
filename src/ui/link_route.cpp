#include "ui/link_route.h"

namespace varnel {

void KeyRoute::WindowKey(bool down, std::int16_t keyCode, bool isAutoRepeat, KeyTime time) {
  if (keyCode != kKeyF12) return;  // the logic ignores every other key
  if (!isAutoRepeat) {
    const WindowPress press = windowPress_;
    windowPress_ =
        down ? (direct_ ? WindowPress::Ignored : WindowPress::Counted) : WindowPress::None;
    if (!down && press == WindowPress::Ignored) return;
  }
  if (direct_) return;
  Deliver(down, isAutoRepeat, time);
}

void KeyRoute::ReaderF12(bool down, KeyTime time) { Deliver(down, false, time); }

void KeyRoute::Deliver(bool down, bool isAutoRepeat, KeyTime time) {
  if (down) {
    form_.KeyDown(kKeyF12, isAutoRepeat, time);
  } else {
    form_.KeyUp(kKeyF12, isAutoRepeat, time);
  }
}

void KeyRoute::SetDirect(bool direct) { direct_ = direct; }

}  // namespace varnel
