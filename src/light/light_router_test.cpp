#include "light/light_router.h"

#include <gtest/gtest.h>

#include "light/fake_light.h"
#include "light/light_key.h"
#include "light/lock_light.h"

namespace varnel {
namespace {

class LightRouterTest : public ::testing::Test {
 protected:
  void Set(std::int32_t wanted) { modLight::SetLockKey(key, kVkScrollLock, wanted); }

  FakeLight desktop;
  FakeLight device;
  LightRouter router{&desktop, device};
  LightKey key{router};
};

TEST_F(LightRouterTest, ALitLightMovesWithThePathAndLeavesTheOldOneOff) {
  router.Route(LightPath::Window);
  Set(modLight::kLockOn);
  EXPECT_TRUE(desktop.IsOn());

  router.Route(LightPath::Device);
  EXPECT_FALSE(desktop.IsOn()) << "what the program lit goes off on the old path";
  EXPECT_TRUE(device.IsOn()) << "the display in progress carries on with the new light";
  Set(modLight::kLockToggle);  // a blink, now on the device alone
  EXPECT_FALSE(device.IsOn());
  EXPECT_EQ(desktop.sets.size(), 2u) << "set on once, off once: nothing more";
  Set(modLight::kLockToggle);

  router.Route(LightPath::Nowhere);
  EXPECT_FALSE(device.IsOn());
  EXPECT_TRUE(router.On()) << "nowhere still keeps the state";
  router.Route(LightPath::Window);
  EXPECT_TRUE(desktop.IsOn());
}

TEST_F(LightRouterTest, TheDesktopsOwnScrollLockIsLeftAloneAndTheDevicesIsTheProgramsOwn) {
  router.Route(LightPath::Window);
  desktop.SetOn(true);  // the user's own Scroll Lock
  device.SetOn(true);   // left on by whoever used the reader before
  router.Route(LightPath::Device);
  EXPECT_TRUE(desktop.IsOn());
  EXPECT_FALSE(device.IsOn()) << "the reader must not be told \"good\" by an old light";
  router.Route(LightPath::Window);
  EXPECT_TRUE(desktop.IsOn());
  EXPECT_TRUE(desktop.sets.empty());
}

}  // namespace
}  // namespace varnel
