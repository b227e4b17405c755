#include "ui/repeat_pair.h"

#include <gtest/gtest.h>

#include "ui/simulated_loop.h"

namespace varnel {
namespace {

class RepeatPairTest : public ::testing::Test {
 protected:
  void SetUp() override { loop.Load(); }
  // An F12 event stamped `eventTime` by the X server; true while a release is held back.
  bool Key(bool down, Tick eventTime, bool flagged = false) {
    return pair.WindowF12(down, flagged, KeyTime{eventTime, loop.TickCount()});
  }
  const PulseWindow& Window() const { return loop.form.Window(); }

  SimulatedLoop loop;
  KeyRoute route{loop.form};
  RepeatPair pair{route};
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
  pair.Flush();
  EXPECT_FALSE(pair.Waiting());
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

}  // namespace
}  // namespace varnel
