#include "ui/qt/display_probe.h"

#include "app/command_line.h"  // before Xlib: its macros (None, Status) would break it

#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace varnel {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool XAnswers(const std::string& name) {
  Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
  if (!display) return false;
  XCloseDisplay(display);
  return true;
}

bool WaylandAnswers() {
  std::string path = Env("WAYLAND_DISPLAY");
  if (path.empty()) return false;
  if (path.front() != '/') {
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    path = runtime + "/" + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

}  // namespace

bool DisplayReachable(const std::vector<std::string>& args) {
  const CommandLine line = ParseCommandLine(args, kLinuxCommandLine);
  const auto qtValue = [&](std::string_view name) {
    const auto found = line.qtValues.find(name);
    return found == line.qtValues.end() ? std::string() : found->second;
  };
  std::string platforms = qtValue("platform");
  if (platforms.empty()) platforms = Env("QT_QPA_PLATFORM");
  const std::string display = qtValue("display");
  if (platforms.empty()) {
    const bool x = (!display.empty() || !Env("DISPLAY").empty()) && XAnswers(display);
    const bool wayland = WaylandAnswers();
    if (x != wayland) setenv("QT_QPA_PLATFORM", x ? "xcb" : "wayland", 1);
    return x || wayland;
  }
  // Qt tries a list's platforms in turn ("wayland;xcb"), each possibly with options after ':'.
  std::string_view rest(platforms);
  while (!rest.empty()) {
    const std::string_view entry = rest.substr(0, rest.find(';'));
    rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
    const std::string_view name = entry.substr(0, entry.find(':'));
    if (name == "xcb" ? XAnswers(display) : !name.starts_with("wayland") || WaylandAnswers()) {
      return true;  // offscreen, vnc and the like are Qt's own affair
    }
  }
  return false;
}

}  // namespace varnel
