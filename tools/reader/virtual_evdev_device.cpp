#include "reader/virtual_evdev_device.h"

#include <poll.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace varnel::reader {
namespace {

// The ioctls hand bitmaps over as arrays of longs; on a little-endian machine that is the byte
// order written here.
static_assert(std::endian::native == std::endian::little);

constexpr std::size_t kQueueSize = 64;  // evdev's smallest client buffer, a keyboard's
constexpr char kName[] = "HOLTEK USB Keyboard";
constexpr char kPhys[] = "usb-0000:00:14.0-2/input0";
constexpr input_id kId{BUS_USB, 0x04d9, 0x1603, 0x0110};
constexpr unsigned kRepeat[2] = {250, 33};  // delay and period, ms

// A whole keyboard's keys: a device that listed only F12 would look like no keyboard at all.
std::bitset<KEY_CNT> KeySet() {
  std::bitset<KEY_CNT> keys;
  for (auto [first, last] : {std::pair{KEY_ESC, KEY_KPDOT},
                             {KEY_102ND, KEY_F12},
                             {KEY_KPENTER, KEY_KPEQUAL},
                             {KEY_LEFTMETA, KEY_COMPOSE}}) {
    for (int k = first; k <= last; ++k) keys.set(static_cast<std::size_t>(k));
  }
  return keys;
}

// The codes of each event type, as bits. EV_REP has none: evdev answers its EVIOCGBIT with
// EINVAL, and its settings come with EVIOCGREP.
const std::bitset<KEY_CNT> kKeys = KeySet();
const std::bitset<KEY_CNT> kTypes{1u << EV_SYN | 1u << EV_KEY | 1u << EV_MSC | 1u << EV_LED |
                                  1u << EV_REP};
const std::bitset<KEY_CNT> kMisc{1u << MSC_SCAN};
const std::bitset<KEY_CNT> kLeds{1u << LED_NUML | 1u << LED_CAPSL | 1u << LED_SCROLLL};
const std::bitset<KEY_CNT> kNone;
struct Codes {
  int maxCode;
  const std::bitset<KEY_CNT>* bits;
};
const std::map<unsigned, Codes> kCodesOfType = {
    {0, {EV_MAX, &kTypes}},      {EV_KEY, {KEY_MAX, &kKeys}}, {EV_MSC, {MSC_MAX, &kMisc}},
    {EV_LED, {LED_MAX, &kLeds}}, {EV_REL, {REL_MAX, &kNone}}, {EV_ABS, {ABS_MAX, &kNone}},
    {EV_SND, {SND_MAX, &kNone}}, {EV_FF, {FF_MAX, &kNone}},   {EV_SW, {SW_MAX, &kNone}}};

// As the kernel copies a bitmap of bits 0..maxBit: whole longs.
template <std::size_t N>
std::vector<std::uint8_t> BitBytes(const std::bitset<N>& bits, int maxBit) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(maxBit + 63) / 64 * 8);
  for (std::size_t i = 0; i < N && i < bytes.size() * 8; ++i) {
    if (bits[i]) bytes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  }
  return bytes;
}

std::vector<std::uint8_t> TextBytes(const char* text) {
  return std::vector<std::uint8_t>(text, text + std::strlen(text) + 1);
}

template <class T>
std::vector<std::uint8_t> ValueBytes(const T& value) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
  return std::vector<std::uint8_t>(p, p + sizeof value);
}

// "B: KEY=..." as /proc/bus/input/devices writes a bitmap: its longs in hex, highest first,
// leading zero longs left out.
template <std::size_t N>
std::string BitLine(const char* name, const std::bitset<N>& bits, int maxBit) {
  const std::vector<std::uint8_t> bytes = BitBytes(bits, maxBit);
  std::vector<std::uint64_t> longs(bytes.size() / 8);
  std::memcpy(longs.data(), bytes.data(), bytes.size());
  std::size_t top = longs.size() - 1;
  while (top > 0 && longs[top] == 0) --top;
  std::string line = std::string("B: ") + name + "=";
  for (std::size_t i = top + 1; i-- > 0;) {
    char word[24];
    std::snprintf(word, sizeof word, "%llx%s", static_cast<unsigned long long>(longs[i]),
                  i > 0 ? " " : "");
    line += word;
  }
  return line + "\n";
}

// Another keyboard, as on every machine: the reader is never the only entry.
constexpr char kBuiltInKeyboard[] =
    "I: Bus=0011 Vendor=0001 Product=0001 Version=ab41\n"
    "N: Name=\"AT Translated Set 2 keyboard\"\n"
    "P: Phys=isa0060/serio0/input0\n"
    "S: Sysfs=/devices/platform/i8042/serio0/input/input3\n"
    "U: Uniq=\n"
    "H: Handlers=sysrq kbd event2 leds \n"
    "B: PROP=0\n"
    "B: EV=120013\n"
    "B: KEY=402000000 3803078f800d001 feffffdfffefffff fffffffffffffffe\n"
    "B: MSC=10\n"
    "B: LED=7\n"
    "\n";

}  // namespace

