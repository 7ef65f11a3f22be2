// Text routines and the DOS <-> Windows code-page conversions.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"

namespace qorva {
namespace {

class UtilstrText : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

std::string Alphabet30() { return "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234"; }

TEST_F(UtilstrText, WidthAndCutting) {
  EXPECT_EQ(PadRight("abc", 5), "abc  ");
  EXPECT_EQ(PadRight("abc", 2), "ab");
  EXPECT_EQ(PadRight("abc", 0), "");
  EXPECT_EQ(PadLeft(" abc ", 5), "  abc");
  EXPECT_EQ(PadLeft("abcdef", 3), "abc");
  EXPECT_EQ(LeftStr("abc", 2), "ab");
  EXPECT_EQ(LeftStr("abc", 9), "abc");
  EXPECT_EQ(LeftStr("abc", -1), "");
  EXPECT_EQ(RightStr("abc", 2), "bc");
  EXPECT_EQ(RightStr("abc", 9), "abc");
  EXPECT_EQ(CopyFromTo("abcdef", 2, 4), "bcd");
  EXPECT_EQ(CopyFromTo("abcdef", 4, 2), "");
  EXPECT_EQ(CopyFromTo("abcdef", 5, 99), "ef");
  EXPECT_EQ(CopyFromTo("abcdef", 0, 2), "ab");
  const std::string s = Alphabet30();
  EXPECT_EQ(ShortenMiddle(s, 12), "ABCD__1234");
  EXPECT_EQ(ShortenMiddle(s, 10), "ABCDEFGHIJ");
  EXPECT_EQ(ShortenMiddle(s, 31), s);
  EXPECT_EQ(ShortenMiddle("", 0), "");
}

TEST_F(UtilstrText, OverwriteAtKeepsTheLengthAndIgnoresWhatDoesNotFit) {
  std::string s = "abcdef";
  OverwriteAt("XY", s, 5);
  EXPECT_EQ(s, "abcdXY");
  OverwriteAt("XY", s, 6);
  EXPECT_EQ(s, "abcdXY");
  OverwriteAt("XY", s, 0);
  EXPECT_EQ(s, "abcdXY");
  OverwriteAt("Q", s, 1);
  EXPECT_EQ(s, "QbcdXY");
}

TEST_F(UtilstrText, CaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(UpperStr("gr\x94\xE1" "e 1a"), "GR\x94\xE1" "E 1A");
  EXPECT_EQ(LowerStr("\x8E" "BC"), "\x8E" "bc");
}

TEST_F(UtilstrText, BlanksAndCharacters) {
  EXPECT_EQ(TrimStr("   "), "");
  EXPECT_EQ(TrimStr(""), "");
  EXPECT_EQ(TrimStr("  a b  "), "a b");
  EXPECT_EQ(TrimStr("\tx "), "\tx");  // only the blank itself
  std::string s = " a b c ";
  RemoveBlanks(s);
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(NoBlanks(" 1 2 "), "12");
  std::string t = "a.b.c";
  ReplaceChar('.', '/', t);
  EXPECT_EQ(t, "a/b/c");
  EXPECT_EQ(DotToComma("1.5.2"), "1,5,2");
  EXPECT_EQ(CommaToDot("1,5"), "1.5");
  EXPECT_EQ(CopyChars("x\xF8"), "x\xF8");
}

// Counting used to wrap at 256 characters.
TEST_F(UtilstrText, CountCharCountsTheWholeText) {
  EXPECT_EQ(CountChar('|', "a|b|c|"), 3);
  EXPECT_EQ(CountChar('x', std::string(300, 'x')), 300);
  EXPECT_EQ(CountChar('x', ""), 0);
}

TEST_F(UtilstrText, LastPos) {
  EXPECT_EQ(LastPos("\\", "C:\\A\\B.DXF"), 5);
  EXPECT_EQ(LastPos("aa", "aaaa"), 3);
  EXPECT_EQ(LastPos("x", "abc"), 0);
  EXPECT_EQ(LastPos("a", ""), 0);
  EXPECT_EQ(LastPos("", "abc"), 0);
  EXPECT_EQ(LastPos("", ""), 0);
}

TEST_F(UtilstrText, WrapToLinesBreaksAfterTheLastBreakCharThatFits) {
  int32_t count = -1;
  int32_t maxLen = -1;
  auto lines = WrapToLines(std::string(100, 'x'), ' ', 64, count, maxLen);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(maxLen, 64);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 64u);
  EXPECT_EQ(lines[1].size(), 36u);
  EXPECT_EQ(programState.WrapLines[1], lines[0]);
  EXPECT_EQ(programState.WrapLines[2], lines[1]);

