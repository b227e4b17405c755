#include "link/reader_presence.h"

#include <algorithm>
#include <cstdlib>

#include "process/text.h"

namespace modReader {

bool HasIdentity(const std::string& id, const std::string& identity) {
  const std::string prefix = "USB\\" + varnel::Upper(identity) + "\\";
  return varnel::Upper(id.substr(0, prefix.size())) == prefix;
}

bool IsReaderConnected(varnel::KeyboardLister& lister, const std::string& identity) {
  return lister.FindKeyboard([&](const std::string& id) { return HasIdentity(id, identity); });
}

}  // namespace modReader

namespace varnel {

std::string ReaderIdentity() {
  const char* chosen = std::getenv("VARNEL_READER_ID");
  return chosen && *chosen ? std::string(chosen) : kReaderIdentity;
}

bool NameHasIdentity(const std::string& name, const std::string& identity) {
  if (identity.empty()) return false;
  const std::string upperName = Upper(name);
  const std::string upperIdentity = Upper(identity);
  for (std::size_t at = upperName.find(upperIdentity); at != std::string::npos;
       at = upperName.find(upperIdentity, at + 1)) {
    const std::size_t end = at + upperIdentity.size();
    const bool startsElement = at > 0 && (upperName[at - 1] == '#' || upperName[at - 1] == '\\');
    const bool endsElement =
        end < upperName.size() && (upperName[end] == '#' || upperName[end] == '&');
    if (startsElement && endsElement) return true;
  }
  return false;
}

bool KeyboardLister::FindKeyboard(const std::function<bool(const std::string&)>& accept) {
  const std::optional<KeyboardIds> ids = KeyboardDeviceIds();
  return ids && std::any_of(ids->begin(), ids->end(), [&](const std::optional<std::string>& id) {
           return id && accept(*id);
         });
}

}  // namespace varnel
