#include "output/wayland/virtual_keyboard_keymap.h"

#include <array>

namespace varnel {
namespace {

struct Key {
  std::uint32_t evdev;
  const char* name;    // xkb's name for the key at that place on a PC keyboard
  const char* keysym;  // the one symbol the key types
};

// Each at its usual place, so that a program that reads key codes rather than symbols (a game,
// a terminal's shortcuts) sees the keys it expects.
constexpr std::array<Key, 12> kKeys{{{2, "AE01", "1"},
                                     {3, "AE02", "2"},
                                     {4, "AE03", "3"},
                                     {5, "AE04", "4"},
                                     {6, "AE05", "5"},
                                     {7, "AE06", "6"},
                                     {8, "AE07", "7"},
                                     {9, "AE08", "8"},
                                     {10, "AE09", "9"},
                                     {11, "AE10", "0"},
                                     {15, "TAB", "Tab"},
                                     {28, "RTRN", "Return"}}};
constexpr std::uint32_t kXkbOffset = 8;  // xkb's key codes are evdev's plus 8

std::optional<std::uint32_t> KeyWithSym(std::string_view keysym) {
  for (const Key& key : kKeys) {
    if (keysym == key.keysym) return key.evdev;
  }
  return std::nullopt;
}

}  // namespace

std::string VirtualKeymapText() {
  std::string codes, symbols;
  for (const Key& key : kKeys) {
    codes +=
        "    <" + std::string(key.name) + "> = " + std::to_string(key.evdev + kXkbOffset) + ";\n";
    symbols += "    key <" + std::string(key.name) + "> { [ " + key.keysym + " ] };\n";
  }
  // Self-contained, with no include: the compositor's xkb data may lack or change any named
  // component, and a key with one level needs no modifier, so no compatibility map either.
  return "xkb_keymap {\n"
         "  xkb_keycodes \"varnel\" {\n"
         "    minimum = 8;\n"
         "    maximum = 255;\n" +
         codes +
         "  };\n"
         "  xkb_types \"varnel\" {\n"
         "    type \"ONE_LEVEL\" {\n"
         "      modifiers = none;\n"
         "      level_name[Level1] = \"Any\";\n"
         "    };\n"
         "  };\n"
         "  xkb_compatibility \"varnel\" {\n"
         "  };\n"
         "  xkb_symbols \"varnel\" {\n" +
         symbols +
         "  };\n"
         "};\n";
}

std::optional<std::uint32_t> VirtualKeyFor(char c) {
  if (c < '0' || c > '9') return std::nullopt;
  return KeyWithSym(std::string_view(&c, 1));
}

std::optional<std::uint32_t> VirtualKeyFor(TypeEnd end) {
  switch (end) {
    case TypeEnd::Enter:
      return KeyWithSym("Return");
    case TypeEnd::Tab:
      return KeyWithSym("Tab");
    case TypeEnd::None:
      break;
  }
  return std::nullopt;
}

}  // namespace varnel
