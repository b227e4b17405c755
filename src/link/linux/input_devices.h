// The keyboards that the Linux input layer lists, named as Windows names the same devices.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/reader_presence.h"

namespace varnel {

// Parses the text of /proc/bus/input/devices. Each device whose handlers include "kbd" gives one
// identifier: a USB device (bus 0003) becomes USB\VID_vvvv&PID_pppp&MI_ii\<port>, the interface
// taken from the "<port>:<configuration>.<interface>" element of its sysfs path; other buses get
// prefixes of their own, so they can never pass for the USB reader. A keyboard whose entry lacks
// its bus gives a missing identifier.
KeyboardIds ParseInputDevices(std::string_view text);

// Reads and parses a file in that format, at most its first MiB: nothing when it cannot be read.
std::optional<KeyboardIds> ReadInputDevices(const std::string& path);

}  // namespace varnel
