#include "reader/virtual_evdev_device.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <cerrno>
#include <cstring>

namespace varnel::reader {
namespace {

constexpr time_t kRealtimeSec = 1'700'000'000;
constexpr time_t kMonotonicSec = 100;

class VirtualEvdevDeviceTest : public testing::Test {
 protected:
  // Each clock reads apart from the others, and every reading is a millisecond later.
  long readings_ = 0;
  VirtualEvdevDevice device_{[this](clockid_t clock) {
    ++readings_;
    return timespec{clock == CLOCK_MONOTONIC ? kMonotonicSec : kRealtimeSec, readings_ * 1'000'000};
  }};

  OpenFileId Open() {
    OpenFileId id = 0;
    EXPECT_EQ(device_.Open(id), 0);
    return id;
  }
  std::vector<input_event> ReadAll(OpenFileId id) {
    std::vector<input_event> events;
    device_.Read(id, 100 * sizeof(input_event), events);
    return events;
  }
  int Ioctl(OpenFileId id, unsigned cmd, std::vector<std::uint8_t>& out,
            std::vector<std::uint8_t> in = {}) {
    return device_.Ioctl(id, cmd, in, _IOC_SIZE(cmd), out);
  }
  void UseMonotonic(OpenFileId id) {
    std::vector<std::uint8_t> out;
    const int clock = CLOCK_MONOTONIC;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&clock);
    ASSERT_EQ(Ioctl(id, EVIOCSCLOCKID, out, {bytes, bytes + sizeof clock}), 0);
  }
  int WriteLed(OpenFileId id, int value) {
    input_event events[2] = {{{}, EV_LED, LED_SCROLLL, value}, {{}, EV_SYN, SYN_REPORT, 0}};
    return device_.Write(id, {reinterpret_cast<const std::uint8_t*>(events), sizeof events});
  }
  static bool Bit(const std::vector<std::uint8_t>& bits, int n) {
    return static_cast<std::size_t>(n / 8) < bits.size() && (bits[n / 8] >> (n % 8)) & 1;
  }
};

struct Seen {
  int type, code, value;
  bool operator==(const Seen&) const = default;
};
std::vector<Seen> Of(const std::vector<input_event>& events) {
  std::vector<Seen> seen;
  for (const input_event& e : events) seen.push_back({e.type, e.code, e.value});
  return seen;
}
const Seen kSyn{EV_SYN, SYN_REPORT, 0};

TEST_F(VirtualEvdevDeviceTest, ShowsTheReadersIdentityAndAKeyboardsKeysAndLights) {
  const OpenFileId file = Open();
  std::vector<std::uint8_t> out;
  ASSERT_EQ(Ioctl(file, EVIOCGID, out), 0);
  input_id id{};
  std::memcpy(&id, out.data(), sizeof id);
  EXPECT_EQ(id.bustype, BUS_USB);
  EXPECT_EQ(id.vendor, 0x04d9);
  EXPECT_EQ(id.product, 0x1603);
  EXPECT_EQ(Ioctl(file, EVIOCGNAME(8), out), 8);  // cut to the caller's buffer, as the kernel does
  EXPECT_EQ(std::string(out.begin(), out.end()), "HOLTEK U");

  ASSERT_EQ(Ioctl(file, EVIOCGBIT(0, EV_MAX / 8 + 1), out), 4);
  for (int type : {EV_SYN, EV_KEY, EV_MSC, EV_LED, EV_REP}) EXPECT_TRUE(Bit(out, type)) << type;
  EXPECT_FALSE(Bit(out, EV_REL));
  ASSERT_EQ(Ioctl(file, EVIOCGBIT(EV_KEY, KEY_MAX / 8 + 1), out), 96);
  EXPECT_TRUE(Bit(out, KEY_F12) && Bit(out, KEY_A) && Bit(out, KEY_ENTER));
  EXPECT_FALSE(Bit(out, BTN_LEFT));
  ASSERT_EQ(Ioctl(file, EVIOCGBIT(EV_LED, LED_MAX / 8 + 1), out), 2);
  EXPECT_TRUE(Bit(out, LED_SCROLLL));
  EXPECT_EQ(Ioctl(file, EVIOCGBIT(EV_REP, 8), out), -EINVAL);  // as evdev answers it
  EXPECT_EQ(Ioctl(file, EVIOCGABS(ABS_X), out), -EINVAL);

  // The list says the same: its entry, its node, the F12 and A bits of its keys.
  const std::string list = device_.DeviceList();
  EXPECT_NE(list.find("I: Bus=0003 Vendor=04d9 Product=1603 Version=0110\n"), std::string::npos);
  EXPECT_NE(list.find("/1-2:1.0/0003:04D9:1603.0001/input/input17\n"), std::string::npos);
  EXPECT_NE(list.find("H: Handlers=sysrq kbd leds event17 \n"), std::string::npos);
  const std::size_t keys = list.find("B: KEY=", list.find("Vendor=04d9"));
  unsigned long long high = 0, low = 0;
  ASSERT_EQ(std::sscanf(list.c_str() + keys, "B: KEY=%llx %llx\n", &high, &low), 2);
  EXPECT_TRUE((high >> (KEY_F12 - 64)) & 1);
  EXPECT_TRUE((low >> KEY_A) & 1);
  EXPECT_EQ(device_.NodeName(), "event17");
}

TEST_F(VirtualEvdevDeviceTest, KeysReachEveryOpenFileStampedOnTheClockItAskedFor) {
  const OpenFileId realtime = Open();
  const OpenFileId monotonic = Open();
  UseMonotonic(monotonic);
  std::vector<input_event> events;
  EXPECT_EQ(device_.Read(realtime, sizeof(input_event), events), -EAGAIN);

  EXPECT_EQ(device_.Key(KEY_F12, 1), "");
  const std::vector<input_event> got = ReadAll(monotonic);
  EXPECT_EQ(Of(got), (std::vector<Seen>{{EV_KEY, KEY_F12, 1}, kSyn}));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].input_event_sec, kMonotonicSec);
  EXPECT_EQ(got[1].input_event_usec, got[0].input_event_usec);  // one frame, one time
  EXPECT_EQ(device_.PollMask(realtime) & POLLIN, POLLIN);
  EXPECT_EQ(device_.Read(realtime, sizeof(input_event) + 10, events),
            static_cast<int>(sizeof(input_event)));  // whole events only
  EXPECT_EQ(events[0].input_event_sec, kRealtimeSec);
  EXPECT_EQ(device_.Read(realtime, 10, events), -EINVAL);

  std::vector<std::uint8_t> down;
  Ioctl(realtime, EVIOCGKEY(KEY_MAX / 8 + 1), down);
  EXPECT_TRUE(Bit(down, KEY_F12));
  EXPECT_EQ(device_.Key(KEY_F12, 2), "");
  EXPECT_EQ(device_.Key(KEY_F12, 1), "the key is already down");
  EXPECT_EQ(device_.Key(KEY_F12, 0), "");
  EXPECT_EQ(device_.Key(KEY_F12, 0), "the key is not down");
  EXPECT_EQ(device_.Key(KEY_F12, 2), "the key is not down");
  EXPECT_NE(device_.Key(BTN_LEFT, 1), "");

  // Switching clocks drops what was queued on the old one, and says so.
  UseMonotonic(realtime);
  EXPECT_EQ(Of(ReadAll(realtime)), (std::vector<Seen>{{EV_SYN, SYN_DROPPED, 0}}));
  std::vector<std::uint8_t> out;
  const int bogus = 77;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&bogus);
  EXPECT_EQ(Ioctl(realtime, EVIOCSCLOCKID, out, {bytes, bytes + sizeof bogus}), -EINVAL);
}

