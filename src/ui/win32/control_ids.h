// The Win32 window's control identifiers, by control name. Win32 controls carry numbers, not
// names; this table is how a tool finds, say, Valore in the running window.
#pragma once

#include <string>

namespace varnel {

inline constexpr wchar_t kForm1ClassName[] = L"VarnelForm1";

// The identifier of a control of the layout; 0 for a name it does not know.
int ControlId(const std::string& name);

}  // namespace varnel
