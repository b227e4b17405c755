#include "reception/array_helpers.h"

#include <cassert>

namespace modStd {

void ShiftUp(std::span<std::int32_t> values) {
  for (std::size_t i = values.size(); i-- > 1;) values[i] = values[i - 1];
}

std::int32_t ArrayMin(std::span<const std::int32_t> values) {
  assert(!values.empty());
  std::int32_t min = values.front();
  for (std::int32_t v : values) {
    if (v < min) min = v;
  }
  return min;
}

std::int32_t ArrayMax(std::span<const std::int32_t> values) {
  assert(!values.empty());
  std::int32_t max = values.front();
  for (std::int32_t v : values) {
    if (v > max) max = v;
  }
  return max;
}

}  // namespace modStd
