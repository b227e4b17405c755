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

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, const CommandLineRules& rules) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
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
  if (line.typeDelayMs && !line.type) return Refuse("--type-delay goes with --type");
  return line;
}

std::string UsageText(const CommandLineRules& rules) {
  std::string text = "Usage: varnel [--print] [--type[=END] [--type-delay=MS]]" +
                     std::string(rules.takeF12 ? " [--take-f12]" : "") +
                     std::string(rules.qtOptions ? " [Qt options]" : "") + "\n";
  if (rules.headless) text += "       varnel --headless\n";
  text +=
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
      "              rights stays in the way for a second: the records say why.\n";
  if (rules.headless) {
    text +=
        "              On Wayland: GNOME's own remote-desktop service (no prompt; GNOME\n"
        "              Shell shows its screen-sharing indicator while Varnel runs), or on\n"
        "              sway, labwc, Hyprland and other wlroots desktops a virtual keyboard\n"
        "              of Varnel's own; neither tells of a modifier held, nor the virtual\n"
        "              keyboard of a locked screen. Not on KDE Plasma or other Wayland\n"
        "              desktops, nor with --headless\n";
  }
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
        "              anywhere while Varnel runs\n";
  }
  text +=
      "  --help      show this help and exit\n"
      "  --version   show the version and exit\n";
  if (rules.qtOptions) {
    text +=
        "\nQt's own options (-platform, -display, -style, -qwindowgeometry, ...) are passed to "
        "Qt.\n";
  }
  return text;
}

std::string VersionText(const std::string& version) { return "varnel " + version + "\n"; }

}  // namespace varnel
