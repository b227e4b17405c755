// Serves an VirtualEvdevDevice through FUSE's low-level interface: a folder that holds the device's
// event node while it is plugged in, as /dev/input would. A program opens, reads, polls, writes
// and asks the node's ioctls as it would a real one.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "reader/virtual_evdev_device.h"

namespace varnel::reader {

class EvdevServer {
 public:
  using LightHandler = std::function<void(bool on)>;

  // Mounts at `mountpoint` (an empty folder) and serves from a thread of its own, once the
  // kernel has greeted it. `onLight` hears each change of the Scroll Lock LED. Empty, with
  // `error` set, when FUSE cannot mount there.
  static std::unique_ptr<EvdevServer> Start(const std::string& mountpoint,
                                            VirtualEvdevDevice::ClockReader clock,
                                            LightHandler onLight, std::string& error);
  ~EvdevServer();

  // Stops serving and unmounts: files that programs still hold fail from then on. From any
  // thread, more than once.
  void Stop();

  // Runs `action` on the device under the lock that the node's requests take, then wakes the
  // readers and pollers it gave something to, and reports a change of the light.
  std::string Apply(const std::function<std::string(VirtualEvdevDevice&)>& action);

  struct State;

 private:
  explicit EvdevServer(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace varnel::reader
