#include "reception/code_outcome.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

// Slot 7 is the first press.
PulseArray Holds(std::vector<std::int32_t> firstFirst) {
  PulseArray holds{};
  for (std::size_t i = 0; i < holds.size(); ++i) holds[holds.size() - 1 - i] = firstFirst[i];
  return holds;
}

TEST(CodeOutcome, ADecodedCodeCarriesItsVerdictValueBitsAndHowCloseItCame) {
  const CodeOutcome good = DecodedOutcome(Holds({300, 100, 312, 100, 100, 290, 100, 300}));
  EXPECT_EQ(good.verdict, CodeOutcome::Verdict::Good);
  EXPECT_EQ(good.bits, "10100101");
  EXPECT_EQ(good.value, 165);
  EXPECT_EQ(good.thresholdMs, 206);
  EXPECT_EQ(good.marginMs, 84) << "290 ms is the hold nearest the threshold";
  EXPECT_EQ(good.holdsMs.front(), 300);

  const CodeOutcome bad = DecodedOutcome(Holds({300, 100, 300, 100, 100, 300, 100, 100}));
  EXPECT_EQ(bad.verdict, CodeOutcome::Verdict::Parity);
  EXPECT_EQ(bad.value, 164);
}

TEST(CodeOutcome, ACutCodeKeepsOnlyItsCompletedHolds) {
  PulseWindow window;
  window.Pulses = Holds({300, 100, 300, 777, 0, 0, 0, 0});
  window.SlotIndex = 4;  // three completed, the fourth held since tick 777
  const CodeOutcome cut = TimeoutOutcome(window);
  EXPECT_EQ(cut.verdict, CodeOutcome::Verdict::Timeout);
  EXPECT_EQ(cut.holdsMs, (std::vector<std::int32_t>{300, 100, 300}));
  EXPECT_FALSE(cut.value);
}

}  // namespace
}  // namespace varnel
