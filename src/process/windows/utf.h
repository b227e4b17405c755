// The program's strings are UTF-8; Windows' wide functions take and give UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

std::wstring Utf16(std::string_view text);
std::string Utf8(std::wstring_view text);

}  // namespace varnel
