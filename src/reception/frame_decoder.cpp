#include "reception/frame_decoder.h"

#include "reception/array_helpers.h"

namespace modReader {
namespace {

// (max + min) / 2 rounded to the nearest integer, halves to the even neighbour. The sum is taken
// in 64 bits: stale slots left by odd key sequences can hold values whose sum leaves 32 bits.
std::int32_t Threshold(std::int32_t max, std::int32_t min) {
  const std::int64_t sum = std::int64_t{max} + min;
  std::int64_t half = sum >> 1;  // floor, also for negative sums
  if ((sum & 1) != 0 && (half & 1) != 0) ++half;
  return static_cast<std::int32_t>(half);
}

}  // namespace

std::int32_t FrameThreshold(const varnel::PulseArray& holds) {
  return Threshold(modStd::ArrayMax(holds), modStd::ArrayMin(holds));
}

std::int32_t DecodeBits(varnel::PulseArray& holds, bool& parityOk) {
  const std::int32_t threshold = FrameThreshold(holds);
  std::int32_t ones = 0;
  std::int32_t value = 0;
  for (std::size_t i = 0; i < holds.size(); ++i) {
    holds[i] = holds[i] < threshold ? 0 : 1;
    ones += holds[i];
    value += holds[i] << i;
  }
  const std::int32_t parityBit = holds[0];
  parityOk = (ones - parityBit) % 2 == parityBit;
  return value;
}

}  // namespace modReader
