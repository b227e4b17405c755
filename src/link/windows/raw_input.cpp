#include "link/windows/raw_input.h"

#include <string>
#include <vector>

#include "output/windows/send_input_typing.h"
#include "process/windows/utf.h"

namespace varnel {
namespace {

std::optional<std::string> DeviceName(HANDLE device) {
  UINT length = 0;
  if (GetRawInputDeviceInfoW(device, RIDI_DEVICENAME, nullptr, &length) != 0 || length == 0) {
    return std::nullopt;
  }
  std::wstring name(length, L'\0');
  const UINT got = GetRawInputDeviceInfoW(device, RIDI_DEVICENAME, name.data(), &length);
  if (got == static_cast<UINT>(-1)) return std::nullopt;
  name.resize(wcsnlen(name.c_str(), name.size()));
  return Utf8(name);
}

}  // namespace

bool RegisterKeyboardRawInput(HWND window) {
  // Generic desktop controls, keyboard.
  const RAWINPUTDEVICE keyboards{0x01, 0x06, RIDEV_INPUTSINK | RIDEV_DEVNOTIFY, window};
  return RegisterRawInputDevices(&keyboards, 1, sizeof keyboards) != FALSE;
}

std::optional<RawKeyboards> ListRawKeyboards() {
  std::vector<RAWINPUTDEVICELIST> list;
  // A device that arrives between the two calls makes the second one short of room: ask again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    UINT count = 0;
    if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0) {
      return std::nullopt;
    }
    list.resize(count + 2);
    count = static_cast<UINT>(list.size());
    const UINT got = GetRawInputDeviceList(list.data(), &count, sizeof(RAWINPUTDEVICELIST));
    if (got == static_cast<UINT>(-1)) {
      if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) continue;
      return std::nullopt;
    }
    list.resize(got);
    RawKeyboards keyboards;
    for (const RAWINPUTDEVICELIST& device : list) {
      if (device.dwType != RIM_TYPEKEYBOARD) continue;
      // A device gone between the list and the question is simply not listed.
      if (const auto name = DeviceName(device.hDevice)) {
        keyboards.push_back({reinterpret_cast<std::uintptr_t>(device.hDevice), *name});
      }
    }
    return keyboards;
  }
  return std::nullopt;
}

std::optional<RawKey> ReadRawKey(LPARAM lParam) {
  RAWINPUT input{};
  UINT size = sizeof input;
  const UINT got = GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size,
                                   sizeof(RAWINPUTHEADER));
  if (got == static_cast<UINT>(-1) || input.header.dwType != RIM_TYPEKEYBOARD) return std::nullopt;
  // The codes the program types itself are no keyboard's keys.
  if (input.data.keyboard.ExtraInformation == kTypedKeyMark) return std::nullopt;
  return RawKey{reinterpret_cast<std::uintptr_t>(input.header.hDevice), input.data.keyboard.VKey,
                (input.data.keyboard.Flags & RI_KEY_BREAK) == 0};
}

}  // namespace varnel
