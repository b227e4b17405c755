#include "link/light_router.h"

#include <gtest/gtest.h>

#include "link/fake_lock_key_port.h"
#include "link/lock_light.h"

namespace varnel {
namespace {

class LightRouterTest : public ::testing::Test {
 protected:
  void Set(std::int32_t wanted) { modLight::SetLockKey(router, kVkScrollLock, wanted); }

  FakeLockKeyPort desktop;
  FakeLockKeyPort device;
  LightRouter router{&desktop, device};
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
  EXPECT_EQ(desktop.sent.size(), 2u) << "one press on, one press off: nothing more";
  Set(modLight::kLockToggle);

  router.Route(LightPath::Nowhere);
  EXPECT_FALSE(device.IsOn());
  EXPECT_EQ(router.KeyState(kVkScrollLock) & 1, 1) << "nowhere still keeps the state";
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
  EXPECT_TRUE(desktop.sent.empty());
}

}  // namespace
}  // namespace varnel
