#include "link/direct_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "light/fake_light.h"
#include "light/light_key.h"
#include "light/lock_light.h"
#include "link/fake_reader_device.h"

namespace varnel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Kind = DeviceEvent::Kind;

struct RecordingHost : LinkPort, LinkListener {
  void ReaderF12(bool down, KeyTime time) override {
    keys.push_back((down ? "down " : "up ") + std::to_string(time.event) + "@" +
                   std::to_string(time.handled));
  }
  void CutCode(bool evenIfFull) override { cuts.push_back(evenIfFull); }
  void LinkChanged(const LinkStatus& s) override { status = s; }
  void Watch(int fd, bool watch) override {
    if (watch) {
      watched.insert(fd);
    } else {
      watched.erase(fd);
    }
  }
  void Say(const std::string& line) override { said.push_back(line); }

  std::vector<std::string> keys;
  std::vector<bool> cuts;
  LinkStatus status;
  std::set<int> watched;
  std::vector<std::string> said;
};

const ReaderNode kReader = FakeNode("event17");

class DirectLinkTest : public ::testing::Test {
 protected:
  FakeHardware& Reader() { return opener.At("/dev/input/event17"); }
  void Scan(ReaderNodes nodes = {kReader}, Tick now = 0) { link.Scan(nodes, now, host, host); }
  // The reader's device sends `events`, read at `now`.
  void Send(std::vector<DeviceEvent> events, Tick now = 0) {
    ASSERT_EQ(host.watched.size(), 1u);
    Send(*host.watched.begin(), Reader(), std::move(events), now);
  }
  void Send(int fd, FakeHardware& device, std::vector<DeviceEvent> events, Tick now = 0) {
    device.queued = std::move(events);
    link.Read(fd, now, host, host);
  }
  void Light(std::int32_t wanted) { modLight::SetLockKey(key, kVkScrollLock, wanted); }
  int Said(const std::string& part) const {
    return static_cast<int>(std::count_if(host.said.begin(), host.said.end(), [&](auto& line) {
      return line.find(part) != std::string::npos;
    }));
  }

  FakeOpener opener;
  FakeLight desktop;
  RecordingHost host;
  DirectLink link{opener, "/dev/input", &desktop, WindowLight::Indicator};
  LightKey key{link.Light()};
};

TEST_F(DirectLinkTest, AReaderIsTakenUpForTheProgramAloneAndPassesOnItsF12) {
  Scan({});
  EXPECT_FALSE(host.status.direct);
  EXPECT_EQ(host.status.why, LinkStatus::Why::NoReader);
  Reader().led = true;  // as the last user left it

  Scan();
  EXPECT_TRUE(host.status.direct);
  EXPECT_TRUE(host.status.exclusive);
  EXPECT_THAT(host.status.paths, ElementsAre("/dev/input/event17"));
  EXPECT_TRUE(Reader().grabbed);
  EXPECT_FALSE(Reader().led) << "the program's light is off";

  Send({{Kind::F12Down, 100}, {Kind::F12Up, 180}}, 200);
  EXPECT_THAT(host.keys, ElementsAre("down 100@200", "up 180@200"));
  Scan();
  EXPECT_EQ(opener.opens.size(), 1u) << "an open device is not opened again";
}

TEST_F(DirectLinkTest, TheGrabWaitsForTheKeysToBeUpAndAPressMadeBeforeIsNotEnded) {
  Reader().keys = KeysDown::OnlyF12;
  Scan();
  EXPECT_TRUE(host.status.direct);
  EXPECT_FALSE(Reader().grabbed) << "F12 would stay down for the desktop";
  EXPECT_FALSE(host.status.exclusive);

  Reader().keys = KeysDown::None;
  Send({{Kind::F12Up, 50}});
  EXPECT_TRUE(host.keys.empty()) << "its press was never passed on";
  EXPECT_TRUE(Reader().grabbed);
  EXPECT_TRUE(host.status.exclusive);
}

TEST_F(DirectLinkTest, ARefusedGrabLeavesTheLinkUpWithoutExclusivityAndIsToldOnce) {
  Reader().grabError = EFAULT;
  Scan();
  EXPECT_TRUE(host.status.direct);
  EXPECT_FALSE(host.status.exclusive);
  Send({{Kind::F12Down, 1}, {Kind::F12Up, 2}});
  EXPECT_EQ(host.keys.size(), 2u);
  Scan({});
  Scan();
  EXPECT_EQ(Said("cannot be taken for this program alone (Bad address)"), 1);
}

