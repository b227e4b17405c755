#include "output/x11/key_strokes.h"

#include <algorithm>
#include <bit>
#include <set>

namespace varnel {

int LevelOf(const KeyType& type, unsigned mods) {
  const unsigned seen = mods & type.mask;
  for (const KeyType::Entry& entry : type.entries) {
    if (entry.mods == seen) return entry.level;
  }
  return 0;
}

std::optional<KeyStroke> StrokeFor(const KeyboardMap& map, std::uint32_t keysym, int group,
                                   unsigned locked) {
  std::optional<KeyStroke> best;
  for (const MapKey& key : map) {
    if (key.groups.empty()) continue;
    // A group past a key's own wraps round, as the server does by default.
    const KeyGroup& g = key.groups[static_cast<std::size_t>(group) % key.groups.size()];
    for (std::size_t level = 0; level < g.syms.size(); ++level) {
      if (g.syms[level] != keysym) continue;
      // The locked modifiers cannot be let go of: what is held comes on top of them.
      std::vector<unsigned> tries{0};
      for (const KeyType::Entry& entry : g.type.entries) tries.push_back(entry.mods & ~locked);
      for (unsigned held : tries) {
        if (LevelOf(g.type, held | locked) != static_cast<int>(level)) continue;
        if (!best || std::popcount(held) < std::popcount(best->mods)) {
          best = KeyStroke{key.keycode, held};
        }
      }
    }
  }
  return best;
}

std::vector<int> SpareKeycodes(const KeyboardMap& map, int min, int max) {
  std::set<int> used;
  for (const MapKey& key : map) {
    for (const KeyGroup& g : key.groups) {
      if (std::any_of(g.syms.begin(), g.syms.end(), [](std::uint32_t s) { return s != 0; })) {
        used.insert(key.keycode);
      }
    }
  }
  std::vector<int> spare;
  // From the top: the low codes are the ones keyboards send.
  for (int code = max; code >= min; --code) {
    if (!used.contains(code)) spare.push_back(code);
  }
  return spare;
}

}  // namespace varnel
