#include "link/light_router.h"

#include "link/lock_light.h"

namespace varnel {

LightRouter::LightRouter(LockKeyPort* window, LockKeyPort& device)
    : window_(window), device_(device) {}

LockKeyPort* LightRouter::Port(LightPath path) const {
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

// The window system's light is shared with the desktop and is read back from it. The device's
// is the program's alone: another program may write it for a moment (the link puts it back), but
// its state is what the program set.
LockKeyPort* LightRouter::ReadBackPort() const {
  return path_ == LightPath::Device ? nullptr : Port(path_);
}

std::int16_t LightRouter::KeyState(std::int32_t virtualKey) {
  if (LockKeyPort* port = ReadBackPort()) return port->KeyState(virtualKey);
  return ProgramOn(virtualKey) ? 1 : 0;
}

void LightRouter::SendPress(const KeyPressRecords& press) {
  LockKeyPort* port = ReadBackPort();
  // A press toggles the light on its key-down, as a keyboard's does.
  for (const KeyboardRecord& record : press) {
    if ((record.flags & kKeyEventKeyUp) != 0) continue;
    const bool before =
        port ? (port->KeyState(record.virtualKey) & 1) != 0 : ProgramOn(record.virtualKey);
    on_[record.virtualKey] = !before;
  }
  if (LockKeyPort* to = Port(path_)) to->SendPress(press);
}

void LightRouter::Route(LightPath path) {
  if (path == path_) return;
  LockKeyPort* from = Port(path_);
  LockKeyPort* to = Port(path);
  path_ = path;
  for (const auto& [virtualKey, on] : on_) {
    if (on && from) modLight::SetLockKey(*from, virtualKey, modLight::kLockOff);
    if (to && (on || path == LightPath::Device)) {
      modLight::SetLockKey(*to, virtualKey, on ? modLight::kLockOn : modLight::kLockOff);
    }
  }
}

bool LightRouter::ProgramOn(std::int32_t virtualKey) const {
  const auto it = on_.find(virtualKey);
  return it != on_.end() && it->second;
}

}  // namespace varnel
