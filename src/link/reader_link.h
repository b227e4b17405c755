// A link that hears the reader without the focus, as the rest of the program sees it: its state,
// and what it tells the program. The Linux direct link is one; each platform's link reports the
// same way, so that the program decides the same whichever it is.
#pragma once

#include <string>
#include <vector>

#include "light/lit_lights.h"
#include "reception/tick.h"

namespace varnel {

// What the window system's keyboard light does for the reader.
enum class WindowLight {
  Indicator,  // an X server's indicator, passed to every keyboard, the reader's included
  Wayland,    // a Wayland desktop: its X compatibility server's indicator reaches no keyboard
  NoDisplay,  // no X display to set one on
  NoWindow,   // no window at all: the direct link is the only way in
};

struct LinkStatus {
  enum class Why { NoReader, NoDeviceList, CannotOpen, PersonsKeyboard, HeldByAnother };
  bool direct = false;
  // While direct: the devices' paths, and whether every one of them is the program's alone.
  std::vector<std::string> paths;
  bool exclusive = false;
  // While not direct: why not; for CannotOpen, the node and the errno; for HeldByAnother, the
  // node that another program has taken for itself alone.
  Why why = Why::NoReader;
  std::string failedPath;
  int error = 0;
  WindowLight windowLight = WindowLight::Indicator;
  bool operator==(const LinkStatus&) const = default;
};

// Where the program's light shows while the link is in `status`: the readers' own lights, the
// window system's indicator, or nowhere.
LitLights LightPlace(const LinkStatus& status);

// What the link tells the program: the program's way in from the reader.
class LinkListener {
 public:
  // An F12 of the reader, stamped by the input system at `time.event`, read at `time.handled`.
  virtual void ReaderF12(bool down, KeyTime time) = 0;
  // The code in progress cannot go on (see CutCode in reception/frame_watchdog.h).
  virtual void CutCode(bool evenIfFull) = 0;
  // The status changed: the path, or why it is not direct.
  virtual void LinkChanged(const LinkStatus& status) = 0;

 protected:
  ~LinkListener() = default;
};

}  // namespace varnel
