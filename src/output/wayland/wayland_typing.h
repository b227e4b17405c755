// --type on a Wayland desktop: the desktop's own means of typing, chosen by what it offers.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "output/typing_port.h"

namespace varnel {

// Null, with the one line to say in `refusal`, when the desktop offers no means Varnel uses or
// the one it offers will not type. `ownWindowActive` tells whether one of Varnel's windows is
// the active one.
std::unique_ptr<TypingPort> OpenWaylandTyping(std::function<bool()> ownWindowActive,
                                              std::string& refusal);

}  // namespace varnel
