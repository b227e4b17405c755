#include "light/x11/indicator_light.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace varnel {
namespace {

void SetIndicator(Display* display, bool on) {
  const Atom indicator = XInternAtom(display, "Scroll Lock", False);
  XkbSetNamedIndicator(display, indicator, True, on ? True : False, False, nullptr);
  XSync(display, False);
}

// Xlib ends the process when a connection breaks; say why in words a user can act on.
int OnConnectionLost(Display*) {
  std::fputs("varnel: the connection to the X server was lost; exiting.\n", stderr);
  std::exit(1);
}

}  // namespace

IndicatorLight::IndicatorLight(Display* display) : display_(display) {}

IndicatorLight::~IndicatorLight() {
  if (touched_) SetIndicator(display_, false);
  XCloseDisplay(display_);
}

void IndicatorLight::Set(bool on) {
  SetIndicator(display_, on);
  touched_ = true;
}

std::unique_ptr<IndicatorLight> OpenIndicatorLight() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  XSetIOErrorHandler(OnConnectionLost);
  return std::make_unique<IndicatorLight>(display);
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
  return {std::make_unique<IndicatorLight>(display), WindowLight::Indicator};
}

}  // namespace varnel
