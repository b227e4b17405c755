// The decisions both direct links share, fed as a source would feed them.
#include "link/reader_devices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace varnel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Key = ReaderDevices::Key;

struct Heard : LinkListener {
  void ReaderF12(bool down, KeyTime time) override {
    keys.push_back((down ? "down " : "up ") + std::to_string(time.event));
  }
  void CutCode(bool evenIfFull) override { cuts.push_back(evenIfFull); }
  void LinkChanged(const LinkStatus&) override {}
  std::vector<std::string> keys;
  std::vector<bool> cuts;
};

class ReaderDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    devices.Add("r", "reader", "port 1");
    ASSERT_TRUE(devices.Has("r"));
  }
  void Send(const std::string& id, Key key, Tick at) {
    devices.DeviceKey(id, key, {at, at + 2}, heard);
  }
  ReaderDevices devices{ReaderDevices::Memory::WhilePlugged};
  Heard heard;
};

TEST_F(ReaderDevicesTest, OnlyTheReadersF12CountsAndARepeatOrAStrayReleaseIsNoNewEdge) {
  Send("keyboard", Key::F12Down, 10);  // a keyboard that is no reader
  Send("r", Key::F12Up, 15);           // a release of a press made before it was taken up
  Send("r", Key::F12Down, 20);
  Send("r", Key::F12Down, 50);  // the system's auto-repeat
  Send("keyboard", Key::F12Up, 60);
  Send("r", Key::F12Up, 120);
  EXPECT_THAT(heard.keys, ElementsAre("down 20", "up 120"));
}

TEST_F(ReaderDevicesTest, APersonsKeyboardIsLetGoWhileItStaysPluggedIn) {
  Send("r", Key::F12Down, 10);
  Send("r", Key::Other, 20);
  EXPECT_FALSE(devices.Linked());
  EXPECT_THAT(heard.cuts, ElementsAre(false)) << "the press it began is cut";
  Send("r", Key::F12Up, 30);
  EXPECT_THAT(heard.keys, ElementsAre("down 10"));

  devices.Listed({"port 1"});
  EXPECT_TRUE(devices.PersonsKeyboardListed());
  devices.Add("r2", "reader", "port 1");
  EXPECT_FALSE(devices.Has("r2")) << "seen again under another handle";
  devices.Listed({});
  EXPECT_FALSE(devices.PersonsKeyboardListed());
  devices.Add("r3", "reader", "port 1");
  EXPECT_TRUE(devices.Has("r3")) << "unplugged, then plugged in again";
}

TEST(ReaderDevices, APersonsKeyboardCanStayLetGoForTheProgramsLife) {
  ReaderDevices devices{ReaderDevices::Memory::ForTheProgramsLife};
  Heard heard;
  devices.Add("event5", "/dev/input/event5", "1-2:1.0");
  devices.DeviceKey("event5", Key::Other, {0, 0}, heard);
  devices.Listed({});
  devices.Add("event9", "/dev/input/event9", "1-2:1.0");
  EXPECT_FALSE(devices.Has("event9"));
  devices.Add("event9", "/dev/input/event9", "1-3:1.0");
  EXPECT_TRUE(devices.Has("event9")) << "another port";
  EXPECT_THAT(
      PersonsKeyboardMessage("/dev/input/event5", ReaderDevices::Memory::ForTheProgramsLife),
      ::testing::HasSubstr("plugged in again in the same port too"));
}

TEST_F(ReaderDevicesTest, ARemovalCutsTheCodeItTookPartIn) {
  struct Case {
    const char* what;
    Key last;
    Tick goneAt;
    std::vector<bool> cuts;
  };
  for (const Case& c : {Case{"mid-press", Key::F12Down, 500, {false}},
                        Case{"right after a release", Key::F12Up, 150, {true}},
                        Case{"well after a release", Key::F12Up, 300, {false}}}) {
    SCOPED_TRACE(c.what);
    ReaderDevices d{ReaderDevices::Memory::WhilePlugged};
    Heard h;
    d.Add("r", "reader", "port 1");
    d.DeviceKey("r", Key::F12Down, {0, 0}, h);
    if (c.last == Key::F12Up) d.DeviceKey("r", Key::F12Up, {100, 100}, h);
    d.Gone("r", c.goneAt, h);
    EXPECT_EQ(h.cuts, c.cuts);
    EXPECT_FALSE(d.Linked());
  }
}

TEST_F(ReaderDevicesTest, AnotherReadersRemovalLeavesTheCodeAlone) {
  devices.Add("r2", "second reader", "port 2");
  Send("r", Key::F12Down, 0);
  Send("r", Key::F12Up, 100);
  devices.Gone("r2", 120, heard);
  EXPECT_THAT(heard.cuts, IsEmpty());
  EXPECT_THAT(devices.Names(), ElementsAre("reader"));
}

TEST_F(ReaderDevicesTest, AMadeUpReleaseOrLostEventsCutTheCode) {
  Send("r", Key::F12Down, 0);
  Send("r", Key::F12UpMadeUp, 50);
  Send("r", Key::F12Down, 100);
  Send("r", Key::Dropped, 150);
  EXPECT_THAT(heard.cuts, ElementsAre(false, true));
  EXPECT_THAT(heard.keys, ElementsAre("down 0", "down 100"));
}

TEST_F(ReaderDevicesTest, ThroughTheHookEveryF12IsTheReadersWhileOneIsListed) {
  devices.SetSource(ReaderDevices::Source::Hook);
  devices.HookF12(true, {10, 10}, heard);
  Send("r", Key::F12Down, 10);  // the same press through raw input: the hook has it already
  devices.HookF12(true, {40, 40}, heard);  // a repeat
  devices.HookF12(false, {110, 110}, heard);
  Send("r", Key::F12Up, 110);
  EXPECT_THAT(heard.keys, ElementsAre("down 10", "up 110"));

  // Raw input still tells which reader took part.
  devices.HookF12(true, {200, 200}, heard);
  Send("r", Key::F12Down, 200);
  devices.Gone("r", 250, heard);
  EXPECT_THAT(heard.cuts, ElementsAre(false));
  devices.HookF12(false, {300, 300}, heard);
  devices.HookF12(true, {400, 400}, heard);
  EXPECT_THAT(heard.keys, ElementsAre("down 10", "up 110", "down 200")) << "no reader listed";
}

}  // namespace
}  // namespace varnel
