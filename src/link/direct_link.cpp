#include "link/direct_link.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace varnel {

struct DirectLink::Device {
  ReaderNode where;
  std::string path;
  std::uint64_t serial = 0;
  std::unique_ptr<ReaderDevice> io;
  bool grabbed = false;
  bool grabRefused = false;
  // It shows the program's light: a device refused as it was opened was never lit.
  bool lit = false;
  // What the decisions on the readers know it by.
  std::string Id() const { return std::to_string(serial); }
};

namespace {

std::string Key(const ReaderNode& node) { return node.id + "\n" + node.node; }

// What stays the same when a person's keyboard is plugged in again: the port, across a replug, a
// KVM switch or a resume, and what the keyboard says it is.
std::string Remembered(const ReaderNode& node) {
  return node.port + "\n" + node.name + "\n" + node.uniq;
}

std::string ErrorText(int error) { return std::strerror(error); }

std::string CannotOpenMessage(const std::string& path, int error, WindowLight windowLight) {
  std::string line = "varnel: cannot open the reader's device " + path + " (" + ErrorText(error) +
                     ")." + Meanwhile(windowLight);
  if (error == EACCES || error == EPERM) {
    line +=
        " To let the user at the seat open it, install the varnel package (its udev rule, "
        "70-varnel-reader.rules, grants that) and plug the reader in again.";
    if (windowLight == WindowLight::NoWindow) {
      line +=
          " That access comes with a session at the seat: on a box without a screen, log in on "
          "its console or set up an automatic log-in.";
    }
  }
  return line + " The direct link comes up by itself once the device can be opened.";
}

}  // namespace

void DirectLink::ReaderLeds::Set(bool on) {
  for (Device& device : link_.devices_) device.io->SetScrollLock(on);
}

DirectLink::DirectLink(DeviceOpener& opener, std::string inputDir, varnel::Light* windowLight,
                       WindowLight windowLightKind)
    : opener_(opener),
      inputDir_(std::move(inputDir)),
      windowLightKind_(windowLightKind),
      router_(windowLightKind == WindowLight::Indicator ? windowLight : nullptr, readerLeds_),
      change_(windowLightKind) {
  router_.Route(windowLightKind == WindowLight::Indicator ? LightPath::Window : LightPath::Nowhere);
}

DirectLink::~DirectLink() { LightsOff(); }

void DirectLink::LightsOff() {
  for (Device& device : devices_) device.io->SetScrollLock(false);
}

std::string DirectLink::PathOf(const ReaderNode& node) const { return inputDir_ + "/" + node.node; }

void DirectLink::Scan(const std::optional<ReaderNodes>& nodes, Tick now, LinkPort& port,
                      LinkListener& listener) {
  listReadable_ = nodes.has_value();
  if (nodes) {
    // A node that could not be opened or that another program holds is tried again at every
    // scan while it is listed. A person's keyboard stays let go, plugged in again or not.
    std::set<std::string> listed;
    for (const ReaderNode& node : *nodes) listed.insert(Key(node));
    std::erase_if(failing_, [&](const auto& entry) { return !listed.contains(entry.first); });
    std::erase_if(heldByAnother_, [&](const auto& entry) { return !listed.contains(entry.first); });
    std::set<std::string> remembered;
    for (const ReaderNode& node : *nodes) remembered.insert(Remembered(node));
    readers_.Listed(remembered);
    for (const ReaderNode& node : *nodes) {
      const bool open = std::any_of(devices_.begin(), devices_.end(),
                                    [&](const Device& d) { return d.where == node; });
      if (!open && !readers_.IsLetGo(Remembered(node))) Adopt(node, port, listener);
    }
    // A grab that waited for a key to come up, and that no event of the device has retried.
    for (std::size_t i = devices_.size(); i-- > 0;) {
      if (const Grab grab = TryGrab(devices_[i], port); grab != Grab::Done) {
        Remove(i, grab == Grab::PersonsKeyboard ? Removal::PersonsKeyboard : Removal::HeldByAnother,
               now, port, listener);
      }
    }
  }
  scanned_ = true;
  Update(port, listener);
}

