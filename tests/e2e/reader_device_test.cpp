// varnel-reader --device as a program meets it: the reader driven through its commands, its node
// opened with libevdev as the program opens a reader's input device.
// Usage: reader_device_test VARNEL_READER
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "reader/reader_plan.h"

namespace {

std::string gReader;

long long MonotonicUs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1'000'000LL + now.tv_nsec / 1000;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Mounted(const std::string& path) {
  return ReadFile("/proc/self/mountinfo").find(" " + path + " ") != std::string::npos;
}

// A running `varnel-reader --device`, stopped however the test ends.
class Reader {
 public:
  Reader() {
    char base[] = "/tmp/varnel-device-test.XXXXXX";
    base_ = mkdtemp(base);
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test killed outright still gets its mount back
      dup2(in[0], 0);
      dup2(out[1], 1);
      execl(gReader.c_str(), gReader.c_str(), "--device", (base_ + "/dir").c_str(), nullptr);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    commands_ = in[1];
    output_ = out[0];
    std::string word;
    try {
      std::istringstream(Line()) >> word >> devices_ >> input_;
    } catch (...) {
      Clean();
      throw;
    }
    if (word != "ready") {
      Clean();
      throw std::runtime_error("varnel-reader did not start: " + word);
    }
  }

  ~Reader() { Clean(); }

