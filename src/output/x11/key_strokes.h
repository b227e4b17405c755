// Which key, with which modifiers held, types a character under an X keyboard map: the map's
// keys as XKB describes them (each key's groups, each group's levels and the key type that says
// which modifiers pick each level), looked up for the group in force and the modifiers locked
// at the moment of typing.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace varnel {

struct KeyType {
  // The modifiers the type looks at; of those, the combination that picks each level past the
  // first (any other combination picks the first).
  unsigned mask = 0;
  struct Entry {
    unsigned mods = 0;
    int level = 0;
  };
  std::vector<Entry> entries;
};

struct KeyGroup {
  KeyType type;
  std::vector<std::uint32_t> syms;  // by level; 0 for none
};

struct MapKey {
  int keycode = 0;
  std::vector<KeyGroup> groups;
};

using KeyboardMap = std::vector<MapKey>;

struct KeyStroke {
  int keycode = 0;
  unsigned mods = 0;  // to hold down while the key is pressed
  bool operator==(const KeyStroke&) const = default;
};

// The level of a key of `type` while `mods` are in force.
int LevelOf(const KeyType& type, unsigned mods);

// The key that types `keysym` in `group` while `locked` modifiers are locked, with the fewest
// modifiers to hold; nothing if the map has no such key in that group.
std::optional<KeyStroke> StrokeFor(const KeyboardMap& map, std::uint32_t keysym, int group,
                                   unsigned locked);

// The key codes from `min` to `max` that have no symbol at all: free to lend a symbol the map
// lacks for the moment of typing it.
std::vector<int> SpareKeycodes(const KeyboardMap& map, int min, int max);

}  // namespace varnel
