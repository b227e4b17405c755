#include "session/run_id.h"

#include <gtest/gtest.h>

#include <set>

namespace varnel {
namespace {

TEST(RunId, KeepsItsLeadingZerosAndAllSixtyFourBits) {
  EXPECT_EQ(RunIdText(0x1), "0000000000000001");
  EXPECT_EQ(RunIdText(0xfedcba9876543210), "fedcba9876543210");
}

TEST(RunId, EachRunDrawsItsOwn) {
  std::set<std::string> drawn;
  for (int run = 0; run < 64; ++run) {
    const std::string id = NewRunId();
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
    drawn.insert(id);
  }
  // Both halves drawn: a 32-bit draw would leave the high digits the same every time.
  EXPECT_EQ(drawn.size(), 64u);
  EXPECT_GT(
      std::set<std::string>({drawn.begin()->substr(0, 8), std::prev(drawn.end())->substr(0, 8)})
          .size(),
      1u);
}

}  // namespace
}  // namespace varnel
