#include "link/reader_devices.h"

#include <algorithm>

namespace varnel {

void ReaderDevices::Listed(const std::set<std::string>& remembered) {
  if (memory_ == Memory::WhilePlugged) {
    std::erase_if(letGo_, [&](const std::string& key) { return !remembered.contains(key); });
  }
  letGoListed_ = std::any_of(remembered.begin(), remembered.end(),
                             [&](const std::string& key) { return letGo_.contains(key); });
}

void ReaderDevices::Add(const std::string& id, const std::string& name,
                        const std::string& remembered) {
  if (Has(id)) return;
  if (letGo_.contains(remembered)) {
    letGoListed_ = true;
    return;
  }
  readers_.push_back({id, name, remembered, nextSerial_++, false, std::nullopt});
}

bool ReaderDevices::Has(const std::string& id) const {
  return std::any_of(readers_.begin(), readers_.end(), [&](const Reader& r) { return r.id == id; });
}

std::vector<ReaderDevices::Reader>::iterator ReaderDevices::Find(const std::string& id) {
  return std::find_if(readers_.begin(), readers_.end(),
                      [&](const Reader& r) { return r.id == id; });
}

bool ReaderDevices::TookPart(const Reader& reader) const {
  return reader.down || lastSender_ == reader.serial;
}

void ReaderDevices::Erase(std::vector<Reader>::iterator reader) {
  if (lastSender_ == reader->serial) lastSender_.reset();
  readers_.erase(reader);
}

bool ReaderDevices::DeviceKey(const std::string& id, Key key, KeyTime time,
                              LinkListener& listener) {
  const auto reader = Find(id);
  if (reader == readers_.end()) return true;
  // Through the hook the device's keys still tell which reader took part in a code, and which
  // device is a person's keyboard; its F12 came to the program already.
  const bool passOn = source_ == Source::Device;
  switch (key) {
    case Key::F12Down:
      if (reader->down) break;  // the system's auto-repeat: the reader holds the key
      reader->down = true;
      lastSender_ = reader->serial;
      if (passOn) listener.ReaderF12(true, time);
      break;
    case Key::F12Up:
    case Key::F12UpMadeUp:
      if (!reader->down) break;
      reader->down = false;
      if (key == Key::F12UpMadeUp) {
        if (passOn) listener.CutCode(false);  // the press was cut, not released
        break;
      }
      reader->lastRelease = time.handled;
      lastSender_ = reader->serial;
      if (passOn) listener.ReaderF12(false, time);
      break;
    case Key::Dropped:
      // Whatever was lost may have been presses of the code in progress, if it had any part in
      // it.
      if (TookPart(*reader)) listener.CutCode(true);
      reader->down = false;
      break;
    case Key::Other:
      LetGo(id, true, listener);
      return false;
  }
  return true;
}

void ReaderDevices::HookF12(bool down, KeyTime time, LinkListener& listener) {
  if (source_ != Source::Hook) return;
  if (!Linked()) {
    hookDown_ = false;
    return;
  }
  if (down == hookDown_) return;  // a repeat, or the release of a press made before the link
  hookDown_ = down;
  listener.ReaderF12(down, time);
}

void ReaderDevices::SetSource(Source source) {
  source_ = source;
  hookDown_ = false;
  for (Reader& reader : readers_) reader.down = false;
}

void ReaderDevices::Gone(const std::string& id, Tick now, LinkListener& listener) {
  const auto reader = Find(id);
  if (reader == readers_.end()) return;
  // A press it was holding was cut, whatever release the system made up for it. Another
  // reader's code in progress is left alone.
  const bool releasedAsItWent =
      reader->lastRelease && TickDiff(now, *reader->lastRelease) <= kRemovalReleaseMs;
  if (TookPart(*reader)) listener.CutCode(releasedAsItWent);
  Erase(reader);
}

void ReaderDevices::LetGo(const std::string& id, bool personsKeyboard, LinkListener& listener) {
  const auto reader = Find(id);
  if (reader == readers_.end()) return;
  if (reader->down || (source_ == Source::Hook && hookDown_)) listener.CutCode(false);
  if (personsKeyboard) {
    letGo_.insert(reader->remembered);
    letGoListed_ = true;
  }
  Erase(reader);
}

std::vector<std::string> ReaderDevices::Names() const {
  std::vector<std::string> names;
  for (const Reader& reader : readers_) names.push_back(reader.name);
  return names;
}

std::string PersonsKeyboardMessage(const std::string& name, ReaderDevices::Memory memory) {
  return "varnel: " + name +
         " has the reader's identity but sent a key other than F12: it is a person's keyboard. "
         "The program lets go of it and leaves it alone" +
         (memory == ReaderDevices::Memory::ForTheProgramsLife
              ? ", plugged in again in the same port too, until the program ends."
              : " while it stays plugged in.");
}

}  // namespace varnel
