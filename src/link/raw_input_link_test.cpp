// The Windows link fed as the shell feeds it from raw input and the F12 hook, driving the
// window's logic through its one way in, on simulated time.
#include "link/raw_input_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/link_tooltip.h"
#include "ui/simulated_loop.h"

namespace varnel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::vector<int> kGood165{1, 0, 1, 0, 0, 1, 0, 1};
const RawKeyboard kReader{7, R"(\\?\HID#VID_04D9&PID_1603&MI_00#8&2f0f5c4&0&0000#{884b96c3})"};
const RawKeyboard kLaptop{3, R"(\\?\HID#VID_046D&PID_C31C&MI_00#7&1a2b&0&0000#{884b96c3})"};

class RawInputLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loop.Load();
    List({kLaptop, kReader});
    loop.Run(2000);
  }
  void List(const RawKeyboards& keyboards) { link.Listed(keyboards, loop.TickCount(), loop.input); }
  void Raw(const RawKeyboard& from, std::uint16_t key, bool down) {
    link.Key(from.handle, key, down, loop.At(), loop.input);
  }
  void Window(bool down) { loop.input.WindowKey(kKeyF12, down, false, loop.At()); }
  // A code from `from`'s F12, as raw input reports it; with `window`, Varnel's window is in
  // front and gets each press as its own key message too.
  void Code(const std::vector<int>& bits, const RawKeyboard& from = kReader, bool window = false,
            std::size_t presses = 8) {
    for (std::size_t i = 0; i < presses; ++i) {
      Raw(from, kVirtualKeyF12, true);
      if (window) Window(true);
      loop.Run(bits[i] ? 300 : 100);
      Raw(from, kVirtualKeyF12, false);
      if (window) Window(false);
      loop.Run(60);
    }
  }

  SimulatedLoop loop;
  std::vector<std::string> said;
  RawInputLink link{kReaderIdentity, false,
                    [this](const std::string& line) { said.push_back(line); }};
};

TEST_F(RawInputLinkTest, TheReaderIsTakenUpByItsIdentityUnderItsDeviceName) {
  EXPECT_TRUE(link.Status().direct);
  EXPECT_THAT(link.Status().paths, ElementsAre(kReader.name));
  EXPECT_FALSE(link.Status().exclusive) << "its keys reach the program in front too";
  EXPECT_THAT(loop.Screen().ReaderToolTip,
              HasSubstr("Collegamento diretto al lettore: " + kReader.name));
  EXPECT_THAT(said, ElementsAre("varnel: direct link to the reader up, through " + kReader.name));
  const std::size_t warned = loop.warnings.size();
  List({kLaptop});
  List({kLaptop, kReader});
  EXPECT_EQ(loop.warnings.size(), warned) << "no warning as a reader arrives";
}

TEST_F(RawInputLinkTest, ATopLevelCollectionOfTheReaderIsTheReaderAndAnotherProductIsNot) {
  List({kLaptop});
  EXPECT_FALSE(link.Status().direct);
  const RawKeyboard collection{9, R"(\\?\HID#VID_04D9&PID_1603&MI_00&Col01#8&aa&0&0000#{884b})"};
  List({kLaptop, collection});
  EXPECT_TRUE(link.Status().direct);
  List({{10, R"(\\?\HID#VID_04D9&PID_1604&MI_00#8&aa&0&0000#{884b})"},
        {11, R"(\\?\HID#VID_04D9&PID_1603&MI_01#8&aa&0&0001#{884b})"}});
  EXPECT_FALSE(link.Status().direct);
  EXPECT_EQ(link.Status().why, LinkStatus::Why::NoReader);
}

TEST_F(RawInputLinkTest, OnlyTheReadersF12CountsWhileItIsListedWhateverWindowIsInFront) {
  Code(kGood165, kReader, false, 4);
  Raw(kLaptop, kVirtualKeyF12, true);  // a person's F12, in the middle of the code
  Window(true);
  loop.Run(200);
  Raw(kLaptop, kVirtualKeyF12, false);
  Window(false);
  loop.Run(60);
  Code({0, 1, 0, 1}, kReader, false, 4);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  EXPECT_TRUE(loop.LightOn());
}

TEST_F(RawInputLinkTest, APressThroughRawInputAndTheWindowsOwnMessageCountsOnce) {
  Code(kGood165, kReader, true);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  EXPECT_FALSE(loop.Screen().lblErr.Visible);
  loop.Run(2000);
}

