// The keyboard that types the program's codes into another program: what the window system
// tells of the window in front and of the keys the person holds, and the typing itself. Each
// platform has one.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// What is typed after a code's digits.
enum class TypeEnd { Enter, Tab, None };

class TypingPort {
 public:
  virtual ~TypingPort() = default;

  // Whether the window that keys go to now is one of this program's own.
  virtual bool OwnWindowInFront() = 0;
  // Whether the person holds a modifier now (Shift, Ctrl, Alt, AltGr, Win): typed keys would
  // pick it up, and digits could become a shortcut.
  virtual bool ModifierHeld() = 0;
  // Types `text`, then `end`, into the window in front, with nothing of anyone else's between
  // them. False, with `problem` said, when it could not.
  virtual bool Type(std::string_view text, TypeEnd end, std::string& problem) = 0;
};

}  // namespace varnel
