// The character sets of the platform layer: code pages 437 and 1252 as code points, and UTF-8.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace qorva {
namespace {

TEST(Codepage, Cp437EveryByteRoundTripsThroughUnicode) {
  for (int b = 0; b < 256; ++b) {
    const char32_t u = Cp437ToUnicode(static_cast<uint8_t>(b));
    if (b < 0x80) {
      EXPECT_EQ(u, static_cast<char32_t>(b));
    }
    EXPECT_EQ(UnicodeToCp437(u), b) << "byte " << b;
  }
}

TEST(Codepage, Cp1252EveryDefinedByteRoundTripsThroughUnicode) {
  int undefined = 0;
  for (int b = 1; b < 256; ++b) {
    const char32_t u = Cp1252ToUnicode(static_cast<uint8_t>(b));
    if (u == 0) {
      ++undefined;
      EXPECT_TRUE(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) << "byte " << b;
      EXPECT_EQ(UnicodeToCp1252(static_cast<char32_t>(b)), -1) << "byte " << b;
      continue;
    }
    if (b < 0x80 || b >= 0xA0) {
      EXPECT_EQ(u, static_cast<char32_t>(b));
    }
    EXPECT_EQ(UnicodeToCp1252(u), b) << "byte " << b;
  }
  EXPECT_EQ(undefined, 5);
}

// Fixed points of both tables, so that a table shifted by one entry cannot pass as a round trip.
TEST(Codepage, KnownCharactersAndCharactersACodePageLacks) {
  struct Case {
    uint8_t byte;
    char32_t unicode;
  };
  for (const Case& c : {Case{0x80, U'\u00C7'}, Case{0x81, U'\u00FC'}, Case{0x84, U'\u00E4'},
                        Case{0x9E, U'\u20A7'}, Case{0xB0, U'\u2591'}, Case{0xB3, U'\u2502'},
                        Case{0xC4, U'\u2500'}, Case{0xDA, U'\u250C'}, Case{0xE1, U'\u00DF'},
                        Case{0xE6, U'\u00B5'}, Case{0xF8, U'\u00B0'}, Case{0xFC, U'\u207F'},
                        Case{0xFD, U'\u00B2'}, Case{0xFF, U'\u00A0'}})
    EXPECT_EQ(Cp437ToUnicode(c.byte), c.unicode) << "cp437 byte " << int{c.byte};
  for (const Case& c : {Case{0x80, U'\u20AC'}, Case{0x8A, U'\u0160'}, Case{0x96, U'\u2013'},
                        Case{0x9F, U'\u0178'}, Case{0xA0, U'\u00A0'}, Case{0xB3, U'\u00B3'},
                        Case{0xE4, U'\u00E4'}, Case{0xFF, U'\u00FF'}})
    EXPECT_EQ(Cp1252ToUnicode(c.byte), c.unicode) << "cp1252 byte " << int{c.byte};

  for (char32_t u : {U'\u00B3', U'\u20AC', U'\u0081', U'\u263A', U'\U0001F600'})
    EXPECT_EQ(UnicodeToCp437(u), -1) << "U+" << static_cast<uint32_t>(u);
  for (char32_t u : {U'\u0080', U'\u0081', U'\u2500', U'\u207F', U'\U0001F600'})
    EXPECT_EQ(UnicodeToCp1252(u), -1) << "U+" << static_cast<uint32_t>(u);
}

struct Utf8Case {
  char32_t cp;
  std::string_view bytes;
};

// Both ends of every length, the characters the program writes most, and the code points next to
// the surrogates.
constexpr Utf8Case kUtf8[] = {
    {U'\0', std::string_view("\0", 1)},
    {U'A', "A"},
    {U'\u007F', "\x7F"},
    {U'\u0080', "\xC2\x80"},
    {U'\u00B0', "\xC2\xB0"},
    {U'\u00B2', "\xC2\xB2"},
    {U'\u00B3', "\xC2\xB3"},
    {U'\u00E4', "\xC3\xA4"},
    {U'\u07FF', "\xDF\xBF"},
    {U'\u0800', "\xE0\xA0\x80"},
    {U'\u20AC', "\xE2\x82\xAC"},
    {U'\u2500', "\xE2\x94\x80"},
    {U'\uD7FF', "\xED\x9F\xBF"},
    {U'\uE000', "\xEE\x80\x80"},
    {U'\uFFFF', "\xEF\xBF\xBF"},
    {U'\U00010000', "\xF0\x90\x80\x80"},
    {U'\U0010FFFF', "\xF4\x8F\xBF\xBF"},
};

TEST(Codepage, Utf8EncodesAndDecodesKnownBytes) {
  for (const Utf8Case& c : kUtf8) {
    std::string out = "x";
    AppendUtf8(out, c.cp);
    EXPECT_EQ(out, "x" + std::string(c.bytes)) << "U+" << static_cast<uint32_t>(c.cp);

    size_t pos = 1;
    char32_t cp = 0;
    EXPECT_TRUE(NextUtf8(out, pos, cp)) << "U+" << static_cast<uint32_t>(c.cp);
    EXPECT_EQ(cp, c.cp);
    EXPECT_EQ(pos, out.size());
  }
}

TEST(Codepage, Utf8DecoderRejectsMalformedSequencesOneByteAtATime) {
  constexpr std::string_view kBad[] = {
      "\x80",                  // continuation byte first
      "\xBF\xBF",
      "\xC0\x80",              // overlong forms
      "\xC1\xBF",
      "\xE0\x9F\xBF",
      "\xF0\x8F\xBF\xBF",
      "\xED\xA0\x80",          // surrogates
      "\xED\xBF\xBF",
      "\xF4\x90\x80\x80",      // beyond U+10FFFF
      "\xF5\x80\x80\x80",
      "\xF8\x88\x80\x80\x80",  // five- and six-byte forms
      "\xFC\x84\x80\x80\x80\x80",
      "\xFF",
      // cut short by the end, where the bytes beyond the view would complete the sequence
      std::string_view("\xC3\xA4", 1),
      std::string_view("\xE2\x82\xAC", 2),
      std::string_view("\xF0\x90\x80\x80", 3),
      "\xC3" "A",              // cut short by a byte that is no continuation
      "\xE2\x82" "A",
      "\xF0\x90\x80" "A",
      "\xE2\xC3\xA4",
  };
  for (std::string_view bad : kBad) {
    size_t pos = 0;
    char32_t cp = 0;
    EXPECT_FALSE(NextUtf8(bad, pos, cp)) << testing::PrintToString(std::string(bad));
    EXPECT_EQ(pos, 1u) << testing::PrintToString(std::string(bad));
  }
}

}  // namespace
}  // namespace qorva
