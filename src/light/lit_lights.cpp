#include "light/lit_lights.h"

namespace varnel {
namespace {

constexpr std::string_view kIndicator = "indicator";
constexpr std::string_view kDevice = "device ";

}  // namespace

std::string LitLightsLine(const LitLights& lit) {
  std::string line;
  const auto add = [&](std::string_view item) {
    if (!line.empty()) line += '\t';
    line += item;
  };
  if (lit.indicator) add(kIndicator);
  for (const std::string& path : lit.devices) {
    if (path.find_first_of("\t\n") == std::string::npos) add(std::string(kDevice) + path);
  }
  return line + "\n";
}

LitLights ParseLitLightsLine(std::string_view line) {
  LitLights lit;
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  while (!line.empty()) {
    const std::string_view item = line.substr(0, line.find('\t'));
    line.remove_prefix(std::min(line.size(), item.size() + 1));
    if (item == kIndicator) {
      lit.indicator = true;
    } else if (item.starts_with(kDevice) && item.size() > kDevice.size()) {
      lit.devices.emplace_back(item.substr(kDevice.size()));
    }
  }
  return lit;
}

}  // namespace varnel
