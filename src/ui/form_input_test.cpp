// The window's logic fed through its one way in by the direct link and the window, on simulated
// time, with a fake reader device.
#include "ui/form_input.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "light/fake_light.h"
#include "light/light_key.h"
#include "link/direct_link.h"
#include "link/fake_reader_device.h"
#include "ui/simulated_loop.h"

namespace varnel {
namespace {

using Kind = DeviceEvent::Kind;

const std::vector<int> kGood165{1, 0, 1, 0, 0, 1, 0, 1};
const ReaderNode kReader = FakeNode("event17");

// The program's side as the Linux shell wires it, with the reader's device and the desktop's
// light as fakes. The loop's light is the reader's own.
class LinkedLoop : public ::testing::Test, private LinkPort {
 protected:
  void SetUp() override {
    Scan({kReader});
    loop.Load();
    loop.Run(2000);
    loop.lightChanges.clear();
  }

  FakeHardware& Reader() { return opener.At("/dev/input/event17"); }
  void Scan(ReaderNodes nodes) { link.Scan(nodes, loop.TickCount(), *this, loop.input); }
  // The device sends `kind`, stamped now, and the program reads it at once.
  void Device(Kind kind) {
    Reader().queued.push_back({kind, loop.EventTickAt(loop.Now())});
    Read();
  }
  void Read() {
    if (fd_) link.Read(*fd_, loop.TickCount(), *this, loop.input);
  }
  void DevicePress(std::int32_t holdMs, std::int32_t gapMs = 60) {
    Device(Kind::F12Down);
    loop.Run(holdMs);
    Device(Kind::F12Up);
    loop.lastRelease = loop.Now();
    loop.Run(gapMs);
  }
  // The first `presses` presses of a code, long for 1 and short for 0.
  void DeviceCode(const std::vector<int>& bits, std::size_t presses = 8) {
    for (std::size_t i = 0; i < presses; ++i) DevicePress(bits.at(i) ? 300 : 100);
  }
  void WindowF12(bool down) { loop.input.WindowKey(kKeyF12, down, false, loop.At()); }
  void Unplug() {
    Reader().gone = true;
    Read();
    Scan({});
    Reader() = FakeHardware{};
  }

  void Watch(int fd, bool watch) override { fd_ = watch ? std::optional(fd) : std::nullopt; }
  void Say(const std::string&) override {}

  FakeOpener opener;
  FakeLight desktop;
  DirectLink link{opener, "/dev/input", &desktop, WindowLight::Indicator};
  LightKey light{link.Light()};
  SimulatedLoop loop{1'000'000, light, [this] { return Reader().led; }};
  std::optional<int> fd_;
};

TEST_F(LinkedLoop, TheWindowsF12CountsOnlyWhileTheLinkIsDown) {
  DeviceCode(kGood165, 4);
  WindowF12(true);  // another keyboard's F12, in the middle of the code
  loop.Run(200);
  WindowF12(false);
  DeviceCode({0, 1, 0, 1}, 4);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  loop.Run(2000);

  WindowF12(true);  // held from before the link goes down: its release ends nothing
  Unplug();
  loop.Run(100);
  WindowF12(false);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().lblCnt.Caption, "8");
  EXPECT_FALSE(loop.Screen().lblErr.Visible);
  WindowF12(true);
  loop.Run(100);
  WindowF12(false);
  EXPECT_EQ(loop.Screen().lblCnt.Caption, "7") << "through the window once the link is down";
}

TEST_F(LinkedLoop, AReaderPulledOutMidCodeEndsItAsCutAndWorksAgainOncePluggedBackIn) {
  for (bool kernelMarksIt : {false, true}) {
    SCOPED_TRACE(kernelMarksIt ? "the kernel's removal frame" : "a plain release, then gone");
    const std::string shown = loop.Screen().Valore.Caption;
    DeviceCode(kGood165, 7);
    Device(Kind::F12Down);
    loop.Run(100);
    // The kernel releases the held key as it removes the device; that press was cut.
    Reader().queued.push_back(
        {kernelMarksIt ? Kind::F12UpByKernel : Kind::F12Up, loop.EventTickAt(loop.Now())});
    Unplug();
    EXPECT_EQ(loop.Screen().lblErr.Caption, "Timeout");
    EXPECT_TRUE(loop.Screen().lblErr.Visible);
    EXPECT_EQ(loop.Screen().Sh1FillStyle, FillStyle::Transparent);
    loop.Run(3000);
    EXPECT_NE(loop.Screen().Valore.BackColor, kColorGreen);
    EXPECT_EQ(loop.Screen().Valore.Caption, shown) << "never decoded";

    Scan({kReader});
    DeviceCode(kGood165);
    loop.Run(1000);
    EXPECT_EQ(loop.Screen().Valore.Caption, "165");
    EXPECT_TRUE(Reader().led);
    loop.Run(2000);
  }
}

TEST_F(LinkedLoop, AReaderThatAnotherProgramHoldsIsReadThroughTheWindowUntilItIsLetGo) {
  Unplug();
  Reader().grabError = EBUSY;  // a key remapper has it: the kernel gives it the reader's keys
  Scan({kReader});
  for (int bit : kGood165) {
    WindowF12(true);
    loop.Run(bit ? 300 : 100);
    WindowF12(false);
    loop.Run(60);
  }
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165") << "the window's F12 counts";
  loop.Run(2000);

  Reader().grabError = 0;
  Scan({kReader});
  DeviceCode({0, 0, 0, 0, 1, 0, 1, 0});
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "10");
  EXPECT_TRUE(Reader().led);
}

}  // namespace
}  // namespace varnel
