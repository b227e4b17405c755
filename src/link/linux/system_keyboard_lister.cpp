// The attached keyboards as the Linux input layer lists them (or the list that tests put in its
// place).
#include "link/linux/input_devices.h"

namespace varnel {
namespace {

class ProcKeyboardLister : public KeyboardLister {
 public:
  std::optional<KeyboardIds> KeyboardDeviceIds() override {
    return ReadInputDevices(InputDevicesPath());
  }
};

}  // namespace

std::unique_ptr<KeyboardLister> OpenSystemKeyboardLister() {
  return std::make_unique<ProcKeyboardLister>();
}

}  // namespace varnel
