// The window boundary: Windows code page <-> UTF-8 and DOS texts <-> UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/settings.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"

namespace qorva {
namespace {

class WindowText : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

struct Pair {
  const char* dos;
  const char* utf8;
};

TEST_F(WindowText, DosSpecialCharactersReachTheWindowAsUnicode) {
  const std::vector<Pair> cases = {
      {"\x84\x94\x81\xE1\x8E\x99\x9A", "\u00e4\u00f6\u00fc\u00df\u00c4\u00d6\u00dc"},
      {"20\xF8" "C", "20\u00b0C"},
      {"N/mm\xFD", "N/mm\u00b2"},
      {"kg/dm\xFC", "kg/dm\u00b3"},  // byte 252 is the program's superscript three
      {"\xE6m \xF1" "0,1", "\u00b5m \u00b1" "0,1"},
      {"\x86\x8F\xA1\xA2\x82", "\u00e5\u00c5\u00ed\u00f3\u00e9"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DosToUtf8(c.dos), c.utf8) << c.dos;
    EXPECT_EQ(Utf8ToDos(c.utf8), c.dos) << c.utf8;
  }
}

TEST_F(WindowText, BoxLinesAndOtherCharactersWithoutAWindowsByteGetFallbacks) {
  EXPECT_EQ(DosToUtf8("\xDA\xC4\xBF\xB3\xC0\xCD\xD9"), "+-+|+-+");
  EXPECT_EQ(DosToUtf8("\xB1\xE3"), "??");
  // Box lines pasted into a window read like the program's own.
  EXPECT_EQ(Utf8ToDos("\u250c\u2500\u2510\u2502"), "+-+|");
  EXPECT_EQ(Utf8ToWin("\u20ac \U0001F600 \u03c0"), "\x80 ? ?");
  EXPECT_EQ(Utf8ToDos("\u20ac"), "?");  // the DOS code page has no euro sign
}

TEST_F(WindowText, InvalidUtf8BecomesQuestionMarksAndNothingIsLost) {
  EXPECT_EQ(Utf8ToWin("a\xFF" "b"), "a?b");
  EXPECT_EQ(Utf8ToWin("a\xC3"), "a?");              // cut sequence at the end
  EXPECT_EQ(Utf8ToWin("\xC0\xAF"), "??");           // overlong
  EXPECT_EQ(Utf8ToWin("\xED\xA0\x80"), "???");      // surrogate
  EXPECT_EQ(Utf8ToWin("\xC3\xA4x\xE2\x82"), "\xE4x??");
}

TEST_F(WindowText, EveryWindowsByteSurvivesUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = WinToUtf8(all);
  EXPECT_EQ(Utf8ToWin(utf8), all);
  EXPECT_EQ(WinToUtf8("\x80\x9F\xA0\xFF"), "\u20ac\u0178\u00a0\u00ff");
}

TEST_F(WindowText, LongTextsAreConvertedWhole) {
  const std::string dos(1000, '\x84');
  std::string utf8;
  for (int i = 0; i < 1000; ++i) utf8 += "\u00e4";
  EXPECT_EQ(DosToUtf8(dos), utf8);
  EXPECT_EQ(Utf8ToDos(utf8), dos);
}

TEST_F(WindowText, PlainAsciiSettingAppliesToTheWindow) {
  desktopSettings.PlainAscii = 1;
  EXPECT_EQ(DosToUtf8("Gr\x94\xE1" "e 20\xF8" "C"), "Groesse 20degC");
  EXPECT_EQ(DosToUtf8("kg/dm\xFC"), "kg/dm\u00b3");
}

}  // namespace
}  // namespace qorva
