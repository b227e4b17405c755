// A keyboard light as the program wants it: on or off. Only the one place that turns a lock
// key's presses into a state (LightKey) speaks in presses; below it, every way to the reader
// takes the state itself.
#pragma once

namespace varnel {

class Light {
 public:
  virtual ~Light() = default;
  virtual void Set(bool on) = 0;
};

}  // namespace varnel
