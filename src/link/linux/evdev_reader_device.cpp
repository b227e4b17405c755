#include "link/linux/evdev_reader_device.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>

namespace varnel {
namespace {

constexpr int kReaderVendor = 0x04d9;
constexpr int kReaderProduct = 0x1603;
// Events taken in one go; a device that never stops sending is read again on the next wake-up,
// so that nothing else starves.
constexpr int kMaxEventsPerRead = 1024;

template <std::size_t Bits>
using BitArray = std::array<unsigned char, Bits / 8 + 1>;

template <std::size_t Bits>
bool BitSet(const BitArray<Bits>& bits, unsigned bit) {
  return ((bits[bit / 8] >> (bit % 8)) & 1) != 0;
}

}  // namespace

EvdevReaderDevice::~EvdevReaderDevice() {
  libevdev_free(dev_);
  close(fd_);  // also ends a grab
}

bool EvdevReaderDevice::Read(std::vector<DeviceEvent>& events) {
  for (int n = 0; n < kMaxEventsPerRead; ++n) {
    input_event ev{};
    int rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_NORMAL, &ev);
    if (rc == LIBEVDEV_READ_STATUS_SYNC) {
      // As libevdev documents it: the events after SYN_DROPPED are the difference between the
      // state before and now, read in sync mode until -EAGAIN. They are state, not presses.
      frames_.Dropped(events);
      while ((rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_SYNC, &ev)) ==
             LIBEVDEV_READ_STATUS_SYNC) {
      }
      if (rc == -EAGAIN) continue;
    }
    if (rc == -EAGAIN) return true;
    if (rc != LIBEVDEV_READ_STATUS_SUCCESS) return false;  // -ENODEV once it has gone
    frames_.Add(ev, events);
  }
  return true;
}

KeysDown EvdevReaderDevice::KeysDownNow() {
  BitArray<KEY_MAX> keys{};
  if (ioctl(fd_, EVIOCGKEY(sizeof keys), keys.data()) < 0) return KeysDown::None;
  KeysDown down = KeysDown::None;
  for (unsigned key = 0; key <= KEY_MAX; ++key) {
    if (!BitSet<KEY_MAX>(keys, key)) continue;
    if (key != KEY_F12) return KeysDown::Others;
    down = KeysDown::OnlyF12;
  }
  return down;
}

int EvdevReaderDevice::Grab() { return -libevdev_grab(dev_, LIBEVDEV_GRAB); }
void EvdevReaderDevice::Ungrab() { libevdev_grab(dev_, LIBEVDEV_UNGRAB); }

// Read back from the device itself, not from what this program last wrote.
bool EvdevReaderDevice::ScrollLockOn() {
  BitArray<LED_MAX> leds{};
  if (ioctl(fd_, EVIOCGLED(sizeof leds), leds.data()) < 0) return false;
  return BitSet<LED_MAX>(leds, LED_SCROLLL);
}

void EvdevReaderDevice::SetScrollLock(bool on) {
  libevdev_kernel_set_led_value(dev_, LED_SCROLLL, on ? LIBEVDEV_LED_ON : LIBEVDEV_LED_OFF);
}

std::string EvdevReaderDevice::Phys() {
  const char* phys = libevdev_get_phys(dev_);
  return phys ? phys : "";
}

OpenedDevice EvdevReaderDevice::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {nullptr, errno};
  libevdev* dev = nullptr;
  if (const int rc = libevdev_new_from_fd(fd, &dev); rc < 0) {
    close(fd);
    return {nullptr, -rc};
  }
  // The node's number may have passed to another device since the list was read.
  if (libevdev_get_id_vendor(dev) != kReaderVendor ||
      libevdev_get_id_product(dev) != kReaderProduct) {
    libevdev_free(dev);
    close(fd);
    return {nullptr, ENODEV};
  }
  // The program's tick count runs on the monotonic clock too. Should the kernel refuse, holds
  // are still right: they are differences of two times on the same clock.
  libevdev_set_clock_id(dev, CLOCK_MONOTONIC);
  return {std::unique_ptr<EvdevReaderDevice>(new EvdevReaderDevice(fd, dev)), 0};
}

}  // namespace varnel
