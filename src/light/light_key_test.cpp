#include "light/light_key.h"

#include <gtest/gtest.h>

#include "light/fake_light.h"
#include "light/lock_light.h"

namespace varnel {
namespace {

TEST(LightKey, EachWantedStateReachesTheLightOnceAndOnlyWhenItChanges) {
  FakeLight light;
  LightKey key(light);
  for (std::int32_t wanted : {modLight::kLockOn, modLight::kLockOn, modLight::kLockToggle,
                              modLight::kLockOff, modLight::kLockToggle, modLight::kLockOff}) {
    modLight::SetLockKey(key, kVkScrollLock, wanted);
  }
  EXPECT_EQ(light.sets, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(modStd::GetLockState(key, kVkScrollLock), 0);
}

TEST(LightKey, ALightOnAsTheKeyIsTakenIsNotSetAgain) {
  FakeLight light;
  LightKey key(light, true);
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOn);
  EXPECT_TRUE(light.sets.empty());
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOff);
  EXPECT_EQ(light.sets, std::vector<bool>{false});
}

TEST(LightKey, OnlyAScrollLockKeyDownTurnsTheLightOver) {
  FakeLight light;
  LightKey key(light);
  key.SendPress(modLight::PressRecords(123));
  KeyPressRecords ups = modLight::PressRecords(kVkScrollLock);
  ups[0].flags = kKeyEventKeyUp;
  key.SendPress(ups);
  EXPECT_TRUE(light.sets.empty());
  EXPECT_EQ(key.KeyState(123), 0);
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOn);
  EXPECT_EQ(key.KeyState(123), 0) << "a key without a light reads off";
}

}  // namespace
}  // namespace varnel
