#include "reader/reader_plan.h"

#include <charconv>

namespace varnel::reader {

const char kUsage[] =
    "usage: varnel-reader [VALUE] [options]\n"
    "       varnel-reader --device DIR\n"
    "Plays a bar-code reader into the X server: each element of a code is a press of F12 sent\n"
    "through XTest to the window that has the focus, a long hold for 1 and a short one for 0.\n"
    "\n"
    "  VALUE          a 7-bit value (0-127), sent most significant bit first and followed by\n"
    "                 its even-parity press\n"
    "  --bits BITS    send exactly these presses instead, e.g. 10100101\n"
    "  --bad-parity   flip the last (parity) press\n"
    "  --cut N        stop after the first N presses (1-7): a cut code\n"
    "  --short MS     hold of a 0 (default 100)\n"
    "  --long MS      hold of a 1 (default 300)\n"
    "  --count K      send K codes, one second apart (default 1)\n"
    "  --watch MS     watch the light this long after the last code (default 3000)\n"
    "  --device DIR   play the reader as an input device in DIR instead, driven by commands on\n"
    "                 standard input: the device mode\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "While it sends, and after each code (for three seconds after the last one, unless --watch\n"
    "says otherwise), it watches the Scroll Lock light and prints what a reader would see: on,\n"
    "off, or blinking and its period, timed from the code's last release.\n"
    "\n"
    "The device mode shows the reader as Linux shows a USB keyboard to programs, with no X\n"
    "server: DIR/devices lists it as /proc/bus/input/devices does (USB 04d9:1603, interface 0),\n"
    "and its event node (event17, ...) is served through FUSE in DIR/input, where a program\n"
    "reads its keys with the kernel's time stamps and sets its Scroll Lock light. It prints\n"
    "\"ready DEVICES INPUT\" (the two paths), then runs commands, one a line, and answers each\n"
    "with \"ok\" or \"error WHY\":\n"
    "\n"
    "    code ARGS...   one code, with the options above (VALUE, --bits, --bad-parity, --cut,\n"
    "                   --short, --long, --count); \"ok\" after its last release\n"
    "    down, up       F12 down, F12 up\n"
    "    repeat         one auto-repeat of the held F12\n"
    "    key NAME       a press and release of another key (a, enter, f11...), as a person's\n"
    "                   keyboard sends\n"
    "    sleep MS       wait\n"
    "    unplug, plug   pull the reader out (a held key is released first), plug it back in\n"
    "    deny, allow    make opening the node fail with \"permission denied\", or work again\n"
    "    led            print \"led on\" or \"led off\": the light now\n"
    "    set-led on|off set the Scroll Lock light as another program does, the desktop say:\n"
    "                   open the node and write the LED to it\n"
    "    quit           stop, as the end of the input and SIGTERM, SIGINT, SIGHUP do\n"
    "\n"
    "Each change of the light is printed as it happens, \"light MS on\" or \"light MS off\", MS\n"
    "on the monotonic clock. On the way out the node is unmounted and DIR left as it was found.\n"
    "The device mode needs /dev/fuse, and fusermount3 when not run as root.\n";

namespace {

std::optional<int> Number(const std::string& text, int min, int max) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::vector<int> CodeBits(int value) {
  std::vector<int> bits;
  int ones = 0;
  for (int i = 6; i >= 0; --i) {
    bits.push_back((value >> i) & 1);
    ones += bits.back();
  }
  bits.push_back(ones % 2);
  return bits;
}

std::vector<KeyStep> CodeSteps(const Plan& plan) {
  std::vector<KeyStep> steps;
  long long at = 0;
  for (int bit : plan.bits) {
    steps.push_back({at, true});
    at += bit ? plan.longMs : plan.shortMs;
    steps.push_back({at, false});
    at += plan.gapMs;
  }
  return steps;
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
  Plan plan;
  std::optional<int> value;
  std::optional<std::string> bits;
  std::optional<int> cut;
  bool badParity = false;
  const auto fail = [](std::string error) { return ParseResult{std::nullopt, std::move(error)}; };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto next = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    const auto numberOption = [&](int min, int max, int& out) -> std::string {
      const std::optional<std::string> text = next();
      if (!text) return arg + " needs a number";
      const std::optional<int> n = Number(*text, min, max);
      if (!n) {
        return arg + " takes a whole number from " + std::to_string(min) + " to " +
               std::to_string(max) + ", not '" + *text + "'";
      }
      out = *n;
      return {};
    };
    std::string error;
    if (arg == "--help" || arg == "-h") {
      plan.help = true;
      return {plan, {}};
    } else if (arg == "--version") {
      plan.version = true;
      return {plan, {}};
    } else if (arg == "--device") {
      plan.deviceDir = next();
      if (!plan.deviceDir) return fail("--device needs a folder");
      if (args.size() != 2) return fail("--device DIR takes nothing else: codes come on its input");
      return {plan, {}};
    } else if (arg == "--bits") {
      bits = next();
      if (!bits || bits->empty() || bits->find_first_not_of("01") != std::string::npos) {
        return fail("--bits takes presses written as 0 and 1, e.g. --bits 10100101");
      }
    } else if (arg == "--bad-parity") {
      badParity = true;
    } else if (arg == "--cut") {
      int n = 0;
      error = numberOption(1, 7, n);
      cut = n;
    } else if (arg == "--short") {
      error = numberOption(1, 5000, plan.shortMs);
    } else if (arg == "--long") {
      error = numberOption(1, 5000, plan.longMs);
    } else if (arg == "--count") {
      error = numberOption(1, 100000, plan.count);
    } else if (arg == "--watch") {
      error = numberOption(0, 60000, plan.watchMs);
    } else if (!arg.empty() && arg[0] == '-') {
      return fail("unknown option '" + arg + "'");
    } else if (value) {
      return fail("only one VALUE, not '" + arg + "' as well");
    } else {
      value = Number(arg, 0, 127);
      if (!value) return fail("VALUE is a 7-bit value from 0 to 127, not '" + arg + "'");
    }
    if (!error.empty()) return fail(error);
  }

  if (value && bits) return fail("give a VALUE or --bits, not both");
  if (!value && !bits) return fail("nothing to send: give a VALUE or --bits");
  if (plan.shortMs == plan.longMs) return fail("--short and --long must differ");
  if (bits) {
    for (char c : *bits) plan.bits.push_back(c - '0');
  } else {
    plan.bits = CodeBits(*value);
  }
  if (badParity) plan.bits.back() ^= 1;
  if (cut) {
    if (*cut >= static_cast<int>(plan.bits.size())) {
      return fail("--cut " + std::to_string(*cut) + " leaves the whole code");
    }
    plan.bits.resize(static_cast<std::size_t>(*cut));
  }
  return {plan, {}};
}

}  // namespace varnel::reader