VirtualEvdevDevice::VirtualEvdevDevice(ClockReader clock) : clock_(std::move(clock)) {}

bool VirtualEvdevDevice::HasKey(int code) const {
  return code >= 0 && code < KEY_CNT && kKeys[static_cast<std::size_t>(code)];
}

std::string VirtualEvdevDevice::NodeName() const { return "event" + std::to_string(17 + plugs_); }

std::string VirtualEvdevDevice::DeviceList() const {
  std::string list = kBuiltInKeyboard;
  if (!plugged_) return list;
  char head[512];
  std::snprintf(head, sizeof head,
                "I: Bus=%04x Vendor=%04x Product=%04x Version=%04x\n"
                "N: Name=\"%s\"\n"
                "P: Phys=%s\n"
                "S: Sysfs=/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/"
                "0003:04D9:1603.%04llX/input/input%llu\n"
                "U: Uniq=\n"
                "H: Handlers=sysrq kbd leds %s \n"
                "B: PROP=0\n",
                kId.bustype, kId.vendor, kId.product, kId.version, kName, kPhys,
                static_cast<unsigned long long>(plugs_ + 1),
                static_cast<unsigned long long>(17 + plugs_), NodeName().c_str());
  return list + head + BitLine("EV", kTypes, EV_MAX) + BitLine("KEY", kKeys, KEY_MAX) +
         BitLine("MSC", kMisc, MSC_MAX) + BitLine("LED", kLeds, LED_MAX) + "\n";
}

int VirtualEvdevDevice::Open(OpenFileId& id) {
  if (!plugged_) return -ENOENT;
  if (denied_) return -EACCES;
  id = nextId_++;
  files_[id] = OpenFile{plugs_, CLOCK_REALTIME, {}};
  return 0;
}

void VirtualEvdevDevice::Close(OpenFileId id) { files_.erase(id); }

int VirtualEvdevDevice::Read(OpenFileId id, std::size_t maxBytes, std::vector<input_event>& out) {
  const auto it = files_.find(id);
  if (it == files_.end()) return -EBADF;
  if (maxBytes != 0 && maxBytes < sizeof(input_event)) return -EINVAL;
  OpenFile& file = it->second;
  // As the kernel's evdev: once the device has gone, not even what was queued is read.
  if (!Alive(file)) return -ENODEV;
  if (file.queue.empty()) return -EAGAIN;
  const std::size_t count = std::min(file.queue.size(), maxBytes / sizeof(input_event));
  out.assign(file.queue.begin(), file.queue.begin() + static_cast<std::ptrdiff_t>(count));
  file.queue.erase(file.queue.begin(), file.queue.begin() + static_cast<std::ptrdiff_t>(count));
  return static_cast<int>(count * sizeof(input_event));
}

int VirtualEvdevDevice::Write(OpenFileId id, std::span<const std::uint8_t> bytes) {
  const auto it = files_.find(id);
  if (it == files_.end()) return -EBADF;
  if (!bytes.empty() && bytes.size() < sizeof(input_event)) return -EINVAL;
  if (!Alive(it->second)) return -ENODEV;
  std::size_t taken = 0;
  for (; taken + sizeof(input_event) <= bytes.size(); taken += sizeof(input_event)) {
    input_event event;
    std::memcpy(&event, bytes.data() + taken, sizeof event);
    if (event.type == EV_LED && event.code < LED_CNT && kLeds[event.code] &&
        leds_[event.code] != (event.value != 0)) {
      leds_.flip(event.code);
      ledEcho_.push_back({EV_LED, event.code, event.value != 0});
    } else if (event.type == EV_SYN && event.code == SYN_REPORT && !ledEcho_.empty()) {
      // The kernel passes a written LED change on to every reader, the writer too.
      Send(std::move(ledEcho_));
      ledEcho_.clear();
    }
  }
  return static_cast<int>(taken);
}

