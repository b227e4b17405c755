#include "choices/choices.h"

#include <array>
#include <utility>

namespace varnel {
namespace {

constexpr const char* kTypeName = "type";
constexpr const char* kTakeF12Name = "take-f12";
constexpr std::array<std::pair<Typing, const char*>, 4> kTypingWords{
    {{Typing::Off, "off"}, {Typing::Enter, "enter"}, {Typing::Tab, "tab"}, {Typing::None, "none"}}};

constexpr std::array<std::pair<Typing, TypeEnd>, 3> kTypingEnds{
    {{Typing::Enter, TypeEnd::Enter}, {Typing::Tab, TypeEnd::Tab}, {Typing::None, TypeEnd::None}}};

const char* YesNo(bool yes) { return yes ? "yes" : "no"; }

std::optional<bool> ReadYesNo(const std::string& word) {
  if (word == "yes") return true;
  if (word == "no") return false;
  return std::nullopt;
}

std::optional<Typing> ReadTyping(const std::string& word) {
  for (const auto& [typing, name] : kTypingWords) {
    if (word == name) return typing;
  }
  return std::nullopt;
}

const char* TypingWord(Typing typing) {
  for (const auto& [known, name] : kTypingWords) {
    if (known == typing) return name;
  }
  return "off";
}

}  // namespace

std::optional<TypeEnd> TypeEndOf(Typing typing) {
  for (const auto& [on, end] : kTypingEnds) {
    if (on == typing) return end;
  }
  return std::nullopt;
}

Typing TypingOf(std::optional<TypeEnd> end) {
  for (const auto& [typing, known] : kTypingEnds) {
    if (known == end) return typing;
  }
  return Typing::Off;
}

KeptRead ReadKept(const KeptValues& values, bool takeF12Offered) {
  KeptRead read;
  for (const auto& [name, value] : values) {
    bool used = false;
    if (name == kTypeName) {
      const std::optional<Typing> typing = ReadTyping(value);
      if ((used = typing.has_value())) read.choices.typing = *typing;
    } else if (name == kTakeF12Name && takeF12Offered) {
      const std::optional<bool> take = ReadYesNo(value);
      if ((used = take.has_value())) read.choices.takeF12 = *take;
    }
    if (!used) read.ignored.push_back(name + "=" + value);
  }
  return read;
}

std::string KeptProblemLine(const std::string& where, const std::string& unreadable,
                            const std::vector<std::string>& ignored) {
  std::string problems;
  if (!unreadable.empty()) problems = "cannot be read wholly (" + unreadable + ")";
  if (!ignored.empty()) {
    if (!problems.empty()) problems += "; ";
    problems += "ignored, as Varnel does not know it:";
    for (const std::string& value : ignored) problems += " " + value;
  }
  if (problems.empty()) return problems;
  return "varnel: the kept choices, " + where + ": " + problems + "; the rest is used.";
}

Choices InForce(const Choices& kept, const GivenChoices& given) {
  Choices choices = kept;
  if (given.typing) choices.typing = *given.typing;
  if (given.takeF12) choices.takeF12 = *given.takeF12;
  return choices;
}

KeptValues KeptValuesOf(const GivenChoices& given) {
  KeptValues values;
  if (given.typing) values[kTypeName] = TypingWord(*given.typing);
  if (given.takeF12) values[kTakeF12Name] = YesNo(*given.takeF12);
  return values;
}

}  // namespace varnel
