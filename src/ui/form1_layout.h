// The main window's controls as both shells build them: kinds, names, captions and places in
// twips (1/1440 inch), turned into pixels at the screen's DPI by each shell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

inline constexpr std::int32_t kClientWidthTwips = 4785;
inline constexpr std::int32_t kClientHeightTwips = 975;

enum class ControlKind { Button, Frame, Label, Shape };

struct ControlLayout {
  std::string name;  // "Bit(3)" for element 3 of the Bit row
  ControlKind kind;
  std::string caption;
  std::int32_t left, top, width, height;  // twips; inside the frame for all but Trg and frReader
  bool inFrame = true;
  bool border = false;  // a single sunken border
  bool centred = false;
  int tabIndex = 0;
};

// In creation order.
std::vector<ControlLayout> Form1Layout();

// Pixels for a length in twips at `dpi` dots per inch, to the nearest pixel.
constexpr int TwipsToPixels(std::int32_t twips, int dpi) {
  return static_cast<int>((static_cast<std::int64_t>(twips) * dpi + 720) / 1440);
}

std::string BitName(int index);

}  // namespace varnel
