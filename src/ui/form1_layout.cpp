#include "ui/form1_layout.h"

#include "reception/pulse_capture.h"

namespace varnel {

std::string BitName(int index) { return "Bit(" + std::to_string(index) + ")"; }

std::vector<ControlLayout> Form1Layout() {
  std::vector<ControlLayout> layout{
      {"Trg", ControlKind::Button, "Trg", 3840, 120, 615, 615, false, false, false, 14},
      {"frReader", ControlKind::Frame, "Lettore", 0, 0, 3735, 975, false, false, false, 0},
      {"Label1", ControlKind::Label, "Bit", 120, 240, 495, 255, true, false, false, 13},
      {"Label2", ControlKind::Label, "Valore", 120, 600, 495, 255, true, false, false, 12},
  };
  // Bit(7), the first press, stands leftmost; Bit(0), the parity element, rightmost.
  for (int i = 0; i < kSlotCount; ++i) {
    layout.push_back({BitName(i), ControlKind::Label, "0", 3360 - 360 * i, 240, 255, 255, true,
                      true, true, 11 - i});
  }
  ControlLayout value{"Valore", ControlKind::Label, "0", 840, 600, 615, 255, true, true, false, 3};
  value.fillsBackground = true;
  layout.push_back(value);
  layout.push_back({"Sh1", ControlKind::Shape, "", 3360, 600, 255, 255, true, false, false, 0});
  ControlLayout error{
      "lblErr", ControlKind::Label, "ERRORE", 1560, 600, 975, 255, true, false, false, 2};
  error.font = kErrorFont;
  error.foreColor = kColorRed;
  error.visible = false;
  layout.push_back(error);
  layout.push_back({"lblCnt", ControlKind::Label, "8", 3000, 600, 255, 255, true, false, true, 1});
  return layout;
}

}  // namespace varnel
