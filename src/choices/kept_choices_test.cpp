#include "choices/kept_choices.h"

#include <gtest/gtest.h>

#include "choices/fake_choice_store.h"

namespace varnel {
namespace {

class Kept : public ::testing::Test {
 protected:
  ChoiceSay Say() {
    return [this](const std::string& line) { said.push_back(line); };
  }
  FakeChoiceStore store;
  FakeLoginStart login;
  std::vector<std::string> said;
};

TEST_F(Kept, AStoreThatCannotBeReadIsSaidOnceAndNeverStopsTheStart) {
  store.values = {{"type", "tab"}, {"type-delay", "5"}};
  store.readProblem = "it is not in the settings' format";
  EXPECT_EQ(LoadKept(store, false, Say()), (Choices{Typing::Tab, false}));
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find(store.Where()), std::string::npos) << said[0];
  EXPECT_NE(said[0].find("type-delay=5"), std::string::npos) << said[0];
}

TEST_F(Kept, RememberKeepsWhatIsGivenAndChangesNothingElse) {
  store.values = {{"take-f12", "yes"}};
  EXPECT_EQ(RememberChoices(store, login, {.typing = Typing::Tab}, Say()), 0);
  EXPECT_EQ(store.values, (KeptValues{{"take-f12", "yes"}, {"type", "tab"}}));
  EXPECT_FALSE(login.on);
  EXPECT_EQ(RememberChoices(store, login, {.startAtLogin = true}, Say()), 0);
  EXPECT_TRUE(login.on);
  EXPECT_EQ(store.values.size(), 2u);

  EXPECT_EQ(ForgetChoices(store, login, Say()), 0);
  EXPECT_TRUE(store.values.empty());
  EXPECT_FALSE(login.on) << "what was written for the login goes too";
  EXPECT_TRUE(said.empty());
}

TEST_F(Kept, AWriteThatFailsIsSaidAndEndsWithStatusOne) {
  login.failure = "Permission denied";
  EXPECT_EQ(RememberChoices(store, login, {.startAtLogin = false}, Say()), 1);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "varnel: cannot remove " + login.Where() + ": Permission denied");
  store.failure = "Read-only file system";
  EXPECT_EQ(RememberChoices(store, login, {.typing = Typing::Off}, Say()), 1);
  EXPECT_EQ(ForgetChoices(store, login, Say()), 1);
}

}  // namespace
}  // namespace varnel
