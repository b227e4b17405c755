#include "link/linux/input_devices.h"

#include <cctype>
#include <cstdio>
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

}  // namespace

KeyboardIds ParseInputDevices(std::string_view text) {
  KeyboardIds ids;
  Entry entry;
  const auto finish = [&] {
    if (HasWord(entry.handlers, "kbd")) ids.push_back(WindowsId(entry));
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
  return ids;
}

}  // namespace varnel

namespace varnel {

std::optional<KeyboardIds> ReadInputDevices(const std::string& path) {
  // Far more than any machine's device list; a bound so that an odd file cannot stall start-up.
  constexpr std::size_t kMaxBytes = 1 << 20;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text(kMaxBytes, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad()) return std::nullopt;
  text.resize(static_cast<std::size_t>(file.gcount()));
  return ParseInputDevices(text);
}

}  // namespace varnel
