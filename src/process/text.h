// Text as the program's parts read it from devices' names, pipes and streams.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace varnel {

// Device identifiers compare in upper case, whatever case a system reports them in.
inline std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// Hands `take` each whole line at the front of `pending`, without its LF, and drops it from
// there, until `take` answers false. What follows the last LF waits for the bytes that end it:
// a line cut short says nothing for sure.
template <typename Take>
void TakeWholeLines(std::string& pending, Take take) {
  std::size_t start = 0;
  for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;) {
    const bool more = take(std::string_view(pending).substr(start, end - start));
    start = end + 1;
    if (!more) break;
  }
  pending.erase(0, start);
}

}  // namespace varnel
