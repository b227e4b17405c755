#include "reader/session_command.h"

#include <gtest/gtest.h>
#include <linux/input.h>

namespace varnel::reader {
namespace {

Command Parse(std::string_view line) {
  const CommandResult result = ParseCommand(line);
  EXPECT_TRUE(result.command.has_value()) << line << ": " << result.error;
  return result.command.value_or(Command{CommandKind::kQuit, {}});
}

std::string Error(std::string_view line) {
  const CommandResult result = ParseCommand(line);
  EXPECT_FALSE(result.command.has_value()) << line;
  return result.error;
}

TEST(SessionCommand, EachCommandWithItsArguments) {
  const Command code = Parse("code 82 --cut 3 --short 40");
  EXPECT_EQ(code.kind, CommandKind::kCode);
  EXPECT_EQ(code.plan.bits, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(code.plan.shortMs, 40);
  EXPECT_EQ(Parse("  key  a ").key, KEY_A);
  EXPECT_EQ(Parse("key Enter").key, KEY_ENTER);
  EXPECT_EQ(Parse("key f11").key, KEY_F11);
  EXPECT_EQ(Parse("sleep 250").ms, 250);
  EXPECT_TRUE(Parse("set-led on").on);
  EXPECT_EQ(Parse("set-led off").kind, CommandKind::kSetLed);
  EXPECT_FALSE(Parse("set-led off").on);
  const std::vector<std::pair<std::string, CommandKind>> bare = {
      {"down", CommandKind::kDown},     {"up", CommandKind::kUp},
      {"repeat", CommandKind::kRepeat}, {"unplug", CommandKind::kUnplug},
      {"plug", CommandKind::kPlug},     {"deny", CommandKind::kDeny},
      {"allow", CommandKind::kAllow},   {"led", CommandKind::kLed},
      {"quit", CommandKind::kQuit}};
  for (const auto& [line, kind] : bare) EXPECT_EQ(Parse(line).kind, kind) << line;
}

TEST(SessionCommand, BadLinesAreRefusedWithAReason) {
  EXPECT_EQ(Error(""), "empty line: give a command");
  EXPECT_EQ(Error("press"), "unknown command 'press'");
  EXPECT_EQ(Error("down now"), "down takes nothing more");
  EXPECT_EQ(Error("key"), "key takes one key name, e.g. key a");
  EXPECT_EQ(Error("key nosuch"), "no key is called 'nosuch'");
  EXPECT_EQ(Error("set-led"), "set-led takes on or off");
  for (const char* line : {"sleep", "sleep -1", "sleep 2s", "sleep 600001"}) {
    EXPECT_NE(Error(line).find("milliseconds"), std::string::npos) << line;
  }
  EXPECT_NE(Error("code").find("nothing to send"), std::string::npos);
  EXPECT_NE(Error("code 128").find("0 to 127"), std::string::npos);
  EXPECT_EQ(Error("code --help"), "code takes a code's arguments");
  EXPECT_NE(Error("code --device d").find("code takes"), std::string::npos);
}

}  // namespace
}  // namespace varnel::reader
