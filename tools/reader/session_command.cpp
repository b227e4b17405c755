#include "reader/session_command.h"

#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

namespace varnel::reader {

CommandResult ParseCommand(std::string_view line) {
  std::istringstream words{std::string(line)};
  std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
  const auto fail = [](std::string error) { return CommandResult{std::nullopt, std::move(error)}; };
  if (args.empty()) return fail("empty line: give a command");
  const std::string name = args.front();
  args.erase(args.begin());

  if (name == "code") {
    ParseResult parsed = ParseArguments(args);
    if (!parsed.plan) return fail(parsed.error);
    if (parsed.plan->help || parsed.plan->deviceDir) return fail("code takes a code's arguments");
    return {Command{CommandKind::kCode, std::move(*parsed.plan)}, {}};
  }
  if (name == "key") {
    if (args.size() != 1) return fail("key takes one key name, e.g. key a");
    std::string upper = args[0];
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const int code = libevdev_event_code_from_name(EV_KEY, ("KEY_" + upper).c_str());
    if (code < 0) return fail("no key is called '" + args[0] + "'");
    return {Command{CommandKind::kKey, {}, code}, {}};
  }
  if (name == "sleep") {
    int ms = -1;
    if (args.size() == 1) {
      const auto [end, error] =
          std::from_chars(args[0].data(), args[0].data() + args[0].size(), ms);
      if (error != std::errc() || end != args[0].data() + args[0].size()) ms = -1;
    }
    if (ms < 0 || ms > 600000) return fail("sleep takes milliseconds from 0 to 600000");
    return {Command{CommandKind::kSleep, {}, 0, ms}, {}};
  }
  if (name == "set-led") {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
      return fail("set-led takes on or off");
    }
    Command command{CommandKind::kSetLed, {}};
    command.on = args[0] == "on";
    return {command, {}};
  }
  static const std::map<std::string, CommandKind> kBare = {
      {"down", CommandKind::kDown},     {"up", CommandKind::kUp},
      {"repeat", CommandKind::kRepeat}, {"unplug", CommandKind::kUnplug},
      {"plug", CommandKind::kPlug},     {"deny", CommandKind::kDeny},
      {"allow", CommandKind::kAllow},   {"led", CommandKind::kLed},
      {"quit", CommandKind::kQuit}};
  const auto bare = kBare.find(name);
  if (bare == kBare.end()) return fail("unknown command '" + name + "'");
  if (!args.empty()) return fail(name + " takes nothing more");
  return {Command{bare->second, {}}, {}};
}

}  // namespace varnel::reader
