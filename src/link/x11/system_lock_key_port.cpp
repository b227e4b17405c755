// The lock keys as the X server's keyboard indicators. The server keeps one state per indicator
// and passes it to every attached keyboard. A synthesised Scroll_Lock key event would not do:
// on common keymaps no modifier is bound to it, so the indicator never changes.
#include "link/x11/window_light.h"  // first: Xlib's macros (None, Status) would break it

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "link/lock_key_port.h"

namespace varnel {
namespace {

const char* IndicatorName(std::int32_t virtualKey) {
  switch (virtualKey) {
    case 20:
      return "Caps Lock";
    case 144:
      return "Num Lock";
    case kVkScrollLock:
      return "Scroll Lock";
    default:
      return nullptr;
  }
}

class X11LockKeyPort : public LockKeyPort {
 public:
  // The server can drop an indicator state once the client that set it is gone, so the one
  // connection lives as long as the port.
  explicit X11LockKeyPort(Display* display) : display_(display) {}
  // The server keeps the state after a disconnect if other clients remain: a light this port
  // lit must not go on telling the reader "good" after the program has gone.
  ~X11LockKeyPort() override {
    for (Atom indicator : touched_) SetIndicator(indicator, false);
    XCloseDisplay(display_);
  }
  X11LockKeyPort(const X11LockKeyPort&) = delete;
  X11LockKeyPort& operator=(const X11LockKeyPort&) = delete;

  std::int16_t KeyState(std::int32_t virtualKey) override {
    const Atom indicator = IndicatorAtom(virtualKey);
    Bool on = False;
    if (indicator == None ||
        !XkbGetNamedIndicator(display_, indicator, nullptr, &on, nullptr, nullptr)) {
      return 0;
    }
    return on ? 1 : 0;
  }

  void SendPress(const KeyPressRecords& press) override {
    // The light changes on the key-down of a press, as a keyboard's does.
    for (const KeyboardRecord& record : press) {
      if ((record.flags & kKeyEventKeyUp) != 0) continue;
      const Atom indicator = IndicatorAtom(record.virtualKey);
      if (indicator == None) continue;
      SetIndicator(indicator, (KeyState(record.virtualKey) & 1) == 0);
      touched_.insert(indicator);
    }
  }

 private:
  Atom IndicatorAtom(std::int32_t virtualKey) {
    const char* name = IndicatorName(virtualKey);
    return name ? XInternAtom(display_, name, False) : None;
  }

  void SetIndicator(Atom indicator, bool on) {
    XkbSetNamedIndicator(display_, indicator, True, on ? True : False, False, nullptr);
    XSync(display_, False);
  }

  Display* display_;
  std::set<Atom> touched_;
};

// Xlib ends the process when a connection breaks; say why in words a user can act on.
int OnConnectionLost(Display*) {
  std::fputs("varnel: the connection to the X server was lost; exiting.\n", stderr);
  std::exit(1);
}

}  // namespace

std::unique_ptr<LockKeyPort> OpenSystemLockKeyPort() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  XSetIOErrorHandler(OnConnectionLost);
  return std::make_unique<X11LockKeyPort>(display);
}

WindowLightPort OpenWindowLight(bool onWayland) {
  if (onWayland) return {nullptr, WindowLight::Wayland};
  Display* display = XOpenDisplay(nullptr);
  if (!display) return {nullptr, WindowLight::NoDisplay};
  // A Wayland compositor's X server (newer ones say so by this extension) passes its
  // indicators to no keyboard.
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(display, "XWAYLAND", &opcode, &event, &error)) {
    XCloseDisplay(display);
    return {nullptr, WindowLight::Wayland};
  }
  XSetIOErrorHandler(OnConnectionLost);
  return {std::make_unique<X11LockKeyPort>(display), WindowLight::Indicator};
}

}  // namespace varnel
