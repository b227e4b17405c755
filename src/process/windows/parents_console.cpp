#include "process/windows/parents_console.h"

#include <windows.h>

#include <initializer_list>

namespace varnel {
namespace {

bool IsFileOrPipe(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

}  // namespace

void UseParentsConsole() {
  if (IsFileOrPipe(GetStdHandle(STD_OUTPUT_HANDLE)) && IsFileOrPipe(GetStdHandle(STD_ERROR_HANDLE)))
    return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  HANDLE console =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    if (!IsFileOrPipe(GetStdHandle(which))) SetStdHandle(which, console);
  }
}

}  // namespace varnel
