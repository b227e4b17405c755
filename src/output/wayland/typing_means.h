// Which means of typing Varnel takes on a Wayland desktop, from what the desktop offers: GNOME's
// remote-desktop service where mutter serves it, else the virtual keyboard of wlroots'
// compositors, else none, said in one line.
#pragma once

#include <string>
#include <vector>

namespace varnel {

enum class WaylandMeans { MutterRemoteDesktop, VirtualKeyboard, None };

struct WaylandOffer {
  bool mutterRemoteDesktop = false;  // org.gnome.Mutter.RemoteDesktop on the session bus
  std::vector<std::string> globals;  // the interfaces of the compositor's registry
};

struct WaylandChoice {
  WaylandMeans means = WaylandMeans::None;
  std::string refusal;  // for None: the line said at start-up
};

WaylandChoice ChooseWaylandMeans(const WaylandOffer& offer);

}  // namespace varnel
