// Whether Qt will find a display to open, asked before Qt is started: Qt aborts when it finds
// none, and a user who started the program where there is no display deserves a sentence.
#pragma once

#include <string>
#include <vector>

namespace varnel {

// False when the platform Qt would use (from -platform or QT_QPA_PLATFORM, else X11 and Wayland
// as the environment names them) has no display that answers. When only one of X11 and Wayland
// answers and nothing chose between them, Qt is pointed at that one.
bool DisplayReachable(const std::vector<std::string>& args);

}  // namespace varnel
