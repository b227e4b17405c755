// The reader's own input device, opened directly: its key events stamped by the kernel, its keys
// held down, its exclusive use and its Scroll Lock light. The link's logic sees devices only
// through this port, so that it can be tried on fakes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reception/tick.h"

namespace varnel {

// One input device in the system's device list that has the reader's identity.
struct ReaderNode {
  // What tells one plug of one device from another: its sysfs path.
  std::string id;
  // Its event node's name in the input folder, e.g. "event17".
  std::string node;
  // The USB interface it is plugged in as, the element of its sysfs path that names the port,
  // e.g. "1-2:1.0": the same after a replug into that port, a KVM switch or a resume.
  std::string port = {};
  // The list's N: Name, U: Uniq (often empty) and P: Phys ("usb-0000:00:14.0-2/input0").
  std::string name = {};
  std::string uniq = {};
  std::string phys = {};
  bool operator==(const ReaderNode&) const = default;
};
using ReaderNodes = std::vector<ReaderNode>;

// A key event of the device, as far as the link cares.
struct DeviceEvent {
  enum class Kind {
    F12Down,
    F12Up,
    // A release that the kernel made up itself for a key still down as it removed or reset the
    // device: the press was cut, not ended.
    F12UpByKernel,
    // Any other key, pressed, repeated or released: the reader only ever sends F12.
    OtherKey,
    // The kernel's buffer overflowed and events were lost; the stream is back in step after it.
    Dropped,
    // The device's Scroll Lock light was set (EV_LED), by this program or by another: the desktop
    // writes every keyboard's lock lights whenever a lock state changes.
    Light,
  };
  Kind kind;
  // The kernel's time of the event in ms on the monotonic clock, wrapping in 32 bits.
  Tick time = 0;
  bool operator==(const DeviceEvent&) const = default;
};

enum class KeysDown { None, OnlyF12, Others };

class ReaderDevice {
 public:
  virtual ~ReaderDevice() = default;
  // The file descriptor to watch for readability.
  virtual int Fd() const = 0;
  // Appends what is waiting, in order. False once the device has gone or cannot be read any more.
  virtual bool Read(std::vector<DeviceEvent>& events) = 0;
  // The device's keys that are down now, as the kernel knows them.
  virtual KeysDown KeysDownNow() = 0;
  // Takes the device for this program alone: 0, or the errno of the refusal. EBUSY: another
  // program holds it, and the kernel gives its events to that program alone.
  virtual int Grab() = 0;
  virtual void Ungrab() = 0;
  // The device's own Scroll Lock light, as the device reports it.
  virtual bool ScrollLockOn() = 0;
  virtual void SetScrollLock(bool on) = 0;
  // The node's physical path, e.g. "usb-0000:00:14.0-2/input0": its port and interface.
  virtual std::string Phys() = 0;
};

struct OpenedDevice {
  std::unique_ptr<ReaderDevice> device;
  int error = 0;  // the errno when `device` is null
};

class DeviceOpener {
 public:
  virtual ~DeviceOpener() = default;
  // Opens the event node at `path` for reading and writing, and checks that it still is a device
  // with the reader's vendor and product.
  virtual OpenedDevice Open(const std::string& path) = 0;
};

}  // namespace varnel
