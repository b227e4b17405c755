// The attached keyboards as the Linux input layer lists them.
#include <fstream>

#include "link/linux/input_devices.h"

namespace varnel {
namespace {

// Far more than any machine's device list; a bound so that an odd file cannot stall start-up.
constexpr std::size_t kMaxListBytes = 1 << 20;

class ProcKeyboardLister : public KeyboardLister {
 public:
  std::optional<KeyboardIds> KeyboardDeviceIds() override {
    std::ifstream file("/proc/bus/input/devices", std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(kMaxListBytes, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(file.gcount()));
    return ParseInputDevices(text);
  }
};

}  // namespace

std::unique_ptr<KeyboardLister> OpenSystemKeyboardLister() {
  return std::make_unique<ProcKeyboardLister>();
}

}  // namespace varnel
