// Opens the reader's event nodes as libevdev devices, for the direct link.
#pragma once

#include "link/linux/evdev_reader_device.h"

namespace varnel {

class EvdevOpener final : public DeviceOpener {
 public:
  OpenedDevice Open(const std::string& path) override { return EvdevReaderDevice::Open(path); }
};

}  // namespace varnel
