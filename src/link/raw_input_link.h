// The link that hears the reader on Windows, whichever window has the focus: the keyboards that
// raw input lists and the keys it reports of each, and, with the F12 hook, the hook's F12. The
// system's calls stay in the shell, which hands their answers here; this decides, through the
// decisions every direct link shares, and tells the program through the LinkListener.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/link_status_change.h"
#include "link/reader_devices.h"
#include "link/reader_link.h"

namespace varnel {

// A keyboard as raw input lists it: its handle, and its device name
// ("\\?\HID#VID_04D9&PID_1603&MI_00#8&2f0f5c4&0&0000#{884b96c3-...}").
struct RawKeyboard {
  std::uintptr_t handle = 0;
  std::string name;
  bool operator==(const RawKeyboard&) const = default;
};
using RawKeyboards = std::vector<RawKeyboard>;

// The virtual-key codes that the link tells apart.
inline constexpr std::uint16_t kVirtualKeyF12 = 0x7B;
inline constexpr std::uint16_t kVirtualKeyScrollLock = 0x91;
// What raw input reports for a scan code that maps to no key (a keyboard's own prefix codes).
inline constexpr std::uint16_t kVirtualKeyNone = 0xFF;

class RawInputLink {
 public:
  using Say = std::function<void(const std::string& line)>;
  // With `takeF12`, the F12 hook takes every F12 for the reader while one is listed.
  RawInputLink(std::string identity, bool takeF12, Say say);

  // The keyboards that raw input lists now, or nothing when the list cannot be read: takes up
  // the readers that have come and lets go of those that have gone.
  void Listed(const std::optional<RawKeyboards>& keyboards, Tick now, LinkListener& listener);
  // A key of the keyboard `handle`, as raw input reported it at `time`.
  void Key(std::uintptr_t handle, std::uint16_t virtualKey, bool down, KeyTime time,
           LinkListener& listener);
  // An F12 that the hook saw (and swallowed, while a reader is listed).
  void HookF12(bool down, KeyTime time, LinkListener& listener);
  // From now on the hook takes every F12 for the reader, or no longer does.
  void TakeF12(bool take, LinkListener& listener);

  // Whether the hook is to swallow F12 now.
  bool Linked() const { return devices_.Linked(); }
  const LinkStatus& Status() const { return change_.Status(); }

 private:
  void Update(LinkListener& listener);

  std::string identity_;
  bool takeF12_;
  Say say_;
  ReaderDevices devices_{ReaderDevices::Memory::WhilePlugged};
  // The keyboards with the identity in the list last read.
  RawKeyboards known_;
  bool listReadable_ = true;
  LinkStatusChange change_{WindowLight::Indicator};
};

}  // namespace varnel
