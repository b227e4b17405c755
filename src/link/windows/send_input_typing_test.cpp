// The input records a code is typed with, and the real call (under Wine here) into a window of
// the test's own in front, which reads the characters it gets as WM_CHAR.
#include "link/windows/send_input_typing.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel {
namespace {

TEST(TypingInputs, DigitsAsUnicodeCharactersThenTheEndAsItsKey) {
  const std::vector<INPUT> inputs = TypingInputs("165", TypeEnd::Enter);
  ASSERT_EQ(inputs.size(), 8u);
  const wchar_t digits[] = L"165";
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(inputs[i].type, static_cast<DWORD>(INPUT_KEYBOARD));
    EXPECT_EQ(inputs[i].ki.wVk, 0);
    EXPECT_EQ(inputs[i].ki.wScan, digits[i / 2]);
    EXPECT_EQ(inputs[i].ki.dwFlags,
              static_cast<DWORD>(KEYEVENTF_UNICODE | (i % 2 ? KEYEVENTF_KEYUP : 0)));
  }
  for (const INPUT& input : inputs) EXPECT_EQ(input.ki.dwExtraInfo, kTypedKeyMark);
  EXPECT_EQ(inputs[6].ki.wVk, VK_RETURN);
  EXPECT_EQ(inputs[6].ki.dwFlags, 0u);
  EXPECT_EQ(inputs[7].ki.wVk, VK_RETURN);
  EXPECT_EQ(inputs[7].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_KEYUP));
}

TEST(TypingInputs, TabOrNothingAfterTheDigits) {
  const std::vector<INPUT> tab = TypingInputs("7", TypeEnd::Tab);
  ASSERT_EQ(tab.size(), 4u);
  EXPECT_EQ(tab[2].ki.wVk, VK_TAB);
  EXPECT_EQ(tab[3].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_KEYUP));
  const std::vector<INPUT> none = TypingInputs("255", TypeEnd::None);
  ASSERT_EQ(none.size(), 6u);
  EXPECT_EQ(none.back().ki.dwFlags, static_cast<DWORD>(KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
}

// A window that keeps the characters it gets.
class TypedInto : public ::testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
      reinterpret_cast<std::wstring*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))
          ->push_back(static_cast<wchar_t>(wParam));
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"typed-into";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, L"typed-into", L"typed into", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                              0, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&got_));
    SetForegroundWindow(window_);
    SetFocus(window_);
    Pump(std::wstring::npos);
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
  }
  // Handles the window's messages until it has `count` characters, or for a second at most.
  void Pump(std::size_t count) {
    for (int i = 0; i < 100 && got_.size() < count; ++i) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
  }

  HWND window_ = nullptr;
  std::wstring got_;
  std::unique_ptr<TypingPort> port_ = OpenSendInputTyping();
};

TEST_F(TypedInto, ACodeArrivesAsItsCharactersAndEnterThenTab) {
  EXPECT_TRUE(port_->OwnWindowInFront()) << "the test's own window is in front";
  EXPECT_FALSE(port_->ModifierHeld());
  std::string problem;
  ASSERT_TRUE(port_->Type("165", TypeEnd::Enter, problem)) << problem;
  Pump(4);
  EXPECT_EQ(got_, L"165\r");
  ASSERT_TRUE(port_->Type("7", TypeEnd::Tab, problem)) << problem;
  ASSERT_TRUE(port_->Type("42", TypeEnd::None, problem)) << problem;
  Pump(8);
  EXPECT_EQ(got_, L"165\r7\t42");
}

}  // namespace
}  // namespace varnel
