#include "output/wayland/wayland_typing.h"

#include "output/wayland/mutter_remote_desktop.h"
#include "output/wayland/typing_means.h"
#include "output/wayland/virtual_keyboard.h"

namespace varnel {

std::unique_ptr<TypingPort> OpenWaylandTyping(std::function<bool()> ownWindowActive,
                                              std::string& refusal) {
  WaylandOffer offer;
  std::string problem;
  offer.mutterRemoteDesktop = MutterRemoteDesktopOffered();
  if (!offer.mutterRemoteDesktop) {
    offer.globals = WaylandGlobals(problem);
    if (offer.globals.empty()) {
      refusal = "varnel: --type cannot type: " + problem;
      return nullptr;
    }
  }
  const WaylandChoice choice = ChooseWaylandMeans(offer);
  std::unique_ptr<TypingPort> port;
  switch (choice.means) {
    case WaylandMeans::MutterRemoteDesktop:
      port = OpenMutterTyping(std::move(ownWindowActive), problem);
      break;
    case WaylandMeans::VirtualKeyboard:
      port = OpenVirtualKeyboardTyping(std::move(ownWindowActive), problem);
      break;
    case WaylandMeans::None:
      refusal = choice.refusal;
      return nullptr;
  }
  if (!port) refusal = "varnel: --type cannot type: " + problem;
  return port;
}

}  // namespace varnel
