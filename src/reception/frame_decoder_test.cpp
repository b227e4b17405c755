#include "reception/frame_decoder.h"

#include <gtest/gtest.h>

#include <climits>

#include "reception/array_helpers.h"

namespace {

using varnel::PulseArray;

struct Decoded {
  PulseArray bits;
  std::int32_t value;
  bool parityOk;
};

// Slot 0 first, as the decoder indexes them.
Decoded Decode(PulseArray holds) {
  bool parityOk = false;
  const std::int32_t value = modReader::DecodeBits(holds, parityOk);
  return {holds, value, parityOk};
}

TEST(FrameDecoder, SplitsAtTheMidpointOfTheCodesOwnHolds) {
  Decoded d = Decode({300, 100, 300, 100, 100, 300, 100, 300});
  EXPECT_EQ(d.bits, (PulseArray{1, 0, 1, 0, 0, 1, 0, 1}));
  EXPECT_EQ(d.value, 165);
  EXPECT_TRUE(d.parityOk);

  // The scale follows the code: the same pattern at other hold lengths decodes alike.
  d = Decode({45, 15, 45, 15, 15, 45, 15, 45});
  EXPECT_EQ(d.value, 165);
}

TEST(FrameDecoder, EqualHoldsAreAllOnes) {
  const Decoded d = Decode({250, 250, 250, 250, 250, 250, 250, 250});
  EXPECT_EQ(d.bits, (PulseArray{1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(d.value, 255);
  EXPECT_TRUE(d.parityOk);
}

TEST(FrameDecoder, HalfwayThresholdRoundsToEven) {
  // 100.5 rounds down to 100: every hold reaches it.
  EXPECT_EQ(Decode({100, 101, 100, 101, 100, 101, 100, 101}).value, 255);
  // 101.5 rounds up to 102: only the 102s reach it.
  const Decoded d = Decode({101, 102, 101, 102, 101, 102, 101, 102});
  EXPECT_EQ(d.bits, (PulseArray{0, 1, 0, 1, 0, 1, 0, 1}));
  EXPECT_EQ(d.value, 170);
  // 0.5 rounds down to 0.
  EXPECT_EQ(Decode({1, 0, 0, 0, 0, 0, 0, 0}).value, 255);
}

TEST(FrameDecoder, OddOnesFailParityButKeepBitsAndValue) {
  Decoded d = Decode({300, 100, 100, 100, 100, 100, 100, 100});
  EXPECT_EQ(d.bits, (PulseArray{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(d.value, 1);
  EXPECT_FALSE(d.parityOk);

  d = Decode({100, 100, 100, 100, 100, 100, 100, 300});
  EXPECT_EQ(d.value, 128);
  EXPECT_FALSE(d.parityOk);

  d = Decode({300, 100, 100, 100, 100, 100, 100, 300});
  EXPECT_EQ(d.value, 129);
  EXPECT_TRUE(d.parityOk);
}

TEST(FrameDecoder, ExtremeStaleValuesDoNotOverflowTheThreshold) {
  // Slots completed against stale values can hold anything; the decode must stay defined.
  Decoded d = Decode({INT_MAX, INT_MAX, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(d.value, 3);
  d = Decode({INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MAX});
  EXPECT_EQ(d.value, 128);  // threshold -0.5 rounds to 0
  d = Decode({INT_MIN, INT_MIN + 1, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN});
  EXPECT_EQ(d.value, 255);  // threshold INT_MIN + 0.5 rounds to the even INT_MIN
}

TEST(ArrayHelpers, MinMaxAndShiftUp) {
  std::array<std::int32_t, 5> a{3, -7, 9, -7, 9};
  EXPECT_EQ(modStd::ArrayMin(a), -7);
  EXPECT_EQ(modStd::ArrayMax(a), 9);
  std::array<std::int32_t, 1> one{42};
  EXPECT_EQ(modStd::ArrayMin(one), 42);
  EXPECT_EQ(modStd::ArrayMax(one), 42);

  modStd::ShiftUp(a);
  EXPECT_EQ(a, (std::array<std::int32_t, 5>{3, 3, -7, 9, -7}));
}

}  // namespace