void DirectLink::Adopt(const ReaderNode& node, LinkPort& port, LinkListener& listener) {
  const std::string path = PathOf(node);
  OpenedDevice opened = opener_.Open(path);
  // The node's number may have passed to another interface or device since the list was read:
  // the node's physical path names the interface ("usb-0000:00:14.0-2/input0").
  if (opened.device && opened.device->Phys() != node.phys) opened = {nullptr, ENODEV};
  if (!opened.device) {
    Failure& failure = failing_[Key(node)];
    failure.path = path;
    failure.error = opened.error;
    ++failure.count;
    // Its node can appear a moment before the system's permission rule reaches it: a node that
    // has just appeared is given one more scan before the user is told.
    if (!saidCannotOpen_ && (!scanned_ || failure.count >= 2)) {
      port.Say(CannotOpenMessage(path, opened.error, windowLightKind_));
      saidCannotOpen_ = true;
    }
    return;
  }
  failing_.erase(Key(node));
  Device& device = devices_.emplace_back();
  device.where = node;
  device.path = path;
  device.serial = nextSerial_++;
  device.io = std::move(opened.device);
  port.Watch(device.io->Fd(), true);
  readers_.Add(device.Id(), path, Remembered(node));
  if (const Grab grab = TryGrab(device, port); grab != Grab::Done) {
    Remove(devices_.size() - 1,
           grab == Grab::PersonsKeyboard ? Removal::PersonsKeyboard : Removal::HeldByAnother, 0,
           port, listener);
    return;
  }
  // Already showing the program's light on another reader: this one joins in (otherwise the
  // light moves to the devices as the link comes up).
  device.lit = true;
  if (router_.Path() == LightPath::Device) device.io->SetScrollLock(router_.On());
}

DirectLink::Grab DirectLink::TryGrab(Device& device, LinkPort& port) {
  if (device.grabbed || device.grabRefused) return Grab::Done;
  // Grabbing a device with a key down would leave that key stuck down for everyone else.
  const KeysDown keys = device.io->KeysDownNow();
  if (keys == KeysDown::Others) return Grab::PersonsKeyboard;
  if (keys == KeysDown::OnlyF12) return Grab::Done;
  if (const int error = device.io->Grab(); error != 0) {
    // Another program has the device for itself alone (a key remapper, a virtual machine,
    // another Varnel): the kernel gives its events to that program only.
    if (error == EBUSY) return Grab::HeldByAnother;
    device.grabRefused = true;
    if (!saidGrabRefused_) {
      port.Say("varnel: the reader's device " + device.path +
               " cannot be taken for this program alone (" + ErrorText(error) +
               "): its presses also reach other programs; the program still counts each "
               "once.");
      saidGrabRefused_ = true;
    }
    return Grab::Done;
  }
  heldByAnother_.erase(Key(device.where));
  // A key that went down just before the grab would have its release kept from the others.
  if (device.io->KeysDownNow() != KeysDown::None) {
    device.io->Ungrab();
    return Grab::Done;
  }
  device.grabbed = true;
  return Grab::Done;
}

