#include "ui/link_tooltip.h"

#include <cerrno>
#include <cstring>

namespace varnel {

std::string LinkTooltip(const LinkStatus& status) {
  std::string text;
  if (status.direct) {
    text = "Collegamento diretto al lettore: ";
    for (std::size_t i = 0; i < status.paths.size(); ++i) {
      text += (i ? ", " : "") + status.paths[i];
    }
    text += ".";
    if (!status.exclusive) {
      text += "\nNon esclusivo: i tasti del lettore arrivano anche agli altri programmi.";
    }
    return text;
  }
  text =
      "Collegamento attraverso la finestra: i codici arrivano solo mentre la finestra ha il "
      "focus.\nMotivo: ";
  switch (status.why) {
    case LinkStatus::Why::NoReader:
      text += "il dispositivo del lettore non è presente.";
      break;
    case LinkStatus::Why::NoDeviceList:
      text += "l'elenco dei dispositivi di input non si può leggere.";
      break;
    case LinkStatus::Why::CannotOpen:
      text += "il dispositivo del lettore (" + status.failedPath + ") non si può aprire";
      if (status.error == EACCES || status.error == EPERM) {
        text +=
            ": permesso negato. Installare il pacchetto varnel, la cui regola udev dà "
            "l'accesso all'utente, e ricollegare il lettore.";
      } else {
        text += std::string(" (") + std::strerror(status.error) + ").";
      }
      break;
    case LinkStatus::Why::PersonsKeyboard:
      text +=
          "il dispositivo con l'identità del lettore ha inviato altri tasti: è la tastiera di "
          "una persona, e resta al desktop.";
      break;
    case LinkStatus::Why::HeldByAnother:
      text += "un altro programma tiene il dispositivo del lettore (" + status.failedPath +
              ") in esclusiva.";
      break;
  }
  switch (status.windowLight) {
    case WindowLight::Indicator:
      text += "\nLa luce è lo Scroll Lock del desktop.";
      break;
    case WindowLight::Wayland:
      text += "\nSu Wayland la luce non può raggiungere il lettore.";
      break;
    case WindowLight::NoDisplay:
    case WindowLight::NoWindow:
      text += "\nSenza un display X la luce non può raggiungere il lettore.";
      break;
  }
  return text;
}

}  // namespace varnel
