// What the program has lit: the window system's Scroll Lock indicator (the X server's, or
// Windows' own), and readers' own lights by their event nodes. A guardian process is told each
// change, one line each, and puts out what was lit when the program goes without doing so.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct LitLights {
  bool indicator = false;
  std::vector<std::string> devices;
  bool operator==(const LitLights&) const = default;
};

// One line, ending in LF: tab-separated items, "indicator" and "device PATH". A path with a tab
// or a line feed in it is left out: no event node is named so.
std::string LitLightsLine(const LitLights& lit);
LitLights ParseLitLightsLine(std::string_view line);

// Where the guardian hears of them.
class LightGuard {
 public:
  virtual ~LightGuard() = default;
  virtual void Tell(const LitLights& lit) = 0;
  // True when the guardian puts a light out by setting it off, which does no harm to a light
  // already off; false when it can only press the light's key once, which would light it.
  virtual bool SetsLightsOff() const = 0;
};

}  // namespace varnel
