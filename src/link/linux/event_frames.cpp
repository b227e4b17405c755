#include "link/linux/event_frames.h"

#include <cstdint>

namespace varnel {
namespace {

// A frame is a handful of events; a device that never closes one is not let grow memory.
constexpr std::size_t kMaxFrame = 256;

}  // namespace

Tick EventTick(const input_event& event) {
  const auto ms = static_cast<std::uint64_t>(event.input_event_sec) * 1000u +
                  static_cast<std::uint64_t>(event.input_event_usec) / 1000u;
  return static_cast<Tick>(static_cast<std::uint32_t>(ms));
}

void EventFrames::Add(const input_event& event, std::vector<DeviceEvent>& out) {
  if (event.type == EV_KEY || (event.type == EV_LED && event.code == LED_SCROLLL)) {
    if (frame_.size() < kMaxFrame) frame_.push_back(event);
    return;
  }
  if (event.type != EV_SYN) return;
  if (event.code == SYN_DROPPED) {
    Dropped(out);
    return;
  }
  if (event.code != SYN_REPORT) return;
  // The kernel closes the frames it makes up itself with SYN_REPORT 1: the releases of the keys
  // still down when it removes or resets a device, and its own auto-repeat.
  const bool byKernel = event.value == 1;
  for (const input_event& key : frame_) {
    const Tick time = EventTick(key);
    if (key.type == EV_LED) {
      out.push_back({DeviceEvent::Kind::Light, time});
    } else if (key.code != KEY_F12) {
      out.push_back({DeviceEvent::Kind::OtherKey, time});
    } else if (key.value == 1) {
      out.push_back({DeviceEvent::Kind::F12Down, time});
    } else if (key.value == 0) {
      out.push_back({byKernel ? DeviceEvent::Kind::F12UpByKernel : DeviceEvent::Kind::F12Up, time});
    }
    // 2 is the kernel's auto-repeat of a held key: the hold goes on.
  }
  frame_.clear();
}

void EventFrames::Dropped(std::vector<DeviceEvent>& out) {
  frame_.clear();
  out.push_back({DeviceEvent::Kind::Dropped, 0});
}

}  // namespace varnel
