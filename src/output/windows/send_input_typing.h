// Typing into the window in front on Windows, by SendInput: the digits as Unicode characters,
// so that the keyboard layout in force does not matter, and Enter or Tab as their keys.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
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

// What keeps typed keys from the window in front. `desktop`: the name of the desktop that takes
// input now, none if it cannot even be opened (the secure desktop of a locked session or of a
// UAC prompt); `front` and `own`: the integrity levels (their RIDs) of the process of the window
// in front and of Varnel's, `front` none if it cannot be read. Windows drops keys sent to a
// window of a higher level without a word, and such a window's level is what cannot be read.
std::optional<Untyped> TypingBar(const std::optional<std::wstring>& desktop,
                                 const std::optional<DWORD>& front, DWORD own);

std::unique_ptr<TypingPort> OpenSendInputTyping();

}  // namespace varnel
