#include "reader/device_mode.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <thread>

#include "reader/evdev_fuse.h"
#include "reader/session_command.h"

namespace varnel::reader {
namespace {

constexpr long long kKeyHoldMs = 50;  // a person's short tap

// Lines from the command thread and from the FUSE thread (the light) never mix.
void Say(const std::string& line) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

timespec Now(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now;
}

long long MonotonicNs() {
  const timespec now = Now(CLOCK_MONOTONIC);
  return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// Absolute deadlines: a late wake-up shortens the next wait instead of adding up.
void SleepUntil(long long ns) {
  const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

// DIR as the session found it, with what the session adds: the device list and the mount point.
class Folder {
 public:
  bool Make(const std::string& path, std::string& error) {
    madeDir_ = mkdir(path.c_str(), 0755) == 0;
    if (!madeDir_ && errno != EEXIST) {
      error = "cannot make the folder " + path + ": " + std::strerror(errno);
      return false;
    }
    char real[PATH_MAX];
    if (!realpath(path.c_str(), real)) {
      error = "cannot find the folder " + path + ": " + std::strerror(errno);
      return false;
    }
    dir_ = real;
    input = dir_ + "/input";
    devices = dir_ + "/devices";
    madeInput_ = mkdir(input.c_str(), 0755) == 0;
    if (!madeInput_ && errno != EEXIST) {
      error = "cannot make " + input + ": " + std::strerror(errno);
      Remove();
      return false;
    }
    return true;
  }

  // Replaced whole, as a reader of the list must never see half of it.
  void WriteList(const std::string& text) {
    const std::string temporary = devices + ".new";
    if (FILE* file = std::fopen(temporary.c_str(), "w")) {
      std::fputs(text.c_str(), file);
      std::fclose(file);
      std::rename(temporary.c_str(), devices.c_str());
    }
  }

  void Remove() {
    unlink(devices.c_str());
    if (madeInput_) rmdir(input.c_str());
    if (madeDir_) rmdir(dir_.c_str());
  }

  std::string input;
  std::string devices;

 private:
  std::string dir_;
  bool madeDir_ = false;
  bool madeInput_ = false;
};

// Another program's write of the Scroll Lock LED, through the node as any program makes it: the
// device passes it on to every reader of the node, as the kernel does.
std::string WriteLed(EvdevServer& server, const Folder& folder, bool on) {
  std::string node;
  server.Apply([&](VirtualEvdevDevice& device) {
    if (device.Plugged()) node = folder.input + "/" + device.NodeName();
    return std::string();
  });
  if (node.empty()) return "the reader is unplugged";
  const int fd = open(node.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return "cannot open " + node + ": " + std::strerror(errno);
  input_event events[2]{};
  events[0].type = EV_LED;
  events[0].code = LED_SCROLLL;
  events[0].value = on ? 1 : 0;
  events[1].type = EV_SYN;
  events[1].code = SYN_REPORT;
  const bool written = write(fd, events, sizeof events) == static_cast<ssize_t>(sizeof events);
  const std::string error = written ? "" : "cannot write to " + node + ": " + std::strerror(errno);
  close(fd);
  return error;
}

// One command; its error text, empty when done.
std::string Run(const Command& command, EvdevServer& server, Folder& folder) {
  const auto key = [&](int code, int value) {
    return server.Apply([&](VirtualEvdevDevice& device) { return device.Key(code, value); });
  };
  const auto plugging = [&](bool plug) {
    return server.Apply([&](VirtualEvdevDevice& device) {
      std::string error = plug ? device.Plug() : device.Unplug();
      if (error.empty()) folder.WriteList(device.DeviceList());
      return error;
    });
  };
  const auto allowing = [&](bool allow) {
    return server.Apply([&](VirtualEvdevDevice& device) {
      device.SetDenied(!allow);
      return std::string();
    });
  };
  switch (command.kind) {
    case CommandKind::kCode: {
      // The codes one after another on the plan's times, each from the last release before it.
      const std::vector<KeyStep> steps = CodeSteps(command.plan);
      long long start = MonotonicNs();
      for (int code = 0; code < command.plan.count; ++code) {
        for (const KeyStep& step : steps) {
          SleepUntil(start + step.atMs * 1'000'000);
          if (std::string error = key(KEY_F12, step.down ? 1 : 0); !error.empty()) return error;
        }
        start += (steps.back().atMs + kBetweenCodesMs) * 1'000'000;
      }
      return {};
    }
    case CommandKind::kDown:
      return key(KEY_F12, 1);
    case CommandKind::kUp:
      return key(KEY_F12, 0);
    case CommandKind::kRepeat:
      return key(KEY_F12, 2);
    case CommandKind::kKey: {
      const std::string error = key(command.key, 1);
      if (!error.empty()) return error;
      SleepUntil(MonotonicNs() + kKeyHoldMs * 1'000'000);
      return key(command.key, 0);
    }
    case CommandKind::kSleep:
      SleepUntil(MonotonicNs() + command.ms * 1'000'000LL);
      return {};
    case CommandKind::kUnplug:
      return plugging(false);
    case CommandKind::kPlug:
      return plugging(true);
    case CommandKind::kDeny:
      return allowing(false);
    case CommandKind::kAllow:
      return allowing(true);
    case CommandKind::kLed:
      return server.Apply([](VirtualEvdevDevice& device) {
        Say(device.ScrollLock() ? "led on" : "led off");
        return std::string();
      });
    case CommandKind::kSetLed:
      return WriteLed(server, folder, command.on);
    case CommandKind::kQuit:
      return {};
  }
  return {};
}

}  // namespace

int RunDeviceMode(const std::string& dir) {
  // The stop signals are taken from a signalfd, by this thread alone: the threads started below
  // inherit the mask.
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stops, signal);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  std::signal(SIGPIPE, SIG_IGN);  // whoever reads our output may go away first
  const int signals = signalfd(-1, &stops, SFD_CLOEXEC);

  Folder folder;
  std::string error;
  if (!folder.Make(dir, error)) {
    std::fprintf(stderr, "varnel-reader: %s\n", error.c_str());
    return 1;
  }
  const auto light = [](bool on) {
    Say("light " + std::to_string(MonotonicNs() / 1'000'000) + (on ? " on" : " off"));
  };
  std::unique_ptr<EvdevServer> server = EvdevServer::Start(folder.input, Now, light, error);
  if (!server) {
    folder.Remove();
    std::fprintf(stderr, "varnel-reader: %s\n", error.c_str());
    return 1;
  }
  server->Apply([&](VirtualEvdevDevice& device) {
    folder.WriteList(device.DeviceList());
    return std::string();
  });
  Say("ready " + folder.devices + " " + folder.input);

  const int done = eventfd(0, EFD_CLOEXEC);
  std::thread commands([&] {
    // A reader keeps its own time whatever the computer does: where allowed, the holds are
    // timed ahead of the ordinary work of a busy machine.
    const sched_param priority{sched_get_priority_min(SCHED_FIFO)};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    std::string line;
    while (std::getline(std::cin, line)) {
      const CommandResult parsed = ParseCommand(line);
      const std::string failure =
          parsed.command ? Run(*parsed.command, *server, folder) : parsed.error;
      Say(failure.empty() ? "ok" : "error " + failure);
      if (parsed.command && parsed.command->kind == CommandKind::kQuit) break;
    }
    eventfd_write(done, 1);
  });

  pollfd waits[2] = {{signals, POLLIN, 0}, {done, POLLIN, 0}};
  while (poll(waits, 2, -1) < 0 && errno == EINTR) {
  }
  signalfd_siginfo signal{};
  const bool signalled =
      (waits[0].revents & POLLIN) && read(signals, &signal, sizeof signal) == sizeof signal;
  server->Stop();
  folder.Remove();
  if (signalled) {
    // The command thread may be waiting for input or in the middle of a code: end it with the
    // process, whose mount is already gone.
    std::fflush(stdout);
    _exit(128 + static_cast<int>(signal.ssi_signo));
  }
  commands.join();
  close(done);
  close(signals);
  return 0;
}

}  // namespace varnel::reader
