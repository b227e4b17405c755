#include "process/text.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(Text, UpperChangesOnlyTheLetters) {
  EXPECT_EQ(Upper("usb\\vid_04d9&pid_1603&mi_00\\7&1a2b"), "USB\\VID_04D9&PID_1603&MI_00\\7&1A2B");
}

}  // namespace
}  // namespace varnel