TEST_F(VirtualEvdevDeviceTest, AReaderThatFallsBehindLosesTheQueueAndIsToldSo) {
  const OpenFileId file = Open();
  for (int i = 0; i < 20; ++i) {
    device_.Key(KEY_F12, 1);
    device_.Key(KEY_F12, 0);
  }
  const std::vector<Seen> seen = Of(ReadAll(file));
  ASSERT_GE(seen.size(), 3u);
  EXPECT_LT(seen.size(), 64u);
  EXPECT_EQ(seen.front(), (Seen{EV_SYN, SYN_DROPPED, 0}));
  EXPECT_EQ(std::vector<Seen>(seen.end() - 2, seen.end()),
            (std::vector<Seen>{{EV_KEY, KEY_F12, 0}, kSyn}));
}

TEST_F(VirtualEvdevDeviceTest, AWrittenLightIsEchoedToEveryReaderAndOutlivesItsUsers) {
  const OpenFileId writer = Open();
  const OpenFileId other = Open();
  EXPECT_EQ(WriteLed(writer, 1), static_cast<int>(2 * sizeof(input_event)));
  EXPECT_TRUE(device_.ScrollLock());
  for (OpenFileId file : {writer, other}) {
    EXPECT_EQ(Of(ReadAll(file)), (std::vector<Seen>{{EV_LED, LED_SCROLLL, 1}, kSyn}));
  }
  WriteLed(writer, 1);  // no change, nothing to tell
  EXPECT_TRUE(ReadAll(other).empty());
  EXPECT_EQ(device_.Write(writer, std::vector<std::uint8_t>(10)), -EINVAL);

  device_.Close(writer);
  device_.Close(other);
  std::vector<std::uint8_t> leds;
  EXPECT_EQ(Ioctl(Open(), EVIOCGLED(LED_MAX / 8 + 1), leds), 2);
  EXPECT_TRUE(Bit(leds, LED_SCROLLL));
}

