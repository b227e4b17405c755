// Following on Linux: the session's socket, served by the process that /proc/locks names as the
// lock's holder and no other; its end told apart from a cut-off by that process ending.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "session/followed_stream.h"
#include "session/linux/followed_socket.h"
#include "session/linux/session_folder.h"

namespace varnel {
namespace {

// How long an ending Varnel may take from closing its stream to its end.
constexpr int kEndingMs = 5000;

}  // namespace

FollowedSocket::FollowedSocket(const RunningVarnel& running) {
  const std::string which = "the Varnel of process " + std::to_string(running.pid);
  std::string problem;
  const std::string folder = SessionFolder(problem);
  if (folder.empty()) {
    problem_ = "varnel: cannot follow " + which + ": " + problem + ".";
    return;
  }
  const std::string path = folder + "/varnel.sock";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    problem_ = "varnel: cannot follow " + which + ": the path " + path + " is too long.";
    return;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  stream_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connect(stream_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    problem_ = "varnel: cannot follow " + which + " at " + path + ": " + std::strerror(errno) + ".";
    close(stream_);
    stream_ = -1;
    return;
  }
  // The one that made the socket must be the one that holds the lock now: anyone could have
  // put a socket of that name there while no Varnel ran.
  ucred peer{};
  socklen_t size = sizeof peer;
  const int lock = open((folder + "/varnel.lock").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  const std::int64_t holder = lock >= 0 ? FlockHolder(lock) : 0;
  if (lock >= 0) close(lock);
  if (getsockopt(stream_, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || holder == 0 ||
      peer.pid != holder || holder != running.pid) {
    problem_ = "varnel: " + path + " is served by process " + std::to_string(peer.pid) +
               ", not by the session's Varnel (process " +
               std::to_string(holder ? holder : running.pid) + "): not followed.";
    close(stream_);
    stream_ = -1;
    return;
  }
  server_ = peer.pid;
  ending_ = static_cast<int>(syscall(SYS_pidfd_open, peer.pid, 0));
}

FollowedSocket::~FollowedSocket() {
  if (stream_ >= 0) close(stream_);
  if (ending_ >= 0) close(ending_);
}

bool FollowedSocket::ServerEnds() const {
  if (ending_ >= 0) {
    pollfd ended{ending_, POLLIN, 0};
    return poll(&ended, 1, kEndingMs) > 0;
  }
  for (int waited = 0; waited < kEndingMs; waited += 20) {
    if (kill(static_cast<pid_t>(server_), 0) != 0 && errno == ESRCH) return true;
    usleep(20000);
  }
  return false;
}

int FollowRunningVarnel(const RunningVarnel& running, const std::string& said,
                        const FollowWrite& write, const FollowSay& say) {
  const FollowedSocket socket(running);
  if (socket.Stream() < 0) {
    say(socket.Problem());
    return 1;
  }
  say(said);

  FollowedLines lines;
  char buffer[16384];
  for (;;) {
    const ssize_t got = read(socket.Stream(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const std::string records = lines.Take(std::string_view(buffer, static_cast<std::size_t>(got)));
    if (lines.Refusal()) break;
    if (const int error = records.empty() ? 0 : write(records); error != 0) {
      say(std::string("varnel: cannot write the codes to standard output (") +
          std::strerror(error) + "): no longer following.");
      return 1;
    }
  }
  const bool ended = !lines.Refusal() && socket.ServerEnds();
  const FollowEnd end = EndOfFollowing(running, ended, lines.Refusal());
  say(end.text);
  return end.status;
}

}  // namespace varnel
