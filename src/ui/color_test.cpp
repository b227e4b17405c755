#include "ui/color.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(Color, ReadsRedFromTheLowByte) {
  EXPECT_EQ(DecodeColor(kColorRed), (std::variant<Rgb, SystemColor>{Rgb{255, 0, 0}}));
  EXPECT_EQ(DecodeColor(kColorGreen), (std::variant<Rgb, SystemColor>{Rgb{0, 255, 0}}));
  EXPECT_EQ(DecodeColor(0x00123456), (std::variant<Rgb, SystemColor>{Rgb{0x56, 0x34, 0x12}}));
}

TEST(Color, TopBitMeansTheSystemColourOfTheLowByte) {
  EXPECT_EQ(DecodeColor(kColorButtonFace), (std::variant<Rgb, SystemColor>{SystemColor{15}}));
  EXPECT_EQ(DecodeColor(0x80000012), (std::variant<Rgb, SystemColor>{SystemColor{0x12}}));
}

}  // namespace
}  // namespace varnel
