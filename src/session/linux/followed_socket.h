// The follower's end of the code stream on Linux: the session's socket, connected and checked to
// be served by the process that holds the session's lock, and no other. `varnel --print` reads it
// to its end; a window beside a service watches it in its own event loop.
#pragma once

#include <string>

#include "session/running_varnel.h"

namespace varnel {

class FollowedSocket {
 public:
  // Connects to the stream of `running`; Stream() is -1 when it cannot, with Problem() saying
  // why, in a line for standard error.
  explicit FollowedSocket(const RunningVarnel& running);
  ~FollowedSocket();
  FollowedSocket(const FollowedSocket&) = delete;
  FollowedSocket& operator=(const FollowedSocket&) = delete;

  int Stream() const { return stream_; }
  const std::string& Problem() const { return problem_; }
  // Once the stream has ended: whether the process that served it has ended too, within a few
  // seconds, or went on without this program.
  bool ServerEnds() const;

 private:
  int stream_ = -1;
  // A pidfd of the server, opened once it is known to be the lock's holder, so that it cannot
  // be another process's later; -1 where the kernel has none.
  int ending_ = -1;
  long server_ = 0;
  std::string problem_;
};

}  // namespace varnel
