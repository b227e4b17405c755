// The keyboards that the Linux input layer lists, named as Windows names the same devices.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/reader_device.h"
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

// The reader's event nodes in that text: keyboards whose identifier above has the reader's
// identity and that have an event handler ("eventN").
ReaderNodes ParseReaderNodes(std::string_view text);
std::optional<ReaderNodes> ReadReaderNodes(const std::string& path);

// Where the input device list and the event nodes are: $VARNEL_INPUT_DEVICES and
// $VARNEL_INPUT_DIR when set (for tests), else the system's /proc/bus/input/devices and
// /dev/input.
std::string InputDevicesPath();
std::string InputDirectory();

}  // namespace varnel
