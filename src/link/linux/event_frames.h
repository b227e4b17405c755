// The kernel's input events of one device, turned into the key events that the link looks at.
// The kernel sends events in frames closed by SYN_REPORT; a frame is looked at once it is whole.
#pragma once

#include <linux/input.h>

#include <vector>

#include "link/reader_device.h"

namespace varnel {

class EventFrames {
 public:
  // Takes one event; at the end of a frame, appends its key events to `out`.
  void Add(const input_event& event, std::vector<DeviceEvent>& out);
  // The kernel dropped events (SYN_DROPPED): the frame in hand is incomplete and is thrown away.
  void Dropped(std::vector<DeviceEvent>& out);

 private:
  std::vector<input_event> frame_;
};

// An event's time in ms, wrapping in 32 bits like the program's tick count.
Tick EventTick(const input_event& event);

}  // namespace varnel
