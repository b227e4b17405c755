#include "ui/choices_menu.h"

#include <array>
#include <utility>

namespace varnel {
namespace {

constexpr std::array<std::pair<Typing, ChoiceEntry>, 4> kTypingEntries{
    {{Typing::Off, ChoiceEntry::TypeOff},
     {Typing::Enter, ChoiceEntry::TypeEnter},
     {Typing::Tab, ChoiceEntry::TypeTab},
     {Typing::None, ChoiceEntry::TypeNone}}};

const char* TypingText(Typing typing) {
  switch (typing) {
    case Typing::Enter:
      return "Sì, seguiti da Invio";
    case Typing::Tab:
      return "Sì, seguiti da Tab";
    case Typing::None:
      return "Sì, solo le cifre";
    case Typing::Off:
      break;
  }
  return "No";
}

}  // namespace

ChoicesMenu::ChoicesMenu(ChoiceStore& store, LoginStart& login, const Choices& inForce,
                         Effects effects)
    : store_(store), login_(login), inForce_(inForce), effects_(std::move(effects)) {}

void ChoicesMenu::Start() { Type(); }

std::vector<MenuItem> ChoicesMenu::Items() {
  MenuItem typing{.text = kTypingMenuText};
  typing.enabled = effects_.typing != nullptr;
  if (!typing.enabled) typing.toolTip = effects_.typingUnavailable;
  for (const auto& [choice, entry] : kTypingEntries) {
    typing.items.push_back({.text = TypingText(choice),
                            .entry = entry,
                            .checked = inForce_.typing == choice,
                            .radio = true,
                            .enabled = typing.enabled});
  }
  std::vector<MenuItem> items{std::move(typing)};
  if (effects_.takeF12) {
    items.push_back(
        {.text = kTakeF12MenuText, .entry = ChoiceEntry::TakeF12, .checked = inForce_.takeF12});
  }
  items.push_back(
      {.text = kStartAtLoginMenuText, .entry = ChoiceEntry::StartAtLogin, .checked = login_.On()});
  return items;
}

void ChoicesMenu::Choose(ChoiceEntry entry) {
  if (entry == ChoiceEntry::StartAtLogin) {
    std::string problem;
    const bool on = !login_.On();
    if (!login_.Set(on, problem)) {
      effects_.say("varnel: cannot " + std::string(on ? "write " : "remove ") + login_.Where() +
                   ": " + problem);
    }
    return;
  }
  if (entry == ChoiceEntry::TakeF12) {
    if (!effects_.takeF12) return;
    inForce_.takeF12 = !inForce_.takeF12;
    effects_.takeF12(inForce_.takeF12);
    return Keep({.takeF12 = inForce_.takeF12});
  }
  // Where typing cannot work, its entries are disabled.
  if (!effects_.typing) return;
  for (const auto& [choice, typingEntry] : kTypingEntries) {
    if (typingEntry == entry) inForce_.typing = choice;
  }
  Type();
  Keep({.typing = inForce_.typing});
}

void ChoicesMenu::Type() {
  const std::optional<TypeEnd> end = TypeEndOf(inForce_.typing);
  if (!effects_.typing) return;
  if (end) {
    effects_.outlet.TypeCodes(*effects_.typing, {*end, effects_.typeDelayMs}, effects_.say);
  } else {
    effects_.outlet.StopTyping();
  }
}

void ChoicesMenu::Keep(const GivenChoices& given) {
  std::string problem;
  if (!store_.Keep(KeptValuesOf(given), problem)) {
    effects_.say("varnel: cannot keep the choice in " + store_.Where() + ": " + problem);
  }
}

}  // namespace varnel
