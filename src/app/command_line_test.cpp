#include "app/command_line.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

const CommandLineRules kLinux = kLinuxCommandLine;
const CommandLineRules kWindows = kWindowsCommandLine;

using Action = CommandLine::Action;

TEST(CommandLine, QtsOptionsPassWithTheirValuesAndAnythingElseIsRefused) {
  const CommandLine ok = ParseCommandLine(
      {"-platform", "xcb", "--print", "-style=fusion", "--display", ":1", "-reverse"}, kLinux);
  EXPECT_EQ(ok.action, Action::Run);
  EXPECT_TRUE(ok.print);
  EXPECT_FALSE(ok.headless);
  EXPECT_EQ(ok.qtValues, (std::map<std::string, std::string, std::less<>>{
                             {"platform", "xcb"}, {"style", "fusion"}, {"display", ":1"}}));
  EXPECT_EQ(
      ParseCommandLine({"-platform=wayland", "-platform", "xcb"}, kLinux).qtValues.at("platform"),
      "wayland")
      << "the first one given counts";
  // A value that looks like an option is still the option's value.
  EXPECT_EQ(ParseCommandLine({"-qwindowtitle", "--print"}, kLinux).print, false);

  EXPECT_EQ(ParseCommandLine({"--prnit"}, kLinux).refusal, "unknown option --prnit");
  EXPECT_EQ(ParseCommandLine({"-platform"}, kLinux).action, Action::Refuse);
  EXPECT_EQ(ParseCommandLine({"codes.txt"}, kLinux).action, Action::Refuse);
  // Windows has no Qt and no headless mode.
  EXPECT_EQ(ParseCommandLine({"-platform", "xcb"}, kWindows).action, Action::Refuse);
  EXPECT_EQ(ParseCommandLine({"--headless"}, kWindows).action, Action::Refuse);
  EXPECT_TRUE(ParseCommandLine({"--headless"}, kLinux).headless);
}

TEST(CommandLine, HelpAndVersionWinOverTheRest) {
  EXPECT_EQ(ParseCommandLine({"--print", "--help", "--bogus"}, kLinux).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"--version"}, kWindows).action, Action::Version);
  EXPECT_EQ(UsageText(kWindows).find("headless"), std::string::npos);
}

TEST(CommandLine, TypeEndsWithEnterUnlessTold) {
  EXPECT_EQ(ParseCommandLine({}, kLinux).type, std::nullopt);
  EXPECT_EQ(ParseCommandLine({"--type"}, kLinux).type, TypeEnd::Enter);
  EXPECT_EQ(ParseCommandLine({"--print", "--type=tab"}, kWindows).type, TypeEnd::Tab);
  EXPECT_EQ(ParseCommandLine({"--type=none"}, kWindows).type, TypeEnd::None);
  EXPECT_EQ(ParseCommandLine({"--type=enter"}, kLinux).type, TypeEnd::Enter);
  const CommandLine space = ParseCommandLine({"--type=space"}, kLinux);
  EXPECT_EQ(space.action, Action::Refuse);
  EXPECT_EQ(space.refusal, "--type ends with enter, tab or none, not 'space'");
  EXPECT_EQ(ParseCommandLine({"--type="}, kWindows).action, Action::Refuse);
  // The end is part of the option: a word after it is no end.
  EXPECT_EQ(ParseCommandLine({"--type", "tab"}, kLinux).action, Action::Refuse);
}

TEST(CommandLine, ATypeDelayOfNoMoreThan200MsGoesWithType) {
  EXPECT_EQ(ParseCommandLine({"--type"}, kLinux).typeDelayMs, 0);
  EXPECT_EQ(ParseCommandLine({"--type-delay=200", "--type"}, kWindows).typeDelayMs, 200);
  EXPECT_EQ(ParseCommandLine({"--type", "--type-delay=0"}, kLinux).action, Action::Run);
  for (const char* bad : {"--type-delay=201", "--type-delay=", "--type-delay=-5",
                          "--type-delay=1e2", "--type-delay=99999999999"}) {
    const CommandLine line = ParseCommandLine({"--type", bad}, kLinux);
    EXPECT_EQ(line.action, Action::Refuse) << bad;
    EXPECT_NE(line.refusal.find("0 to 200"), std::string::npos) << bad;
  }
  // Typing may be kept, or turned on from the window's menu: a pace alone is for that typing.
  EXPECT_EQ(ParseCommandLine({"--type-delay=20"}, kLinux).action, Action::Run);
}

TEST(CommandLine, OnlyWindowsTakesF12) {
  const CommandLine line = ParseCommandLine({"--take-f12", "--print"}, kWindows);
  EXPECT_EQ(line.action, Action::Run);
  EXPECT_TRUE(line.takeF12 && line.print);
  EXPECT_EQ(ParseCommandLine({"--take-f12"}, kLinux).action, Action::Refuse);
  EXPECT_NE(UsageText(kWindows).find("[--take-f12 | --no-take-f12]"), std::string::npos);
  EXPECT_EQ(UsageText(kLinux).find("take-f12"), std::string::npos);
}

TEST(CommandLine, RememberKeepsTheChoicesGivenAndTheirOwnOptionsOnly) {
  const CommandLine remember = ParseCommandLine({"--remember", "--type=tab"}, kLinux);
  EXPECT_EQ(remember.action, Action::Remember);
  EXPECT_EQ(Given(remember).typing, Typing::Tab);
  EXPECT_EQ(Given(ParseCommandLine({"--no-type"}, kLinux)).typing, Typing::Off);
  EXPECT_EQ(Given(ParseCommandLine({}, kLinux)).typing, std::nullopt) << "the kept one then";
  const CommandLine login =
      ParseCommandLine({"--start-at-login=no", "--remember", "--no-take-f12"}, kWindows);
  EXPECT_EQ(login.action, Action::Remember);
  EXPECT_EQ(Given(login).startAtLogin, false);
  EXPECT_EQ(Given(login).takeF12, false);
  EXPECT_EQ(ParseCommandLine({"--forget"}, kWindows).action, Action::Forget);

  for (const std::vector<std::string>& refused : {std::vector<std::string>{"--remember", "--print"},
                                                  {"--remember", "--forget"},
                                                  {"--forget", "--type"},
                                                  {"--start-at-login=yes"},
                                                  {"--remember", "--start-at-login=maybe"},
                                                  {"--type", "--no-type"},
                                                  {"--no-take-f12"},
                                                  {"--remember", "-style", "fusion"}}) {
    EXPECT_EQ(ParseCommandLine(refused, kLinux).action, Action::Refuse) << refused.back();
  }
  EXPECT_EQ(ParseCommandLine({"--start-at-login=yes"}, kLinux).refusal,
            "--start-at-login is kept: give it with --remember");
  EXPECT_NE(UsageText(kLinux).find("$XDG_CONFIG_HOME/varnel/varnel.conf"), std::string::npos);
  EXPECT_NE(UsageText(kWindows).find("HKEY_CURRENT_USER\\Software\\Varnel;"), std::string::npos);
}

}  // namespace
}  // namespace varnel
