// The code stream on its socket, with real followers: one that stops reading, one that reads
// along, and more than it serves.
#include "session/code_stream.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "session/follower_queues.h"

namespace varnel {
namespace {

using namespace std::chrono_literals;

class SocketStream : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/varnel-stream-test.XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
    setenv("XDG_RUNTIME_DIR", name, 1);
    stream = OpenCodeStream([this](const std::string& line) {
      std::lock_guard lock(mutex);
      said.push_back(line);
    });
    ASSERT_TRUE(stream);
  }
  void TearDown() override {
    stream.reset();
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(folder);
  }

  int Connect() const {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval patience{5, 0};  // a test that goes wrong ends rather than hangs
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, (folder + "/varnel.sock").c_str());
    EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return fd;
  }
  // All that `fd` gets until its end.
  static std::string ReadToEnd(int fd) {
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
      got.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return got;
  }
  static std::string Record(int seq) {
    return R"({"seq":)" + std::to_string(seq) + R"(,"run":"00c0ffee0badf00d","padding":")" +
           std::string(200, 'x') + "\"}\n";
  }
  static constexpr char kHello[] = "{\"seq\":0}\n";
  // Serves this line until `fd` has it: then it, and all that connected before it, follow.
  void WaitFollowing(int fd) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      stream->Serve(kHello);
      pollfd readable{fd, POLLIN, 0};
      if (poll(&readable, 1, 100) == 1) break;
    }
    char first[sizeof kHello];
    ASSERT_EQ(recv(fd, first, sizeof kHello - 1, MSG_WAITALL), ssize_t{sizeof kHello - 1});
  }
  // Without the lines that WaitFollowing served.
  static std::string Records(std::string lines) {
    while (lines.starts_with(kHello)) lines.erase(0, sizeof kHello - 1);
    return lines;
  }
  std::vector<std::string> Said() {
    std::lock_guard lock(mutex);
    return said;
  }

  std::string folder;
  std::mutex mutex;
  std::vector<std::string> said;
  std::unique_ptr<CodeStream> stream;
};

TEST_F(SocketStream, IsTheUsersAlone) {
  struct stat info {};
  ASSERT_EQ(stat((folder + "/varnel.sock").c_str(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SocketStream, AStalledFollowerIsCutOffWhileOneThatReadsGetsEveryLine) {
  const int stalled = Connect();
  const int reading = Connect();
  WaitFollowing(reading);  // both taken up, in the order they came
  std::atomic<int> lines = 0;
  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t n; (n = read(reading, buffer, sizeof buffer)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
      lines = static_cast<int>(std::count(received.begin(), received.end(), '\n'));
    }
  });
  std::string sent;
  constexpr int kRecords = 4000;  // far more than the stalled one's socket and queue hold
  for (int seq = 1; seq <= kRecords; ++seq) {
    sent += Record(seq);
    stream->Serve(Record(seq));
    // Kept a little ahead of the one that reads, so that it never falls behind itself.
    while (seq - lines > 100) std::this_thread::sleep_for(1ms);
  }
  for (int i = 0; i < 200 && Said().empty(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(Said().size(), 1u);
  EXPECT_NE(Said()[0].find(std::to_string(getpid()) + " fell 1024 codes behind"), std::string::npos)
      << Said()[0];

  // The stalled one has what its socket took and then its end, not all of it.
  const std::string stalledGot = Records(ReadToEnd(stalled));
  EXPECT_GT(stalledGot.size(), 0u);
  EXPECT_LT(stalledGot.size(), sent.size());
  EXPECT_EQ(stalledGot, sent.substr(0, stalledGot.size()));
  stream.reset();
  reader.join();
  close(reading);
  EXPECT_EQ(Records(received), sent);
}

TEST_F(SocketStream, OneBeyondSixteenIsRefusedWithALineAndOneThatGoesMakesRoom) {
  std::vector<int> followers;
  for (std::size_t i = 0; i < FollowerQueues::kMaxFollowers; ++i) followers.push_back(Connect());
  WaitFollowing(followers.back());
  const std::string refused = ReadToEnd(Connect());
  EXPECT_EQ(refused.find("varnel: 16 programs already follow this Varnel"), 0u) << refused;
  EXPECT_EQ(refused.back(), '\n');

  close(followers.front());
  followers.erase(followers.begin());
  // Forgotten as soon as the stream hears of it: a new one comes in at once.
  const int joined = Connect();
  char first = 0;
  for (int attempt = 0; attempt < 500 && first == 0; ++attempt) {
    stream->Serve(Record(1));  // the first one after it is taken up is its first line
    if (recv(joined, &first, 1, MSG_DONTWAIT) != 1) std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(first, '{');
  for (const int fd : followers) close(fd);
  close(joined);
}

}  // namespace
}  // namespace varnel
