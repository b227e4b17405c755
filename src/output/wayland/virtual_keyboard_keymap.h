// The keymap of Varnel's own virtual keyboard: only the keys it types, each with its one symbol
// on its only level, so that no layout the person uses can change what a key types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "output/typing_port.h"

namespace varnel {

// The keymap in xkb's text format, as wl_keyboard's XKB_V1 keymaps are written.
std::string VirtualKeymapText();

// The key (an evdev code, the keymap's key code less 8) that types `c`, a digit, or the key of
// `end`; nothing for anything else.
std::optional<std::uint32_t> VirtualKeyFor(char c);
std::optional<std::uint32_t> VirtualKeyFor(TypeEnd end);

}  // namespace varnel