void DirectLink::Read(int fd, Tick now, LinkPort& port, LinkListener& listener) {
  const auto found = std::find_if(devices_.begin(), devices_.end(),
                                  [&](const Device& d) { return d.io->Fd() == fd; });
  if (found == devices_.end()) return;
  const std::size_t index = static_cast<std::size_t>(found - devices_.begin());
  events_.clear();
  const bool alive = devices_[index].io->Read(events_);
  using Key = ReaderDevices::Key;
  for (const DeviceEvent& event : events_) {
    Device& device = devices_[index];
    const KeyTime time{event.time, now};
    switch (event.kind) {
      case DeviceEvent::Kind::F12Down:
        readers_.DeviceKey(device.Id(), Key::F12Down, time, listener);
        break;
      case DeviceEvent::Kind::F12Up:
        readers_.DeviceKey(device.Id(), Key::F12Up, time, listener);
        break;
      case DeviceEvent::Kind::F12UpByKernel:
        readers_.DeviceKey(device.Id(), Key::F12UpMadeUp, time, listener);
        break;
      case DeviceEvent::Kind::Dropped:
        readers_.DeviceKey(device.Id(), Key::Dropped, time, listener);
        break;
      case DeviceEvent::Kind::Light:
        KeepLight(device);
        break;
      case DeviceEvent::Kind::OtherKey:
        // Nothing more of this device is taken: what it sent after this key in the same batch
        // is lost to the desktop too.
        Remove(index, Removal::PersonsKeyboard, now, port, listener);
        Update(port, listener);
        return;
    }
  }
  if (!alive) {
    Remove(index, Removal::Gone, now, port, listener);
  } else if (const Grab grab = TryGrab(devices_[index], port); grab != Grab::Done) {
    Remove(index, grab == Grab::PersonsKeyboard ? Removal::PersonsKeyboard : Removal::HeldByAnother,
           now, port, listener);
  }
  Update(port, listener);
}

void DirectLink::KeepLight(Device& device) {
  // The program's own writes come back too, already as it set them: no write, so no loop.
  if (router_.Path() != LightPath::Device) return;
  const bool on = router_.On();
  if (device.io->ScrollLockOn() != on) device.io->SetScrollLock(on);
}

void DirectLink::Remove(std::size_t index, Removal why, Tick now, LinkPort& port,
                        LinkListener& listener) {
  Device device = std::move(devices_[index]);
  devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(index));
  port.Watch(device.io->Fd(), false);
  if (why == Removal::Gone) return readers_.Gone(device.Id(), now, listener);
  // Let go at once, its light as the program found it.
  if (device.lit && router_.On()) device.io->SetScrollLock(false);
  if (device.grabbed) device.io->Ungrab();
  readers_.LetGo(device.Id(), why == Removal::PersonsKeyboard, listener);
  if (why == Removal::HeldByAnother) {
    if (heldByAnother_.emplace(Key(device.where), device.path).second) {
      port.Say("varnel: another program holds the reader's device " + device.path +
               " exclusively (a key remapper, a virtual machine or another Varnel, say), so its "
               "presses reach that program alone. The direct link comes up by itself once that "
               "program lets go." +
               Meanwhile(windowLightKind_));
    }
    return;
  }
  port.Say(PersonsKeyboardMessage(device.path, ReaderDevices::Memory::ForTheProgramsLife));
}

void DirectLink::Update(LinkPort& port, LinkListener& listener) {
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
  } else if (!heldByAnother_.empty()) {
    status.why = LinkStatus::Why::HeldByAnother;
    status.failedPath = heldByAnother_.begin()->second;
  } else if (readers_.PersonsKeyboardListed()) {
    status.why = LinkStatus::Why::PersonsKeyboard;
  } else if (!listReadable_) {
    status.why = LinkStatus::Why::NoDeviceList;
  }

  const LinkStatusChange::Step step = change_.To(status);
  if (step.cutCode) listener.CutCode(false);
  if (!step.say.empty()) port.Say(step.say);
  const bool windowLight = windowLightKind_ == WindowLight::Indicator;
  router_.Route(status.direct ? LightPath::Device
                              : (windowLight ? LightPath::Window : LightPath::Nowhere));
  if (!status.direct && !windowLight && windowLightKind_ != WindowLight::NoWindow &&
      !saidLightUnreachable_) {
    port.Say(windowLightKind_ == WindowLight::Wayland
                 ? "varnel: on Wayland the desktop's Scroll Lock light does not reach the reader: "
                   "without the direct link the reader gets no answer (codes are still read "
                   "through the window, while it has the focus)."
                 : "varnel: there is no X display, so without the direct link the light cannot "
                   "reach the reader (codes are still read through the window, while it has the "
                   "focus).");
    saidLightUnreachable_ = true;
  }
  if (step.report) listener.LinkChanged(change_.Status());
}

}  // namespace varnel
