// The kept choices on Windows: text values of the user's own key in the registry.
#include <windows.h>

#include <vector>

#include "choices/choice_store.h"
#include "process/windows/system_error.h"
#include "process/windows/utf.h"

namespace varnel {
namespace {

constexpr wchar_t kKey[] = L"Software\\Varnel";

class RegistryStore final : public ChoiceStore {
 public:
  Read ReadAll() override {
    Read read;
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return read;
    if (opened != ERROR_SUCCESS) {
      read.problem = SystemErrorText(static_cast<DWORD>(opened));
      return read;
    }
    for (DWORD index = 0;; ++index) {
      wchar_t name[256];
      DWORD nameSize = 256;
      DWORD type = 0;
      std::vector<BYTE> data(1024);
      DWORD dataSize = static_cast<DWORD>(data.size());
      const LSTATUS status =
          RegEnumValueW(key, index, name, &nameSize, nullptr, &type, data.data(), &dataSize);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS) {
        read.problem = SystemErrorText(static_cast<DWORD>(status));
        break;
      }
      // Only text is a value Varnel keeps; anything else is reported as a value it does not know.
      std::wstring text;
      if (type == REG_SZ) {
        text.assign(reinterpret_cast<const wchar_t*>(data.data()), dataSize / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
      }
      read.values[Utf8(name)] = Utf8(text);
    }
    RegCloseKey(key);
    return read;
  }

  bool Keep(const KeptValues& values, std::string& problem) override {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &key, nullptr);
    for (auto value = values.begin(); status == ERROR_SUCCESS && value != values.end(); ++value) {
      const std::wstring text = Utf16(value->second);
      status = RegSetValueExW(key, Utf16(value->first).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    if (key) RegCloseKey(key);
    if (status == ERROR_SUCCESS) return true;
    problem = SystemErrorText(static_cast<DWORD>(status));
    return false;
  }

  bool Forget(std::string& problem) override {
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
    problem = SystemErrorText(static_cast<DWORD>(status));
    return false;
  }

  std::string Where() const override { return "HKEY_CURRENT_USER\\" + Utf8(kKey); }
};

}  // namespace

std::unique_ptr<ChoiceStore> OpenChoiceStore() { return std::make_unique<RegistryStore>(); }

}  // namespace varnel
