// A light for tests: its state, and every state it was set to. SetOn stands for someone else
// (the desktop, another program) setting it.
#pragma once

#include <vector>

#include "light/light.h"

namespace varnel {

class FakeLight : public Light {
 public:
  void Set(bool on) override {
    sets.push_back(on);
    on_ = on;
  }
  bool IsOn() const { return on_; }
  void SetOn(bool on) { on_ = on; }

  std::vector<bool> sets;

 private:
  bool on_ = false;
};

}  // namespace varnel
