#include "reception/array_helpers.h"

#include <algorithm>
#include <cassert>

namespace modStd {

void ShiftUp(std::span<std::int32_t> values) {
  if (values.empty()) return;
  std::copy_backward(values.begin(), values.end() - 1, values.end());
}

std::int32_t ArrayMin(std::span<const std::int32_t> values) {
  assert(!values.empty());
  return std::ranges::min(values);
}

std::int32_t ArrayMax(std::span<const std::int32_t> values) {
  assert(!values.empty());
  return std::ranges::max(values);
}

}  // namespace modStd
