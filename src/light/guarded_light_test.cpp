#include "light/guarded_light.h"

#include <gtest/gtest.h>

#include "light/fake_light.h"
#include "light/light_key.h"
#include "light/lock_light.h"

namespace varnel {
namespace {

struct HeardGuard : LightGuard {
  void Tell(const LitLights& lit) override { heard.push_back(lit); }
  bool SetsLightsOff() const override { return setsOff; }
  std::vector<LitLights> heard;
  bool setsOff = true;
};

// What the guard had heard when each change reached the light.
struct SetWatch : FakeLight {
  explicit SetWatch(const HeardGuard& guard) : guard_(guard) {}
  void Set(bool on) override {
    heardAtPress.push_back(guard_.heard.size());
    FakeLight::Set(on);
  }
  std::vector<std::size_t> heardAtPress;

 private:
  const HeardGuard& guard_;
};

const LitLights kIndicator{true, {}};
const LitLights kReader{false, {"/dev/input/event17"}};

TEST(GuardedLight, TheGuardHearsWhatTheProgramLitAndWhereItMoved) {
  FakeLight port;
  HeardGuard guard;
  GuardedLight light(port, guard, kIndicator);
  LightKey key(light);
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOn);
  light.MoveTo(kReader);  // the direct link came up during the display
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockToggle);
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockToggle);
  light.MoveTo(kReader);
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOff);
  EXPECT_EQ(guard.heard, (std::vector<LitLights>{kIndicator, kReader, {}, kReader, {}}));
}

TEST(GuardedLight, AKillBetweenPressAndWordLeavesTheGuardianWrongOnlyOnTheSafeSide) {
  for (bool setsOff : {true, false}) {
    HeardGuard guard;
    guard.setsOff = setsOff;
    SetWatch port(guard);
    GuardedLight light(port, guard, kIndicator);
    LightKey key(light);
    modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOn);
    modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOff);
    // Setting off: told of the light before it goes on, of its end after. Pressing: the reverse.
    EXPECT_EQ(port.heardAtPress,
              (setsOff ? std::vector<std::size_t>{1, 1} : std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(guard.heard, (std::vector<LitLights>{kIndicator, {}}));
  }
}

TEST(GuardedLight, ALightTheDesktopLitIsNotTheProgramsToPutOut) {
  FakeLight port;
  port.SetOn(true);
  HeardGuard guard;
  GuardedLight light(port, guard, kIndicator);
  LightKey key(light, port.IsOn());  // the key starts from what the desktop's light shows
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOn);  // already on: nothing set
  light.MoveTo(kIndicator);
  EXPECT_TRUE(guard.heard.empty());
}

TEST(LitLights, OneLineEachWayWithNoPathThatWouldBreakIt) {
  const LitLights lit{true, {"/dev/input/event17", "/tmp/x y/event3"}};
  EXPECT_EQ(LitLightsLine(lit), "indicator\tdevice /dev/input/event17\tdevice /tmp/x y/event3\n");
  EXPECT_EQ(ParseLitLightsLine(LitLightsLine(lit)), lit);
  EXPECT_EQ(LitLightsLine({false, {"/a\nindicator"}}), "\n");
  EXPECT_EQ(ParseLitLightsLine("\n"), LitLights{});
}

}  // namespace
}  // namespace varnel
