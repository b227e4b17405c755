// Lines for a reader that may be slow, stopped (a paused pipe, a terminal held with Ctrl+S) or
// gone: they wait in a bounded queue and a thread of their own writes them, so that neither the
// window nor the light ever waits on that reader.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace varnel {

class LineWriter {
 public:
  // Writes all of `bytes`: 0, or the errno that stopped it. Runs on the writer's thread.
  using Write = std::function<int(std::string_view bytes)>;
  // One line for the user on standard error; called on either thread.
  using Say = std::function<void(const std::string& line)>;
  // Called once, on the writer's thread, when a write has failed and nothing more is written.
  using Failed = std::function<void()>;

  static constexpr std::size_t kDefaultCapacity = 1024;
  LineWriter(Write write, Say say, Failed failed = {}, std::size_t capacity = kDefaultCapacity);
  // Gives the lines still queued `drainMs` to go, then leaves them: a reader that is stopped must
  // not keep the program from ending.
  ~LineWriter();
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Never blocks. A line that finds the queue full is dropped.
  void Push(std::string line);

  static constexpr int kDrainMs = 1000;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

// What the user is told when writing stopped with `error`.
std::string WriteFailedMessage(int error);

}  // namespace varnel
