// varnel-reader: a virtual bar-code reader, for the X server or as an input device. See kUsage.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <time.h>

#include <cstdio>

#include "reader/device_mode.h"
#include "reader/light_watch.h"
#include "reader/reader_plan.h"

namespace {

using varnel::reader::LightChange;

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// Sends the presses and keeps an eye on the light the whole time.
class VirtualReader {
 public:
  // `input` carries the presses, `watch` the light's queries: a connection whose presses the
  // server is holding back answers nothing until they are done.
  VirtualReader(Display* input, Display* watch)
      : display_(input),
        watch_(watch),
        f12_(XKeysymToKeycode(input, XK_F12)),
        scrollLock_(XInternAtom(watch, "Scroll Lock", False)),
        on_(LightOn()) {}

  // One code's presses. The X server itself times them: each fake event carries the delay after
  // the one before it, so how this process is scheduled on a busy machine does not change the
  // holds, only the server's own timing does.
  void SendCode(const std::vector<varnel::reader::KeyStep>& steps) {
    long long previous = 0;
    for (const varnel::reader::KeyStep& step : steps) {
      XTestFakeKeyEvent(display_, f12_, step.down,
                        static_cast<unsigned long>(step.atMs - previous));
      previous = step.atMs;
    }
    XFlush(display_);
    WatchUntil(NowMs() + previous);
    XSync(display_, False);  // returns once the server has sent the last release
    lastRelease_ = NowMs();
  }

  // Waits until `deadline` (monotonic ms), noting every change of the light.
  void WatchUntil(long long deadline) {
    for (long long now = NowMs(); now < deadline; now = NowMs()) {
      const bool on = LightOn();
      if (on != on_) {
        on_ = on;
        changes_.push_back({now, on});
      }
      timespec step{0, 2'000'000};
      if (deadline - now < 2) step.tv_nsec = (deadline - now) * 1'000'000;
      nanosleep(&step, nullptr);
    }
  }

  long long LastRelease() const { return lastRelease_; }

  // The light as seen from `from` to `to`, timed from `from`.
  void Report(long long from, long long to) const {
    bool initiallyOn = on_;
    std::vector<LightChange> seen;
    for (auto it = changes_.rbegin(); it != changes_.rend() && it->at > from; ++it) {
      initiallyOn = !it->on;  // walking back: before each change the light was the other way
    }
    for (const Change& c : changes_) {
      if (c.at > from && c.at <= to) seen.push_back({static_cast<int>(c.at - from), c.on});
    }
    for (const std::string& line : varnel::reader::DescribeLight(initiallyOn, seen)) {
      std::printf("  %s\n", line.c_str());
    }
    std::fflush(stdout);
  }

 private:
  struct Change {
    long long at;
    bool on;
  };

  bool LightOn() {
    Bool on = False;
    XkbGetNamedIndicator(watch_, scrollLock_, nullptr, &on, nullptr, nullptr);
    return on;
  }

  Display* display_;
  Display* watch_;
  KeyCode f12_;
  Atom scrollLock_;
  bool on_;
  long long lastRelease_ = 0;
  std::vector<Change> changes_;
};

std::string Bits(const std::vector<int>& bits) {
  std::string text;
  for (int b : bits) text += static_cast<char>('0' + b);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const varnel::reader::ParseResult parsed =
      varnel::reader::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.plan) {
    std::fprintf(stderr, "varnel-reader: %s\nTry 'varnel-reader --help'.\n", parsed.error.c_str());
    return 2;
  }
  const varnel::reader::Plan& plan = *parsed.plan;
  if (plan.help) {
    std::fputs(varnel::reader::kUsage, stdout);
    return 0;
  }
  if (plan.version) {
    std::puts("varnel-reader " VARNEL_VERSION);
    return 0;
  }
  if (plan.deviceDir) return varnel::reader::RunDeviceMode(*plan.deviceDir);

  Display* display = XOpenDisplay(nullptr);
  Display* watch = display ? XOpenDisplay(nullptr) : nullptr;
  if (!watch) {
    std::fprintf(stderr, "varnel-reader: cannot open the X display (is DISPLAY set?)\n");
    return 1;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "varnel-reader: the X server has no XTest extension\n");
    XCloseDisplay(watch);
    XCloseDisplay(display);
    return 1;
  }

  VirtualReader reader(display, watch);
  const std::vector<varnel::reader::KeyStep> steps = varnel::reader::CodeSteps(plan);
  long long previousRelease = 0;
  for (int code = 1; code <= plan.count; ++code) {
    if (code > 1) reader.WatchUntil(previousRelease + varnel::reader::kBetweenCodesMs);
    reader.SendCode(steps);
    if (code > 1) {
      std::printf("code %d, light after its last release:\n", code - 1);
      reader.Report(previousRelease, reader.LastRelease());
    }
    previousRelease = reader.LastRelease();
    std::printf("code %d: sent %s (holds %d/%d ms)\n", code, Bits(plan.bits).c_str(), plan.shortMs,
                plan.longMs);
    std::fflush(stdout);
  }
  reader.WatchUntil(previousRelease + plan.watchMs);
  std::printf("code %d, light after its last release:\n", plan.count);
  reader.Report(previousRelease, previousRelease + plan.watchMs);
  XCloseDisplay(watch);
  XCloseDisplay(display);
  return 0;
}
