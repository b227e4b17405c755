#include "output/wayland/typing_means.h"

#include <algorithm>

namespace varnel {

WaylandChoice ChooseWaylandMeans(const WaylandOffer& offer) {
  const auto offers = [&](auto&& match) {
    return std::any_of(offer.globals.begin(), offer.globals.end(), match);
  };
  if (offer.mutterRemoteDesktop) return {WaylandMeans::MutterRemoteDesktop, {}};
  if (offers([](const std::string& g) { return g == "zwp_virtual_keyboard_manager_v1"; })) {
    return {WaylandMeans::VirtualKeyboard, {}};
  }
  // KWin names its own interfaces so.
  if (offers([](const std::string& g) { return g.starts_with("org_kde_kwin_"); })) {
    return {WaylandMeans::None,
            "varnel: --type cannot type on KDE Plasma: KWin offers no virtual keyboard "
            "(zwp_virtual_keyboard_manager_v1), and Varnel does not use KWin's own fake input "
            "(org_kde_kwin_fake_input) or the remote-desktop portal"};
  }
  return {WaylandMeans::None,
          "varnel: --type on Wayland needs GNOME's remote desktop (org.gnome.Mutter.RemoteDesktop "
          "on the session bus) or a virtual keyboard (zwp_virtual_keyboard_manager_v1, as sway, "
          "labwc and Hyprland offer): this desktop offers neither"};
}

}  // namespace varnel
