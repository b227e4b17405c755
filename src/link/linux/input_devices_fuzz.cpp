// libFuzzer over the device list's parser: any text, however long its fields, is parsed in one
// bounded pass, and what it finds holds together.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/linux/input_devices.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const varnel::KeyboardIds keyboards = varnel::ParseInputDevices(text);
  const varnel::ReaderNodes nodes = varnel::ParseReaderNodes(text);
  // Every reader node is a keyboard of the list, on a USB interface, with an event node.
  if (nodes.size() > keyboards.size()) std::abort();
  for (const varnel::ReaderNode& node : nodes) {
    if (node.port.empty() || !node.node.starts_with("event") || node.node.size() > 11) {
      std::abort();
    }
  }
  return 0;
}