TEST_F(DirectLinkTest, AReaderThatAnotherProgramHoldsIsLeftToTheWindowAndTakenOnceFree) {
  Reader().grabError = EBUSY;
  Scan();
  EXPECT_FALSE(host.status.direct) << "its events go to the other program alone";
  EXPECT_EQ(host.status.why, LinkStatus::Why::HeldByAnother);
  EXPECT_EQ(host.status.failedPath, "/dev/input/event17");
  EXPECT_EQ(Reader().openFiles, 0);
  EXPECT_TRUE(host.watched.empty());
  Scan();
  EXPECT_EQ(opener.opens.size(), 2u) << "tried again at each scan";
  EXPECT_EQ(Said("another program holds the reader's device /dev/input/event17 exclusively"), 1);

  Reader().grabError = 0;  // the other program lets go
  Scan();
  EXPECT_TRUE(host.status.direct);
  EXPECT_TRUE(host.status.exclusive);
}

TEST_F(DirectLinkTest, AGrabThatWaitedIsRetriedAtTheScanAndMayFindTheReaderHeld) {
  Reader().keys = KeysDown::OnlyF12;
  Scan();
  Send({{Kind::F12Down, 1}});
  Reader().keys = KeysDown::None;
  Reader().grabError = EBUSY;  // taken by another program while F12 was down: no more events
  Scan();
  EXPECT_FALSE(host.status.direct);
  EXPECT_EQ(host.status.why, LinkStatus::Why::HeldByAnother);
  EXPECT_THAT(host.cuts, ::testing::Contains(false)) << "its press will never be released here";
}

TEST_F(DirectLinkTest, APersonsKeyboardIsLetGoAtOnceAndLeftAloneWhileItStaysPluggedIn) {
  Scan();
  Light(modLight::kLockOn);
  ASSERT_TRUE(Reader().led);
  Send({{Kind::F12Down, 1}, {Kind::OtherKey, 2}});
  EXPECT_FALSE(host.status.direct);
  EXPECT_EQ(host.status.why, LinkStatus::Why::PersonsKeyboard);
  EXPECT_TRUE(host.watched.empty());
  EXPECT_EQ(Reader().openFiles, 0);
  EXPECT_FALSE(Reader().grabbed);
  EXPECT_FALSE(Reader().led) << "the light the program lit on it goes off";
  EXPECT_TRUE(desktop.IsOn()) << "and the display goes on with the desktop's";
  EXPECT_THAT(host.cuts, ::testing::Contains(false)) << "its F12 press was cut";

  Scan();
  Scan();
  EXPECT_EQ(opener.opens.size(), 1u);
  EXPECT_EQ(Said("it is a person's keyboard"), 1);

  // The same keyboard plugged in again in that port, after a KVM switch or a resume, say.
  Scan({});
  const ReaderNode replugged = FakeNode("event18");
  Scan({replugged});
  EXPECT_EQ(opener.opens.size(), 1u) << "not taken again: it would lose a key again";
  EXPECT_EQ(host.status.why, LinkStatus::Why::PersonsKeyboard);

  // Another device in that port is taken as usual: this one has a key held down as it is opened.
  const ReaderNode other = FakeNode("event19", "1-2:1.0", "Other USB Keyboard");
  opener.At("/dev/input/event19").keys = KeysDown::Others;
  Scan({other});
  EXPECT_EQ(opener.opens.size(), 2u);
  EXPECT_FALSE(host.status.direct);
  EXPECT_EQ(opener.At("/dev/input/event19").openFiles, 0);
  Scan({FakeNode("event20", "1-2:1.0", "HOLTEK USB Keyboard", "SN1")});
  EXPECT_TRUE(host.status.direct) << "a unique id of its own: another device";
}

TEST_F(DirectLinkTest, ADeviceThatCannotBeOpenedIsTriedAgainAndToldOnceWithTheFix) {
  Reader().openError = EACCES;
  Scan();
  EXPECT_FALSE(host.status.direct);
  EXPECT_EQ(host.status.why, LinkStatus::Why::CannotOpen);
  EXPECT_EQ(host.status.failedPath, "/dev/input/event17");
  EXPECT_EQ(host.status.error, EACCES);
  ASSERT_EQ(host.said.size(), 1u) << "there at start-up: told at once";
  EXPECT_THAT(host.said[0], HasSubstr("Permission denied"));
  EXPECT_THAT(host.said[0], HasSubstr("udev rule"));
  Scan();
  EXPECT_EQ(host.said.size(), 1u);

  Reader().openError = 0;
  Scan();
  EXPECT_TRUE(host.status.direct);
  EXPECT_EQ(opener.opens.size(), 3u);
}

