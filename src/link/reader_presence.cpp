#include "link/reader_presence.h"

#include <algorithm>
#include <cctype>

namespace modReader {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

bool HasIdentity(const std::string& id, const std::string& identity) {
  const std::string prefix = "USB\\" + Upper(identity) + "\\";
  return Upper(id.substr(0, prefix.size())) == prefix;
}

bool IsReaderConnected(varnel::KeyboardLister& lister, const std::string& identity) {
  return lister.FindKeyboard([&](const std::string& id) { return HasIdentity(id, identity); });
}

}  // namespace modReader

namespace varnel {

bool KeyboardLister::FindKeyboard(const std::function<bool(const std::string&)>& accept) {
  const std::optional<KeyboardIds> ids = KeyboardDeviceIds();
  return ids && std::any_of(ids->begin(), ids->end(), [&](const std::optional<std::string>& id) {
           return id && accept(*id);
         });
}

}  // namespace varnel
