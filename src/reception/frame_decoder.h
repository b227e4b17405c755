// Decodes the eight hold times of a code into bits, an 8-bit value and an even-parity verdict.
#pragma once

#include <cstdint>

#include "reception/pulse_capture.h"

namespace modReader {

// Each code carries its own scale: a hold at or above the mid-point between the shortest and the
// longest hold of the same code is a 1. Rewrites `holds` in place with the bits (slot i weighs
// 2^i, so slot 7, the first press, is the most significant) and returns the value. `parityOk` is
// true when the eight bits hold an even number of ones; slot 0, the last press, is the check bit.
std::int32_t DecodeBits(varnel::PulseArray& holds, bool& parityOk);

// The mid-point that DecodeBits reads `holds` against: a hold at or above it is a 1.
std::int32_t FrameThreshold(const varnel::PulseArray& holds);

}  // namespace modReader
