// The record of each code, as programs read it from standard output: its fields, their order and
// their values, for a good code, a bad one and a cut one, with the window's tooltips beside it.
#include "output/code_record.h"

#include <gtest/gtest.h>

#include "output/code_recorder.h"
#include "ui/simulated_loop.h"

namespace varnel {
namespace {

class CodeRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    loop.input.Outlet().SetRecorder(&recorder);
    loop.Load();
    loop.Run(2000);
  }
  void Settle() { loop.Run(3000); }

  SimulatedLoop loop;
  std::vector<std::string> lines;
  CodeRecorder recorder{[] { return "2026-12-07T14:03:21.123+01:00"; },
                        [this](std::string line) { lines.push_back(std::move(line)); },
                        "00c0ffee0badf00d"};
};

TEST_F(CodeRecords, GoodParityAndTimeoutEachGiveOneLine) {
  EXPECT_EQ(loop.Screen().Valore.ToolTip, "");  // nothing to tell before the first code
  // 312 ms against 100 ms: the threshold is 206, and every hold is 106 ms from it.
  loop.SendCode({1, 0, 1, 0, 0, 1, 0, 1}, 100, 312);
  Settle();
  LinkStatus direct;
  direct.direct = true;
  direct.paths = {"/dev/input/event17"};
  loop.input.LinkChanged(direct);
  loop.pressesFromReader = true;
  loop.SendCode({1, 0, 1, 0, 0, 1, 0, 0}, 100, 300);
  Settle();
  EXPECT_EQ(loop.Screen().Bit[7].ToolTip, "Pressione 300 ms, soglia 200 ms");
  EXPECT_EQ(loop.Screen().Bit[0].ToolTip, "Pressione 100 ms, soglia 200 ms");
  EXPECT_EQ(loop.Screen().Valore.ToolTip, "Margine 100 ms");
  loop.SendCode({1, 1, 0}, 100, 300);
  Settle();
  EXPECT_EQ(loop.Screen().Valore.ToolTip, "Margine 100 ms");  // a timeout leaves them

  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(
      lines[0],
      R"({"seq":1,"run":"00c0ffee0badf00d","time":"2026-12-07T14:03:21.123+01:00","verdict":"good","value":165,)"
      R"("bits":"10100101","holds_ms":[312,100,312,100,100,312,100,312],"threshold_ms":206,)"
      R"("margin_ms":106,"link":"window","device":null,"typed":false})"
      "\n");
  EXPECT_EQ(
      lines[1],
      R"({"seq":2,"run":"00c0ffee0badf00d","time":"2026-12-07T14:03:21.123+01:00","verdict":"parity","value":164,)"
      R"("bits":"10100100","holds_ms":[300,100,300,100,100,300,100,100],"threshold_ms":200,)"
      R"("margin_ms":100,"link":"direct","device":"/dev/input/event17","typed":false})"
      "\n");
  EXPECT_EQ(
      lines[2],
      R"({"seq":3,"run":"00c0ffee0badf00d","time":"2026-12-07T14:03:21.123+01:00","verdict":"timeout","value":null,)"
      R"("bits":null,"holds_ms":[300,300,100],"threshold_ms":null,"margin_ms":null,)"
      R"("link":"direct","device":"/dev/input/event17","typed":false})"
      "\n");
}

TEST_F(CodeRecords, APressCutWhileHeldIsNoHold) {
  loop.Press(300);
  loop.F12Down();
  loop.Run(100);
  loop.form.CutCode(false);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(R"("holds_ms":[300],)"), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace varnel
