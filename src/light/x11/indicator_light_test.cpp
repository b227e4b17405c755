// Runs against a private X server: the light is read back through a connection of its own, as
// any other client (or the keyboard) sees it.
#include "light/x11/indicator_light.h"

#include <gtest/gtest.h>

#include "light/light_key.h"
#include "light/lock_light.h"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace varnel {
namespace {

class IndicatorLightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    observer_ = XOpenDisplay(nullptr);
    ASSERT_NE(observer_, nullptr) << "needs an X display";
    light_ = OpenIndicatorLight();
    ASSERT_NE(light_, nullptr);
    key_ = std::make_unique<LightKey>(*light_);
  }
  void TearDown() override {
    key_.reset();
    light_.reset();
    if (observer_) XCloseDisplay(observer_);
  }

  bool ScrollLockSeenByAnotherClient() {
    Bool on = False;
    const Atom name = XInternAtom(observer_, "Scroll Lock", False);
    EXPECT_TRUE(XkbGetNamedIndicator(observer_, name, nullptr, &on, nullptr, nullptr));
    return on;
  }

  Display* observer_ = nullptr;
  std::unique_ptr<IndicatorLight> light_;
  std::unique_ptr<LightKey> key_;
};

TEST_F(IndicatorLightTest, OnOffAndToggleReachTheServersIndicator) {
  ASSERT_FALSE(ScrollLockSeenByAnotherClient());
  modLight::SetLockKey(*key_, kVkScrollLock, modLight::kLockOn);
  EXPECT_TRUE(ScrollLockSeenByAnotherClient());
  EXPECT_EQ(modStd::GetLockState(*key_, kVkScrollLock), 1);

  modLight::SetLockKey(*key_, kVkScrollLock, modLight::kLockOn);  // already on: stays on
  EXPECT_TRUE(ScrollLockSeenByAnotherClient());

  modLight::SetLockKey(*key_, kVkScrollLock, modLight::kLockToggle);
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
  modLight::SetLockKey(*key_, kVkScrollLock, modLight::kLockToggle);
  EXPECT_TRUE(ScrollLockSeenByAnotherClient());

  modLight::SetLockKey(*key_, kVkScrollLock, modLight::kLockOff);
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
  EXPECT_EQ(modStd::GetLockState(*key_, kVkScrollLock), 0);
}

TEST_F(IndicatorLightTest, TheLightGoesOffWhenItCloses) {
  light_->Set(true);
  ASSERT_TRUE(ScrollLockSeenByAnotherClient());
  key_.reset();
  light_.reset();
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
}

TEST_F(IndicatorLightTest, KeysWithoutAnIndicatorReadOffAndSendNothing) {
  EXPECT_EQ(key_->KeyState(123), 0);
  key_->SendPress(modLight::PressRecords(123));
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
}

}  // namespace
}  // namespace varnel
