#include "link/linux/input_devices.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "process/text.h"

namespace varnel {
namespace {

struct Entry {
  std::string bus, vendor, product, name, phys, sysfs, uniq, handlers;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// The value of `key=` in a line of space-separated key=value pairs.
std::string Field(std::string_view line, std::string_view key) {
  std::size_t at = 0;
  while ((at = line.find(key, at)) != std::string_view::npos) {
    const bool startsWord = at == 0 || line[at - 1] == ' ';
    const std::size_t valueAt = at + key.size();
    if (startsWord && valueAt < line.size() && line[valueAt] == '=') {
      const std::size_t end = line.find(' ', valueAt);
      return std::string(
          line.substr(valueAt + 1, end == std::string_view::npos ? end : end - valueAt - 1));
    }
    at = valueAt;
  }
  return {};
}

// The value of `key="..."`, which may hold spaces: up to the line's last quote.
std::string Quoted(std::string_view line, std::string_view key) {
  const std::size_t at = line.find(std::string(key) + "=\"");
  if (at == std::string_view::npos) return Field(line, key);
  const std::string_view rest = line.substr(at + key.size() + 2);
  const std::size_t end = rest.rfind('"');
  return std::string(end == std::string_view::npos ? rest : rest.substr(0, end));
}

bool IsHex4(const std::string& s) {
  if (s.size() != 4) return false;
  for (char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool HasWord(std::string_view words, std::string_view word) {
  std::size_t at = 0;
  while ((at = words.find(word, at)) != std::string_view::npos) {
    const std::size_t end = at + word.size();
    if ((at == 0 || words[at - 1] == ' ') && (end == words.size() || words[end] == ' '))
      return true;
    at = end;
  }
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from `at` on, at least one and at most `most`: the position after them, or npos.
std::size_t SkipDigits(std::string_view s, std::size_t at, std::size_t most) {
  std::size_t end = at;
  while (end < s.size() && IsDigit(s[end]) && end - at < most) ++end;
  return end == at || (end < s.size() && IsDigit(s[end])) ? std::string_view::npos : end;
}

// A USB interface's sysfs element looks like "1-2.3:1.0": port, configuration, interface.
struct UsbInterface {
  std::string element;
  unsigned number = 0;
};

// The interface number of an element of that form, or nothing. Bounded, so that no length of
// digits costs more than one pass.
std::optional<unsigned> InterfaceNumber(std::string_view element) {
  constexpr std::size_t kMostDigits = 3;
  std::size_t at = SkipDigits(element, 0, 16);  // the bus
  if (at == std::string_view::npos || at >= element.size() || element[at] != '-') return {};
  const std::size_t portStart = ++at;
  while (at < element.size() && (IsDigit(element[at]) || element[at] == '.')) ++at;
  if (at == portStart || at >= element.size() || element[at] != ':') return {};
  at = SkipDigits(element, at + 1, kMostDigits);  // the configuration
  if (at == std::string_view::npos || at >= element.size() || element[at] != '.') return {};
  const std::size_t numberStart = at + 1;
  at = SkipDigits(element, numberStart, kMostDigits);
  if (at != element.size()) return {};
  unsigned number = 0;
  for (char c : element.substr(numberStart)) number = number * 10 + static_cast<unsigned>(c - '0');
  return number;
}

// The last element of the sysfs path that names a USB interface.
std::optional<UsbInterface> FindUsbInterface(std::string_view sysfs) {
  std::optional<UsbInterface> found;
  while (!sysfs.empty()) {
    const std::size_t slash = sysfs.find('/');
    const std::string_view element = sysfs.substr(0, slash);
    if (const std::optional<unsigned> number = InterfaceNumber(element)) {
      found = UsbInterface{std::string(element), *number};
    }
    if (slash == std::string_view::npos) break;
    sysfs.remove_prefix(slash + 1);
  }
  return found;
}

std::optional<std::string> WindowsId(const Entry& e) {
  if (e.bus.empty()) return std::nullopt;
  if (e.bus == "0003" && IsHex4(e.vendor) && IsHex4(e.product)) {
    std::string id = "USB\\VID_" + Upper(e.vendor) + "&PID_" + Upper(e.product);
    const std::optional<UsbInterface> usb = FindUsbInterface(e.sysfs);
    if (usb) {
      char mi[8];
      std::snprintf(mi, sizeof mi, "&MI_%02X", usb->number);
      id += mi;
    }
    return id + "\\" + (usb ? usb->element : std::string("0"));
  }
  // Not USB: named by bus, so that it never matches a USB identity.
  return "INPUT\\BUS_" + Upper(e.bus) + "&VID_" + Upper(e.vendor) + "&PID_" + Upper(e.product) +
         "\\" + e.sysfs;
}

std::vector<Entry> ParseEntries(std::string_view text) {
  std::vector<Entry> entries;
  Entry entry;
  const auto finish = [&] {
    if (HasWord(entry.handlers, "kbd")) entries.push_back(entry);
    entry = Entry{};
  };
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    if (line.empty()) {
      finish();
    } else if (line.starts_with("I:")) {
      entry.bus = Field(line, "Bus");
      entry.vendor = Field(line, "Vendor");
      entry.product = Field(line, "Product");
    } else if (line.starts_with("N:")) {
      entry.name = Quoted(line, "Name");
    } else if (line.starts_with("P:")) {
      entry.phys = Field(line, "Phys");
    } else if (line.starts_with("U:")) {
      entry.uniq = Field(line, "Uniq");
    } else if (line.starts_with("S:")) {
      entry.sysfs = Field(line, "Sysfs");
    } else if (line.starts_with("H:")) {
      const std::size_t eq = line.find('=');
      entry.handlers = eq == std::string_view::npos ? "" : std::string(line.substr(eq + 1));
    }
  }
  finish();
  return entries;
}

// The "eventN" among an entry's handlers, or nothing.
std::optional<std::string> EventHandler(std::string_view handlers) {
  constexpr std::size_t kMostDigits = 6;
  while (!handlers.empty()) {
    const std::size_t space = handlers.find_first_of(" \t");
    const std::string_view word = handlers.substr(0, space);
    if (word.starts_with("event") && SkipDigits(word, 5, kMostDigits) == word.size()) {
      return std::string(word);
    }
    if (space == std::string_view::npos) break;
    handlers.remove_prefix(space + 1);
  }
  return std::nullopt;
}

// Far more than any machine's device list; a bound so that an odd file cannot stall the program.
std::optional<std::string> ReadBounded(const std::string& path) {
  constexpr std::size_t kMaxBytes = 1 << 20;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text(kMaxBytes, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) return std::nullopt;
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

std::string EnvironmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

}  // namespace

KeyboardIds ParseInputDevices(std::string_view text) {
  KeyboardIds ids;
  for (const Entry& entry : ParseEntries(text)) ids.push_back(WindowsId(entry));
  return ids;
}

std::optional<KeyboardIds> ReadInputDevices(const std::string& path) {
  const std::optional<std::string> text = ReadBounded(path);
  if (!text) return std::nullopt;
  return ParseInputDevices(*text);
}

ReaderNodes ParseReaderNodes(std::string_view text) {
  ReaderNodes nodes;
  for (const Entry& entry : ParseEntries(text)) {
    const std::optional<std::string> id = WindowsId(entry);
    const std::optional<std::string> event = EventHandler(entry.handlers);
    if (id && event && modReader::HasIdentity(*id, ReaderIdentity())) {
      const std::optional<UsbInterface> usb = FindUsbInterface(entry.sysfs);
      nodes.push_back(ReaderNode{entry.sysfs, *event, usb ? usb->element : std::string(),
                                 entry.name, entry.uniq, entry.phys});
    }
  }
  return nodes;
}

std::optional<ReaderNodes> ReadReaderNodes(const std::string& path) {
  const std::optional<std::string> text = ReadBounded(path);
  if (!text) return std::nullopt;
  return ParseReaderNodes(*text);
}

std::string InputDevicesPath() {
  return EnvironmentOr("VARNEL_INPUT_DEVICES", "/proc/bus/input/devices");
}

std::string InputDirectory() { return EnvironmentOr("VARNEL_INPUT_DIR", "/dev/input"); }

}  // namespace varnel
