// The window's menu of the kept choices: what it shows, and a choice taking effect at once and
// kept, as a shell hands it back.
#include "ui/choices_menu.h"

#include <gtest/gtest.h>

#include "choices/fake_choice_store.h"

namespace varnel {
namespace {

struct Keyboard final : TypingPort {
  bool OwnWindowInFront() override { return false; }
  bool ModifierHeld() override { return false; }
  bool Type(std::string_view, TypeEnd, std::int32_t, TypingFailure&) override { return true; }
};

class Menu : public ::testing::Test {
 protected:
  ChoicesMenu::Effects Effects(TypingPort* typing) {
    return {.outlet = outlet,
            .typing = typing,
            .typingUnavailable = kTypingOnWaylandTip,
            .say = [this](const std::string& line) { said.push_back(line); }};
  }
  // The typing submenu's entry that is checked.
  static std::string Checked(const MenuItem& submenu) {
    for (const MenuItem& item : submenu.items) {
      if (item.checked) return item.text;
    }
    return {};
  }

  FakeChoiceStore store;
  FakeLoginStart login;
  CodeOutlet outlet;
  Keyboard keyboard;
  std::vector<std::string> said;
};

TEST_F(Menu, ShowsTheChoicesInForceAndTurnsTypingOnAtOnceAndKeepsIt) {
  ChoicesMenu menu(store, login, {Typing::Tab, false}, Effects(&keyboard));
  menu.Start();
  EXPECT_TRUE(outlet.Types());
  std::vector<MenuItem> items = menu.Items();
  ASSERT_EQ(items.size(), 2u) << "no F12 entry where it is not offered";
  EXPECT_EQ(items[0].text, kTypingMenuText);
  EXPECT_EQ(Checked(items[0]), "Sì, seguiti da Tab");
  EXPECT_EQ(items[1].text, kStartAtLoginMenuText);
  EXPECT_FALSE(items[1].checked);

  menu.Choose(ChoiceEntry::TypeOff);
  EXPECT_FALSE(outlet.Types());
  EXPECT_EQ(store.values, (KeptValues{{"type", "off"}}));
  menu.Choose(ChoiceEntry::TypeEnter);
  EXPECT_TRUE(outlet.Types());
  EXPECT_EQ(Checked(menu.Items()[0]), "Sì, seguiti da Invio");
  EXPECT_EQ(store.values, (KeptValues{{"type", "enter"}}));

  menu.Choose(ChoiceEntry::StartAtLogin);
  EXPECT_TRUE(login.on && menu.Items()[1].checked);
}

TEST_F(Menu, WhereTypingCannotWorkItsEntryIsDisabledAndSaysWhy) {
  ChoicesMenu menu(store, login, {Typing::Enter, false}, Effects(nullptr));
  menu.Start();
  const MenuItem typing = menu.Items()[0];
  EXPECT_FALSE(typing.enabled);
  EXPECT_EQ(typing.toolTip, kTypingOnWaylandTip);
  menu.Choose(ChoiceEntry::TypeTab);
  EXPECT_FALSE(outlet.Types());
  EXPECT_TRUE(store.values.empty()) << "nothing chosen, nothing kept";
}

TEST_F(Menu, KeepingF12FromTheOthersIsOfferedWhereItCanBeAndTakesEffectAtOnce) {
  std::vector<bool> taken;
  ChoicesMenu::Effects effects = Effects(&keyboard);
  effects.takeF12 = [&taken](bool take) { taken.push_back(take); };
  ChoicesMenu menu(store, login, {}, effects);
  ASSERT_EQ(menu.Items().size(), 3u);
  EXPECT_EQ(menu.Items()[1].text, kTakeF12MenuText);
  menu.Choose(ChoiceEntry::TakeF12);
  EXPECT_EQ(taken, std::vector<bool>{true});
  EXPECT_EQ(store.values, (KeptValues{{"take-f12", "yes"}}));

  store.failure = "Access is denied (error 5)";
  menu.Choose(ChoiceEntry::TakeF12);
  EXPECT_EQ(taken, (std::vector<bool>{true, false})) << "in force even if it cannot be kept";
  EXPECT_EQ(said, std::vector<std::string>{"varnel: cannot keep the choice in " + store.Where() +
                                           ": Access is denied (error 5)"});
}

}  // namespace
}  // namespace varnel
