// x11-key-recorder: a window that takes the keyboard focus and prints each key event it gets,
// "down KEYSYM TIME" or "up KEYSYM TIME" with the X server's millisecond time, until it is
// ended; after a press that types text under the keyboard map in force, as an ordinary program
// reads it, "text TEXT" ("\r" for Enter, "\t" for Tab). It stands in for the program when what
// a reader sends is the thing under test, and for the program in front that Varnel types into.
// With --raw it also prints "raw KEYCODE" for each key pressed on the display, whichever window
// has the focus: what was typed anywhere. With --grab it holds the keyboard grab once it has the
// focus, as an open menu or a screen locker does, and says "grabbed".
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>

#include <time.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
volatile std::sig_atomic_t stop = 0;
void Stop(int) { stop = 1; }
}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11-key-recorder: no X display\n");
    return 1;
  }
  bool raw = false, grab = false;
  for (int i = 1; i < argc; ++i) {
    raw = raw || std::strcmp(argv[i], "--raw") == 0;
    grab = grab || std::strcmp(argv[i], "--grab") == 0;
  }
  int xi = 0;
  if (raw) {
    int event = 0, error = 0, major = 2, minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &xi, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
      std::fprintf(stderr, "x11-key-recorder: no XInput 2\n");
      return 1;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
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
        if (grab && XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync,
                                  CurrentTime) == GrabSuccess) {
          std::printf("grabbed\n");
        }
        std::printf("ready\n");
      } else if (event.type == KeyPress || event.type == KeyRelease) {
        const KeySym sym = XLookupKeysym(&event.xkey, 0);
        std::printf("%s %s %lu\n", event.type == KeyPress ? "down" : "up",
                    XKeysymToString(sym) ? XKeysymToString(sym) : "?", event.xkey.time);
        char text[16];
        const int length = event.type == KeyPress
                               ? XLookupString(&event.xkey, text, sizeof text, nullptr, nullptr)
                               : 0;
        std::string shown;
        for (int i = 0; i < length; ++i) {
          if (text[i] == '\r') {
            shown += "\\r";
          } else if (text[i] == '\t') {
            shown += "\\t";
          } else {
            shown += text[i];
          }
        }
        if (!shown.empty()) std::printf("text %s\n", shown.c_str());
      } else if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
      } else if (xi && event.type == GenericEvent && event.xcookie.extension == xi &&
                 XGetEventData(display, &event.xcookie)) {
        const auto* raw = static_cast<XIRawEvent*>(event.xcookie.data);
        std::printf("raw %d\n", raw->detail);
        XFreeEventData(display, &event.xcookie);
      }
      std::fflush(stdout);
    }
    timespec step{0, 2'000'000};
    nanosleep(&step, nullptr);
  }
  XCloseDisplay(display);
  return 0;
}
