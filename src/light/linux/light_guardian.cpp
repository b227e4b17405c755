// The light guardian on Linux: varnel-guardian, a program of its own with no toolkit, started
// with the program and fed through a pipe on its standard input.
#include "light/light_guardian.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <map>

#include "light/x11/indicator_light.h"
#include "process/linux/sibling_program.h"
#include "process/text.h"

extern char** environ;

namespace varnel {
namespace {

class GuardianPipe final : public LightGuard {
 public:
  explicit GuardianPipe(int fd) : fd_(fd) {}
  ~GuardianPipe() override { close(fd_); }  // the guardian sees the end, and ends
  GuardianPipe(const GuardianPipe&) = delete;
  GuardianPipe& operator=(const GuardianPipe&) = delete;

  // Never waits: a guardian that is stopped or gone costs the program nothing.
  void Tell(const LitLights& lit) override {
    const std::string line = LitLightsLine(lit);
    [[maybe_unused]] const ssize_t written = write(fd_, line.data(), line.size());
  }
  // It sets the X indicator and a reader's light off outright.
  bool SetsLightsOff() const override { return true; }

 private:
  int fd_;
};

// A reader's node and its light, opened by the guardian itself: a duplicate of the program's
// descriptor would share the program's grab, and go with it.
class GuardianNode final : public Light {
 public:
  explicit GuardianNode(const std::string& path)
      : fd_(open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0) return;
    // Nothing to read here: ask the kernel to queue none of the device's events for us.
    for (unsigned type : {EV_SYN, EV_KEY, EV_REL, EV_ABS, EV_MSC, EV_SW, EV_LED, EV_SND, EV_FF}) {
      input_mask mask{type, 0, 0};
      ioctl(fd_, EVIOCSMASK, &mask);
    }
    if (libevdev_new_from_fd(fd_, &dev_) < 0) dev_ = nullptr;
  }
  ~GuardianNode() override {
    if (dev_) libevdev_free(dev_);
    if (fd_ >= 0) close(fd_);
  }
  GuardianNode(const GuardianNode&) = delete;
  GuardianNode& operator=(const GuardianNode&) = delete;

  void Set(bool on) override {
    if (dev_)
      libevdev_kernel_set_led_value(dev_, LED_SCROLLL, on ? LIBEVDEV_LED_ON : LIBEVDEV_LED_OFF);
  }

 private:
  int fd_;
  libevdev* dev_ = nullptr;
};

}  // namespace

std::unique_ptr<LightGuard> StartLightGuardian() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return nullptr;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
  // Nothing to say, and nothing of the program's output to hold open.
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own: a terminal's Ctrl+C is for the program, which puts its light out itself.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const std::string program = SiblingProgram("varnel-guardian");
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(ends[0]);
  if (error != 0) {
    close(ends[1]);
    return nullptr;
  }
  fcntl(ends[1], F_SETFL, O_NONBLOCK);
  return std::make_unique<GuardianPipe>(ends[1]);
}

int RunLightGuardian() {
  // The program handles these itself; the guardian waits for the pipe.
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, SIG_IGN);
  LitLights lit;
  std::map<std::string, std::unique_ptr<GuardianNode>> devices;
  std::unique_ptr<IndicatorLight> indicator;
  std::string pending;
  std::array<char, 4096> buffer;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the program has gone
    pending.append(buffer.data(), static_cast<std::size_t>(got));
    TakeWholeLines(pending, [&](std::string_view line) {
      lit = ParseLitLightsLine(line);
      return true;
    });
    // Each light's own way is opened as soon as it is lit, while it is still there to open.
    std::erase_if(devices, [&](const auto& device) {
      return std::find(lit.devices.begin(), lit.devices.end(), device.first) == lit.devices.end();
    });
    for (const std::string& path : lit.devices) {
      if (!devices.contains(path)) devices[path] = std::make_unique<GuardianNode>(path);
    }
    if (lit.indicator && !indicator) indicator = OpenIndicatorLight();
  }
  for (auto& [path, device] : devices) device->Set(false);
  if (lit.indicator && indicator) indicator->Set(false);
  return 0;
}

}  // namespace varnel
