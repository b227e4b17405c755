// Typing into the window in front on Windows, by SendInput: the digits as Unicode characters,
// so that the keyboard layout in force does not matter, and Enter or Tab as their keys.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "output/typing_port.h"

namespace varnel {

// What the program's own typed keys carry as their extra information, so that its keyboard link
// knows them from a keyboard's: Wine reports injected keys as the keyboard's own.
inline constexpr ULONG_PTR kTypedKeyMark = 0x5661726E;  // "Varn"

// The input records that type `text` and then `end`, each a press and its release: handed to
// one SendInput call, so that no other input comes between them.
std::vector<INPUT> TypingInputs(std::string_view text, TypeEnd end);

std::unique_ptr<TypingPort> OpenSendInputTyping();

}  // namespace varnel
