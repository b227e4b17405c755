#include "ui/repeat_pair.h"

#include <gtest/gtest.h>

#include "ui/simulated_loop.h"

namespace varnel {
namespace {

// The window's keys as Qt hands them over on X, through the input, which holds a release back
// on the loop's own timer.
class RepeatPairTest : public ::testing::Test {
 protected:
  void SetUp() override { loop.Load(); }
  // An F12 event stamped `eventTime` by the X server; true while a release is held back.
  bool Key(bool down, Tick eventTime, bool flagged = false) {
    loop.input.WindowKey(kKeyF12, down, flagged, KeyTime{eventTime, loop.TickCount()});
    return loop.Running(TimerId::RepeatPair);
  }
  const PulseWindow& Window() const { return loop.form.Window(); }

  SimulatedLoop loop{FormInput::Repeats::Unflagged};
};

TEST_F(RepeatPairTest, ARepeatPairThatQtDidNotFlagDoesNotEndTheHold) {
  Key(true, 1000);
  for (Tick t = 1250; t <= 1450; t += 40) {
    EXPECT_TRUE(Key(false, t));  // the halves of a repeat pair, unflagged
    EXPECT_FALSE(Key(true, t));
    EXPECT_EQ(Window().SlotIndex, kArmedSlot) << t;
  }
  // A flagged pair is a repeat too.
  Key(false, 1490, true);
  Key(true, 1490, true);
  EXPECT_TRUE(Key(false, 1600));
  EXPECT_EQ(Window().SlotIndex, kArmedSlot) << "held back until the next event says what it was";
  loop.Run(kRepeatPairWaitMs - 1);
  EXPECT_EQ(Window().SlotIndex, kArmedSlot);
  loop.Run(1);
  EXPECT_FALSE(loop.Running(TimerId::RepeatPair)) << "the wait fires once";
  EXPECT_EQ(Window().SlotIndex, 6);
  EXPECT_EQ(Window().Pulses[7], 1600 - 1000) << "the events' own times";
}

TEST_F(RepeatPairTest, APressOfAnotherMomentEndsTheHoldFirst) {
  Key(true, 1000);
  Key(false, 1300);
  Key(true, 1350);  // a new press: the release before it was real
  EXPECT_EQ(Window().SlotIndex, 6);
  EXPECT_EQ(Window().Pulses[7], 300);
  EXPECT_TRUE(Window().Held);
}

TEST_F(RepeatPairTest, AHeldBackReleaseReachesTheLogicBeforeAnyOtherStep) {
  Key(true, 1000);
  loop.Run(300);
  EXPECT_TRUE(Key(false, 1300));
  loop.input.ReaderF12(true, KeyTime{1305, loop.TickCount()});
  EXPECT_EQ(Window().Pulses[7], 300) << "the release first, the next press after it";
  EXPECT_EQ(Window().SlotIndex, 6);
  EXPECT_FALSE(loop.Running(TimerId::RepeatPair));
}

TEST(RepeatPair, AReleaseAndThePressOfItsMomentAreOneHold) {
  RepeatPair pair;
  const KeyTime at{500, 9};
  RepeatPair::Step step = pair.Take({false, false, at});
  EXPECT_TRUE(step.waiting);
  EXPECT_TRUE(step.deliver.empty());
  step = pair.Take({true, false, at});
  EXPECT_FALSE(step.waiting);
  EXPECT_EQ(step.deliver, std::vector<F12Event>{F12Event({true, true, at})});
  EXPECT_FALSE(pair.Release());
}

}  // namespace
}  // namespace varnel
