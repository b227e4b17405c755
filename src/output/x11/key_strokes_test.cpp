// Keys looked up in keyboard maps shaped as the X server's XKB maps are: the digits of a US and
// of a French layout, a level three key, locked modifiers, a second group, a missing symbol.
#include "output/x11/key_strokes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace varnel {
namespace {

constexpr unsigned kShift = 1u << 0, kLock = 1u << 1, kMod2 = 1u << 4, kMod5 = 1u << 7;
constexpr std::uint32_t kOne = '1', kAmpersand = '&', kExclam = '!', kA = 'a', kCapitalA = 'A';
constexpr std::uint32_t kReturn = 0xff0d, kKeypadOne = 0xffb1, kEuro = 0x20ac, kE = 'e';

const KeyType kOneLevel{};
const KeyType kTwoLevel{kShift, {{kShift, 1}}};
const KeyType kAlphabetic{kShift | kLock, {{kShift, 1}, {kLock, 1}}};
const KeyType kFourLevel{kShift | kMod5, {{kShift, 1}, {kMod5, 2}, {kShift | kMod5, 3}}};
const KeyType kKeypad{kShift | kMod2, {{kMod2, 1}, {kShift, 1}}};

// The keys of both layouts that matter here, with code 10 the key above Q and W.
KeyboardMap Us() {
  return {{10, {{kTwoLevel, {kOne, kExclam}}}},
          {26, {{kAlphabetic, {kE, 'E'}}}},
          {36, {{kOneLevel, {kReturn}}}},
          {38, {{kAlphabetic, {kA, kCapitalA}}}},
          {87, {{kKeypad, {0xff9c, kKeypadOne}}}}};
}
KeyboardMap French() {
  return {{10, {{kFourLevel, {kAmpersand, kOne, 0xfe5a, 0x1b2}}}},
          {26, {{kFourLevel, {kE, 'E', kEuro, 0}}}},
          {36, {{kOneLevel, {kReturn}}}},
          {87, {{kKeypad, {0xff9c, kKeypadOne}}}}};
}

TEST(StrokeFor, TheUsDigitsAreOnTheFirstLevel) {
  EXPECT_EQ(StrokeFor(Us(), kOne, 0, 0), (KeyStroke{10, 0}));
  EXPECT_EQ(StrokeFor(Us(), kReturn, 0, 0), (KeyStroke{36, 0}));
  EXPECT_EQ(StrokeFor(Us(), kExclam, 0, 0), (KeyStroke{10, kShift}));
}

TEST(StrokeFor, TheFrenchDigitsAreOnTheShiftedLevelWhateverIsLocked) {
  EXPECT_EQ(StrokeFor(French(), kOne, 0, 0), (KeyStroke{10, kShift}));
  // Caps Lock and Num Lock do not reach a four-level key: still Shift alone.
  EXPECT_EQ(StrokeFor(French(), kOne, 0, kLock | kMod2), (KeyStroke{10, kShift}));
  EXPECT_EQ(StrokeFor(French(), kAmpersand, 0, 0), (KeyStroke{10, 0}));
  EXPECT_EQ(StrokeFor(French(), kEuro, 0, 0), (KeyStroke{26, kMod5}));
}

TEST(StrokeFor, ALockedModifierIsTakenIntoAccount) {
  // With Caps Lock on, the capital needs nothing held and the small letter Shift.
  EXPECT_EQ(StrokeFor(Us(), kA, 0, kLock), (KeyStroke{38, kShift}));
  EXPECT_EQ(StrokeFor(Us(), kA, 0, 0), (KeyStroke{38, 0}));
  EXPECT_EQ(StrokeFor(Us(), kCapitalA, 0, kLock), (KeyStroke{38, 0}));
  EXPECT_EQ(StrokeFor(Us(), kCapitalA, 0, 0), (KeyStroke{38, kShift}));
  // The keypad's digit is its own symbol: with Num Lock locked, it needs nothing held.
  EXPECT_EQ(StrokeFor(Us(), kKeypadOne, 0, kMod2), (KeyStroke{87, 0}));
}

TEST(StrokeFor, TheGroupInForcePicksTheSymbolsAndAOneGroupKeyServesEveryGroup) {
  KeyboardMap map = Us();
  map[0].groups.push_back({kTwoLevel, {0x6b1, kOne}});  // a second layout with 1 shifted
  EXPECT_EQ(StrokeFor(map, kOne, 0, 0), (KeyStroke{10, 0}));
  EXPECT_EQ(StrokeFor(map, kOne, 1, 0), (KeyStroke{10, kShift}));
  EXPECT_EQ(StrokeFor(map, kReturn, 1, 0), (KeyStroke{36, 0}));
}

TEST(StrokeFor, ASymbolTheMapLacksHasNoKey) {
  EXPECT_EQ(StrokeFor(Us(), kEuro, 0, 0), std::nullopt);
  KeyboardMap map = Us();
  map[0].groups[0].syms = {kExclam, kExclam};
  EXPECT_EQ(StrokeFor(map, kOne, 0, 0), std::nullopt);
}

TEST(SpareKeycodes, CodesWithNoSymbolFromTheTop) {
  KeyboardMap map = Us();
  map.push_back({250, {{kOneLevel, {0}}}});  // a key whose one symbol is none
  EXPECT_EQ(SpareKeycodes(map, 8, 12), (std::vector<int>{12, 11, 9, 8}));
  const std::vector<int> top = SpareKeycodes(map, 8, 255);
  EXPECT_EQ(top.front(), 255);
  EXPECT_NE(std::find(top.begin(), top.end(), 250), top.end());
  EXPECT_EQ(std::find(top.begin(), top.end(), 87), top.end());
}

}  // namespace
}  // namespace varnel
