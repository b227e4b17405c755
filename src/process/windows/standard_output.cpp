#include <windows.h>

#include <cerrno>

#include "process/standard_output.h"

namespace varnel {
namespace {

// The bytes as they are, LF and all: no text mode stands between.
int WriteAll(DWORD which, std::string_view bytes) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return EBADF;
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      switch (GetLastError()) {
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
          return EPIPE;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
          return ENOSPC;
        default:
          return EIO;
      }
    }
    bytes.remove_prefix(written);
  }
  return 0;
}

}  // namespace

int WriteStandardOutput(std::string_view bytes) { return WriteAll(STD_OUTPUT_HANDLE, bytes); }

int WriteStandardError(std::string_view bytes) { return WriteAll(STD_ERROR_HANDLE, bytes); }

void SayOnStandardError(const std::string& line) { WriteAll(STD_ERROR_HANDLE, line + "\n"); }

}  // namespace varnel
