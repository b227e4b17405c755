// The light that the window's logic drives, sent to wherever it reaches the reader: the reader's
// own device, the window system's keyboard indicator, or nowhere at all. Nowhere still keeps the
// state, so that a display in progress carries on once a light can be reached.
#pragma once

#include <map>

#include "link/lock_key_port.h"

namespace varnel {

enum class LightPath { Nowhere, Window, Device };

class LightRouter final : public LockKeyPort {
 public:
  // `window` may be null: the window system has no light that reaches a keyboard.
  LightRouter(LockKeyPort* window, LockKeyPort& device);

  std::int16_t KeyState(std::int32_t virtualKey) override;
  void SendPress(const KeyPressRecords& press) override;

  // Moves the light to `path`. What the program lit goes off on the old path and on on the new
  // one, so a display in progress carries on there. A light the program did not light is left
  // as it is on the window system's path, which is the desktop's own; the device's light is the
  // program's alone and is set to the program's state.
  void Route(LightPath path);
  LightPath Path() const { return path_; }
  // Whether the program has lit `virtualKey`'s light (on whichever path). A press sent on
  // already counts here when it reaches the path's port.
  bool ProgramOn(std::int32_t virtualKey = kVkScrollLock) const;

 private:
  LockKeyPort* Port(LightPath path) const;
  LockKeyPort* ReadBackPort() const;

  LockKeyPort* window_;
  LockKeyPort& device_;
  LightPath path_ = LightPath::Nowhere;
  // The state each key's light was last driven to by the program.
  std::map<std::int32_t, bool> on_{{kVkScrollLock, false}};
};

}  // namespace varnel
