// Text as the program's parts read it from devices' names, pipes and streams.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace varnel {

// Device identifiers compare in upper case, whatever case a system reports them in.
inline std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace varnel
