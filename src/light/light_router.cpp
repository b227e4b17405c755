#include "light/light_router.h"

namespace varnel {

LightRouter::LightRouter(Light* window, Light& device) : window_(window), device_(device) {}

Light* LightRouter::Port(LightPath path) const {
  switch (path) {
    case LightPath::Window:
      return window_;
    case LightPath::Device:
      return &device_;
    case LightPath::Nowhere:
      break;
  }
  return nullptr;
}

void LightRouter::Set(bool on) {
  on_ = on;
  if (Light* to = Port(path_)) to->Set(on);
}

void LightRouter::Route(LightPath path) {
  if (path == path_) return;
  Light* from = Port(path_);
  Light* to = Port(path);
  path_ = path;
  if (on_ && from) from->Set(false);
  if (to && (on_ || path == LightPath::Device)) to->Set(on_);
}

}  // namespace varnel
