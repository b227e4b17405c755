// The input records a code is typed with; the real call into a program in front is tried end to
// end under Wine.
#include "output/windows/send_input_typing.h"

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

TEST(TypingBar, OnlyTheUsersOwnDesktopWithAWindowOfNoMoreRightsInFront) {
  const DWORD medium = SECURITY_MANDATORY_MEDIUM_RID, high = SECURITY_MANDATORY_HIGH_RID;
  EXPECT_EQ(TypingBar(L"Default", medium, medium), std::nullopt);
  EXPECT_EQ(TypingBar(L"default", SECURITY_MANDATORY_LOW_RID, medium), std::nullopt);
  EXPECT_EQ(TypingBar(L"Default", high, high), std::nullopt);
  EXPECT_EQ(TypingBar(L"Default", high, medium), Untyped::Elevated);
  EXPECT_EQ(TypingBar(L"Default", std::nullopt, medium), Untyped::Elevated);
  EXPECT_EQ(TypingBar(L"Winlogon", medium, medium), Untyped::Locked);
  EXPECT_EQ(TypingBar(std::nullopt, medium, medium), Untyped::Locked);
}

}  // namespace
}  // namespace varnel
