// The window path's light on Linux: the X server's Scroll Lock indicator, which the server
// passes to every keyboard, when there is an X server whose indicators reach the keyboards.
#pragma once

#include <memory>

#include "link/direct_link.h"
#include "light/light.h"

namespace varnel {

struct WindowLightPort {
  std::unique_ptr<Light> light;  // null unless `kind` is Indicator
  WindowLight kind;
};

// `onWayland`: the program runs on a Wayland desktop, whatever its windows are drawn through.
WindowLightPort OpenWindowLight(bool onWayland);

}  // namespace varnel
