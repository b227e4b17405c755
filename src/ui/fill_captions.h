// Shows an array of integers on a row of controls, element i on control i.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace modStd {

// Works on any control that has a Caption; the two spans are expected to be the same length.
template <typename Control>
void FillCaptions(std::span<const std::int32_t> values, std::span<Control> controls) {
  for (std::size_t i = 0; i < values.size() && i < controls.size(); ++i) {
    controls[i].Caption = std::to_string(values[i]);
  }
}

}  // namespace modStd
