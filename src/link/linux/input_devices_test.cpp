#include "link/linux/input_devices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace varnel {
namespace {

std::string Fixture(const std::string& name) {
  std::ifstream file(std::string(VARNEL_TESTDATA) + "/" + name);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_FALSE(text.str().empty()) << name;
  return text.str();
}

struct FixedList : KeyboardLister {
  explicit FixedList(KeyboardIds ids) : ids(std::move(ids)) {}
  std::optional<KeyboardIds> KeyboardDeviceIds() override { return ids; }
  KeyboardIds ids;
};

TEST(InputDevices, KeyboardsGetWindowsStyleIdentifiers) {
  const KeyboardIds ids = ParseInputDevices(Fixture("reader-and-ps2.txt"));
  EXPECT_EQ(ids,
            (KeyboardIds{
                "INPUT\\BUS_0019&VID_0000&PID_0001\\/devices/LNXSYSTM:00/LNXPWRBN:00/input/input0",
                "INPUT\\BUS_0011&VID_0001&PID_0001\\/devices/platform/i8042/serio0/input/input3",
                "USB\\VID_04D9&PID_1603&MI_00\\1-2:1.0",
                "USB\\VID_04D9&PID_1603&MI_01\\1-2:1.1",
            }))
      << "the mouse has no kbd handler";
  FixedList list(ids);
  EXPECT_TRUE(modReader::IsReaderConnected(list, kReaderIdentity));
}

TEST(InputDevices, OtherInterfacesOtherBusesAndBrokenEntriesAreNotTheReader) {
  const KeyboardIds ids = ParseInputDevices(Fixture("other-interface-bluetooth-broken.txt"));
  ASSERT_EQ(ids.size(), 4u);
  EXPECT_EQ(ids[0], "USB\\VID_04D9&PID_1603&MI_01\\1-4.1:1.1");
  EXPECT_TRUE(ids[1]->starts_with("INPUT\\BUS_0005&VID_04D9&PID_1603\\"));
  EXPECT_EQ(ids[2], std::nullopt) << "no bus: no identifier";
  EXPECT_EQ(ids[3], "USB\\VID_04D9&PID_1603\\0") << "no interface known: never a match";
  FixedList list(ids);
  EXPECT_FALSE(modReader::IsReaderConnected(list, kReaderIdentity));
}

TEST(InputDevices, OddTextGivesNoKeyboards) {
  EXPECT_TRUE(ParseInputDevices("").empty());
  EXPECT_TRUE(ParseInputDevices(std::string("\0\xff\x01garbage\n\n\nI: Bus=", 20)).empty());
}

TEST(InputDevices, ATruncatedListFindsTheReaderOnlyOnceItsHandlersAreIn) {
  const std::string full = Fixture("reader-and-ps2.txt");
  const std::string handlers = "H: Handlers=sysrq kbd";
  const std::size_t needed = full.find(handlers + " event5") + handlers.size();
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    FixedList list(ParseInputDevices(std::string_view(full).substr(0, cut)));
    ASSERT_EQ(modReader::IsReaderConnected(list, kReaderIdentity), cut >= needed) << cut;
  }
}

TEST(InputDevices, TheFileIsReadWithABound) {
  EXPECT_EQ(ReadInputDevices("/nonexistent/input/devices"), std::nullopt);
  EXPECT_EQ(ReadInputDevices("/"), std::nullopt) << "a directory is no list";

  // The reader's entry behind 2 MiB of other devices is past the bound: not read, not found.
  const std::string path = ::testing::TempDir() + "/huge-devices";
  {
    std::ofstream file(path, std::ios::binary);
    const std::string filler =
        "I: Bus=0011 Vendor=0001 Product=0001 Version=ab41\n"
        "H: Handlers=kbd event2\n\n";
    for (std::size_t written = 0; written < (2u << 20); written += filler.size()) file << filler;
    file << Fixture("reader-and-ps2.txt");
  }
  const std::optional<KeyboardIds> ids = ReadInputDevices(path);
  ASSERT_TRUE(ids.has_value());
  EXPECT_GT(ids->size(), 1000u);
  FixedList list(*ids);
  EXPECT_FALSE(modReader::IsReaderConnected(list, kReaderIdentity));
  std::remove(path.c_str());

  const std::optional<KeyboardIds> fixture =
      ReadInputDevices(std::string(VARNEL_TESTDATA) + "/reader-and-ps2.txt");
  ASSERT_TRUE(fixture.has_value());
  EXPECT_EQ(fixture->size(), 4u);
}

TEST(InputDevices, TheReadersEventNodeIsItsKeyboardInterfacesAlone) {
  EXPECT_EQ(
      ParseReaderNodes(Fixture("reader-and-ps2.txt")),
      (ReaderNodes{{"/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:04D9:1603.0001/"
                    "input/input5",
                    "event5", "1-2:1.0", "HOLTEK USB Keyboard", "", "usb-0000:00:14.0-2/input0"}}));
  EXPECT_TRUE(ParseReaderNodes(Fixture("other-interface-bluetooth-broken.txt")).empty());
  EXPECT_TRUE(ParseReaderNodes("I: Bus=0003 Vendor=04d9 Product=1603\n"
                               "S: Sysfs=/devices/usb1/1-2/1-2:1.0/input/input5\n"
                               "H: Handlers=sysrq kbd leds\n")
                  .empty())
      << "no event handler, no node";
  EXPECT_EQ(ReadReaderNodes("/nonexistent/input/devices"), std::nullopt);
}

TEST(InputDevices, NoLengthOfAFieldOverflowsTheParser) {
  const std::string digits(200'000, '7');
  const std::string entry =
      "I: Bus=0003 Vendor=04d9 Product=1603\nN: Name=\"A \"quoted\" name\"\nU: Uniq=SN" + digits +
      "\nS: Sysfs=/devices/usb1/" + digits + "-2:1.0/1-3:1.0/input/input" + digits +
      "\nH: Handlers=kbd event" + digits + " event9\n";
  const ReaderNodes nodes = ParseReaderNodes(entry);
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].node, "event9") << "an event number of 200,000 digits is no node";
  EXPECT_EQ(nodes[0].port, "1-3:1.0");
  EXPECT_EQ(nodes[0].name, "A \"quoted\" name");
  EXPECT_EQ(nodes[0].uniq.size(), digits.size() + 2);
}

TEST(InputDevices, TestsCanPutTheirOwnListAndFolderInPlaceOfTheSystems) {
  unsetenv("VARNEL_INPUT_DEVICES");
  setenv("VARNEL_INPUT_DIR", "", 1);
  EXPECT_EQ(InputDevicesPath(), "/proc/bus/input/devices");
  EXPECT_EQ(InputDirectory(), "/dev/input");
  setenv("VARNEL_INPUT_DEVICES", "/tmp/x/devices", 1);
  setenv("VARNEL_INPUT_DIR", "/tmp/x/input", 1);
  EXPECT_EQ(InputDevicesPath(), "/tmp/x/devices");
  EXPECT_EQ(InputDirectory(), "/tmp/x/input");
  unsetenv("VARNEL_INPUT_DEVICES");
  unsetenv("VARNEL_INPUT_DIR");
}

}  // namespace
}  // namespace varnel