TEST_F(RawInputLinkTest, WithNoReaderListedTheWindowsKeysCountAsBefore) {
  List({kLaptop});
  for (int bit : kGood165) {
    Raw(kLaptop, kVirtualKeyF12, true);
    Window(true);
    loop.Run(bit ? 300 : 100);
    Raw(kLaptop, kVirtualKeyF12, false);
    Window(false);
    loop.Run(60);
  }
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  EXPECT_THAT(loop.Screen().ReaderToolTip, HasSubstr("Collegamento attraverso la finestra"));
}

TEST_F(RawInputLinkTest, HoldsAreTimedOnTheMessagesTimeAcrossAStop) {
  for (int i = 0; i < 8; ++i) {
    const std::int64_t pressedAt = loop.Now();
    link.Key(kReader.handle, kVirtualKeyF12, true, loop.At(pressedAt), loop.input);
    if (i == 3) loop.Stall(500);  // the program stopped: the release waits in its queue
    const std::int64_t releasedAt = pressedAt + (kGood165[i] ? 300 : 100);
    if (loop.Now() < releasedAt) loop.Run(releasedAt - loop.Now());
    link.Key(kReader.handle, kVirtualKeyF12, false, loop.At(releasedAt), loop.input);
    loop.Run(60);
  }
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
}

TEST_F(RawInputLinkTest, AReaderRemovedMidCodeEndsItAsTimeout) {
  Code(kGood165, kReader, false, 5);
  Raw(kReader, kVirtualKeyF12, true);
  loop.Run(100);
  List({kLaptop});
  EXPECT_EQ(loop.Screen().lblErr.Caption, "Timeout");
  EXPECT_TRUE(loop.Screen().lblErr.Visible);
  loop.Run(3000);
  List({kLaptop, kReader});
  Code(kGood165);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165") << "taken up again";
}

TEST_F(RawInputLinkTest, AKeyboardWithTheReadersIdentityThatTypesIsLetGoWhileItStaysPluggedIn) {
  Raw(kReader, kVirtualKeyScrollLock, true);  // the system's light, made up by a program
  Raw(kReader, kVirtualKeyScrollLock, false);
  EXPECT_TRUE(link.Status().direct);
  Raw(kReader, 0x41, true);  // "A"
  EXPECT_FALSE(link.Status().direct);
  EXPECT_EQ(link.Status().why, LinkStatus::Why::PersonsKeyboard);
  EXPECT_THAT(said, ::testing::Contains(HasSubstr("is a person's keyboard")));
  List({kLaptop, kReader});
  Code(kGood165, kReader, true);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165") << "through the window alone, once";
  EXPECT_FALSE(link.Status().direct);
  loop.Run(2000);
  List({kLaptop});
  List({kLaptop, kReader});
  EXPECT_TRUE(link.Status().direct) << "plugged in again";
}

TEST(RawInputLinkHook, EveryF12IsTheReadersThroughTheHookAndRawInputAddsNone) {
  SimulatedLoop loop;
  RawInputLink link{kReaderIdentity, true, [](const std::string&) {}};
  loop.Load();
  link.Listed(RawKeyboards{kLaptop, kReader}, loop.TickCount(), loop.input);
  loop.Run(2000);
  EXPECT_TRUE(link.Status().exclusive);
  for (int bit : kGood165) {
    // The hook sees each key first, then raw input (from whichever keyboard), then the window.
    link.HookF12(true, loop.At(), loop.input);
    link.Key(kLaptop.handle, kVirtualKeyF12, true, loop.At(), loop.input);
    loop.input.WindowKey(kKeyF12, true, false, loop.At());
    loop.Run(bit ? 300 : 100);
    link.HookF12(false, loop.At(), loop.input);
    link.Key(kLaptop.handle, kVirtualKeyF12, false, loop.At(), loop.input);
    loop.input.WindowKey(kKeyF12, false, false, loop.At());
    loop.Run(60);
  }
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  EXPECT_FALSE(loop.Screen().lblErr.Visible);
}

TEST_F(RawInputLinkTest, TheHookIsTakenUpAndLetGoWhileTheLinkRuns) {
  // A press through raw input, then the hook is chosen: the code it began is cut.
  Raw(kReader, kVirtualKeyF12, true);
  link.TakeF12(true, loop.input);
  EXPECT_TRUE(link.Status().exclusive);
  link.HookF12(true, loop.At(), loop.input);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().lblErr.Caption, "Timeout");
  loop.Run(2000);
  // Its release never came through the hook; let go, raw input counts again, from a clean press.
  link.TakeF12(false, loop.input);
  EXPECT_FALSE(link.Status().exclusive);
  Code(kGood165);
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  EXPECT_FALSE(loop.Screen().lblErr.Visible);
}

}  // namespace
}  // namespace varnel
