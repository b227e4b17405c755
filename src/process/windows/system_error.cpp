#include "process/windows/system_error.h"

#include "process/windows/utf.h"

namespace varnel {

std::string SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string narrow = "error " + std::to_string(error);
  if (text) {
    std::string message = Utf8(text);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' ')) {
      message.pop_back();
    }
    if (!message.empty()) narrow = message + " (" + narrow + ")";
  }
  return narrow;
}

}  // namespace varnel
