// The colours of the window's controls, as the design gives them, and what each stands for on a
// screen: both shells draw from the same decoding.
#pragma once

#include <cstdint>
#include <variant>

namespace varnel {

// Colours are 0x00BBGGRR, or a system colour with the top bit set.
using Color = std::uint32_t;
inline constexpr Color kColorButtonFace = 0x8000000F;
inline constexpr Color kColorGreen = 0x0000FF00;
inline constexpr Color kColorRed = 0x000000FF;

struct Rgb {
  std::uint8_t red, green, blue;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// One of the platform's own colours, which the user's theme sets: the index is the system's
// (COLOR_BTNFACE is 15).
struct SystemColor {
  int index;
  friend constexpr bool operator==(const SystemColor&, const SystemColor&) = default;
};

constexpr std::variant<Rgb, SystemColor> DecodeColor(Color color) {
  if (color & 0x80000000u) return SystemColor{static_cast<int>(color & 0xFF)};
  return Rgb{static_cast<std::uint8_t>(color & 0xFF),
             static_cast<std::uint8_t>((color >> 8) & 0xFF),
             static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

}  // namespace varnel
