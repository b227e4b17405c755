// The reader's input device through Debian's libevdev: the kernel's events with their times on
// the monotonic clock, its keys held down, its grab and its Scroll Lock light.
#pragma once

#include <libevdev/libevdev.h>

#include <string>

#include "link/linux/event_frames.h"
#include "link/reader_device.h"

namespace varnel {

class EvdevReaderDevice final : public ReaderDevice {
 public:
  // Opens the event node at `path` and checks that it still has the reader's identity.
  static OpenedDevice Open(const std::string& path);

  ~EvdevReaderDevice() override;
  EvdevReaderDevice(const EvdevReaderDevice&) = delete;
  EvdevReaderDevice& operator=(const EvdevReaderDevice&) = delete;

  int Fd() const override { return fd_; }
  bool Read(std::vector<DeviceEvent>& events) override;
  KeysDown KeysDownNow() override;
  int Grab() override;
  void Ungrab() override;
  bool ScrollLockOn() override;
  void SetScrollLock(bool on) override;
  std::string Phys() override;

 private:
  EvdevReaderDevice(int fd, libevdev* dev) : fd_(fd), dev_(dev) {}

  int fd_;
  libevdev* dev_;
  EventFrames frames_;
};

}  // namespace varnel
