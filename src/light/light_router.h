// The light that the window's logic drives, sent to wherever it reaches the reader: the reader's
// own device, the window system's keyboard indicator, or nowhere at all. Nowhere still keeps the
// state, so that a display in progress carries on once a light can be reached.
#pragma once

#include "light/light.h"

namespace varnel {

enum class LightPath { Nowhere, Window, Device };

class LightRouter final : public Light {
 public:
  // `window` may be null: the window system has no light that reaches a keyboard.
  LightRouter(Light* window, Light& device);

  void Set(bool on) override;

  // Moves the light to `path`. What the program lit goes off on the old path and on on the new
  // one, so a display in progress carries on there. A light the program did not light is left
  // as it is on the window system's path, which is the desktop's own; the device's light is the
  // program's alone and is set to the program's state.
  void Route(LightPath path);
  LightPath Path() const { return path_; }
  // Whether the program has lit the light (on whichever path).
  bool On() const { return on_; }

 private:
  Light* Port(LightPath path) const;

  Light* window_;
  Light& device_;
  LightPath path_ = LightPath::Nowhere;
  bool on_ = false;
};

}  // namespace varnel
