// The session's lock on Linux: flock on a file in the user's runtime folder. The kernel lets go
// of it when the process ends, however it ends.
#include "link/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace varnel {
namespace {

// $XDG_RUNTIME_DIR, the user's own for the session. Without it (under sudo, say), a folder of
// the user's own in /tmp, made private and checked to be the user's: anyone may create names
// there.
std::string LockFolder(std::string& problem) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return runtime;
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder =
      std::string(tmp && *tmp ? tmp : "/tmp") + "/varnel-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    problem = "cannot make " + folder + ": " + std::strerror(errno);
    return {};
  }
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 077) != 0) {
    problem = folder + " is not a private folder of this user's";
    return {};
  }
  return folder;
}

// The process that holds the flock on the file `fd` is open on, as the kernel lists it; 0 when
// it cannot tell.
std::int64_t LockHolder(int fd) {
  struct stat file {};
  std::ifstream locks("/proc/locks");
  if (fstat(fd, &file) != 0 || !locks) return 0;
  char where[64];
  std::snprintf(where, sizeof where, "%02x:%02x:%llu", major(file.st_dev), minor(file.st_dev),
                static_cast<unsigned long long>(file.st_ino));
  // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"
  std::string id, type, advisory, mode, device;
  std::int64_t pid = 0;
  std::string rest;
  while (locks >> id >> type >> advisory >> mode >> pid >> device) {
    std::getline(locks, rest);
    if (type == "FLOCK" && device == where) return pid;
  }
  return 0;
}

std::optional<RunningVarnel> ReadHolder(int fd) {
  // The holder writes its line just after taking the lock, over the line of the one before it,
  // which may still be there: only a line naming the lock's holder counts.
  for (int attempt = 0; attempt < 50; ++attempt) {
    char text[64] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    const std::optional<RunningVarnel> holder =
        got > 0 ? ParseRunningVarnel(std::string_view(text, static_cast<std::size_t>(got)))
                : std::nullopt;
    const std::int64_t pid = LockHolder(fd);
    if (holder && (pid == 0 || pid == holder->pid)) return holder;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

}  // namespace

SessionLock TakeSessionLock(bool window) {
  SessionLock lock;
  const std::string folder = LockFolder(lock.problem);
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
      lock.holder = ReadHolder(fd);
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
