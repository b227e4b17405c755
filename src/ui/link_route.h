// Where the window's logic gets its F12 from: the window's key events, or, while the direct link
// to the reader is up, the reader's own device alone.
#pragma once

#include "link/direct_link.h"
#include "ui/form1.h"

namespace varnel {

class KeyRoute {
 public:
  explicit KeyRoute(Form1& form) : form_(form) {}

  // A key event of the window. While the direct link is up an F12 from any keyboard is ignored:
  // the reader's own presses are counted from its device, once.
  void WindowKey(bool down, std::int16_t keyCode, bool isAutoRepeat, KeyTime time);
  // An F12 of the reader's device.
  void ReaderF12(bool down, KeyTime time);
  // The direct link came up or went down.
  void SetDirect(bool direct);

 private:
  enum class WindowPress { None, Counted, Ignored };
  void Deliver(bool down, bool isAutoRepeat, KeyTime time);

  Form1& form_;
  bool direct_ = false;
  // The window's last F12 press that has not been released: a release whose press was ignored
  // (made while the link was up) is no end of a hold once the window's keys count again.
  WindowPress windowPress_ = WindowPress::None;
};

}  // namespace varnel
