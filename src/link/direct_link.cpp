#include "link/direct_link.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/lock_light.h"

namespace varnel {

struct DirectLink::Device {
  ReaderNode where;
  std::string path;
  std::unique_ptr<ReaderDevice> io;
  bool grabbed = false;
  bool grabRefused = false;
  // An F12 press went to the program and its release has not: only such a release is passed on,
  // so a press that began before the device was opened or while events were lost is not ended
  // by a release that was never its own.
  bool pressPassedOn = false;
  // When the program read the last release it passed on.
  std::optional<Tick> lastRelease;
};

namespace {

std::string Key(const ReaderNode& node) { return node.id + "\n" + node.node; }

bool Listed(const ReaderNodes& nodes, const ReaderNode& node) {
  return std::find(nodes.begin(), nodes.end(), node) != nodes.end();
}

std::string ErrorText(int error) { return std::strerror(error); }

std::string CannotOpenMessage(const std::string& path, int error) {
  std::string line = "varnel: cannot open the reader's device " + path + " (" + ErrorText(error) +
                     "). Until it can, codes come through the window, while it has the focus.";
  if (error == EACCES || error == EPERM) {
    line +=
        " To let the user at the seat open it, install the varnel package (its udev rule, "
        "70-varnel-reader.rules, grants that) and plug the reader in again.";
  }
  return line + " The direct link comes up by itself once the device can be opened.";
}

std::string WhyNotDirect(const LinkStatus& status) {
  switch (status.why) {
    case LinkStatus::Why::NoReader:
      return "the reader's device is not there";
    case LinkStatus::Why::NoDeviceList:
      return "the input device list cannot be read";
    case LinkStatus::Why::CannotOpen:
      return "cannot open " + status.failedPath + " (" + ErrorText(status.error) + ")";
    case LinkStatus::Why::PersonsKeyboard:
      return "the device with the reader's identity is a person's keyboard";
  }
  return {};
}

}  // namespace

std::int16_t DirectLink::DeviceLight::KeyState(std::int32_t virtualKey) {
  if (virtualKey != kVkScrollLock || devices_.empty()) return 0;
  return devices_.front().io->ScrollLockOn() ? 1 : 0;
}

void DirectLink::DeviceLight::SendPress(const KeyPressRecords& press) {
  for (const KeyboardRecord& record : press) {
    if ((record.flags & kKeyEventKeyUp) != 0 || record.virtualKey != kVkScrollLock) continue;
    const bool on = (KeyState(kVkScrollLock) & 1) == 0;
    for (Device& device : devices_) device.io->SetScrollLock(on);
  }
}

DirectLink::DirectLink(DeviceOpener& opener, std::string inputDir, LockKeyPort* windowLight,
                       WindowLight windowLightKind)
    : opener_(opener),
      inputDir_(std::move(inputDir)),
      windowLightKind_(windowLightKind),
      router_(windowLightKind == WindowLight::Indicator ? windowLight : nullptr, deviceLight_) {
  status_.windowLight = windowLightKind;
  router_.Route(windowLightKind == WindowLight::Indicator ? LightPath::Window : LightPath::Nowhere);
}

DirectLink::~DirectLink() { LightsOff(); }

void DirectLink::LightsOff() {
  for (Device& device : devices_) device.io->SetScrollLock(false);
}

std::string DirectLink::PathOf(const ReaderNode& node) const { return inputDir_ + "/" + node.node; }

void DirectLink::Scan(const std::optional<ReaderNodes>& nodes, Tick now, LinkHost& host) {
  listReadable_ = nodes.has_value();
  if (nodes) {
    for (std::size_t i = devices_.size(); i-- > 0;) {
      if (!Listed(*nodes, devices_[i].where)) Remove(i, Removal::Gone, now, host);
    }
    // A person's keyboard is left alone while it stays plugged in; plugged in again, it is tried
    // again. A node that could not be opened is tried again at every scan while it is listed.
    std::set<std::string> listed;
    for (const ReaderNode& node : *nodes) listed.insert(Key(node));
    std::erase_if(letGo_, [&](const std::string& key) { return !listed.contains(key); });
    std::erase_if(failing_, [&](const auto& entry) { return !listed.contains(entry.first); });
    for (const ReaderNode& node : *nodes) {
      const bool open = std::any_of(devices_.begin(), devices_.end(),
                                    [&](const Device& d) { return d.where == node; });
      if (!open && !letGo_.contains(Key(node))) Adopt(node, host);
    }
  }
  scanned_ = true;
  Update(host);
}

void DirectLink::Adopt(const ReaderNode& node, LinkHost& host) {
  const std::string path = PathOf(node);
  OpenedDevice opened = opener_.Open(path);
  if (!opened.device) {
    Failure& failure = failing_[Key(node)];
    failure.path = path;
    failure.error = opened.error;
    ++failure.count;
    // Its node can appear a moment before the system's permission rule reaches it: a node that
    // has just appeared is given one more scan before the user is told.
    if (!saidCannotOpen_ && (!scanned_ || failure.count >= 2)) {
      host.Say(CannotOpenMessage(path, opened.error));
      saidCannotOpen_ = true;
    }
    return;
  }
  failing_.erase(Key(node));
  Device& device = devices_.emplace_back();
  device.where = node;
  device.path = path;
  device.io = std::move(opened.device);
  // Already showing the program's light on another reader: this one joins in.
  if (router_.Path() == LightPath::Device) device.io->SetScrollLock(router_.ProgramOn());
  host.Watch(device.io->Fd(), true);
  if (!TryGrab(device, host)) Remove(devices_.size() - 1, Removal::PersonsKeyboard, 0, host);
}

bool DirectLink::TryGrab(Device& device, LinkHost& host) {
  if (device.grabbed || device.grabRefused) return true;
  // Grabbing a device with a key down would leave that key stuck down for everyone else.
  const KeysDown keys = device.io->KeysDownNow();
  if (keys == KeysDown::Others) return false;
  if (keys == KeysDown::OnlyF12) return true;
  if (const int error = device.io->Grab(); error != 0) {
    device.grabRefused = true;
    if (!saidGrabRefused_) {
      host.Say("varnel: the reader's device " + device.path +
               " cannot be taken for this program alone (" + ErrorText(error) +
               "): its presses also reach other programs; the program still counts each once.");
      saidGrabRefused_ = true;
    }
    return true;
  }
  // A key that went down just before the grab would have its release kept from the others.
  if (device.io->KeysDownNow() != KeysDown::None) {
    device.io->Ungrab();
    return true;
  }
  device.grabbed = true;
  return true;
}

void DirectLink::Read(int fd, Tick now, LinkHost& host) {
  const auto found = std::find_if(devices_.begin(), devices_.end(),
                                  [&](const Device& d) { return d.io->Fd() == fd; });
  if (found == devices_.end()) return;
  const std::size_t index = static_cast<std::size_t>(found - devices_.begin());
  events_.clear();
  const bool alive = devices_[index].io->Read(events_);
  for (const DeviceEvent& event : events_) {
    Device& device = devices_[index];
    switch (event.kind) {
      case DeviceEvent::Kind::F12Down:
        device.pressPassedOn = true;
        host.ReaderF12(true, event.time, now);
        break;
      case DeviceEvent::Kind::F12Up:
      case DeviceEvent::Kind::F12UpByKernel:
        if (!device.pressPassedOn) break;
        device.pressPassedOn = false;
        if (event.kind == DeviceEvent::Kind::F12UpByKernel) {
          host.CutCode(false);  // made up as the device went: the press was cut, not released
          break;
        }
        device.lastRelease = now;
        host.ReaderF12(false, event.time, now);
        break;
      case DeviceEvent::Kind::Dropped:
        // Whatever was lost may have been presses of the code in progress.
        device.pressPassedOn = false;
        host.CutCode(true);
        break;
      case DeviceEvent::Kind::OtherKey:
        Remove(index, Removal::PersonsKeyboard, now, host);
        Update(host);
        return;
    }
  }
  if (!alive) {
    Remove(index, Removal::Gone, now, host);
  } else if (!TryGrab(devices_[index], host)) {
    Remove(index, Removal::PersonsKeyboard, now, host);
  }
  Update(host);
}

void DirectLink::Remove(std::size_t index, Removal why, Tick now, LinkHost& host) {
  Device device = std::move(devices_[index]);
  devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(index));
  host.Watch(device.io->Fd(), false);
  if (why == Removal::Gone) {
    // A press it was holding was cut, whatever release the kernel made up for it.
    const bool releasedAsItWent =
        device.lastRelease && TickDiff(now, *device.lastRelease) <= kRemovalReleaseMs;
    host.CutCode(releasedAsItWent);
    return;
  }
  // A person's keyboard: let go at once, its light as the program found it, and left alone.
  if (router_.ProgramOn()) device.io->SetScrollLock(false);
  if (device.grabbed) device.io->Ungrab();
  if (device.pressPassedOn) host.CutCode(false);
  letGo_.insert(Key(device.where));
  host.Say("varnel: " + device.path +
           " has the reader's identity but sent a key other than F12: it is a person's keyboard. "
           "The program lets go of it and leaves it alone while it stays plugged in.");
}

