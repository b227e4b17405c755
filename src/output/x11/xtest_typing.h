// Typing into the X window in front through XTest, as a keyboard of the X server's own would:
// each character looked up in the keyboard map in force at that moment.
#pragma once

#include <memory>
#include <string>

#include "output/typing_port.h"

struct _XDisplay;

namespace varnel {

// On the X display that `display` (the window's connection) is on, through a connection of its
// own. Null, with `problem` said, when the display cannot be opened or lacks XTest or XKB.
std::unique_ptr<TypingPort> OpenXTestTyping(_XDisplay* display, std::string& problem);

}  // namespace varnel
