#include "reader/reader_plan.h"

#include <gtest/gtest.h>

#include "reader/light_watch.h"

namespace varnel::reader {
namespace {

Plan Parse(std::vector<std::string> args) {
  const ParseResult result = ParseArguments(args);
  EXPECT_TRUE(result.plan.has_value()) << result.error;
  return result.plan.value_or(Plan{});
}

std::string Error(std::vector<std::string> args) {
  const ParseResult result = ParseArguments(args);
  EXPECT_FALSE(result.plan.has_value());
  return result.error;
}

TEST(ReaderPlan, AValueIsSentMostSignificantFirstWithEvenParity) {
  EXPECT_EQ(Parse({"82"}).bits, (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1}));  // three ones
  EXPECT_EQ(Parse({"0"}).bits, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Parse({"127"}).bits, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(Parse({"82", "--bad-parity"}).bits, (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(Parse({"82", "--cut", "3"}).bits, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(Parse({"--bits", "0110"}).bits, (std::vector<int>{0, 1, 1, 0}));
}

TEST(ReaderPlan, OptionsSetHoldsAndCount) {
  const Plan plan = Parse({"--short", "40", "5", "--long", "90", "--count", "3", "--watch", "0"});
  EXPECT_EQ(plan.watchMs, 0);
  EXPECT_EQ(plan.shortMs, 40);
  EXPECT_EQ(plan.longMs, 90);
  EXPECT_EQ(plan.count, 3);
  EXPECT_TRUE(Parse({"--help"}).help);
  const Plan defaults = Parse({"1"});
  EXPECT_EQ(defaults.shortMs, 100);
  EXPECT_EQ(defaults.longMs, 300);
  EXPECT_EQ(defaults.count, 1);
}

TEST(ReaderPlan, BadArgumentsAreRefusedWithAReason) {
  EXPECT_NE(Error({}).find("nothing to send"), std::string::npos);
  EXPECT_NE(Error({"128"}).find("0 to 127"), std::string::npos);
  EXPECT_NE(Error({"-1"}).find("unknown option"), std::string::npos);
  EXPECT_NE(Error({"12x"}).find("not '12x'"), std::string::npos);
  EXPECT_NE(Error({"1", "2"}).find("only one VALUE"), std::string::npos);
  EXPECT_NE(Error({"1", "--bits", "01"}).find("not both"), std::string::npos);
  EXPECT_NE(Error({"--bits", "012"}).find("0 and 1"), std::string::npos);
  EXPECT_NE(Error({"--bits"}).find("0 and 1"), std::string::npos);
  EXPECT_NE(Error({"1", "--cut", "8"}).find("1 to 7"), std::string::npos);
  EXPECT_NE(Error({"--bits", "01", "--cut", "2"}).find("whole code"), std::string::npos);
  EXPECT_NE(Error({"1", "--short"}).find("needs a number"), std::string::npos);
  EXPECT_NE(Error({"1", "--long", "0"}).find("1 to 5000"), std::string::npos);
  EXPECT_NE(Error({"1", "--short", "200", "--long", "200"}).find("differ"), std::string::npos);
  EXPECT_NE(Error({"1", "--frobnicate"}).find("unknown option"), std::string::npos);
}

TEST(ReaderPlan, StepsHoldEachBitThenWaitTheGap) {
  std::vector<std::pair<long long, bool>> steps;
  for (const KeyStep& s : CodeSteps(Parse({"--bits", "10", "--short", "40", "--long", "120"}))) {
    steps.emplace_back(s.atMs, s.down);
  }
  EXPECT_EQ(steps, (std::vector<std::pair<long long, bool>>{
                       {0, true}, {120, false}, {170, true}, {210, false}}));
}

TEST(ReaderPlan, DeviceModeTakesAFolderAndNothingElse) {
  EXPECT_EQ(Parse({"--device", "/tmp/d"}).deviceDir, "/tmp/d");
  EXPECT_FALSE(Parse({"1"}).deviceDir);
  EXPECT_NE(Error({"--device"}).find("needs a folder"), std::string::npos);
  EXPECT_NE(Error({"1", "--device", "d"}).find("nothing else"), std::string::npos);
}

TEST(LightWatch, TellsSteadyLightFromBlinking) {
  EXPECT_EQ(DescribeLight(false, {{851, true}, {2851, false}}),
            (std::vector<std::string>{"+0.000 s  off", "+0.851 s  on", "+2.851 s  off"}));
  std::vector<LightChange> blink;
  for (int k = 1; k <= 9; ++k) blink.push_back({850 + 200 * k + (k % 2) * 7, k % 2 == 1});
  blink.push_back({2850, false});
  EXPECT_EQ(DescribeLight(false, blink),
            (std::vector<std::string>{
                "+0.000 s  off", "+1.057 s  blinking every 199 ms, until +2.850 s, then off"}));
  EXPECT_EQ(DescribeLight(true, {}), (std::vector<std::string>{"+0.000 s  on"}));
}

}  // namespace
}  // namespace varnel::reader
