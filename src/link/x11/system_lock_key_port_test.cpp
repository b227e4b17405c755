// Runs against a private X server: the light is read back through a connection of its own, as
// any other client (or the keyboard) sees it.
#include "link/lock_key_port.h"

#include <gtest/gtest.h>

#include "link/lock_light.h"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace varnel {
namespace {

class X11LockKeyPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    observer_ = XOpenDisplay(nullptr);
    ASSERT_NE(observer_, nullptr) << "needs an X display";
    port_ = OpenSystemLockKeyPort();
    ASSERT_NE(port_, nullptr);
  }
  void TearDown() override {
    port_.reset();
    if (observer_) XCloseDisplay(observer_);
  }

  bool ScrollLockSeenByAnotherClient() {
    Bool on = False;
    const Atom name = XInternAtom(observer_, "Scroll Lock", False);
    EXPECT_TRUE(XkbGetNamedIndicator(observer_, name, nullptr, &on, nullptr, nullptr));
    return on;
  }

  Display* observer_ = nullptr;
  std::unique_ptr<LockKeyPort> port_;
};

TEST_F(X11LockKeyPortTest, OnOffAndToggleReachTheServersIndicator) {
  ASSERT_FALSE(ScrollLockSeenByAnotherClient());
  modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockOn);
  EXPECT_TRUE(ScrollLockSeenByAnotherClient());
  EXPECT_EQ(modStd::GetLockState(*port_, kVkScrollLock), 1);

  modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockOn);  // already on: stays on
  EXPECT_TRUE(ScrollLockSeenByAnotherClient());

  modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockToggle);
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
  modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockToggle);
  EXPECT_TRUE(ScrollLockSeenByAnotherClient());

  modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockOff);
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
  EXPECT_EQ(modStd::GetLockState(*port_, kVkScrollLock), 0);
}

TEST_F(X11LockKeyPortTest, TheLightGoesOffWhenThePortCloses) {
  modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockOn);
  ASSERT_TRUE(ScrollLockSeenByAnotherClient());
  port_.reset();
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
}

TEST_F(X11LockKeyPortTest, KeysWithoutAnIndicatorReadOffAndSendNothing) {
  EXPECT_EQ(port_->KeyState(123), 0);
  port_->SendPress(modLight::PressRecords(123));
  EXPECT_FALSE(ScrollLockSeenByAnotherClient());
}

}  // namespace
}  // namespace varnel
