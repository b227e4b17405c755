// Runs the real calls (under Wine here). The state is read back with GetKeyState by a thread
// that owns the focused window and has taken the synthetic key events from its queue, as the
// program's own window does.
#include "light/windows/system_lock_key_port.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "light/lock_light.h"

namespace varnel {
namespace {

class WindowsLockKeyPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"lock key test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                              0, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    SetFocus(window_);
    port_ = OpenSystemLockKeyPort();
    Settle();
    modLight::SetLockKey(*port_, kVkScrollLock, modLight::kLockOff);
    Settle();
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
  }

  // Lets the queued key events arrive, which is when the thread's key state follows them.
  void Settle() {
    for (int i = 0; i < 20; ++i) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
  }

  bool ScrollLockOn() { return (GetKeyState(VK_SCROLL) & 1) != 0; }

  HWND window_ = nullptr;
  std::unique_ptr<LockKeyPort> port_;
};

TEST_F(WindowsLockKeyPortTest, TheInputRecordIsTheNativeSize) {
  EXPECT_EQ(sizeof(INPUT), 40u) << "x64 layout";
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = VK_SCROLL;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  EXPECT_EQ(SendInput(2, inputs, 28), 0u) << "the 32-bit size must be refused here";
  EXPECT_EQ(SendInput(2, inputs, sizeof(INPUT)), 2u);
  Settle();
}

TEST_F(WindowsLockKeyPortTest, OnOffAndToggleAreReadBackWithGetKeyState) {
  ASSERT_FALSE(ScrollLockOn());
  // Each wanted state, and the light that GetKeyState reports after it; asking for the state
  // the light already has sends nothing, so it stays.
  const std::pair<std::int32_t, bool> steps[] = {
      {modLight::kLockOn, true},   {modLight::kLockOn, true},     {modLight::kLockToggle, false},
      {modLight::kLockOff, false}, {modLight::kLockToggle, true}, {modLight::kLockOff, false},
  };
  for (const auto& [wanted, on] : steps) {
    modLight::SetLockKey(*port_, kVkScrollLock, wanted);
    Settle();
    EXPECT_EQ(ScrollLockOn(), on) << "after asking for " << wanted;
  }
}

}  // namespace
}  // namespace varnel
