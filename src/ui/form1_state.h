// Which of the logic's properties each control of the layout shows: decided here once, so that
// neither shell can leave a control's text, colour, visibility or tooltip behind.
#pragma once

#include <optional>
#include <string>

#include "ui/form1.h"

namespace varnel {

// What the logic has one control show now. A property the logic never sets on that control is
// empty: the control keeps what the layout gave it.
struct ControlState {
  std::optional<std::string> caption;
  std::optional<bool> visible;
  std::optional<Color> backColor;
  std::optional<std::string> toolTip;  // an empty text shows no tooltip
  std::optional<FillStyle> fill;
  friend bool operator==(const ControlState&, const ControlState&) = default;
};

// The state of the control that the layout calls `name`.
ControlState StateOf(const Form1Controls& controls, const std::string& name);

}  // namespace varnel
