// The decisions that every direct link makes alike, whatever the system tells it of its
// devices: which listed device is taken as the reader, which one is a person's keyboard and is
// let go, what a device's removal does to the code in progress, and which source's F12 counts
// now. A link feeds it the devices it lists and the keys they send; it tells the program through
// the LinkListener.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/reader_link.h"

namespace varnel {

// A device that goes away this soon after a release it reported may have made that release up
// as it went (the system releases held keys on removal): the code is cut even if that release
// completed it.
inline constexpr std::int32_t kRemovalReleaseMs = 100;

class ReaderDevices {
 public:
  // How long a person's keyboard stays let go: while it stays plugged in (its name stays the
  // same only as long), or until the program ends (remembered by what stays the same when it is
  // plugged in again).
  enum class Memory { WhilePlugged, ForTheProgramsLife };
  // Where the reader's F12 comes from: its device's own key events, or a keyboard hook that sees
  // every keyboard's F12 before anything else and takes each for the reader's.
  enum class Source { Device, Hook };
  // A key of a listed device, as far as the decisions go.
  enum class Key {
    F12Down,
    F12Up,
    // A release that the system made up itself for a key still down as it removed the device:
    // the press was cut, not ended.
    F12UpMadeUp,
    // Any other key: the reader only ever sends F12.
    Other,
    // Events of the device were lost; its stream is back in step after this.
    Dropped,
  };

  explicit ReaderDevices(Memory memory) : memory_(memory) {}

  // The devices with the reader's identity that the system lists now, by what they are
  // remembered by: a person's keyboard among them keeps the link down; one let go only while it
  // was plugged in is forgotten once it is not listed.
  void Listed(const std::set<std::string>& remembered);
  // Takes up the device `id` (shown as `name`) as a reader, unless it is a person's keyboard let
  // go.
  void Add(const std::string& id, const std::string& name, const std::string& remembered);
  bool Has(const std::string& id) const;
  // Whether the device remembered so is a person's keyboard let go.
  bool IsLetGo(const std::string& remembered) const { return letGo_.contains(remembered); }

  // A key of the device `id`; ignored unless it is a reader. False when the device has just
  // turned out to be a person's keyboard and is let go.
  bool DeviceKey(const std::string& id, Key key, KeyTime time, LinkListener& listener);
  // The hook's F12, from whichever keyboard; it counts while a reader is listed.
  void HookF12(bool down, KeyTime time, LinkListener& listener);
  // A press seen before a change of source is no press of the new one's: its release is not
  // waited for.
  void SetSource(Source source);

  // The device `id` has gone at `now`: the code in progress is cut if it had any part in it.
  void Gone(const std::string& id, Tick now, LinkListener& listener);
  // The device `id` is no reader any more for another reason than its removal: a press it began
  // is cut. As a person's keyboard, it is let go as DeviceKey would.
  void LetGo(const std::string& id, bool personsKeyboard, LinkListener& listener);

  // Whether any reader is taken up: then its F12 alone counts.
  bool Linked() const { return !readers_.empty(); }
  // The readers' names, in the order they were taken up.
  std::vector<std::string> Names() const;
  // Whether a person's keyboard let go is among the devices listed last.
  bool PersonsKeyboardListed() const { return letGoListed_; }

 private:
  struct Reader {
    std::string id;
    std::string name;
    std::string remembered;
    std::uint64_t serial = 0;
    // Its F12 is down: a press was seen and its release has not been. Only a release of a press
    // seen is passed on, so a press that began before the device was taken up or while events
    // were lost is not ended by a release that was never its own.
    bool down = false;
    // When the program read its last release.
    std::optional<Tick> lastRelease;
  };
  std::vector<Reader>::iterator Find(const std::string& id);
  // Whether the reader has had any part in the code in progress: only its loss can cut it.
  bool TookPart(const Reader& reader) const;
  void Erase(std::vector<Reader>::iterator reader);

  Memory memory_;
  Source source_ = Source::Device;
  std::vector<Reader> readers_;
  std::set<std::string> letGo_;
  bool letGoListed_ = false;
  std::uint64_t nextSerial_ = 0;
  // The reader whose F12 the program was last given, or whose key came last through the hook.
  std::optional<std::uint64_t> lastSender_;
  // The hook passed on a press whose release it has not.
  bool hookDown_ = false;
};

// What the user is told of a person's keyboard let go, named `name`.
std::string PersonsKeyboardMessage(const std::string& name, ReaderDevices::Memory memory);

}  // namespace varnel
