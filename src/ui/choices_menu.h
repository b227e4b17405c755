// The window's menu of the kept choices, free of any toolkit: which entries it has and what each
// shows, decided once for both shells, which only render it and hand back the entry chosen. A
// choice takes effect at once and is kept for the later starts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "choices/choice_store.h"
#include "choices/choices.h"
#include "choices/login_start.h"
#include "output/code_outlet.h"

namespace varnel {

enum class ChoiceEntry { TypeOff, TypeEnter, TypeTab, TypeNone, TakeF12, StartAtLogin };
inline constexpr std::array<ChoiceEntry, 6> kChoiceEntries{
    ChoiceEntry::TypeOff,  ChoiceEntry::TypeEnter, ChoiceEntry::TypeTab,
    ChoiceEntry::TypeNone, ChoiceEntry::TakeF12,   ChoiceEntry::StartAtLogin};

struct MenuItem {
  std::string text{};
  std::optional<ChoiceEntry> entry{};  // none: a submenu of `items`
  bool checked = false;
  bool radio = false;  // one of the submenu's entries, of which one is checked
  bool enabled = true;
  std::string toolTip{};  // why it is disabled
  std::vector<MenuItem> items{};
};

inline const std::string kTypingMenuText = "Scrivi i codici nel programma in primo piano";
inline const std::string kTakeF12MenuText = "Trattieni F12 dagli altri programmi";
inline const std::string kStartAtLoginMenuText = "Avvia Varnel all'accesso";
// Why typing cannot be chosen, as the entry's tooltip says.
inline const std::string kTypingOnWaylandTip =
    "Questo desktop Wayland non offre a Varnel un modo di scrivere in un altro programma";
inline const std::string kTypingUnavailableTip =
    "Su questo schermo Varnel non può scrivere in un altro programma";
inline const std::string kViewerTypingTip =
    "Questa finestra mostra soltanto i codici del servizio Varnel: non li scrive in altri "
    "programmi";

class ChoicesMenu {
 public:
  // What the choices act on in this program.
  struct Effects {
    CodeOutlet& outlet;
    // Null where typing cannot work, for the reason `typingUnavailable`.
    TypingPort* typing = nullptr;
    std::string typingUnavailable{};
    // Keeps F12 from the other programs, or lets it go; null where that is not offered.
    std::function<void(bool take)> takeF12{};
    CodeTyping::Say say{};
    std::int32_t typeDelayMs = 0;  // between typed keys
  };
  ChoicesMenu(ChoiceStore& store, LoginStart& login, const Choices& inForce, Effects effects);

  // Puts the choices in force to work, once, as the window loads: typing, where it is on.
  void Start();
  // The menu as it is to be shown now.
  std::vector<MenuItem> Items();
  void Choose(ChoiceEntry entry);

  const Choices& InForce() const { return inForce_; }

 private:
  void Type();
  void Keep(const GivenChoices& given);

  ChoiceStore& store_;
  LoginStart& login_;
  Choices inForce_;
  Effects effects_;
};

}  // namespace varnel
