// The program's command line, read before any window system is reached, so that --help and
// --version work with no display and a mistyped option is refused rather than ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/typing_port.h"

namespace varnel {

struct CommandLine {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  bool print = false;            // one JSON line per code on standard output
  bool headless = false;         // no window: the direct link only, records on standard output
  bool takeF12 = false;          // every F12 kept from the other programs while a reader is listed
  std::optional<TypeEnd> type;   // each good code typed into the window in front, then this
  std::int32_t typeDelayMs = 0;  // between typed keys
  std::string refusal;           // for Refuse: what was wrong, for the line before the usage
  // Qt's own options that take a value, by name without dashes, each as first given: Varnel
  // looks at some of them before Qt is started.
  std::map<std::string, std::string, std::less<>> qtValues;
};

struct CommandLineRules {
  // Qt's own options (-platform xcb, -style=fusion, ...) pass through to Qt, values and all.
  bool qtOptions = false;
  bool headless = false;  // --headless is offered
  bool takeF12 = false;   // --take-f12 is offered
};

// On Linux; on Windows there is no Qt and no headless mode, and a hook keeps F12 from the others.
inline constexpr CommandLineRules kLinuxCommandLine{.qtOptions = true, .headless = true};
inline constexpr CommandLineRules kWindowsCommandLine{.takeF12 = true};

// `args` without the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const CommandLineRules& rules);

std::string UsageText(const CommandLineRules& rules);
std::string VersionText(const std::string& version);

}  // namespace varnel
