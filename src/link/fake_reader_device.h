// Reader devices for tests: a device that stays as it is between opens (its light, its keys down,
// whether it refuses to be opened or grabbed), events queued by the test, and an opener that
// hands out a fresh open file each time. A change of its light comes back as an event, as the
// kernel passes on an LED write.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/reader_device.h"

namespace varnel {

// A listed device with the reader's identity, as the fakes below answer for it.
inline ReaderNode FakeNode(const std::string& node, const std::string& port = "1-2:1.0",
                           const std::string& name = "HOLTEK USB Keyboard",
                           const std::string& uniq = "") {
  return {"/devices/pci0000:00/usb1/" + port + "/input/" + node, node, port, name, uniq};
}

struct FakeHardware {
  int openError = 0;  // an errno that open() fails with, or 0
  int grabError = 0;  // an errno that the grab fails with, or 0
  KeysDown keys = KeysDown::None;
  bool led = false;
  int ledWrites = 0;
  bool grabbed = false;
  bool gone = false;  // reads fail: the device was unplugged
  std::vector<DeviceEvent> queued;
  int openFiles = 0;
  std::string phys;  // the node's physical path
};

class FakeReaderDevice final : public ReaderDevice {
 public:
  FakeReaderDevice(std::shared_ptr<FakeHardware> hw, int fd) : hw_(std::move(hw)), fd_(fd) {
    ++hw_->openFiles;
  }
  ~FakeReaderDevice() override {
    --hw_->openFiles;
    if (grabbed_) hw_->grabbed = false;
  }
  int Fd() const override { return fd_; }
  bool Read(std::vector<DeviceEvent>& events) override {
    events.insert(events.end(), hw_->queued.begin(), hw_->queued.end());
    hw_->queued.clear();
    return !hw_->gone;
  }
  KeysDown KeysDownNow() override { return hw_->keys; }
  int Grab() override {
    if (hw_->grabError) return hw_->grabError;
    grabbed_ = hw_->grabbed = true;
    return 0;
  }
  void Ungrab() override { grabbed_ = hw_->grabbed = false; }
  bool ScrollLockOn() override { return !hw_->gone && hw_->led; }
  void SetScrollLock(bool on) override {
    if (hw_->gone) return;
    if (hw_->led != on) hw_->queued.push_back({DeviceEvent::Kind::Light});
    hw_->led = on;
    ++hw_->ledWrites;
  }
  std::string Phys() override { return hw_->phys; }

 private:
  std::shared_ptr<FakeHardware> hw_;
  int fd_;
  bool grabbed_ = false;
};

class FakeOpener final : public DeviceOpener {
 public:
  // The device at `path`, made on first use.
  FakeHardware& At(const std::string& path) {
    auto& hw = hardware_[path];
    if (!hw) hw = std::make_shared<FakeHardware>();
    return *hw;
  }
  OpenedDevice Open(const std::string& path) override {
    opens.push_back(path);
    FakeHardware& hw = At(path);
    if (hw.gone) return {nullptr, 2};  // ENOENT: the node has gone with it
    if (hw.openError) return {nullptr, hw.openError};
    return {std::make_unique<FakeReaderDevice>(hardware_[path], nextFd_++), 0};
  }
  std::vector<std::string> opens;

 private:
  std::map<std::string, std::shared_ptr<FakeHardware>> hardware_;
  int nextFd_ = 10;
};

}  // namespace varnel