  lines = WrapToLines("P1,P2,P3,P4", ',', 7, count, maxLen);
  EXPECT_EQ(lines, (std::vector<std::string>{"P1,P2,", "P3,P4"}));
  EXPECT_EQ(maxLen, 6);
  // The search starts one before the width, so a break character right at the width is not used.
  lines = WrapToLines("P1,P2,P3,P4", ',', 6, count, maxLen);
  EXPECT_EQ(lines, (std::vector<std::string>{"P1,", "P2,", "P3,P4"}));

  lines = WrapToLines("", ' ', 64, count, maxLen);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(count, 0);
  EXPECT_EQ(maxLen, 1);
}

// Texts needing more than the five shared lines used to be cut; a width of 0 never ended.
TEST_F(UtilstrText, WrapToLinesReturnsEveryLineAndSurvivesWidthZero) {
  std::string text;
  for (int i = 0; i < 8; ++i) text += std::string(9, static_cast<char>('a' + i)) + " ";
  int32_t count = 0;
  int32_t maxLen = 0;
  auto lines = WrapToLines(text, ' ', 12, count, maxLen);
  EXPECT_EQ(count, 8);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7], "hhhhhhhhh ");
  std::string joined;
  for (const auto& l : lines) joined += l;
  EXPECT_EQ(joined, text);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(programState.WrapLines[static_cast<size_t>(i)], lines[static_cast<size_t>(i - 1)]);

  for (int32_t width : {0, -5, 1}) {
    lines = WrapToLines("abc", ' ', width, count, maxLen);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c"})) << width;
    EXPECT_EQ(maxLen, 1);
  }
}

TEST_F(UtilstrText, DosToWinShowsTheWindowsCharacters) {
  EXPECT_EQ(DosToWin("Gr\x94\xE1" "e"), "Gr\xF6\xDF" "e");
  EXPECT_EQ(DosToWin("20\xF8" "C"), "20\xB0" "C");
  EXPECT_EQ(DosToWin("\x84\x94\x81\x8E\x99\x9A\xE6\xF1\xFD"), "\xE4\xF6\xFC\xC4\xD6\xDC\xB5\xB1\xB2");
  EXPECT_EQ(DosToWin("kg/dm\xFC"), "kg/dm\xB3");  // byte 252 is the superscript three
  EXPECT_EQ(DosToWin("\xDA\xC4\xBF\xB3\xC0\xD9\xC5"), "+-+|++|");
  EXPECT_EQ(DosToWin("\xB0\xDB\xE0"), "???");  // shades, blocks and Greek have no Windows character
  EXPECT_EQ(DosToWin("\t\r\n"), "\t\r\n");
  std::string result;
  DosToWinStr("\x81", result);
  EXPECT_EQ(result, "\xFC");
  EXPECT_EQ(WinToDos("Gr\xF6\xDF" "e \xB3 \xC0\x93x\x94"), "Gr\x94\xE1" "e \xFC" " A\"x\"");
  EXPECT_EQ(WinToDos("\x80"), "?");
}

// Texts of 255 characters or more used to come back empty.
TEST_F(UtilstrText, ConversionsWorkOnAnyLength) {
  for (size_t n : {254u, 255u, 256u, 300u, 5000u}) {
    const std::string dos(n, '\x84');
    const std::string win(n, '\xE4');
    EXPECT_EQ(DosToWin(dos), win) << n;
    EXPECT_EQ(WinToDos(win), dos) << n;
    EXPECT_EQ(OemToAnsiStr(dos), win) << n;
    EXPECT_EQ(AnsiToOemStr(win), dos) << n;
  }
  desktopSettings.PlainAscii = 1;
  EXPECT_EQ(DosToWin(std::string(300, '\x84')).size(), 600u);
}

