// The code stream's named pipe on Windows: one name per session, for the Varnel that holds it.
#pragma once

#include <windows.h>

#include <string>

namespace varnel {

inline std::wstring CodePipeName() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return L"\\\\.\\pipe\\Varnel.Codes." + std::to_wstring(session);
}

}  // namespace varnel
