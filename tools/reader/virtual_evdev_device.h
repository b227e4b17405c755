// The reader as Linux's input layer shows it to programs: an event device with a keyboard's keys
// and lights. Each open file has its own queue and its own clock, the one device has the LEDs and
// the keys that are down. Errors are answered as the kernel's evdev answers them (negative
// errno), so a program cannot tell this device from a real one by what it reads.
#pragma once

#include <linux/input.h>
#include <time.h>

#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace varnel::reader {

using OpenFileId = std::uint64_t;

class VirtualEvdevDevice {
 public:
  // The time now on `clock`: each event is stamped when it is queued, on its open file's clock.
  using ClockReader = std::function<timespec(clockid_t)>;

  explicit VirtualEvdevDevice(ClockReader clock);

  // The node and the system's device list.
  bool Plugged() const { return plugged_; }
  std::uint64_t Plugs() const { return plugs_; }  // changes with each plug: a new device
  std::string NodeName() const;                   // "event17"
  // The text of /proc/bus/input/devices: a built-in keyboard and, while plugged, the reader.
  std::string DeviceList() const;

  // A program's side.
  int Open(OpenFileId& id);  // 0 or -EACCES while denied, -ENOENT while unplugged
  void Close(OpenFileId id);
  // Whole queued events, as many as `maxBytes` hold: their bytes, or -EAGAIN when there are none
  // (a blocking read waits for PollMask to say POLLIN), -ENODEV once the device is gone, even
  // with events still queued.
  int Read(OpenFileId id, std::size_t maxBytes, std::vector<input_event>& out);
  // Takes `struct input_event` records; EV_LED ones set the LEDs. Returns the bytes taken.
  int Write(OpenFileId id, std::span<const std::uint8_t> bytes);
  // The evdev ioctls whose size the request encodes: `in` holds what the caller passed (write
  // direction), `out` gets what it reads back (read direction, at most `outSize` bytes).
  int Ioctl(OpenFileId id, unsigned cmd, std::span<const std::uint8_t> in, std::size_t outSize,
            std::vector<std::uint8_t>& out);
  short PollMask(OpenFileId id) const;

  // The reader's side. Each returns an error text, empty when done.
  std::string Key(int code, int value);  // value 1 press, 0 release, 2 auto-repeat
  std::string Unplug();
  std::string Plug();
  void SetDenied(bool denied) { denied_ = denied; }
  bool Denied() const { return denied_; }
  bool HasKey(int code) const;
  bool ScrollLock() const { return leds_[LED_SCROLLL]; }

 private:
  struct OpenFile {
    std::uint64_t plug;  // the device it was opened on
    clockid_t clock = CLOCK_REALTIME;
    std::deque<input_event> queue;
  };

  struct Change {
    std::uint16_t type;
    std::uint16_t code;
    std::int32_t value;
  };

  bool Alive(const OpenFile& file) const { return plugged_ && file.plug == plugs_; }
  timeval Now(const OpenFile& file) const;
  static input_event Event(const timeval& at, Change change);
  static void Push(OpenFile& file, const input_event& event);
  // One frame, closed with a SYN_REPORT, to every open file of the device; each file's copy is
  // stamped once, on that file's clock, as the kernel stamps a frame. The kernel closes the frames
  // it makes up itself (the releases on removal) with a SYN_REPORT of value 1.
  void Send(std::vector<Change> frame, std::int32_t syncValue = 0);
  int SetClock(OpenFile& file, std::span<const std::uint8_t> in);

  ClockReader clock_;
  std::map<OpenFileId, OpenFile> files_;
  OpenFileId nextId_ = 1;
  bool plugged_ = true;
  bool denied_ = false;
  std::uint64_t plugs_ = 0;
  std::bitset<KEY_CNT> keysDown_;
  std::bitset<LED_CNT> leds_;
  std::vector<Change> ledEcho_;  // LED changes written since the last SYN_REPORT
};

}  // namespace varnel::reader
