#include "ui/form1_state.h"

#include "ui/form1_layout.h"

namespace varnel {
namespace {

ControlState LabelState(const Label& label) {
  return {label.Caption, label.Visible, label.BackColor, label.ToolTip, std::nullopt};
}

}  // namespace

ControlState StateOf(const Form1Controls& controls, const std::string& name) {
  if (name == "lblCnt") return LabelState(controls.lblCnt);
  if (name == "Valore") return LabelState(controls.Valore);
  if (name == "lblErr") return LabelState(controls.lblErr);
  for (std::size_t i = 0; i < controls.Bit.size(); ++i) {
    if (name == BitName(static_cast<int>(i))) return LabelState(controls.Bit[i]);
  }
  ControlState state;
  if (name == "frReader") state.toolTip = controls.ReaderToolTip;
  if (name == "Sh1") state.fill = controls.Sh1FillStyle;
  return state;
}

}  // namespace varnel