TEST_F(VirtualEvdevDeviceTest, UnplugReleasesTheHeldKeyThenTheDeviceIsGoneUntilPluggedAgain) {
  const OpenFileId file = Open();
  WriteLed(file, 1);
  device_.Key(KEY_F12, 1);
  ReadAll(file);
  EXPECT_EQ(device_.Unplug(), "");
  EXPECT_FALSE(device_.ScrollLock());  // no power, no light
  EXPECT_EQ(device_.PollMask(file) & (POLLIN | POLLHUP), POLLIN | POLLHUP);
  // The kernel queued the releases it made up on removal, but a read answers ENODEV first.
  std::vector<input_event> events;
  EXPECT_EQ(device_.Read(file, sizeof(input_event), events), -ENODEV);
  std::vector<std::uint8_t> out;
  EXPECT_EQ(Ioctl(file, EVIOCGID, out), -ENODEV);
  EXPECT_EQ(WriteLed(file, 1), -ENODEV);
  OpenFileId id = 0;
  EXPECT_EQ(device_.Open(id), -ENOENT);
  EXPECT_EQ(device_.Key(KEY_F12, 1), "the reader is unplugged");
  EXPECT_EQ(device_.DeviceList().find("04d9"), std::string::npos);
  EXPECT_NE(device_.Unplug(), "");

  EXPECT_EQ(device_.Plug(), "");
  EXPECT_EQ(device_.NodeName(), "event18");
  EXPECT_NE(device_.DeviceList().find("1603.0002/input/input18\n"), std::string::npos);
  const OpenFileId fresh = Open();
  device_.Key(KEY_F12, 1);
  EXPECT_EQ(ReadAll(fresh).size(), 2u);
  EXPECT_EQ(device_.Read(file, sizeof(input_event), events), -ENODEV);  // the old file stays dead

  device_.SetDenied(true);
  EXPECT_EQ(device_.Open(id), -EACCES);
  device_.SetDenied(false);
  EXPECT_EQ(device_.Open(id), 0);
}

}  // namespace
}  // namespace varnel::reader
