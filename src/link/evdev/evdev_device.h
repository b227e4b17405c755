// The reader's input device through Debian's libevdev: the kernel's events with their times on
// the monotonic clock, its keys held down, its grab and its Scroll Lock light.
#pragma once

#include "link/reader_device.h"

namespace varnel {

class EvdevOpener final : public DeviceOpener {
 public:
  OpenedDevice Open(const std::string& path) override;
};

}  // namespace varnel
