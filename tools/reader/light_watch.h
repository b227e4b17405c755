// What a reader sees of the Scroll Lock light after a code: the light's changes, told as on,
// off, or blinking with its period.
#pragma once

#include <string>
#include <vector>

namespace varnel::reader {

struct LightChange {
  int atMs;  // since the code's last release
  bool on;
};

// One line per phase, e.g. "+0.852 s  on", "+0.852 s  blinking every 200 ms, until +2.851 s".
// Four or more changes in a row at a steady pace (within 30 %) make one blinking phase.
std::vector<std::string> DescribeLight(bool initiallyOn, const std::vector<LightChange>& changes);

}  // namespace varnel::reader
