// The records of the codes, served to the programs of the same user that follow the Varnel that
// holds the session: each program gets every line from the moment it connects, as long as it
// keeps up, and nothing is read from it but its going away.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace varnel {

class CodeStream {
 public:
  virtual ~CodeStream() = default;
  // Queues the line for each follower; never waits on one.
  virtual void Serve(const std::string& line) = 0;
};

// One line for the user on standard error; called on the stream's own thread too.
using StreamSay = std::function<void(const std::string& line)>;

// Serves the codes of this process, which holds the session's lock; null, with the reason said,
// when nobody can follow it.
std::unique_ptr<CodeStream> OpenCodeStream(StreamSay say);

}  // namespace varnel
