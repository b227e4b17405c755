#include "reception/pulse_capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

namespace varnel {
namespace {

struct RecordingView : CaptureView {
  std::vector<std::string> captions;
  FillStyle fill = FillStyle::Transparent;
  void SetCountCaption(const std::string& caption) override { captions.push_back(caption); }
  void SetIndicatorFill(FillStyle f) override { fill = f; }
};

class PulseCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { ArmCapture(window, view); }

  // One press held for `hold` ms, starting at the current time; `gap` ms of rest follow it.
  void Press(std::int32_t hold, std::int32_t gap = 50) {
    PulseStart(window, view, now, false);
    now = TickAfter(now, hold);
    PulseEnd(window, view, now, now);
    now = TickAfter(now, gap);
  }

  PulseWindow window;
  RecordingView view;
  Tick now = 10'000;
};

TEST_F(PulseCaptureTest, EightPressesFillSlotsSevenDownToZero) {
  EXPECT_EQ(view.captions, std::vector<std::string>{"8"});
  for (std::int32_t i = 0; i < 8; ++i) {
    PulseStart(window, view, now, false);
    EXPECT_EQ(view.fill, FillStyle::Solid);
    EXPECT_EQ(view.captions.back(), std::to_string(8 - i)) << "a key-down leaves the count";
    now += 101 + i;
    PulseEnd(window, view, now, now);
    EXPECT_EQ(view.fill, FillStyle::Transparent);
    EXPECT_EQ(window.LastRelease, now);
    now += 40;
  }
  EXPECT_EQ(view.captions, (std::vector<std::string>{"8", "7", "6", "5", "4", "3", "2", "1", "0"}));
  EXPECT_EQ(window.SlotIndex, kWindowFull);
  EXPECT_EQ(window.Pulses, (PulseArray{108, 107, 106, 105, 104, 103, 102, 101}));
}

TEST_F(PulseCaptureTest, PressesBeyondTheEighthSlideTheWindow) {
  for (std::int32_t i = 1; i <= 9; ++i) Press(100 + i);
  // The second press moved up into slot 7; the ninth is the newest, in slot 0.
  EXPECT_EQ(window.Pulses, (PulseArray{109, 108, 107, 106, 105, 104, 103, 102}));
  EXPECT_EQ(window.SlotIndex, kWindowFull);
  EXPECT_EQ(view.captions.back(), "0");

  Press(110);
  EXPECT_EQ(window.Pulses, (PulseArray{110, 109, 108, 107, 106, 105, 104, 103}));
}

TEST_F(PulseCaptureTest, SlidingKeyDownLeavesTheCountAtZeroUntilRelease) {
  for (int i = 0; i < 8; ++i) Press(100);
  const std::size_t captionsBefore = view.captions.size();
  PulseStart(window, view, now, false);
  EXPECT_EQ(window.SlotIndex, 0);
  EXPECT_EQ(view.captions.size(), captionsBefore);
  EXPECT_EQ(view.captions.back(), "0");
}

TEST_F(PulseCaptureTest, KeyUpWithoutKeyDownInArmedStateCompletesTheStaleSlot) {
  window.Pulses[7] = 300;  // left over from an earlier code
  PulseEnd(window, view, now, now);
  EXPECT_EQ(window.Pulses[7], now - 300);
  EXPECT_EQ(window.SlotIndex, 6);
  EXPECT_EQ(view.captions.back(), "7");
  EXPECT_EQ(window.LastRelease, now);
}

TEST_F(PulseCaptureTest, KeyUpWhileFullIsIgnored) {
  for (int i = 0; i < 8; ++i) Press(100 + i);
  const PulseWindow before = window;
  const std::size_t captionsBefore = view.captions.size();
  view.fill = FillStyle::Solid;  // whatever the lamp shows, a stray key-up leaves it
  PulseEnd(window, view, now + 500, now + 500);
  EXPECT_EQ(window.Pulses, before.Pulses);
  EXPECT_EQ(window.SlotIndex, kWindowFull);
  EXPECT_EQ(window.LastRelease, before.LastRelease);
  EXPECT_EQ(view.captions.size(), captionsBefore);
  EXPECT_EQ(view.fill, FillStyle::Solid);
}

TEST_F(PulseCaptureTest, AutoRepeatKeyDownsDoNotRestampTheHold) {
  PulseStart(window, view, now, false);
  // A 900 ms hold: the keyboard starts repeating after about 660 ms.
  for (Tick t = now + 660; t < now + 900; t += 25) PulseStart(window, view, t, true);
  PulseEnd(window, view, now + 900, now + 900);
  EXPECT_EQ(window.Pulses[7], 900);
  EXPECT_EQ(window.SlotIndex, 6);

  // A repeat that arrives when no press is under way (its key-down went elsewhere) does nothing.
  const PulseWindow before = window;
  PulseStart(window, view, now + 2000, true);
  EXPECT_EQ(window.Pulses, before.Pulses);
  EXPECT_EQ(window.SlotIndex, before.SlotIndex);
}

TEST_F(PulseCaptureTest, HoldsAcrossTheSignedBoundaryAndTheWrapAreExact) {
  now = INT_MAX - 49;
  Press(100);  // down at 2^31 - 50, up at -2^31 + 50
  EXPECT_EQ(window.Pulses[7], 100);
  EXPECT_EQ(window.LastRelease, INT_MIN + 50);

  now = -60;  // 2^32 - 60 read as signed
  Press(120);
  EXPECT_EQ(window.Pulses[6], 120);
  EXPECT_EQ(window.LastRelease, 60);
}

TEST_F(PulseCaptureTest, RandomStreamsKeepTheSlotIndexInRange) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> action(0, 9);
  std::uniform_int_distribution<std::int32_t> step(0, 2000);
  std::uniform_int_distribution<std::int32_t> anyTick(INT_MIN, INT_MAX);
  for (int i = 0; i < 200'000; ++i) {
    const int a = action(rng);
    if (a < 4) {
      PulseStart(window, view, now, a == 0);
    } else if (a < 8) {
      PulseEnd(window, view, now, now);
    } else if (a == 8) {
      ArmCapture(window, view);
    } else {
      now = anyTick(rng);  // jumps of the clock, wrap included
    }
    now = TickAfter(now, step(rng));
    ASSERT_GE(window.SlotIndex, kWindowFull);
    ASSERT_LE(window.SlotIndex, kArmedSlot);
    // Only a key-down that slid a full window leaves the count behind the index.
    const std::string& caption = view.captions.back();
    ASSERT_TRUE(caption == std::to_string(window.SlotIndex + 1) ||
                (window.SlotIndex == 0 && caption == "0"))
        << "after step " << i;
  }
}

}  // namespace
}  // namespace varnel