  void Send(const std::string& command) {
    const std::string line = command + "\n";
    if (write(commands_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      throw std::runtime_error("varnel-reader takes no more commands");
    }
  }

  // The answer to the oldest command not yet answered: "ok" or "error ...". The light's lines
  // in between are passed over.
  std::string Answer() {
    for (;;) {
      const std::string line = Line();
      if (line == "ok" || line.rfind("error", 0) == 0) return line;
    }
  }
  std::string Do(const std::string& command) {
    Send(command);
    return Answer();
  }

  // Stops it (by closing its input when `signal` is 0); its exit status.
  int End(int signal) {
    if (signal == 0) {
      close(commands_);
    } else {
      kill(pid_, signal);
    }
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // The reader's node, as a program finds it: the "eventN" handler of its entry in the list.
  std::string Node() const {
    const std::string list = ReadFile(devices_);
    const std::size_t entry = list.find("Vendor=04d9 Product=1603");
    if (entry == std::string::npos) return {};
    const std::size_t event = list.find("event", list.find("H: Handlers=", entry));
    return input_ + "/" + list.substr(event, list.find(' ', event) - event);
  }

  const std::string& Input() const { return input_; }
  const std::string& Devices() const { return devices_; }
  std::string Dir() const { return base_ + "/dir"; }

 private:
  void Clean() {
    if (pid_ > 0) End(SIGTERM);
    if (!input_.empty() && Mounted(input_)) umount2(input_.c_str(), MNT_DETACH);
    std::filesystem::remove_all(base_);
  }

  std::string Line() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
      const std::size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      pollfd fd{output_, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      char chunk[512];
      const ssize_t got = poll(&fd, 1, static_cast<int>(std::max<long long>(0, left.count()))) == 1
                              ? read(output_, chunk, sizeof chunk)
                              : -1;
      if (got <= 0) throw std::runtime_error("varnel-reader said nothing more: " + buffer_);
      buffer_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  std::string base_, devices_, input_, buffer_;
  pid_t pid_ = 0;
  int commands_ = -1;
  int output_ = -1;
};

// The node opened as the program opens it: read and write, not blocking, monotonic times.
class Opened {
 public:
  explicit Opened(const std::string& node) : fd(open(node.c_str(), O_RDWR | O_NONBLOCK)) {
    if (fd < 0) return;
    EXPECT_EQ(libevdev_new_from_fd(fd, &dev), 0);
    EXPECT_EQ(libevdev_set_clock_id(dev, CLOCK_MONOTONIC), 0);
  }
  ~Opened() {
    libevdev_free(dev);
    if (fd >= 0) close(fd);
  }
  // What is queued.
  std::vector<input_event> Events() {
    std::vector<input_event> events;
    input_event event;
    while (libevdev_next_event(dev, LIBEVDEV_READ_FLAG_NORMAL, &event) >= 0)
      events.push_back(event);
    return events;
  }

  int fd;
  libevdev* dev = nullptr;
};

long long Us(const input_event& e) { return e.input_event_sec * 1'000'000LL + e.input_event_usec; }

std::vector<input_event> Keys(const std::vector<input_event>& events) {
  std::vector<input_event> keys;
  for (const input_event& e : events) {
    if (e.type == EV_KEY) keys.push_back(e);
  }
  return keys;
}

TEST(ReaderDevice, ACodeReachesTheProgramWithThePlansTimesOnTheMonotonicClock) {
  Reader reader;
  Opened node(reader.Node());
  ASSERT_GE(node.fd, 0) << reader.Node();
  EXPECT_EQ(libevdev_get_id_bustype(node.dev), BUS_USB);
  EXPECT_EQ(libevdev_get_id_vendor(node.dev), 0x04d9);
  EXPECT_EQ(libevdev_get_id_product(node.dev), 0x1603);
  EXPECT_TRUE(libevdev_has_event_code(node.dev, EV_KEY, KEY_F12));
  EXPECT_TRUE(libevdev_has_event_code(node.dev, EV_LED, LED_SCROLLL));
  // FUSE cannot pass the grab's value argument: the program meets a refused grab here.
  EXPECT_EQ(libevdev_grab(node.dev, LIBEVDEV_GRAB), -EFAULT);

  const std::vector<varnel::reader::KeyStep> plan = varnel::reader::CodeSteps(
      *varnel::reader::ParseArguments({"82", "--short", "40", "--long", "120"}).plan);
  const long long before = MonotonicUs();
  EXPECT_EQ(reader.Do("code 82 --short 40 --long 120"), "ok");
  const long long after = MonotonicUs();
  const std::vector<input_event> keys = Keys(node.Events());
  ASSERT_EQ(keys.size(), plan.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].code, KEY_F12);
    EXPECT_EQ(keys[i].value, plan[i].down ? 1 : 0) << i;
    EXPECT_NEAR((Us(keys[i]) - Us(keys[0])) / 1000.0, plan[i].atMs, 3.0) << "step " << i;
  }
  EXPECT_GE(Us(keys.front()), before);
  EXPECT_LE(Us(keys.back()), after);

  // A program asleep in poll() wakes up for the event, not at its timeout.
  reader.Send("sleep 200");
  reader.Send("down");
  pollfd fd{node.fd, POLLIN, 0};
  const long long pollStart = MonotonicUs();
  ASSERT_EQ(poll(&fd, 1, 3000), 1);
  EXPECT_NEAR((MonotonicUs() - pollStart) / 1000.0, 200, 100);
  EXPECT_EQ(reader.Answer(), "ok");
  EXPECT_EQ(reader.Answer(), "ok");
  const std::vector<input_event> press = Keys(node.Events());
  ASSERT_EQ(press.size(), 1u);
  EXPECT_EQ(press[0].value, 1);
}

TEST(ReaderDevice, EveryWayOfStoppingUnmountsAndCleansUp) {
  for (const auto& [how, status] :
       std::vector<std::pair<std::string, int>>{{"quit", 0},
                                                {"end of input", 0},
                                                {"SIGTERM", 128 + SIGTERM},
                                                {"SIGINT", 128 + SIGINT},
                                                {"SIGHUP", 128 + SIGHUP}}) {
    Reader reader;
    Opened held(reader.Node());  // a program that still holds the node does not keep it mounted
    ASSERT_TRUE(Mounted(reader.Input())) << how;
    if (how == "quit") {
      EXPECT_EQ(reader.Do("quit"), "ok");
    }
    const int signal = how == "SIGTERM"  ? SIGTERM
                       : how == "SIGINT" ? SIGINT
                       : how == "SIGHUP" ? SIGHUP
                                         : 0;
    EXPECT_EQ(reader.End(signal), status) << how;
    EXPECT_FALSE(Mounted(reader.Input())) << how;
    EXPECT_FALSE(std::filesystem::exists(reader.Dir())) << how;
    input_event event;
    EXPECT_LT(libevdev_next_event(held.dev, LIBEVDEV_READ_FLAG_NORMAL, &event), 0) << how;
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: reader_device_test VARNEL_READER\n");
    return 2;
  }
  gReader = argv[1];
  return RUN_ALL_TESTS();
}
