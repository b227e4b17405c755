// Typing through GNOME's remote-desktop service (mutter's org.gnome.Mutter.RemoteDesktop on the
// session bus): keys sent as symbols, which mutter finds on the keys and levels of the layout in
// force, on a session that lives as long as Varnel, or until mutter ends it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "output/typing_port.h"

namespace varnel {

// Whether the session bus has mutter's remote-desktop service.
bool MutterRemoteDesktopOffered();

// Null, with `problem` said, when no session can be made and started. `ownWindowActive` tells
// whether one of Varnel's windows is the active one.
std::unique_ptr<TypingPort> OpenMutterTyping(std::function<bool()> ownWindowActive,
                                             std::string& problem);

}  // namespace varnel
