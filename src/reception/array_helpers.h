// Small operations on arrays of signed 32-bit integers.
#pragma once

#include <cstdint>
#include <span>

namespace modStd {

// Moves every element one place up; the first element keeps its value and the last one is lost.
void ShiftUp(std::span<std::int32_t> values);

// The smallest and the largest element of a non-empty array.
std::int32_t ArrayMin(std::span<const std::int32_t> values);
std::int32_t ArrayMax(std::span<const std::int32_t> values);

}  // namespace modStd
