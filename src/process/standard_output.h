// The program's standard streams, for the records and the messages.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// All of `bytes` to standard output, as they are, waiting while it is full: 0, or the errno that
// stopped it. A reader that has gone is told by EPIPE (on Linux, SIGPIPE must be ignored).
int WriteStandardOutput(std::string_view bytes);
// The same to standard error.
int WriteStandardError(std::string_view bytes);
// One line on standard error.
void SayOnStandardError(const std::string& line);

}  // namespace varnel
