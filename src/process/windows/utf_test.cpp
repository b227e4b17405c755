#include "process/windows/utf.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

// UTF-8 both ways, not the system's code page, which would carry "à" through a round trip just as
// well, as two wrong characters.
TEST(Utf, AccentedLettersAreOneUtf16UnitEach) {
  EXPECT_EQ(Utf16("Parità"), L"Parit\u00e0");
  EXPECT_EQ(Utf8(L"Parit\u00e0"), "Parità");
}

TEST(Utf, TheProgramsTextsComeBackAsTheyWent) {
  for (const std::string text : {"Parità", "Il lettore non è collegato al computer", ""}) {
    EXPECT_EQ(Utf8(Utf16(text)), text);
  }
}

TEST(Utf, ALetterBeyondTheBasicPlaneIsASurrogatePair) {
  EXPECT_EQ(Utf16("\xF0\x9F\x94\x92"), L"\xD83D\xDD12");
  EXPECT_EQ(Utf8(L"\xD83D\xDD12"), "\xF0\x9F\x94\x92");
}

}  // namespace
}  // namespace varnel
