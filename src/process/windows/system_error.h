// What Windows says of one of its error codes, for a line on standard error.
#pragma once

#include <windows.h>

#include <string>

namespace varnel {

// "Access is denied (error 5)", or "error 5" when the system has no text for it.
std::string SystemErrorText(DWORD error);

}  // namespace varnel
