// The choices a person makes in the window's menu, or an administrator with --remember: what is
// kept of them, read back value by value, and what is in force for a run once its command line
// has had its say.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/typing_port.h"

namespace varnel {

// Typing into the program in front: off, or on with Enter, Tab or nothing after each code.
enum class Typing { Off, Enter, Tab, None };
std::optional<TypeEnd> TypeEndOf(Typing typing);
Typing TypingOf(std::optional<TypeEnd> end);

struct Choices {
  Typing typing = Typing::Off;
  bool takeF12 = false;  // offered on Windows only
  bool operator==(const Choices&) const = default;
};

// What one command line says of each choice: nothing, or the value it gives. Starting at login
// is the platform's own entry, not a kept value, and is only ever given with --remember.
struct GivenChoices {
  std::optional<Typing> typing{};
  std::optional<bool> takeF12{};
  std::optional<bool> startAtLogin{};
};

// The kept values by name, as text, as a store holds them: "type" is off, enter, tab or none,
// "take-f12" yes or no.
using KeptValues = std::map<std::string, std::string>;

struct KeptRead {
  Choices choices;
  // Each value that was not used, as "name=value".
  std::vector<std::string> ignored;
};
// The choices kept in `values`: each value Varnel does not know, and each name, is ignored on its
// own and listed, and the choice keeps its default. "take-f12" is known where `takeF12Offered`.
KeptRead ReadKept(const KeptValues& values, bool takeF12Offered);

// The one line that tells of a kept store that could not be read (`unreadable`, why) or held
// values that were ignored; empty when all was well. `where` names the store.
std::string KeptProblemLine(const std::string& where, const std::string& unreadable,
                            const std::vector<std::string>& ignored);

// What is in force for a run: each choice the command line gives wins over the kept one.
Choices InForce(const Choices& kept, const GivenChoices& given);

// The values that keep what `given` says, and nothing else.
KeptValues KeptValuesOf(const GivenChoices& given);

}  // namespace varnel
