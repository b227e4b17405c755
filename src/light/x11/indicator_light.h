// Scroll Lock as the X server's keyboard indicator. The server keeps one state per indicator
// and passes it to every attached keyboard. A synthesised Scroll_Lock key event would not do:
// on common keymaps no modifier is bound to it, so the indicator never changes.
#pragma once

#include <memory>

#include "light/light.h"
#include "link/reader_link.h"

struct _XDisplay;  // Xlib's Display: its header's macros (None, Status) would break others

namespace varnel {

class IndicatorLight final : public Light {
 public:
  // The server can drop an indicator state once the client that set it is gone, so the one
  // connection, taken over here, lives as long as the light.
  explicit IndicatorLight(_XDisplay* display);
  // The server keeps the state after a disconnect if other clients remain: a light this one
  // lit must not go on telling the reader "good" after the program has gone.
  ~IndicatorLight() override;
  IndicatorLight(const IndicatorLight&) = delete;
  IndicatorLight& operator=(const IndicatorLight&) = delete;

  void Set(bool on) override;

 private:
  _XDisplay* display_;
  bool touched_ = false;
};

// Null when there is no X display.
std::unique_ptr<IndicatorLight> OpenIndicatorLight();

// The window path's light on Linux: the X server's Scroll Lock indicator, which the server
// passes to every keyboard, when there is an X server whose indicators reach the keyboards.
struct WindowLightPort {
  std::unique_ptr<Light> light;  // null unless `kind` is Indicator
  WindowLight kind;
};

// `onWayland`: the program runs on a Wayland desktop, whatever its windows are drawn through.
WindowLightPort OpenWindowLight(bool onWayland);

}  // namespace varnel
