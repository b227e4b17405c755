#include "link/linux/event_frames.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

using Kind = DeviceEvent::Kind;

input_event Event(std::uint16_t type, std::uint16_t code, std::int32_t value, long ms = 0) {
  input_event event{};
  event.input_event_sec = ms / 1000;
  event.input_event_usec = ms % 1000 * 1000 + 999;  // the sub-millisecond part is dropped
  event.type = type;
  event.code = code;
  event.value = value;
  return event;
}

std::vector<DeviceEvent> Feed(const std::vector<input_event>& events) {
  EventFrames frames;
  std::vector<DeviceEvent> out;
  for (const input_event& event : events) frames.Add(event, out);
  return out;
}

TEST(EventFrames, KeysCountOnceTheirFrameIsWhole) {
  EXPECT_EQ(
      Feed({Event(EV_MSC, MSC_SCAN, 0x70045), Event(EV_KEY, KEY_F12, 1, 1500),
            Event(EV_SYN, SYN_REPORT, 0), Event(EV_KEY, KEY_F12, 2, 1800),
            Event(EV_SYN, SYN_REPORT, 1), Event(EV_LED, LED_SCROLLL, 1),
            Event(EV_SYN, SYN_REPORT, 0), Event(EV_KEY, KEY_F12, 0, 1900),
            Event(EV_SYN, SYN_REPORT, 0), Event(EV_KEY, KEY_F12, 1, 2000)}),
      (std::vector<DeviceEvent>{{Kind::F12Down, 1500}, {Kind::Light, 0}, {Kind::F12Up, 1900}}))
      << "auto-repeat is no key, the light's change is no key either; a frame not closed is not "
         "seen";
}

TEST(EventFrames, TheKernelsOwnReleasesOtherKeysAndDropsAreToldApart) {
  EXPECT_EQ(
      Feed({Event(EV_KEY, KEY_F12, 0, 7), Event(EV_SYN, SYN_REPORT, 1), Event(EV_KEY, KEY_A, 2, 8),
            Event(EV_SYN, SYN_REPORT, 1), Event(EV_KEY, KEY_F12, 1, 9),
            Event(EV_SYN, SYN_DROPPED, 0), Event(EV_SYN, SYN_REPORT, 0)}),
      (std::vector<DeviceEvent>{{Kind::F12UpByKernel, 7}, {Kind::OtherKey, 8}, {Kind::Dropped, 0}}))
      << "the press whose frame the drop cut off is thrown away";
}

TEST(EventFrames, TimesWrapIn32BitsOfMilliseconds) {
  EXPECT_EQ(EventTick(Event(EV_KEY, KEY_F12, 1, 4'294'967'295 + 6)), Tick{5});
  EXPECT_EQ(EventTick(Event(EV_KEY, KEY_F12, 1, 2'147'483'648)), Tick{INT32_MIN});
}

}  // namespace
}  // namespace varnel
