// The program's command line, read before any window system is reached, so that --help and
// --version work with no display and a mistyped option is refused rather than ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "choices/choices.h"
#include "output/typing_port.h"

namespace varnel {

struct CommandLine {
  enum class Action { Run, Help, Version, Refuse, Remember, Forget };
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

  // The kept choices: --no-type and --no-take-f12 turn off for this run what is kept on;
  // with --remember (Action::Remember) what is given is kept instead, and --forget drops it all.
  bool noType = false;
  bool noTakeF12 = false;
  std::optional<bool> startAtLogin;  // --start-at-login=yes|no, with --remember only
};

// What the command line says of each kept choice.
GivenChoices Given(const CommandLine& line);

struct CommandLineRules {
  // Qt's own options (-platform xcb, -style=fusion, ...) pass through to Qt, values and all.
  bool qtOptions = false;
  bool headless = false;  // --headless is offered
  bool takeF12 = false;   // --take-f12 is offered
  // Where the choices are kept, and the entry that starts Varnel at login, for the usage.
  const char* keptIn = "";
  const char* startedBy = "";
};

// On Linux; on Windows there is no Qt and no headless mode, and a hook keeps F12 from the others.
inline constexpr CommandLineRules kLinuxCommandLine{
    .qtOptions = true,
    .headless = true,
    .keptIn = "$XDG_CONFIG_HOME/varnel/varnel.conf (~/.config when unset)",
    .startedBy = "$XDG_CONFIG_HOME/autostart/varnel.desktop"};
inline constexpr CommandLineRules kWindowsCommandLine{
    .takeF12 = true,
    .keptIn = "HKEY_CURRENT_USER\\Software\\Varnel",
    .startedBy =
        "the Varnel value of HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
        "CurrentVersion\\Run"};

// `args` without the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const CommandLineRules& rules);

std::string UsageText(const CommandLineRules& rules);
std::string VersionText(const std::string& version);

}  // namespace varnel
