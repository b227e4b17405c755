// Typing through a virtual keyboard of Varnel's own (zwp_virtual_keyboard_manager_v1), as
// wlroots' compositors offer it: on a connection to the compositor of its own, with a keymap of
// its own that holds only the keys it types.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/typing_port.h"

namespace varnel {

// The interfaces the compositor's registry offers, asked on a connection made for the asking;
// empty, with `problem` said, when the compositor cannot be reached.
std::vector<std::string> WaylandGlobals(std::string& problem);

// Null, with `problem` said, when the compositor offers no virtual keyboard or refuses one.
// `ownWindowActive` tells whether one of Varnel's windows is the active one.
std::unique_ptr<TypingPort> OpenVirtualKeyboardTyping(std::function<bool()> ownWindowActive,
                                                      std::string& problem);

}  // namespace varnel
