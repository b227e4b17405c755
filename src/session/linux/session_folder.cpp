#include "session/linux/session_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace varnel {

// Without $XDG_RUNTIME_DIR (under sudo, say), a folder of the user's own in /tmp, made private
// and checked to be the user's: anyone may create names there.
std::string SessionFolder(std::string& problem) {
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

std::int64_t FlockHolder(int fd) {
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

std::optional<RunningVarnel> ReadSessionHolder(int fd) {
  // The holder writes its line just after taking the lock, over the line of the one before it,
  // which may still be there: only a line naming the lock's holder counts.
  for (int attempt = 0; attempt < 50; ++attempt) {
    char text[64] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    const std::optional<RunningVarnel> holder =
        got > 0 ? ParseRunningVarnel(std::string_view(text, static_cast<std::size_t>(got)))
                : std::nullopt;
    const std::int64_t pid = FlockHolder(fd);
    if (holder && (pid == 0 || pid == holder->pid)) return holder;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

std::optional<RunningVarnel> PeekSessionHolder() {
  std::string problem;
  const std::string folder = SessionFolder(problem);
  if (folder.empty()) return std::nullopt;
  const int fd = open((folder + "/varnel.lock").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  std::optional<RunningVarnel> holder;
  if (FlockHolder(fd) != 0) holder = ReadSessionHolder(fd);
  close(fd);
  return holder;
}

}  // namespace varnel
