// Whether the bar-code reader is attached: some keyboard's device instance identifier starts
// with the reader's USB identity.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

// The reader's USB identity: vendor 04D9, product 1603, interface 00.
inline const std::string kReaderIdentity = "VID_04D9&PID_1603&MI_00";

// The identity that the program looks for: VARNEL_READER_ID's value where it is set (a test
// takes a keyboard it has for the reader), kReaderIdentity otherwise.
std::string ReaderIdentity();

// Whether a device's system name carries `identity`, ignoring case, as one element of it: after
// "#" or "\" and before "#" or "&", the latter where a HID top-level collection adds "&Col01"
// (raw input's "\\?\HID#VID_04D9&PID_1603&MI_00&Col01#8&...").
bool NameHasIdentity(const std::string& name, const std::string& identity);

// Device instance identifiers in the Windows naming, e.g.
// USB\VID_04D9&PID_1603&MI_00\7&1A2B&0&0000. An entry may be missing (a device that reports no
// identifier).
using KeyboardIds = std::vector<std::optional<std::string>>;

class KeyboardLister {
 public:
  virtual ~KeyboardLister() = default;
  // The attached keyboards, or nothing when the platform cannot say.
  virtual std::optional<KeyboardIds> KeyboardDeviceIds() = 0;
  // Offers the identifier of each attached keyboard to `accept`, in the platform's order, until
  // it accepts one, and says whether it did. Keyboards without an identifier are passed over;
  // a platform that fails before an identifier is accepted answers false. This one lists all
  // first; a platform that yields them one by one stops at the accepted one.
  virtual bool FindKeyboard(const std::function<bool(const std::string&)>& accept);
};

std::unique_ptr<KeyboardLister> OpenSystemKeyboardLister();

}  // namespace varnel

namespace modReader {

// Whether one device instance identifier starts, ignoring case, with "USB\" + identity + "\".
bool HasIdentity(const std::string& id, const std::string& identity);

// Case-insensitive match of "USB\" + identity + "\" against the start of each identifier. The
// closing backslash keeps other interfaces of the same device (…&MI_01) from matching. A lister
// that cannot answer counts as no reader, which leads to the ordinary warning.
bool IsReaderConnected(varnel::KeyboardLister& lister, const std::string& identity);

}  // namespace modReader
