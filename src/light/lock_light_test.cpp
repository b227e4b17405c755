#include "light/lock_light.h"

#include <gtest/gtest.h>

#include "light/fake_lock_key_port.h"

namespace varnel {
namespace {

TEST(SetLockKey, SendsAPressOnlyWhenTheStateDiffers) {
  struct Case {
    bool initiallyOn;
    std::int32_t wanted;
    std::size_t presses;
    bool finallyOn;
  };
  const Case cases[] = {
      {false, modLight::kLockOn, 1, true},     {true, modLight::kLockOn, 0, true},
      {true, modLight::kLockOff, 1, false},    {false, modLight::kLockOff, 0, false},
      {false, modLight::kLockToggle, 1, true}, {true, modLight::kLockToggle, 1, false},
  };
  for (const Case& c : cases) {
    FakeLockKeyPort port;
    port.SetOn(c.initiallyOn);
    modLight::SetLockKey(port, kVkScrollLock, c.wanted);
    EXPECT_EQ(port.sent.size(), c.presses) << "from " << c.initiallyOn << " wanting " << c.wanted;
    EXPECT_EQ(port.IsOn(), c.finallyOn) << "from " << c.initiallyOn << " wanting " << c.wanted;
  }
}

TEST(SetLockKey, APressIsAKeyDownThenAKeyUpOfTheSameKey) {
  FakeLockKeyPort port;
  modLight::SetLockKey(port, kVkScrollLock, modLight::kLockToggle);
  ASSERT_EQ(port.sent.size(), 1u);
  const KeyPressRecords& press = port.sent[0];
  for (const KeyboardRecord& r : press) {
    EXPECT_EQ(r.virtualKey, kVkScrollLock);
    EXPECT_EQ(r.scanCode, 0);
    EXPECT_EQ(r.time, 0u);
    EXPECT_EQ(r.extraInfo, 0u);
  }
  EXPECT_EQ(press[0].flags, 0u);
  EXPECT_EQ(press[1].flags, kKeyEventKeyUp);
}

TEST(SetLockKey, OnlyTheToggleBitOfTheStateWordCounts) {
  FakeLockKeyPort port;  // reports 0x7F00: high bits set, toggle off
  EXPECT_EQ(modStd::GetLockState(port, kVkScrollLock), 0);
  modLight::SetLockKey(port, kVkScrollLock, modLight::kLockOff);
  EXPECT_TRUE(port.sent.empty());
}

TEST(SetLockKey, TheKeyIsNarrowedToSixteenBits) {
  FakeLockKeyPort port;
  modLight::SetLockKey(port, 0x10000 + kVkScrollLock, modLight::kLockToggle);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0][0].virtualKey, kVkScrollLock);
}

}  // namespace
}  // namespace varnel
