// The session's lock on Linux: flock on a file in the user's runtime folder. The kernel lets go
// of it when the process ends, however it ends.
#include "session/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "session/linux/session_folder.h"

namespace varnel {

SessionLock TakeSessionLock(bool window) {
  SessionLock lock;
  const std::string folder = SessionFolder(lock.problem);
  if (folder.empty()) return lock;
  const std::string path = folder + "/varnel.lock";
  // Close-on-exec: the guardian, or anything else the program starts, must not keep it.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    lock.problem = "cannot open " + path + ": " + std::strerror(errno);
    return lock;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) {
      lock.holder = ReadSessionHolder(fd);
    } else {
      lock.problem = "cannot lock " + path + ": " + std::strerror(errno);
    }
    close(fd);
    return lock;
  }
  const std::string line = RunningVarnelLine({getpid(), window});
  if (ftruncate(fd, 0) != 0 || pwrite(fd, line.data(), line.size(), 0) < 0) {
    lock.problem = "cannot write " + path + ": " + std::strerror(errno);
  }
  lock.taken = true;  // the descriptor stays open, and the lock with it, until the process ends
  return lock;
}

// The running window takes SIGUSR1 as the request; a Varnel without a window ignores it.
void ActivateRunningWindow(const RunningVarnel& running) {
  kill(static_cast<pid_t>(running.pid), SIGUSR1);
}

}  // namespace varnel
