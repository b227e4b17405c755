// x11-key-recorder: a window that takes the keyboard focus and prints each key event it gets,
// "down KEYSYM TIME" or "up KEYSYM TIME" with the X server's millisecond time, until it is
// ended. It stands in for the program when what a reader sends is the thing under test.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <time.h>

#include <csignal>
#include <cstdio>

namespace {
volatile std::sig_atomic_t stop = 0;
void Stop(int) { stop = 1; }
}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11-key-recorder: no X display\n");
    return 1;
  }
  std::signal(SIGTERM, Stop);
  std::signal(SIGINT, Stop);
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0xFFFFFF);
  XStoreName(display, window, "x11-key-recorder");
  XSelectInput(display, window, KeyPressMask | KeyReleaseMask | ExposureMask);
  XMapRaised(display, window);
  XSync(display, False);
  bool focused = false;
  while (!stop) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == Expose && !focused) {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        focused = true;
        std::printf("ready\n");
      } else if (event.type == KeyPress || event.type == KeyRelease) {
        const KeySym sym = XLookupKeysym(&event.xkey, 0);
        std::printf("%s %s %lu\n", event.type == KeyPress ? "down" : "up",
                    XKeysymToString(sym) ? XKeysymToString(sym) : "?", event.xkey.time);
      }
      std::fflush(stdout);
    }
    timespec step{0, 2'000'000};
    nanosleep(&step, nullptr);
  }
  XCloseDisplay(display);
  return 0;
}
