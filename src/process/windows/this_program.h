// The full path of this program's own file, for what starts it again: its guardian, the start at
// login.
#pragma once

#include <string>

namespace varnel {

// Empty when the system does not say.
std::wstring ThisProgram();

}  // namespace varnel