int VirtualEvdevDevice::Ioctl(OpenFileId id, unsigned cmd, std::span<const std::uint8_t> in,
                              std::size_t outSize, std::vector<std::uint8_t>& out) {
  const auto it = files_.find(id);
  if (it == files_.end()) return -EBADF;
  if (!Alive(it->second)) return -ENODEV;
  std::vector<std::uint8_t> answer;
  int result = 0;  // the fixed-size answers give 0, the others the length they copied
  switch (cmd) {
    case EVIOCGVERSION:
      answer = ValueBytes(static_cast<int>(EV_VERSION));
      break;
    case EVIOCGID:
      answer = ValueBytes(kId);
      break;
    case EVIOCGREP:
      answer = ValueBytes(kRepeat);
      break;
    case EVIOCSCLOCKID:
      return SetClock(it->second, in);
    default: {
      if (_IOC_TYPE(cmd) != 'E' || _IOC_DIR(cmd) != _IOC_READ) return -EINVAL;
      const unsigned nr = _IOC_NR(cmd);
      if ((nr & ~unsigned{EV_MAX}) == _IOC_NR(EVIOCGBIT(0, 0))) {
        const auto codes = kCodesOfType.find(nr & EV_MAX);
        if (codes == kCodesOfType.end()) return -EINVAL;
        answer = BitBytes(*codes->second.bits, codes->second.maxCode);
      } else if (nr == _IOC_NR(EVIOCGNAME(0))) {
        answer = TextBytes(kName);
      } else if (nr == _IOC_NR(EVIOCGPHYS(0))) {
        answer = TextBytes(kPhys);
      } else if (nr == _IOC_NR(EVIOCGUNIQ(0))) {
        answer = TextBytes("");
      } else if (nr == _IOC_NR(EVIOCGPROP(0))) {
        answer = BitBytes(kNone, INPUT_PROP_MAX);
      } else if (nr == _IOC_NR(EVIOCGKEY(0))) {
        answer = BitBytes(keysDown_, KEY_MAX);
      } else if (nr == _IOC_NR(EVIOCGLED(0))) {
        answer = BitBytes(leds_, LED_MAX);
      } else if (nr == _IOC_NR(EVIOCGSND(0))) {
        answer = BitBytes(kNone, SND_MAX);
      } else if (nr == _IOC_NR(EVIOCGSW(0))) {
        answer = BitBytes(kNone, SW_MAX);
      } else {
        return -EINVAL;
      }
      answer.resize(std::min(answer.size(), std::size_t{_IOC_SIZE(cmd)}));
      result = static_cast<int>(answer.size());
    }
  }
  if (answer.size() > outSize) return -EFAULT;
  out = std::move(answer);
  return result;
}

short VirtualEvdevDevice::PollMask(OpenFileId id) const {
  const auto it = files_.find(id);
  if (it == files_.end()) return POLLNVAL;
  short mask = Alive(it->second) ? POLLOUT | POLLWRNORM : POLLHUP | POLLERR;
  if (!it->second.queue.empty()) mask |= POLLIN | POLLRDNORM;
  return mask;
}

std::string VirtualEvdevDevice::Key(int code, int value) {
  if (!plugged_) return "the reader is unplugged";
  if (!HasKey(code)) return "the reader has no key " + std::to_string(code);
  const bool down = keysDown_[static_cast<std::size_t>(code)];
  if (value == 1 && down) return "the key is already down";
  if (value != 1 && !down) return "the key is not down";
  keysDown_[static_cast<std::size_t>(code)] = value != 0;
  Send({{EV_KEY, static_cast<std::uint16_t>(code), value}});
  return {};
}

std::string VirtualEvdevDevice::Unplug() {
  if (!plugged_) return "the reader is already unplugged";
  // As the kernel does on removal: whatever is held is released first.
  std::vector<Change> releases;
  for (std::size_t k = 0; k < keysDown_.size(); ++k) {
    if (keysDown_[k]) releases.push_back({EV_KEY, static_cast<std::uint16_t>(k), 0});
  }
  if (!releases.empty()) Send(std::move(releases), 1);
  keysDown_.reset();
  leds_.reset();  // no power, no light; and a device plugged in again starts dark
  ledEcho_.clear();
  plugged_ = false;
  return {};
}

std::string VirtualEvdevDevice::Plug() {
  if (plugged_) return "the reader is already plugged in";
  plugged_ = true;
  ++plugs_;
  return {};
}

timeval VirtualEvdevDevice::Now(const OpenFile& file) const {
  const timespec now = clock_(file.clock);
  return {now.tv_sec, now.tv_nsec / 1000};
}

input_event VirtualEvdevDevice::Event(const timeval& at, Change change) {
  input_event event{};
  event.input_event_sec = at.tv_sec;
  event.input_event_usec = at.tv_usec;
  event.type = change.type;
  event.code = change.code;
  event.value = change.value;
  return event;
}

void VirtualEvdevDevice::Push(OpenFile& file, const input_event& event) {
  file.queue.push_back(event);
  if (file.queue.size() < kQueueSize) return;
  // A reader that fell this far behind loses what it did not read, and is told so.
  const timeval at{event.input_event_sec, event.input_event_usec};
  file.queue.assign({Event(at, {EV_SYN, SYN_DROPPED, 0}), event});
}

void VirtualEvdevDevice::Send(std::vector<Change> frame, std::int32_t syncValue) {
  frame.push_back({EV_SYN, SYN_REPORT, syncValue});
  for (auto& [id, file] : files_) {
    if (!Alive(file)) continue;
    const timeval now = Now(file);
    for (const Change& change : frame) Push(file, Event(now, change));
  }
}

int VirtualEvdevDevice::SetClock(OpenFile& file, std::span<const std::uint8_t> in) {
  int clock = 0;
  if (in.size() < sizeof clock) return -EFAULT;
  std::memcpy(&clock, in.data(), sizeof clock);
  if (clock != CLOCK_REALTIME && clock != CLOCK_MONOTONIC && clock != CLOCK_BOOTTIME) {
    return -EINVAL;
  }
  if (clock != file.clock && !file.queue.empty()) {
    // Queued events carry the old clock's times: the kernel drops them and says so.
    file.clock = clock;
    file.queue.assign({Event(Now(file), {EV_SYN, SYN_DROPPED, 0})});
  }
  file.clock = clock;
  return 0;
}

}  // namespace varnel::reader
