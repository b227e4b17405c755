#include "link/raw_input_link.h"

#include <set>

#include "link/reader_presence.h"

namespace varnel {
namespace {

std::string IdOf(std::uintptr_t handle) { return std::to_string(handle); }

}  // namespace

RawInputLink::RawInputLink(std::string identity, bool takeF12, Say say)
    : identity_(std::move(identity)), takeF12_(takeF12), say_(std::move(say)) {
  devices_.SetSource(takeF12 ? ReaderDevices::Source::Hook : ReaderDevices::Source::Device);
}

void RawInputLink::Listed(const std::optional<RawKeyboards>& keyboards, Tick now,
                          LinkListener& listener) {
  listReadable_ = keyboards.has_value();
  if (keyboards) {
    std::set<std::string> listed, names;
    for (const RawKeyboard& keyboard : *keyboards) {
      if (!NameHasIdentity(keyboard.name, identity_)) continue;
      listed.insert(IdOf(keyboard.handle));
      names.insert(keyboard.name);
    }
    // A handle stands for one plug of one device: gone from the list, the device has gone.
    for (const RawKeyboard& keyboard : known_) {
      if (!listed.contains(IdOf(keyboard.handle)))
        devices_.Gone(IdOf(keyboard.handle), now, listener);
    }
    known_.clear();
    devices_.Listed(names);
    for (const RawKeyboard& keyboard : *keyboards) {
      if (!listed.contains(IdOf(keyboard.handle))) continue;
      known_.push_back(keyboard);
      devices_.Add(IdOf(keyboard.handle), keyboard.name, keyboard.name);
    }
  }
  Update(listener);
}

void RawInputLink::Key(std::uintptr_t handle, std::uint16_t virtualKey, bool down, KeyTime time,
                       LinkListener& listener) {
  // The system's light is set by Scroll Lock presses made up by a program, which some systems
  // (Wine) report as the keyboard's own: no sign of a person.
  if (virtualKey == kVirtualKeyScrollLock || virtualKey == kVirtualKeyNone) return;
  using K = ReaderDevices::Key;
  const K key = virtualKey != kVirtualKeyF12 ? K::Other : (down ? K::F12Down : K::F12Up);
  const std::string id = IdOf(handle);
  if (!devices_.Has(id)) return;
  if (!devices_.DeviceKey(id, key, time, listener)) {
    for (const RawKeyboard& keyboard : known_) {
      if (keyboard.handle == handle) {
        say_(PersonsKeyboardMessage(keyboard.name, ReaderDevices::Memory::WhilePlugged));
      }
    }
    Update(listener);
  }
}

void RawInputLink::HookF12(bool down, KeyTime time, LinkListener& listener) {
  devices_.HookF12(down, time, listener);
}

void RawInputLink::TakeF12(bool take, LinkListener& listener) {
  if (take == takeF12_) return;
  takeF12_ = take;
  // A code in progress came from the other source: its next press or release would never come.
  listener.CutCode(false);
  devices_.SetSource(take ? ReaderDevices::Source::Hook : ReaderDevices::Source::Device);
  Update(listener);
}

void RawInputLink::Update(LinkListener& listener) {
  LinkStatus status;
  status.windowLight = WindowLight::Indicator;
  status.direct = devices_.Linked();
  if (status.direct) {
    status.paths = devices_.Names();
    // Raw input hears the keys beside the program in front; only the hook keeps them from it.
    status.exclusive = takeF12_;
  } else if (devices_.PersonsKeyboardListed()) {
    status.why = LinkStatus::Why::PersonsKeyboard;
  } else if (!listReadable_) {
    status.why = LinkStatus::Why::NoDeviceList;
  }
  const LinkStatusChange::Step step = change_.To(status);
  if (step.cutCode) listener.CutCode(false);
  if (!step.say.empty()) say_(step.say);
  if (step.report) listener.LinkChanged(change_.Status());
}

}  // namespace varnel
