// The window beside a service: the service's records shown as its own codes would be, on
// simulated time, and nothing of the window's own keys.
#include "ui/followed_view.h"

#include <gtest/gtest.h>

#include "light/no_light.h"
#include "output/code_record.h"
#include "ui/simulated_loop.h"

namespace varnel {
namespace {

std::string Record(const CodeOutcome& outcome) {
  return RecordLine(
      {1, "3f9a0c41d2e87b65", "t", outcome, true, "/dev/input/event17", false, std::nullopt});
}

const CodeOutcome kGood165{
    CodeOutcome::Verdict::Good, {301, 99, 300, 100, 101, 300, 99, 302}, 165, "10100101", 200, 99};

class Viewer : public ::testing::Test {
 protected:
  NoLight light;
  SimulatedLoop loop{1'000'000, light, [] { return false; }};
  FollowedView view{loop.form, {4243, false}};
};

TEST_F(Viewer, ShowsEachRecordAsTheWindowShowsItsOwnCodesForTwoSeconds) {
  EXPECT_NE(loop.Screen().ReaderToolTip.find("servizio Varnel (processo 4243)"), std::string::npos);
  // A record may come in pieces, and two at once.
  const std::string good = Record(kGood165);
  EXPECT_TRUE(view.Take(good.substr(0, 20)));
  EXPECT_EQ(loop.Screen().Valore.Caption, "0");
  EXPECT_TRUE(view.Take(good.substr(20)));
  EXPECT_EQ(loop.Screen().Valore.Caption, "165");
  EXPECT_EQ(loop.Screen().Valore.BackColor, kColorGreen);
  EXPECT_EQ(loop.Screen().Bit[7].ToolTip, "Pressione 301 ms, soglia 200 ms");
  loop.Run(2000);
  EXPECT_EQ(loop.Screen().Valore.BackColor, kColorButtonFace);

  CodeOutcome parity = kGood165;
  parity.verdict = CodeOutcome::Verdict::Parity;
  const CodeOutcome cut{CodeOutcome::Verdict::Timeout, {300, 99}, {}, {}, {}, {}};
  view.Take(Record(parity));
  EXPECT_EQ(loop.Screen().lblErr.Caption, "Parità");
  EXPECT_TRUE(loop.Screen().lblErr.Visible);
  view.Take(Record(cut) + "{\"seq\":3}\n");
  EXPECT_EQ(loop.Screen().lblErr.Caption, "Timeout");
  EXPECT_EQ(loop.Screen().Valore.Caption, "165") << "a cut code leaves the last value";
}

TEST_F(Viewer, TheWindowsOwnF12CountsForNothing) {
  loop.SendCode({1, 0, 1, 0, 0, 1, 0, 1});
  loop.Run(1000);
  EXPECT_EQ(loop.Screen().Valore.Caption, "0");
  EXPECT_EQ(loop.Screen().lblCnt.Caption, "8");
}

TEST_F(Viewer, SaysHowTheStreamEnded) {
  EXPECT_NE(view.EndText(true).find("(processo 4243) è terminato"), std::string::npos);
  EXPECT_NE(view.EndText(false).find("ha smesso"), std::string::npos);
  EXPECT_FALSE(view.Take("varnel: 16 programs already follow this Varnel.\n"));
  EXPECT_NE(view.EndText(false).find(": varnel: 16 programs"), std::string::npos);
}

}  // namespace
}  // namespace varnel
