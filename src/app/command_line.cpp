#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "output/code_typing.h"

namespace varnel {
namespace {

// The options that QGuiApplication and QApplication document, by whether a value follows.
constexpr std::array<std::string_view, 13> kQtOptionsWithValue{
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
constexpr std::array<std::string_view, 6> kQtFlags{"reverse", "widgetcount", "nograb",
                                                   "dograb",  "dialogs",     "fontengine"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

CommandLine Refuse(std::string why) {
  CommandLine line;
  line.action = CommandLine::Action::Refuse;
  line.refusal = std::move(why);
  return line;
}

// The options of the kept choices, apart from the others: whether `arg` is one of them. A value
// it does not know is refused in `refusal`.
bool ParseChoiceOption(const std::string& arg, const CommandLineRules& rules, CommandLine& line,
                       std::string& refusal) {
  if (arg == "--remember" || arg == "--forget") {
    line.action = arg == "--remember" ? CommandLine::Action::Remember : CommandLine::Action::Forget;
  } else if (arg == "--no-type") {
    line.noType = true;
  } else if (arg == "--no-take-f12" && rules.takeF12) {
    line.noTakeF12 = true;
  } else if (arg.starts_with("--start-at-login=")) {
    const std::string answer = arg.substr(17);
    if (answer != "yes" && answer != "no") {
      refusal = "--start-at-login is yes or no, not '" + answer + "'";
    }
    line.startAtLogin = answer == "yes";
  } else {
    return false;
  }
  return true;
}

// What is refused of the kept choices' options once the whole line is read.
std::string ChoiceRefusal(const CommandLine& line, bool remembering, bool forgetting) {
  if (remembering && forgetting) return "--remember and --forget go one at a time";
  if (line.type && line.noType) return "--type and --no-type say the opposite";
  if (line.takeF12 && line.noTakeF12) return "--take-f12 and --no-take-f12 say the opposite";
  const bool others = line.print || line.headless || line.typeDelayMs || !line.qtValues.empty();
  if (remembering && others) {
    return "--remember keeps only --type, --no-type, --take-f12, --no-take-f12 and "
           "--start-at-login";
  }
  if (forgetting &&
      (others || line.type || line.noType || line.takeF12 || line.noTakeF12 || line.startAtLogin)) {
    return "--forget takes no other option";
  }
  if (line.startAtLogin && !remembering) return "--start-at-login is kept: give it with --remember";
  return {};
}

}  // namespace

GivenChoices Given(const CommandLine& line) {
  GivenChoices given;
  if (line.type || line.noType) given.typing = TypingOf(line.type);
  if (line.takeF12 || line.noTakeF12) given.takeF12 = line.takeF12;
  given.startAtLogin = line.startAtLogin;
  return given;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args, const CommandLineRules& rules) {
  CommandLine line;
  bool remembering = false;
  bool forgetting = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string refusal;
    if (ParseChoiceOption(arg, rules, line, refusal)) {
      if (!refusal.empty()) return Refuse(refusal);
      remembering = remembering || line.action == CommandLine::Action::Remember;
      forgetting = forgetting || line.action == CommandLine::Action::Forget;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (arg == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (arg == "--print") {
      line.print = true;
      continue;
    }
    if (arg == "--type" || arg.starts_with("--type=")) {
      const std::string end = arg == "--type" ? "enter" : arg.substr(7);
      line.type = TypeEndNamed(end);
      if (!line.type) return Refuse("--type ends with enter, tab or none, not '" + end + "'");
      continue;
    }
    if (arg.starts_with("--type-delay=")) {
      const std::string ms = arg.substr(13);
      const bool digits =
          !ms.empty() && ms.size() <= 3 &&
          std::all_of(ms.begin(), ms.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (!digits || std::stoi(ms) > kMaxTypeDelayMs) {
        return Refuse("--type-delay takes the milliseconds between keys, 0 to " +
                      std::to_string(kMaxTypeDelayMs) + ", not '" + ms + "'");
      }
      line.typeDelayMs = std::stoi(ms);
      continue;
    }
    if (arg == "--take-f12" && rules.takeF12) {
      line.takeF12 = true;
      continue;
    }
    if (arg == "--headless" && rules.headless) {
      line.headless = true;
      continue;
    }
    if (rules.qtOptions && arg.size() > 1 && arg[0] == '-') {
      // Qt takes its options with one dash or two, and the valued ones also as -name=value.
      std::string_view name(arg);
      name.remove_prefix(name.starts_with("--") ? 2 : 1);
      const std::size_t equals = name.find('=');
      const bool inlineValue = equals != std::string_view::npos;
      const std::string_view value = inlineValue ? name.substr(equals + 1) : std::string_view();
      if (inlineValue) name = name.substr(0, equals);
      if (OneOf(kQtOptionsWithValue, name)) {
        if (!inlineValue && ++i == args.size()) return Refuse("option " + arg + " needs a value");
        line.qtValues.emplace(name, inlineValue ? value : std::string_view(args[i]));
        continue;
      }
      if (OneOf(kQtFlags, name)) continue;
    }
    if (!arg.empty() && arg[0] == '-') return Refuse("unknown option " + arg);
    return Refuse("unexpected argument " + arg);
  }
  if (std::string refusal = ChoiceRefusal(line, remembering, forgetting); !refusal.empty()) {
    return Refuse(std::move(refusal));
  }
  return line;
}

std::string UsageText(const CommandLineRules& rules) {
  const std::string kept = std::string(" [--type[=END] | --no-type]") +
                           (rules.takeF12 ? " [--take-f12 | --no-take-f12]" : "");
  std::string text = "Usage: varnel [--print]" + kept + " [--type-delay=MS]" +
                     std::string(rules.qtOptions ? " [Qt options]" : "") + "\n";
  if (rules.headless) text += "       varnel --headless\n";
  text += "       varnel --remember" + kept + " [--start-at-login=yes|no]\n";
  text +=
      "       varnel --forget\n"
      "       varnel --help | --version\n"
      "\n"
      "Host side of a one-key bar-code reader: shows each code and answers the reader through\n"
      "the Scroll Lock light.\n"
      "\n"
      "  --print     also write each code as one line of JSON on standard output\n"
      "  --type[=END]\n"
      "              also type each good code's value in decimal digits into the window\n"
      "              in front, then END: enter (the default), tab or none; never a bad or\n"
      "              cut code, nothing while Varnel's own window is in front or the reader\n"
      "              is heard only through it, and no code while a modifier, another\n"
      "              program's hold on the keyboard, a locked screen or a window with more\n"
      "              rights stays in the way for a second: the records say why.";
  if (rules.headless) {
    text +=
        " On Wayland\n"
        "              through GNOME's remote-desktop service or a wlroots compositor's\n"
        "              virtual keyboard; not on KDE Plasma or other Wayland desktops, nor\n"
        "              with --headless";
  }
  text += "\n  --no-type   type nothing, whatever is kept\n";
  text +=
      "  --type-delay=MS\n"
      "              a pause of MS milliseconds (0 to 200; none by default) between typed\n"
      "              keys, for remote desktops and programs that drop keys sent fast\n";
  if (rules.headless) {
    text +=
        "  --headless  no window and no display: the reader's own input device only, each\n"
        "              code written on standard output as with --print\n";
  }
  if (rules.takeF12) {
    text +=
        "  --take-f12  while the reader is plugged in, keep every F12 from the other programs,\n"
        "              whichever keyboard it comes from: a person's F12 then does nothing\n"
        "              anywhere while Varnel runs\n"
        "  --no-take-f12\n"
        "              leave F12 to the other programs, whatever is kept\n";
  }
  text +=
      "  --remember  keep the options given as the defaults of every later start, and exit\n"
      "  --start-at-login=yes|no\n"
      "              with --remember: start Varnel's window when the user logs in, or no\n"
      "              longer\n"
      "  --forget    drop all that is kept, the start at login too, and exit\n"
      "  --help      show this help and exit\n"
      "  --version   show the version and exit\n"
      "\n"
      "Kept for each user: the choices of the window's menu (a right click on the window)\n"
      "and of --remember, in " +
      std::string(rules.keptIn) + ";\nthe start at login, as " + rules.startedBy +
      ".\nAn option given on the command line wins for its run only.\n";
  if (rules.qtOptions) {
    text +=
        "\nQt's own options (-platform, -display, -style, -qwindowgeometry, ...) are passed to "
        "Qt.\n";
  }
  return text;
}

std::string VersionText(const std::string& version) { return "varnel " + version + "\n"; }

}  // namespace varnel
