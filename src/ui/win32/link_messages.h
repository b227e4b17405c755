// The window's messages that concern a link: whoever handles them gets each before the window.
#pragma once

#include <windows.h>

#include <optional>

namespace varnel {

class LinkMessages {
 public:
  // The message's result when it was the link's, nothing otherwise.
  virtual std::optional<LRESULT> Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~LinkMessages() = default;
};

}  // namespace varnel
