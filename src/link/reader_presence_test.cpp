#include "link/reader_presence.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

struct ListedKeyboards : KeyboardLister {
  explicit ListedKeyboards(std::optional<KeyboardIds> ids) : ids(std::move(ids)) {}
  std::optional<KeyboardIds> KeyboardDeviceIds() override { return ids; }
  std::optional<KeyboardIds> ids;
};

bool Connected(std::optional<KeyboardIds> ids) {
  ListedKeyboards lister(std::move(ids));
  return modReader::IsReaderConnected(lister, kReaderIdentity);
}

TEST(IsReaderConnected, MatchesTheReadersIdentifierWhateverItsCase) {
  EXPECT_TRUE(Connected(KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\7&2F0F5C4&0&0000"}));
  EXPECT_TRUE(Connected(KeyboardIds{"usb\\vid_04d9&pid_1603&mi_00\\7&2f0f5c4&0&0000"}));
  EXPECT_TRUE(Connected(KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\"}));  // the bare prefix
  ListedKeyboards lowerIdentity(KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00\\1"});
  EXPECT_TRUE(modReader::IsReaderConnected(lowerIdentity, "vid_04d9&pid_1603&mi_00"));
}

TEST(IsReaderConnected, RejectsNearMisses) {
  EXPECT_FALSE(Connected(KeyboardIds{"USB\\VID_04D9&PID_1603&MI_00"}));  // no closing backslash
  EXPECT_FALSE(Connected(KeyboardIds{"USB\\VID_04D9&PID_1603&MI_01\\7&2F0F5C4&0&0001"}));
  EXPECT_FALSE(Connected(KeyboardIds{"HID\\VID_04D9&PID_1603&MI_00\\7&2F0F5C4&0&0000"}));
  EXPECT_FALSE(Connected(KeyboardIds{"ACPI\\PNP0303\\4&1D401FB5&0", ""}));
}

TEST(IsReaderConnected, SkipsMissingIdentifiersAndKeepsLooking) {
  EXPECT_TRUE(Connected(KeyboardIds{std::nullopt, "USB\\VID_04D9&PID_1603&MI_00\\8&1&0"}));
  EXPECT_FALSE(Connected(KeyboardIds{std::nullopt}));
}

TEST(IsReaderConnected, NoKeyboardsOrNoAnswerMeanNoReader) {
  EXPECT_FALSE(Connected(KeyboardIds{}));
  EXPECT_FALSE(Connected(std::nullopt));
}

TEST(NameHasIdentity, FindsTheIdentityAsOneElementOfARawInputNameWhateverItsCase) {
  EXPECT_TRUE(NameHasIdentity(R"(\\?\HID#VID_04D9&PID_1603&MI_00#8&2f0f5c4&0&0000#{884b96c3})",
                              kReaderIdentity));
  EXPECT_TRUE(NameHasIdentity(R"(\\?\hid#vid_04d9&pid_1603&mi_00&col01#8&2f0f5c4&0&0000#{884b})",
                              kReaderIdentity));
  EXPECT_TRUE(
      NameHasIdentity(R"(\\?\HID#VID_845E&PID_0002#0&0000&0&0#{884b96c3})", "vid_845e&pid_0002"));
}

TEST(NameHasIdentity, RejectsAnotherProductOrInterfaceAndPartialElements) {
  EXPECT_FALSE(NameHasIdentity(R"(\\?\HID#VID_04D9&PID_1603&MI_01#8&1#{884b})", kReaderIdentity));
  EXPECT_FALSE(NameHasIdentity(R"(\\?\HID#VID_04D9&PID_16031&MI_00#8&1#{884b})", kReaderIdentity));
  EXPECT_FALSE(NameHasIdentity(R"(\\?\HID#XVID_04D9&PID_1603&MI_00#8&1#{884b})", kReaderIdentity));
  EXPECT_FALSE(NameHasIdentity(R"(\\?\HID#VID_04D9&PID_1603&MI_001#8&1#{884b})", kReaderIdentity));
  EXPECT_FALSE(NameHasIdentity(R"(\\?\HID#VID_04D9&PID_1603&MI_00)", kReaderIdentity));
  EXPECT_FALSE(NameHasIdentity(R"(\\?\HID#VID_04D9&PID_1603&MI_00#1)", ""));
}

}  // namespace
}  // namespace varnel
