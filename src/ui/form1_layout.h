// The main window's controls as both shells build them: kinds, names, captions and places in
// twips (1/1440 inch), turned into pixels at the screen's DPI by each shell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/color.h"

namespace varnel {

inline constexpr std::int32_t kClientWidthTwips = 4785;
inline constexpr std::int32_t kClientHeightTwips = 975;

enum class ControlKind { Button, Frame, Label, Shape };

// The captions' face on each platform: one that every desktop of it has. At 7.5 pt the design's
// captions fit their labels in either.
#ifdef _WIN32
// Tahoma draws alike on every Windows since XP and under Wine, which ships a metric twin of it.
// "Valore" needs 29 of its 33 pixels at 96 dpi; at 8 pt it would need 34.
inline constexpr char kFontFace[] = "Tahoma";
#else
// DejaVu Sans, which every Debian desktop has: "Valore" takes 31 of its 33 pixels at 96 dpi; at
// the usual 9 pt it would take 37.
inline constexpr char kFontFace[] = "DejaVu Sans";
#endif

struct ControlFont {
  int hundredthsOfPoint;
  bool bold;
  friend constexpr bool operator==(const ControlFont&, const ControlFont&) = default;
};
inline constexpr ControlFont kCaptionFont{750, false};
// The error text keeps its 8.25 pt bold.
inline constexpr ControlFont kErrorFont{825, true};

struct ControlLayout {
  std::string name;  // "Bit(3)" for element 3 of the Bit row
  ControlKind kind;
  std::string caption;
  std::int32_t left, top, width, height;  // twips; inside the frame for all but Trg and frReader
  bool inFrame = true;
  bool border = false;  // a single sunken border
  bool centred = false;
  int tabIndex = 0;
  ControlFont font = kCaptionFont;
  std::optional<Color> foreColor = std::nullopt;  // none: the platform's own text colour
  // Paints its background in its BackColor; the others show the window's through.
  bool fillsBackground = false;
  Color fillColor = kColorRed;  // a shape's, when solid
  bool visible = true;          // when the window first shows
};

// In creation order.
std::vector<ControlLayout> Form1Layout();

// Pixels for a length in twips at `dpi` dots per inch, to the nearest pixel.
constexpr int TwipsToPixels(std::int32_t twips, int dpi) {
  return static_cast<int>((static_cast<std::int64_t>(twips) * dpi + 720) / 1440);
}

std::string BitName(int index);

}  // namespace varnel
