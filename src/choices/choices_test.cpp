#include "choices/choices.h"

#include <gtest/gtest.h>

#include "choices/login_start.h"

namespace varnel {
namespace {

TEST(KeptChoices, EachValueVarnelDoesNotKnowIsIgnoredOnItsOwn) {
  const KeptRead read =
      ReadKept({{"type", "sideways"}, {"take-f12", "yes"}, {"colour", "red"}}, true);
  EXPECT_EQ(read.choices, (Choices{Typing::Off, true})) << "the known value is still used";
  EXPECT_EQ(read.ignored, (std::vector<std::string>{"colour=red", "type=sideways"}));
  // Only Windows keeps F12 from the others.
  EXPECT_EQ(ReadKept({{"type", "tab"}, {"take-f12", "yes"}}, false).choices,
            (Choices{Typing::Tab, false}));
  EXPECT_EQ(ReadKept({{"take-f12", "yes"}}, false).ignored,
            std::vector<std::string>{"take-f12=yes"});

  const std::string line =
      KeptProblemLine("/c/varnel.conf", "it is not in the settings' format", read.ignored);
  EXPECT_EQ(line,
            "varnel: the kept choices, /c/varnel.conf: cannot be read wholly (it is not in the "
            "settings' format); ignored, as Varnel does not know it: colour=red type=sideways; the "
            "rest is used.");
  EXPECT_EQ(KeptProblemLine("/c/varnel.conf", "", {}), "") << "nothing to say";
}

TEST(KeptChoices, TheCommandLineWinsChoiceByChoiceAndOnlyWhatItGivesIsKept) {
  const Choices kept{Typing::Tab, true};
  EXPECT_EQ(InForce(kept, {}), kept);
  EXPECT_EQ(InForce(kept, {.typing = Typing::Enter}), (Choices{Typing::Enter, true}));
  EXPECT_EQ(InForce(kept, {.takeF12 = false}), (Choices{Typing::Tab, false}));

  EXPECT_EQ(KeptValuesOf({.typing = Typing::Off}), (KeptValues{{"type", "off"}}));
  EXPECT_EQ(KeptValuesOf({.takeF12 = true, .startAtLogin = true}),
            (KeptValues{{"take-f12", "yes"}}));
  // What is kept reads back as what was given.
  for (const Typing typing : {Typing::Off, Typing::Enter, Typing::Tab, Typing::None}) {
    EXPECT_EQ(ReadKept(KeptValuesOf({.typing = typing}), false).choices.typing, typing);
    EXPECT_EQ(TypingOf(TypeEndOf(typing)), typing);
  }
}

TEST(AutostartEntry, ThePathIsQuotedOnlyWhereItMustBe) {
  const std::string plain = AutostartEntry("/usr/bin/varnel");
  EXPECT_TRUE(plain.starts_with("[Desktop Entry]\nType=Application\n")) << plain;
  EXPECT_NE(plain.find("\nExec=/usr/bin/varnel\n"), std::string::npos) << plain;
  // Quoted for the space, the quote and the dollar escaped inside, every backslash doubled as
  // a string key's value, and the per cent sign of no field code.
  EXPECT_NE(
      AutostartEntry("/home/a b/\"$x\\%/varnel").find(R"(Exec="/home/a b/\\"\\$x\\\\%%/varnel")"),
      std::string::npos)
      << AutostartEntry("/home/a b/\"$x\\%/varnel");
}

}  // namespace
}  // namespace varnel
