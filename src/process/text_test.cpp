#include "process/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnel {
namespace {

TEST(Text, UpperChangesOnlyTheLetters) {
  EXPECT_EQ(Upper("usb\\vid_04d9&pid_1603&mi_00\\7&1a2b"), "USB\\VID_04D9&PID_1603&MI_00\\7&1A2B");
}

TEST(Text, WholeLinesAreTakenAndTheCutOneWaits) {
  std::string pending = "one\n\ntwo\nthr";
  std::vector<std::string> lines;
  TakeWholeLines(pending, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "two"}));
  EXPECT_EQ(pending, "thr");
}

TEST(Text, TakingStopsWhereAskedAndLeavesTheRest) {
  std::string pending = "one\nstop\nthree\n";
  std::vector<std::string> lines;
  TakeWholeLines(pending, [&](std::string_view line) {
    lines.emplace_back(line);
    return line != "stop";
  });
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "stop"}));
  EXPECT_EQ(pending, "three\n");
}

}  // namespace
}  // namespace varnel
