// Which codes are typed into the window in front, and when: through the window's logic on
// simulated time, with a fake keyboard port standing for the window system.
#include "output/code_typing.h"

#include <gtest/gtest.h>

#include "output/code_recorder.h"
#include "ui/simulated_loop.h"

namespace varnel {
namespace {

class FakeTypingPort final : public TypingPort {
 public:
  bool OwnWindowInFront() override { return ownInFront; }
  bool ModifierHeld() override { return modifierHeld; }
  std::optional<Untyped> Barred() override { return barred; }
  bool Type(std::string_view text, TypeEnd end, std::int32_t pauseMs,
            TypingFailure& failure) override {
    if (!problem.empty()) {
      failure = {Untyped::Elevated, problem};
      return false;
    }
    typed.push_back({std::string(text), end});
    pauses.push_back(pauseMs);
    return true;
  }

  bool ownInFront = false;
  bool modifierHeld = false;
  std::optional<Untyped> barred;
  std::string problem;
  std::vector<std::pair<std::string, TypeEnd>> typed;
  std::vector<std::int32_t> pauses;
};

// Keys that go out only when the test says, as a slow pace's would.
class HeldRunner final : public TypingRunner {
 public:
  void Start(std::function<void()> job) override {
    job_ = std::move(job);
    ++started;
  }
  bool Ended() override { return !job_; }
  void Wait() override { Finish(); }
  void Finish() {
    if (job_) std::exchange(job_, nullptr)();
  }
  int started = 0;

 private:
  std::function<void()> job_;
};

using Typed = std::vector<std::pair<std::string, TypeEnd>>;
const std::vector<int> kGood165{1, 0, 1, 0, 0, 1, 0, 1};
const std::vector<int> kParity164{1, 0, 1, 0, 0, 1, 0, 0};

class Typing : public ::testing::Test {
 protected:
  void SetUp() override {
    loop.input.Outlet().SetRecorder(&recorder);
    loop.Load();
    loop.Run(2000);
    Direct(true);
    loop.pressesFromReader = true;
  }
  void Start(TypeEnd end = TypeEnd::Enter) {
    loop.input.Outlet().TypeCodes(port, {end, 0},
                                  [this](const std::string& line) { said.push_back(line); });
  }
  void Direct(bool direct) {
    LinkStatus status;
    status.direct = direct;
    if (direct) status.paths = {"/dev/input/event17"};
    loop.input.LinkChanged(status);
    loop.pressesFromReader = direct;
  }
  // The field that each record ends with.
  std::vector<std::string> TypedFields() const {
    std::vector<std::string> fields;
    for (const std::string& line : lines) fields.push_back(line.substr(line.rfind(',') + 1));
    return fields;
  }
  // One code, and the time for the watchdog to decide it.
  void Code(const std::vector<int>& bits) {
    loop.SendCode(bits);
    loop.Run(1000);
  }

