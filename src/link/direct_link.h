// The direct link to the reader: its own input device, read and lit by the program itself,
// whichever window has the focus and whatever the window system. This is the one place that
// decides which path capture and the light take: the reader's device while one can be used, the
// window (its focus and the window system's keyboard light) otherwise.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "light/light_router.h"
#include "link/link_status_change.h"
#include "link/reader_device.h"
#include "link/reader_devices.h"
#include "link/reader_link.h"

namespace varnel {

// What the link needs of the platform that hosts it.
class LinkPort {
 public:
  // Start or stop watching a device's file descriptor for reading.
  virtual void Watch(int fd, bool watch) = 0;
  // One line for the user on standard error.
  virtual void Say(const std::string& line) = 0;

 protected:
  ~LinkPort() = default;
};

// How often the device list is read again.
inline constexpr std::int32_t kScanIntervalMs = 1000;

class DirectLink {
 public:
  // `windowLight` is the window system's light, null when there is none; `windowLightKind`
  // says whether it reaches the reader.
  DirectLink(DeviceOpener& opener, std::string inputDir, varnel::Light* windowLight,
             WindowLight windowLightKind);
  // Leaves the readers' lights off: the kernel keeps a light as its last user left it.
  ~DirectLink();
  DirectLink(const DirectLink&) = delete;
  DirectLink& operator=(const DirectLink&) = delete;

  // The device list, read again (null when it cannot be read): takes up new readers and retries
  // those that could not be opened or taken yet. A device in use leaves when its node says it has
  // gone, not when the list misses it: the list is read a page at a time and can skip an entry.
  void Scan(const std::optional<ReaderNodes>& nodes, Tick now, LinkPort& port,
            LinkListener& listener);
  // A watched descriptor is readable.
  void Read(int fd, Tick now, LinkPort& port, LinkListener& listener);

  // The light for the window's logic: it follows the path.
  varnel::Light& Light() { return router_; }
  const LinkStatus& Status() const { return change_.Status(); }
  // Switches the readers' lights off, for ways out of the program that skip destructors.
  void LightsOff();

 private:
  struct Device;
  enum class Removal { Gone, PersonsKeyboard, HeldByAnother };
  enum class Grab { Done, PersonsKeyboard, HeldByAnother };

  // The Scroll Lock lights of the readers in use, as one.
  class ReaderLeds final : public varnel::Light {
   public:
    explicit ReaderLeds(DirectLink& link) : link_(link) {}
    void Set(bool on) override;

   private:
    DirectLink& link_;
  };

  void Adopt(const ReaderNode& node, LinkPort& port, LinkListener& listener);
  // Takes the device for the program alone once none of its keys is down (Done also while it
  // waits for them, or when the grab is refused for a reason that leaves the device shared).
  Grab TryGrab(Device& device, LinkPort& port);
  void Remove(std::size_t index, Removal why, Tick now, LinkPort& port, LinkListener& listener);
  // Sets the device's light back to the program's after another program wrote it.
  void KeepLight(Device& device);
  void Update(LinkPort& port, LinkListener& listener);
  std::string PathOf(const ReaderNode& node) const;

  DeviceOpener& opener_;
  std::string inputDir_;
  WindowLight windowLightKind_;
  std::vector<Device> devices_;
  ReaderLeds readerLeds_{*this};
  LightRouter router_;

  struct Failure {
    std::string path;
    int error = 0;
    int count = 0;
  };
  // Listed readers that could not be opened, and those that another program holds: by id and
  // node, while they are listed.
  std::map<std::string, Failure> failing_;
  std::map<std::string, std::string> heldByAnother_;
  // The devices in use as the readers, by serial; persons' keyboards let go by port, name and
  // unique id, for the life of the program.
  ReaderDevices readers_{ReaderDevices::Memory::ForTheProgramsLife};
  std::uint64_t nextSerial_ = 0;
  bool listReadable_ = true;
  bool scanned_ = false;
  bool saidCannotOpen_ = false;
  bool saidGrabRefused_ = false;
  bool saidLightUnreachable_ = false;
  LinkStatusChange change_;
  std::vector<DeviceEvent> events_;
};

}  // namespace varnel
