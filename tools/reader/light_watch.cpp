#include "reader/light_watch.h"

#include <cmath>
#include <cstdio>

namespace varnel::reader {
namespace {

std::string At(int ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.3f s", ms / 1000.0);
  return text;
}

// The number of changes from `first` on that keep a steady pace.
std::size_t SteadyRun(const std::vector<LightChange>& changes, std::size_t first) {
  if (first + 1 >= changes.size()) return 1;
  const int pace = changes[first + 1].atMs - changes[first].atMs;
  std::size_t end = first + 1;
  while (end < changes.size() &&
         std::abs((changes[end].atMs - changes[end - 1].atMs) - pace) <= pace * 3 / 10) {
    ++end;
  }
  return end - first;
}

}  // namespace

std::vector<std::string> DescribeLight(bool initiallyOn, const std::vector<LightChange>& changes) {
  std::vector<std::string> lines{At(0) + "  " + (initiallyOn ? "on" : "off")};
  for (std::size_t i = 0; i < changes.size();) {
    const std::size_t run = SteadyRun(changes, i);
    if (run >= 4) {
      const LightChange& last = changes[i + run - 1];
      const int period = (last.atMs - changes[i].atMs) / static_cast<int>(run - 1);
      lines.push_back(At(changes[i].atMs) + "  blinking every " + std::to_string(period) +
                      " ms, until " + At(last.atMs) + ", then " + (last.on ? "on" : "off"));
      i += run;
    } else {
      lines.push_back(At(changes[i].atMs) + "  " + (changes[i].on ? "on" : "off"));
      ++i;
    }
  }
  return lines;
}

}  // namespace varnel::reader