  SimulatedLoop loop;
  FakeTypingPort port;
  std::vector<std::string> said;
  std::vector<std::string> lines;
  CodeRecorder recorder{[] { return "t"; },
                        [this](std::string line) { lines.push_back(std::move(line)); }, "r"};
};

TEST(TypedText, AGoodCodesValueInDecimalWithoutLeadingZeros) {
  EXPECT_EQ(TypedText({CodeOutcome::Verdict::Good, {}, 7, "00000111", {}, {}}), "7");
  EXPECT_EQ(TypedText({CodeOutcome::Verdict::Good, {}, 255, "11111111", {}, {}}), "255");
  EXPECT_EQ(TypedText({CodeOutcome::Verdict::Parity, {}, 254, "11111110", {}, {}}), "");
}

TEST_F(Typing, AGoodCodeIsTypedOnceAsItIsShownAndABadOrCutOneNever) {
  Start();
  loop.SendCode(kGood165);
  loop.RunUntil(loop.Now() + 1000, [this] {
    // Typed the moment the window shows the value, not before.
    EXPECT_EQ(port.typed.empty(), loop.Screen().Valore.Caption != "165");
  });
  EXPECT_EQ(port.typed, (Typed{{"165", TypeEnd::Enter}}));
  loop.Run(2000);
  Code(kParity164);
  loop.Run(3000);
  Code({1, 1, 0});  // cut after three presses
  loop.Run(3000);
  EXPECT_EQ(port.typed.size(), 1u);
  EXPECT_EQ(TypedFields(), (std::vector<std::string>{R"("typed":true})"
                                                     "\n",
                                                     R"("untyped":"bad"})"
                                                     "\n",
                                                     R"("untyped":"bad"})"
                                                     "\n"}));
  EXPECT_TRUE(said.empty());
}

TEST_F(Typing, EachEndFollowsTheDigits) {
  for (TypeEnd end : {TypeEnd::Enter, TypeEnd::Tab, TypeEnd::None}) {
    Typing::Start(end);
    Code(kGood165);
    loop.Run(2000);
  }
  EXPECT_EQ(port.typed,
            (Typed{{"165", TypeEnd::Enter}, {"165", TypeEnd::Tab}, {"165", TypeEnd::None}}));
}

TEST_F(Typing, NothingWhileVarnelsOwnWindowIsInFront) {
  Start();
  port.ownInFront = true;
  Code(kGood165);
  EXPECT_TRUE(port.typed.empty());
  loop.Run(2000);
  port.ownInFront = false;
  Code(kGood165);
  EXPECT_EQ(port.typed.size(), 1u);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find(R"("typed":false,"untyped":"own-window"})"), std::string::npos);
  EXPECT_NE(lines[1].find(R"("typed":true})"), std::string::npos);
}

TEST_F(Typing, NothingThroughTheWindowPathWhichIsSaidOnceAndAgainOnResuming) {
  Direct(false);
  Start();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("typing waits for the reader to be heard without the focus"),
            std::string::npos);
  Code(kGood165);  // the window's F12, the window in front though the port may not know it
  loop.Run(2000);
  Direct(false);  // a scan that changes nothing of it
  Code(kGood165);
  loop.Run(2000);
  EXPECT_TRUE(port.typed.empty());
  EXPECT_EQ(said.size(), 1u);
  EXPECT_EQ(TypedFields(), std::vector<std::string>(2, "\"untyped\":\"window-path\"}\n"));

  Direct(true);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_NE(said[1].find("typing resumes"), std::string::npos);
  Code(kGood165);
  EXPECT_EQ(port.typed.size(), 1u);
  loop.Run(2000);
  Direct(false);
  EXPECT_EQ(said.size(), 3u);
  EXPECT_EQ(said[2], said[0]);
}

TEST_F(Typing, AModifierHeldIsWaitedOutAndTheCodeTypedOnceItIsLetGo) {
  Start();
  port.modifierHeld = true;
  Code(kGood165);
  const std::int64_t shown = loop.Now();
  EXPECT_TRUE(port.typed.empty());
  EXPECT_TRUE(lines.empty()) << "the record waits to say whether the code was typed";
  loop.Run(600);
  EXPECT_TRUE(port.typed.empty());
  port.modifierHeld = false;
  const std::int64_t letGo = loop.Now();
  loop.RunUntil(loop.Now() + 100, [&] {
    if (port.typed.empty()) return;
    EXPECT_LE(loop.Now() - letGo, TimerInterval(TimerId::TypeWait));
  });
  EXPECT_EQ(port.typed, (Typed{{"165", TypeEnd::Enter}}));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(R"("typed":true)"), std::string::npos);
  EXPECT_FALSE(loop.Running(TimerId::TypeWait));
  EXPECT_LT(loop.Now() - shown, kModifierWaitMs);
  EXPECT_TRUE(said.empty());
}

TEST_F(Typing, ACodeWaitingForAModifierWhenTheProgramEndsIsRecordedUntyped) {
  Start();
  port.modifierHeld = true;
  Code(kGood165);
  loop.Run(300);
  loop.input.Unload();
  EXPECT_TRUE(port.typed.empty());
  EXPECT_EQ(TypedFields(), std::vector<std::string>{"\"untyped\":\"ended\"}\n"});
  EXPECT_FALSE(loop.LightOn());
}

