#include "light/windows/scroll_lock_light.h"

#include <gtest/gtest.h>

#include "light/fake_lock_key_port.h"

namespace varnel {
namespace {

TEST(ScrollLockLight, AStateBecomesAPressOnlyWhereTheSystemsDiffers) {
  FakeLockKeyPort keys;
  ScrollLockLight light(keys);
  light.Set(false);
  EXPECT_TRUE(keys.sent.empty());
  light.Set(true);
  EXPECT_TRUE(keys.IsOn());
  keys.SetOn(false);  // the user's own Scroll Lock key
  EXPECT_FALSE(light.On());
  light.Set(false);
  EXPECT_EQ(keys.sent.size(), 1u);
  light.Set(true);
  light.Set(false);
  EXPECT_EQ(keys.sent.size(), 3u);
  EXPECT_FALSE(light.On());
}

}  // namespace
}  // namespace varnel
