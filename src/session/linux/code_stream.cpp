// The code stream on Linux: a Unix stream socket beside the session's lock, for the user alone
// (the folder is the user's, the socket 0600, and each peer's uid is checked besides). A thread
// of its own serves every follower through non-blocking writes.
#include "session/code_stream.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "session/follower_queues.h"
#include "session/linux/session_folder.h"

namespace varnel {
namespace {

constexpr char kOtherUser[] =
    "varnel: this Varnel serves its codes to its own user's programs only.\n";

// A line to one that is not followed, sent as far as it goes: it is not waited on.
void Refuse(int fd, const char* line) {
  send(fd, line, std::strlen(line), MSG_NOSIGNAL | MSG_DONTWAIT);
  close(fd);
}

class SocketCodeStream final : public CodeStream {
 public:
  SocketCodeStream(int listener, int wake, std::string path, StreamSay say)
      : listener_(listener), wake_(wake), path_(std::move(path)), say_(std::move(say)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~SocketCodeStream() override {
    stopping_ = true;
    Wake();
    thread_.join();
    for (const auto& [fd, pid] : followers_) close(fd);
    for (const FollowerQueues::Id fd : cut_) close(static_cast<int>(fd));
    unlink(path_.c_str());
    close(listener_);
    close(wake_);
  }

  void Serve(const std::string& line) override {
    const auto shared = std::make_shared<const std::string>(line);
    {
      std::lock_guard lock(mutex_);
      for (const FollowerQueues::Id fd : queues_.Push(shared)) cut_.push_back(fd);
    }
    Wake();
  }

 private:
  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = write(wake_, &one, sizeof one);
  }

  void Run() {
    std::vector<pollfd> polled;
    while (!stopping_) {
      polled.assign({{wake_, POLLIN, 0}, {listener_, POLLIN, 0}});
      {
        std::lock_guard lock(mutex_);
        for (const auto& [fd, pid] : followers_) {
          const bool owed = queues_.Behind(fd) > 0;
          polled.push_back({fd, static_cast<short>(POLLIN | (owed ? POLLOUT : 0)), 0});
        }
      }
      if (poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) return;
      if (polled[0].revents) {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t ignored = read(wake_, &count, sizeof count);
      }
      LetGoOfCut();
      for (std::size_t i = 2; i < polled.size(); ++i) {
        const int fd = polled[i].fd;
        if (!followers_.count(fd)) continue;
        if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) && Gone(fd)) {
          Forget(fd);
        } else if (!WriteOwed(fd)) {
          Forget(fd);
        }
      }
      // New ones last, one a round: a descriptor let go of above may come back as one of them,
      // and one that has gone makes room before the next one is counted.
      if (polled[1].revents) Accept();
    }
  }

  void LetGoOfCut() {
    std::vector<FollowerQueues::Id> cut;
    {
      std::lock_guard lock(mutex_);
      cut.swap(cut_);
    }
    for (const FollowerQueues::Id id : cut) {
      const int fd = static_cast<int>(id);
      say_("varnel: the program following the codes as process " + std::to_string(followers_[fd]) +
           " fell " + std::to_string(FollowerQueues::kCutBehind) + " codes behind and is cut off.");
      followers_.erase(fd);
      close(fd);
    }
  }

  // A follower sends nothing: whatever it does send is dropped, and the end of it is its going.
  static bool Gone(int fd) {
    char ignored[256];
    for (;;) {
      const ssize_t got = recv(fd, ignored, sizeof ignored, MSG_DONTWAIT);
      if (got > 0) continue;
      return got == 0 || (errno != EAGAIN && errno != EINTR);
    }
  }

  // False when the follower can no longer be written to.
  bool WriteOwed(int fd) {
    for (;;) {
      std::optional<FollowerQueues::Rest> rest;
      {
        std::lock_guard lock(mutex_);
        rest = queues_.Next(fd);
      }
      if (!rest) return true;
      const ssize_t sent = send(fd, rest->line->data() + rest->offset,
                                rest->line->size() - rest->offset, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent < 0) return errno == EAGAIN || errno == EINTR;
      std::lock_guard lock(mutex_);
      queues_.Written(fd, static_cast<std::size_t>(sent));
    }
  }

  void Forget(int fd) {
    {
      std::lock_guard lock(mutex_);
      queues_.Remove(fd);
    }
    followers_.erase(fd);
    close(fd);
  }

  void Accept() {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != getuid()) {
      Refuse(fd, kOtherUser);
      return;
    }
    bool added;
    {
      std::lock_guard lock(mutex_);
      added = queues_.Add(fd);
    }
    if (!added) {
      Refuse(fd, TooManyFollowersLine().c_str());
      return;
    }
    followers_[fd] = peer.pid;
  }

  const int listener_;
  const int wake_;
  const std::string path_;
  const StreamSay say_;
  std::atomic<bool> stopping_ = false;
  std::mutex mutex_;
  FollowerQueues queues_;                // under mutex_
  std::vector<FollowerQueues::Id> cut_;  // under mutex_: cut off, still to be closed
  std::map<int, pid_t> followers_;       // the thread's own
  std::thread thread_;
};

}  // namespace

std::unique_ptr<CodeStream> OpenCodeStream(StreamSay say) {
  std::string problem;
  const std::string folder = SessionFolder(problem);
  const std::string path = folder + "/varnel.sock";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (folder.empty()) {
    say("varnel: no program can follow this Varnel: " + problem + ".");
    return nullptr;
  }
  if (path.size() >= sizeof address.sun_path) {
    say("varnel: no program can follow this Varnel: the path " + path + " is too long.");
    return nullptr;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  // This process holds the session's lock: a socket left there is an ended holder's.
  unlink(path.c_str());
  // Nobody can connect before listen(): the mode is set in between.
  if (listener < 0 || wake < 0 ||
      bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      chmod(path.c_str(), 0600) != 0 || listen(listener, 32) != 0) {
    say("varnel: no program can follow this Varnel: cannot serve " + path + ": " +
        std::strerror(errno) + ".");
    if (listener >= 0) close(listener);
    if (wake >= 0) close(wake);
    return nullptr;
  }
  return std::make_unique<SocketCodeStream>(listener, wake, path, std::move(say));
}

}  // namespace varnel