TEST_F(DirectLinkTest, ANodeThatAppearsBeforeItsPermissionIsGivenAMoment) {
  Scan({});
  Reader().openError = EACCES;
  Scan();
  EXPECT_TRUE(host.said.empty()) << "the permission rule may not have reached it yet";
  Reader().openError = 0;
  Scan();
  EXPECT_TRUE(host.status.direct);
  EXPECT_EQ(Said("cannot open"), 0);
}

TEST_F(DirectLinkTest, ARemovalCutsTheCodeAndWhatTheKernelReleasesIsNoRelease) {
  struct Case {
    const char* what;
    std::vector<DeviceEvent> last;  // what the device sends before it goes
    Tick goneAt;
    bool cutEvenIfFull;
  };
  const std::vector<Case> cases{
      {"held", {{Kind::F12Down, 1000}}, 1500, false},
      {"released by the kernel", {{Kind::F12Down, 1000}, {Kind::F12UpByKernel, 1400}}, 1400, false},
      {"released, then gone at once", {{Kind::F12Down, 1000}, {Kind::F12Up, 1400}}, 1400, true},
      {"released, gone a while later", {{Kind::F12Down, 1000}, {Kind::F12Up, 1400}}, 1600, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHardware& reader = Reader();
    reader = FakeHardware{};
    Scan();
    host.cuts.clear();
    host.keys.clear();
    Send(c.last, 1400);
    reader.gone = true;
    Send({}, c.goneAt);
    ASSERT_FALSE(host.cuts.empty());
    EXPECT_EQ(host.cuts.front(), c.cutEvenIfFull);
    EXPECT_EQ(std::count(host.keys.begin(), host.keys.end(), "up 1400@1400"),
              c.last.back().kind == Kind::F12Up ? 1 : 0);
    EXPECT_FALSE(host.status.direct);
    EXPECT_TRUE(host.watched.empty());
    Scan({});  // and it leaves the list
  }
  const ReaderNode replugged = FakeNode("event18");
  Scan({replugged});
  EXPECT_TRUE(host.status.direct);
  EXPECT_THAT(host.status.paths, ElementsAre("/dev/input/event18"));
}

TEST_F(DirectLinkTest, OnlyTheNodeEndsADeviceNotAListThatMissesIt) {
  Scan();
  Send({{Kind::F12Down, 1}});
  Scan({});  // another device left while the list was read: this entry was skipped
  EXPECT_TRUE(host.cuts.empty());
  EXPECT_TRUE(host.status.direct);
  Scan();
  Send({{Kind::F12Up, 2}});
  EXPECT_THAT(host.keys, ElementsAre("down 1@0", "up 2@0"));
  EXPECT_EQ(opener.opens.size(), 1u);
}

TEST_F(DirectLinkTest, ANodeOfAnotherInterfaceIsRefused) {
  ReaderNode listed = kReader;
  listed.phys = "usb-0000:00:14.0-2/input0";
  Reader().phys = "usb-0000:00:14.0-2/input1";  // the number passed on since the list was read
  Scan({listed});
  EXPECT_FALSE(host.status.direct);
  EXPECT_EQ(Reader().openFiles, 0);
  Reader().phys = listed.phys;
  Scan({listed});
  EXPECT_TRUE(host.status.direct);
}

TEST_F(DirectLinkTest, AnIdleSecondDeviceThatLosesEventsOrGoesLeavesTheCodeAlone) {
  const ReaderNode second = FakeNode("event30", "3-1:1.0");
  FakeHardware& idle = opener.At("/dev/input/event30");
  Scan({kReader, second});
  ASSERT_EQ(host.watched.size(), 2u);
  const int readerFd = *host.watched.begin();
  const int idleFd = *host.watched.rbegin();
  Send(readerFd, Reader(), {{Kind::F12Down, 1}, {Kind::F12Up, 2}, {Kind::F12Down, 3}});
  Send(idleFd, idle, {{Kind::Dropped}});
  idle.gone = true;
  Send(idleFd, idle, {});
  EXPECT_TRUE(host.cuts.empty());
  EXPECT_TRUE(host.status.direct);

  Send(readerFd, Reader(), {{Kind::F12Up, 4}, {Kind::Dropped}});
  EXPECT_THAT(host.cuts, ElementsAre(true)) << "the reader of the code loses events: cut";
}

TEST_F(DirectLinkTest, LostEventsCutTheCodeAndNoPhantomPressOrReleaseFollows) {
  Scan();
  Send({{Kind::F12Down, 10}, {Kind::Dropped}, {Kind::F12Up, 30}, {Kind::F12Down, 40}});
  EXPECT_THAT(host.keys, ElementsAre("down 10@0", "down 40@0"));
  EXPECT_THAT(host.cuts, ElementsAre(true));
}

TEST_F(DirectLinkTest, TheLightFollowsThePathAndEndsOffOnTheReader) {
  {
    DirectLink scoped(opener, "/dev/input", &desktop, WindowLight::Indicator);
    LightKey scopedKey(scoped.Light());
    modLight::SetLockKey(scopedKey, kVkScrollLock, modLight::kLockOn);
    EXPECT_TRUE(desktop.IsOn());
    scoped.Scan(ReaderNodes{kReader}, 0, host, host);
    EXPECT_FALSE(desktop.IsOn());
    EXPECT_TRUE(Reader().led);
    const int writes = Reader().ledWrites;
    modLight::SetLockKey(scopedKey, kVkScrollLock, modLight::kLockOn);
    EXPECT_EQ(Reader().ledWrites, writes) << "already on: nothing is written";
  }
  EXPECT_FALSE(Reader().led) << "however the program ends";
  EXPECT_FALSE(desktop.IsOn());
}

TEST_F(DirectLinkTest, ALightThatAnotherProgramWritesIsPutBackAndTheProgramsOwnIsLeftAlone) {
  Scan();
  Light(modLight::kLockOn);  // a good code's answer
  Send({});                  // its echo
  const int writes = Reader().ledWrites;
  EXPECT_TRUE(Reader().queued.empty());
  EXPECT_EQ(Reader().ledWrites, writes) << "the program's own write comes back as it is";

  Reader().led = false;  // the desktop sets every keyboard's lights as Caps Lock changes
  Send({{Kind::Light}});
  EXPECT_TRUE(Reader().led);
  EXPECT_EQ(Reader().ledWrites, writes + 1);
  Send(Reader().queued);  // the echo of putting it back
  EXPECT_EQ(Reader().ledWrites, writes + 1) << "no loop";

  Light(modLight::kLockOff);
  Reader().led = true;
  Send({{Kind::Light}});
  EXPECT_FALSE(Reader().led) << "nor is it lit for the program";
}

TEST(DirectLink, WithoutAWindowLightItSaysOnceThatTheLightCannotReachTheReader) {
  FakeOpener opener;
  RecordingHost host;
  DirectLink link(opener, "/in", nullptr, WindowLight::Wayland);
  link.Scan(ReaderNodes{}, 0, host, host);
  link.Scan(std::nullopt, 0, host, host);
  EXPECT_EQ(host.status.why, LinkStatus::Why::NoDeviceList);
  EXPECT_EQ(host.status.windowLight, WindowLight::Wayland);
  ASSERT_EQ(host.said.size(), 1u);
  EXPECT_THAT(host.said[0], HasSubstr("Wayland"));
  LightKey key(link.Light());
  modLight::SetLockKey(key, kVkScrollLock, modLight::kLockOn);  // the start-up light
  link.Scan(ReaderNodes{FakeNode("event3")}, 0, host, host);
  EXPECT_TRUE(opener.At("/in/event3").led) << "the display in progress reaches the reader";
}

TEST(DirectLink, GoingDownItCutsTheCodeAndSaysSoBeforeTheLightThatCannotFollow) {
  FakeOpener opener;
  RecordingHost host;
  DirectLink link(opener, "/in", nullptr, WindowLight::NoDisplay);
  link.Scan(ReaderNodes{FakeNode("event3")}, 0, host, host);
  ASSERT_EQ(host.watched.size(), 1u);
  opener.At("/in/event3").gone = true;
  link.Read(*host.watched.begin(), 500, host, host);
  EXPECT_THAT(host.cuts, ElementsAre(false));
  EXPECT_FALSE(host.status.direct);
  ASSERT_EQ(host.said.size(), 3u);
  EXPECT_EQ(host.said[0], "varnel: direct link to the reader up, through /in/event3");
  EXPECT_EQ(host.said[1],
            "varnel: direct link to the reader down (the reader's device is not there). Until "
            "then codes come through the window, while it has the focus.");
  EXPECT_THAT(host.said[2], HasSubstr("there is no X display"));
}

}  // namespace
}  // namespace varnel