TEST_F(Typing, AModifierHeldForASecondSkipsTheCodeAndSaysSo) {
  Start();
  port.modifierHeld = true;
  loop.SendCode(kGood165);
  std::int64_t shown = -1, recorded = -1;
  loop.RunUntil(loop.Now() + 3000, [&] {
    if (shown < 0 && loop.Screen().Valore.Caption == "165") shown = loop.Now();
    if (recorded < 0 && !lines.empty()) recorded = loop.Now();
  });
  EXPECT_GE(recorded - shown, kModifierWaitMs);
  EXPECT_LE(recorded - shown, kModifierWaitMs + TimerInterval(TimerId::TypeWait));
  EXPECT_TRUE(port.typed.empty());
  EXPECT_EQ(TypedFields(), std::vector<std::string>{"\"untyped\":\"modifier\"}\n"});
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "varnel: code 165 not typed: a modifier key was still held a second after it");
  EXPECT_FALSE(loop.Running(TimerId::TypeWait));

  Code({0, 0, 0, 0, 1, 0, 1, 0});  // 10, under the same modifier, which is let go of then
  port.modifierHeld = false;
  loop.Run(100);
  EXPECT_EQ(port.typed, (Typed{{"10", TypeEnd::Enter}})) << "a code given up is not typed later";
}

// A code decided while another still waits, as after the program was held up for a while.
TEST(CodeTyping, CodesBehindOneThatWaitsKeepTheirOrderAndEachIsTypedOnce) {
  FakeTypingPort port;
  std::vector<std::string> said;
  const std::unique_ptr<TypingRunner> here = OpenTypingHere();
  CodeTyping typing(port, {TypeEnd::Tab}, *here,
                    [&](const std::string& line) { said.push_back(line); });
  typing.LinkNow(true);
  LinkStatus direct;
  direct.direct = true;
  CodeOutcome good{CodeOutcome::Verdict::Good, {}, 165, "10100101", {}, {}};
  CodeOutcome parity{CodeOutcome::Verdict::Parity, {}, 164, "10100100", {}, {}};
  CodeOutcome ten{CodeOutcome::Verdict::Good, {}, 10, "00001010", {}, {}};

  port.modifierHeld = true;
  EXPECT_TRUE(typing.Decided(good, direct, 1000).waiting);
  EXPECT_TRUE(typing.Poll(1400).settled.empty());
  const CodeTyping::Step behind = typing.Decided(parity, direct, 1500);
  EXPECT_TRUE(behind.settled.empty()) << "a bad code too waits its turn";
  EXPECT_TRUE(behind.waiting);
  typing.Decided(ten, direct, 1600);
  port.modifierHeld = false;
  const CodeTyping::Step step = typing.Poll(1625);
  EXPECT_FALSE(step.waiting);
  ASSERT_EQ(step.settled.size(), 3u);
  EXPECT_EQ(step.settled[0].outcome, good);
  EXPECT_TRUE(step.settled[0].typed);
  EXPECT_EQ(step.settled[1].outcome, parity);
  EXPECT_FALSE(step.settled[1].typed);
  EXPECT_EQ(step.settled[2].outcome, ten);
  EXPECT_TRUE(step.settled[2].typed);
  EXPECT_EQ(port.typed, (Typed{{"165", TypeEnd::Tab}, {"10", TypeEnd::Tab}}));
  EXPECT_TRUE(typing.Poll(1650).settled.empty());
  EXPECT_TRUE(said.empty());
}

TEST(CodeTyping, EachWaitingCodeHasItsOwnSecondFromItsTurn) {
  FakeTypingPort port;
  std::vector<std::string> said;
  const std::unique_ptr<TypingRunner> here = OpenTypingHere();
  CodeTyping typing(port, {TypeEnd::Enter}, *here,
                    [&](const std::string& line) { said.push_back(line); });
  LinkStatus direct;
  direct.direct = true;
  CodeOutcome good{CodeOutcome::Verdict::Good, {}, 165, "10100101", {}, {}};
  port.modifierHeld = true;
  typing.Decided(good, direct, -500);  // the counter wraps on the way
  typing.Decided(good, direct, 0);
  EXPECT_TRUE(typing.Poll(499).settled.empty());
  const CodeTyping::Step first = typing.Poll(500);
  ASSERT_EQ(first.settled.size(), 1u);
  EXPECT_FALSE(first.settled[0].typed);
  EXPECT_TRUE(first.waiting);
  EXPECT_TRUE(typing.Poll(1499).settled.empty()) << "the second's turn came at 500";
  EXPECT_EQ(typing.Poll(1500).settled.size(), 1u);
  EXPECT_EQ(said.size(), 1u) << "the cause is said the first time only";
  EXPECT_TRUE(port.typed.empty());
}