void DirectLink::Update(LinkHost& host) {
  LinkStatus status;
  status.windowLight = windowLightKind_;
  status.direct = !devices_.empty();
  if (status.direct) {
    status.exclusive = true;
    for (const Device& device : devices_) {
      status.paths.push_back(device.path);
      status.exclusive = status.exclusive && device.grabbed;
    }
  } else if (!failing_.empty()) {
    status.why = LinkStatus::Why::CannotOpen;
    status.failedPath = failing_.begin()->second.path;
    status.error = failing_.begin()->second.error;
  } else if (!letGo_.empty()) {
    status.why = LinkStatus::Why::PersonsKeyboard;
  } else if (!listReadable_) {
    status.why = LinkStatus::Why::NoDeviceList;
  }

  if (updated_ && status.direct != status_.direct) {
    // The two paths stamp their events on different clocks: no hold or code spans them.
    host.CutCode(false);
    host.Say(status.direct ? "varnel: direct link to the reader up, through " + status.paths[0]
                           : "varnel: direct link to the reader down (" + WhyNotDirect(status) +
                                 "): codes come through the window again, while it has the "
                                 "focus.");
  } else if (!updated_ && status.direct) {
    host.Say("varnel: direct link to the reader up, through " + status.paths[0]);
  }
  const bool windowLight = windowLightKind_ == WindowLight::Indicator;
  router_.Route(status.direct ? LightPath::Device
                              : (windowLight ? LightPath::Window : LightPath::Nowhere));
  if (!status.direct && !windowLight && !saidLightUnreachable_) {
    host.Say(windowLightKind_ == WindowLight::Wayland
                 ? "varnel: on Wayland the desktop's Scroll Lock light does not reach the reader: "
                   "without the direct link the reader gets no answer (codes are still read "
                   "through the window, while it has the focus)."
                 : "varnel: there is no X display, so without the direct link the light cannot "
                   "reach the reader (codes are still read through the window, while it has the "
                   "focus).");
    saidLightUnreachable_ = true;
  }
  if (!updated_ || !(status == status_)) {
    status_ = status;
    updated_ = true;
    host.LinkChanged(status_);
  }
}

}  // namespace varnel
