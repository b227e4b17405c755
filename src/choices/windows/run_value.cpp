// Starting at login on Windows: the Varnel value of the user's Run key, this program's full path
// in quotes, as Windows reads a path that may hold spaces.
#include <windows.h>

#include "choices/login_start.h"
#include "process/windows/system_error.h"
#include "process/windows/this_program.h"
#include "process/windows/utf.h"

namespace varnel {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValue[] = L"Varnel";

class RunValue final : public LoginStart {
 public:
  bool On() override {
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValue, RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
  }

  bool Set(bool on, std::string& problem) override {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS && on) {
      const std::wstring command = L"\"" + ThisProgram() + L"\"";
      status =
          RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else if (status == ERROR_SUCCESS) {
      status = RegDeleteValueW(key, kValue);
      if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    if (key) RegCloseKey(key);
    if (status == ERROR_SUCCESS) return true;
    problem = SystemErrorText(static_cast<DWORD>(status));
    return false;
  }

  std::string Where() const override {
    return "the " + Utf8(kValue) + " value of HKEY_CURRENT_USER\\" + Utf8(kRunKey);
  }
};

}  // namespace

std::unique_ptr<LoginStart> OpenLoginStart() { return std::make_unique<RunValue>(); }

}  // namespace varnel
