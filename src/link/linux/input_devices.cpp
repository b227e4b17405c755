#include "link/linux/input_devices.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>

namespace varnel {
namespace {

struct Entry {
  std::string bus, vendor, product, sysfs, handlers;
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

bool IsHex4(const std::string& s) {
  if (s.size() != 4) return false;
  for (char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
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

// A USB interface's sysfs element looks like "1-2.3:1.0": port, configuration, interface.
struct UsbInterface {
  std::string element;
  unsigned number = 0;
};

std::optional<UsbInterface> FindUsbInterface(const std::string& sysfs) {
  static const std::regex kInterfaceElement(R"((?:^|/)(\d+-[\d.]+:\d{1,3}\.(\d{1,3}))(?=/|$))");
  std::optional<UsbInterface> found;
  for (auto it = std::sregex_iterator(sysfs.begin(), sysfs.end(), kInterfaceElement);
       it != std::sregex_iterator(); ++it) {
    found = UsbInterface{(*it)[1].str(), static_cast<unsigned>(std::stoul((*it)[2].str()))};
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
std::optional<std::string> EventHandler(const std::string& handlers) {
  static const std::regex kEvent(R"((?:^|\s)(event\d{1,6})(?=\s|$))");
  std::smatch match;
  if (!std::regex_search(handlers, match, kEvent)) return std::nullopt;
  return match[1].str();
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
    if (id && event && modReader::HasIdentity(*id, kReaderIdentity)) {
      nodes.push_back(ReaderNode{entry.sysfs, *event});
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
