// Raw input's keyboards for the Windows link: the window's registration for every keyboard's
// keys whichever window has the focus, the keyboards listed with their device names, and one
// WM_INPUT read as a key.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "link/raw_input_link.h"

namespace varnel {

// Every keyboard's keys and arrivals and removals go to `window` from now on, in the background
// too (RIDEV_INPUTSINK | RIDEV_DEVNOTIFY). False when the system refuses.
bool RegisterKeyboardRawInput(HWND window);

// The keyboards that raw input lists now, or nothing when the list cannot be read.
std::optional<RawKeyboards> ListRawKeyboards();

struct RawKey {
  std::uintptr_t handle = 0;
  std::uint16_t virtualKey = 0;
  bool down = false;
};
// The key that the WM_INPUT message's `lParam` carries, if it is a keyboard's.
std::optional<RawKey> ReadRawKey(LPARAM lParam);

}  // namespace varnel