TEST_F(UtilstrText, EveryOneToOneDosByteSurvivesTheRoundTrip) {
  std::vector<int> producers(256, 0);
  for (int b = 0; b < 256; ++b) ++producers[static_cast<unsigned char>(OemToAnsiChar(static_cast<char>(b)))];
  std::set<int> oneToOne;
  for (int b = 0; b < 256; ++b) {
    const char w = OemToAnsiChar(static_cast<char>(b));
    if (producers[static_cast<unsigned char>(w)] == 1) {
      oneToOne.insert(b);
      EXPECT_EQ(static_cast<unsigned char>(AnsiToOemChar(w)), b) << "DOS byte " << b;
    }
  }
  // The system's own special characters are all among them.
  for (int b : {129, 130, 132, 134, 142, 143, 148, 153, 154, 160, 161, 162, 163, 164, 225, 230, 241, 248, 252, 253})
    EXPECT_TRUE(oneToOne.count(b)) << b;
  for (int b = 0; b < 128; ++b) {
    EXPECT_EQ(OemToAnsiChar(static_cast<char>(b)), static_cast<char>(b));
    EXPECT_EQ(AnsiToOemChar(static_cast<char>(b)), static_cast<char>(b));
  }
  // Every DOS character that the Windows code page has comes back as itself (55 above 127).
  int withCounterpart = 0;
  for (int b = 128; b < 256; ++b) {
    unsigned char w = 0;
    if (!UnicodeToWinChar(DosCharToUnicode(static_cast<unsigned char>(b)), w)) continue;
    ++withCounterpart;
    EXPECT_EQ(static_cast<unsigned char>(OemToAnsiChar(static_cast<char>(b))), w) << b;
    EXPECT_TRUE(oneToOne.count(b)) << b;
  }
  EXPECT_EQ(withCounterpart, 55);
  // Whole texts keep their length both ways.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(OemToAnsiStr(all).size(), 256u);
  EXPECT_EQ(AnsiToOemStr(all).size(), 256u);
}

TEST_F(UtilstrText, PlainAsciiSpellsSpecialCharactersOut) {
  desktopSettings.PlainAscii = 1;
  EXPECT_EQ(DosToWin("Gr\x94\xE1" "e"), "Groesse");
  EXPECT_EQ(DosToWin("20\xF8" "C"), "20degC");
  EXPECT_EQ(DosToWin("\xF1" "0,1 N/mm\xFD"), "+/-0,1 N/mm2");
  EXPECT_EQ(DosToWin("\x86\x8F\xA1\xA2\xFC"), "\xE5\xC5\xED\xF3\xB3");
  EXPECT_EQ(DosToWin("\xC9\xCD\xBB\xBA"), "+-+|");
  // A DOS byte the tables leave is still shown as its own character, not as a stray Windows one.
  EXPECT_EQ(DosToWin("Gar\x87on"), "Gar\xE7on");
  EXPECT_EQ(DosToWin("\x80"), "\xC7");
}

TEST_F(UtilstrText, TranslitAndDisplayTables) {
  EXPECT_EQ(AsciiTranslit("\x81\x82\x84\x8E\x94\x99\x9A\xA0\xA3\xA4\xC4\xCD\xE1\xE6\xF1\xF8\xFD"),
            "ueeaeAeoeOeUeaun--ssu+/-deg2");
  EXPECT_EQ(AsciiTranslit("\x86\xFC" "abc"), "\x86\xFC" "abc");
  EXPECT_EQ(DosToAnsiTable("\x86\x8F\xA1\xA2\xFC"), "\xE5\xC5\xED\xF3\xB3");
  EXPECT_EQ(DosToAnsiTable("\xB3\xB4\xB5\xB6\xB9\xBA\xC3\xC5\xC6\xC7\xCC\xD1\xD7"), "|||||||||||||");
  EXPECT_EQ(DosToAnsiTable("\xB8\xBB\xBC\xBE\xBF\xC0\xC8\xC9\xCE\xD3\xD6\xD9\xDA"), "+++++++++++++");
  EXPECT_EQ(DosToAnsiTable("\x87\xC4" "a"), "\x87\xC4" "a");
}

TEST_F(UtilstrText, ConvertCadTextByMode) {
  const std::string text = "\xF8\x84";
  const std::vector<std::pair<uint16_t, std::string>> cases = {
      {1, "\xF8\x84"}, {2, "\xB0\xE4"}, {3, "degae"}, {0, "\xF8\x84"}, {9, "\xF8\x84"}};
  for (const auto& [mode, expected] : cases) {
    desktopSettings.CadTextMode = mode;
    EXPECT_EQ(ConvertCadText(text), expected) << mode;
  }
}

}  // namespace
}  // namespace qorva