// A grab, a lock, a window of more rights: each waited out as a modifier is, each said once.
TEST_F(Typing, WhatBarsTheKeysIsWaitedOutThenTheCodeSkippedAndTheCauseRecorded) {
  Start();
  port.barred = Untyped::Grab;
  Code(kGood165);
  loop.Run(500);
  port.barred.reset();
  loop.Run(100);
  EXPECT_EQ(port.typed.size(), 1u) << "typed once the grab has gone";
  for (Untyped cause : {Untyped::Grab, Untyped::Grab, Untyped::Locked, Untyped::Elevated}) {
    port.barred = cause;
    Code(kGood165);
    loop.Run(2000);
  }
  EXPECT_EQ(port.typed.size(), 1u);
  EXPECT_EQ(TypedFields(),
            (std::vector<std::string>{"\"typed\":true}\n", "\"untyped\":\"grab\"}\n",
                                      "\"untyped\":\"grab\"}\n", "\"untyped\":\"locked\"}\n",
                                      "\"untyped\":\"elevated\"}\n"}));
  EXPECT_EQ(said, (std::vector<std::string>{
                      "varnel: code 165 not typed: another program holds the keyboard (a menu "
                      "or a screen locker)",
                      "varnel: code 165 not typed: the screen is locked",
                      "varnel: code 165 not typed: the window in front runs with more rights "
                      "than Varnel"}));
}

// A slow pace: the keys go out elsewhere while the codes go on being decided.
TEST(CodeTyping, CodesDecidedWhileKeysGoOutWaitTheirTurnAndKeepTheirOrder) {
  FakeTypingPort port;
  HeldRunner runner;
  CodeTyping typing(port, {TypeEnd::Enter, 40}, runner, [](const std::string&) {});
  typing.LinkNow(true);
  LinkStatus direct;
  direct.direct = true;
  CodeOutcome good{CodeOutcome::Verdict::Good, {}, 165, "10100101", {}, {}};
  CodeOutcome ten{CodeOutcome::Verdict::Good, {}, 10, "00001010", {}, {}};
  EXPECT_TRUE(typing.Decided(good, direct, 0).waiting);
  EXPECT_TRUE(typing.Decided(ten, direct, 10).waiting);
  EXPECT_TRUE(typing.Poll(3000).settled.empty()) << "no second counts while keys go out";
  EXPECT_EQ(runner.started, 1);
  runner.Finish();
  const CodeTyping::Step first = typing.Poll(3025);
  ASSERT_EQ(first.settled.size(), 1u);
  EXPECT_TRUE(first.settled[0].typed);
  EXPECT_TRUE(first.waiting);
  EXPECT_EQ(runner.started, 2);
  runner.Finish();
  const CodeTyping::Step second = typing.Poll(3050);
  ASSERT_EQ(second.settled.size(), 1u);
  EXPECT_EQ(second.settled[0].outcome, ten);
  EXPECT_FALSE(second.waiting);
  EXPECT_EQ(port.typed, (Typed{{"165", TypeEnd::Enter}, {"10", TypeEnd::Enter}}));
  EXPECT_EQ(port.pauses, (std::vector<std::int32_t>{40, 40}));

  // Ending while keys go out: they are let finish, and the code counts as typed.
  typing.Decided(good, direct, 4000);
  const CodeTyping::Step ended = typing.Abandon();
  ASSERT_EQ(ended.settled.size(), 1u);
  EXPECT_TRUE(ended.settled[0].typed);
}

TEST_F(Typing, ACodeThePortCannotTypeIsRecordedUntypedAndSaid) {
  Start();
  port.problem = "the system refused the keys";
  Code(kGood165);
  EXPECT_EQ(TypedFields(), std::vector<std::string>{"\"untyped\":\"elevated\"}\n"});
  EXPECT_EQ(said,
            (std::vector<std::string>{"varnel: code 165 not typed: the system refused the keys"}));
}

}  // namespace
}  // namespace varnel
