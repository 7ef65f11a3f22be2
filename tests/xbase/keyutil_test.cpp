// Index-key and string helpers: packed decimal keys and their order, SOUNDEX, byte moves and the
// calendar of day numbers with its date texts.
#include "xbase/keyutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/nationaldates.h"

namespace qorva {
namespace {

class KeyUtilTest : public ::testing::Test {
 protected:
  void SetUp() override { InitNationalDates(); }
  void TearDown() override { InitNationalDates(); }
};

TBcdKey Bcd(const std::string& text, int32_t decimals) {
  TBcdKey k;
  NumStrToBcdKey(k, text, text.size(), decimals);
  return k;
}

TEST_F(KeyUtilTest, PackedDecimalKeyLayout) {
  const TBcdKey k = Bcd("-12.50", 2);
  EXPECT_TRUE(k.Negative());
  EXPECT_EQ(k.Exponent(), 0x36);
  EXPECT_EQ(k.Bytes[2], 0x12);
  EXPECT_EQ(k.Bytes[3], 0x50);
  EXPECT_EQ(k.DigitCount(), 4);
  EXPECT_EQ(k.Bytes[1] & 1, 1);
  for (const char* zero : {"0", "0.00", "  -0", "   "}) {
    const TBcdKey z = Bcd(zero, 2);
    EXPECT_EQ(z.DigitCount(), 0) << zero;
    EXPECT_FALSE(z.Negative()) << zero;
    for (size_t i = 2; i < 12; ++i) EXPECT_EQ(z.Bytes[i], 0) << zero;
  }
  EXPECT_EQ(Bcd("0.005", 3).Exponent(), 0x32);
  EXPECT_EQ(Bcd("0.005", 3).DigitCount(), 1);
  EXPECT_EQ(Bcd("  +7", 0).DigitCount(), 10);  // a short whole number counts ten digits
  // Only the first length characters are read; digits past 20 are dropped.
  TBcdKey cut;
  NumStrToBcdKey(cut, "12345", 3, 0);
  EXPECT_EQ(cut.Exponent(), 0x34 + 3);
  EXPECT_EQ(Bcd(std::string(25, '9'), 0).Exponent(), 0x34 + 20);
}

TEST_F(KeyUtilTest, PackedDecimalKeysOrderByValue) {
  const std::vector<double> ordered{-1e6, -12.5, -5, -1, -0.25, 0, 0.005, 0.5, 3, 12, 12.01, 1234.5, 1e9};
  for (size_t i = 0; i < ordered.size(); ++i) {
    for (size_t j = 0; j < ordered.size(); ++j) {
      TBcdKey a, b;
      DoubleToBcdKey(a, 3, ordered[i]);
      DoubleToBcdKey(b, 3, ordered[j]);
      const int32_t c = CompareBcdKey(a, b);
      const int32_t want = i < j ? -1 : i == j ? 0 : 1;
      EXPECT_EQ((c > 0) - (c < 0), want) << ordered[i] << " vs " << ordered[j];
    }
  }
  // Text keys of different widths order by value too.
  EXPECT_LT(CompareBcdKey(Bcd("  -5", 0), Bcd("-1.0", 1)), 0);
  EXPECT_LT(CompareBcdKey(Bcd("0.5", 1), Bcd("     3", 0)), 0);
}

TEST_F(KeyUtilTest, SoundexCodes) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"ROBERT", "R163"}, {"RUPERT", "R163"}, {"robert", "R163"}, {"TYMCZAK", "T522"}, {"PFISTER", "P236"},
      {"A", "A000"},      {"", "0000"},       {"1AB", "1100"},    {"LEE", "L000"},     {"O'HARA", "O600"},
  };
  for (const auto& [text, code] : cases) EXPECT_EQ(Soundex(text), code) << text;
  // Only the first 100 characters count.
  EXPECT_EQ(Soundex("A" + std::string(99, 'E') + "BCD"), "A000");
}

TEST_F(KeyUtilTest, BytesAndTexts) {
  std::string s = "ABCDE";
  RotateBlocks(s.data(), 2, 3);
  EXPECT_EQ(s, "CDEAB");
  RotateBlocks(s.data(), 0, 5);
  EXPECT_EQ(s, "CDEAB");
  ReverseBytes(s.data(), 5);
  EXPECT_EQ(s, "BAEDC");
  EXPECT_EQ(MemCompare("abc", "abd", 3), 'c' - 'd');
  EXPECT_EQ(MemCompare("ab\xF0", "ab\x10", 3), 0xF0 - 0x10);  // bytes compare unsigned
  EXPECT_EQ(MemCompare("abc", "abd", 2), 0);
  const double one = 1, two = 2;
  EXPECT_EQ(CompareDouble(&one, &two), -1);
  EXPECT_EQ(CompareDouble(&two, &one), 1);
  EXPECT_EQ(CompareDouble(&one, &one), 0);
  EXPECT_EQ(IntToZeroStr(7, 3), "007");
  EXPECT_EQ(IntToZeroStr(12345, 2), "12345");
  EXPECT_EQ(IntToZeroStr(65536 + 5, 2), "05");  // the low 16 bits
  EXPECT_EQ(UpperAscii("abz\xE4{"), "ABZ\xE4{");
}

TEST_F(KeyUtilTest, CalendarFixedPoints) {
  EXPECT_EQ(YmdToJulian(1, 1, 1), 1721426);
  EXPECT_EQ(YmdToJulian(9999, 12, 31), 5373484);
  EXPECT_EQ(YmdToJulian(2024, 1, 31), 2460341);
  EXPECT_EQ(YmdToJulian(2000, 2, 29), YmdToJulian(2000, 3, 1) - 1);
  for (auto [y, m, d] : std::vector<std::array<int32_t, 3>>{{2023, 2, 29}, {1900, 2, 29}, {2024, 13, 1}, {2024, 4, 31},
                                                            {2024, 0, 1}, {2024, 1, 0}, {-1, 1, 1}})
    EXPECT_EQ(YmdToJulian(y, m, d), 0) << y << "-" << m << "-" << d;
  EXPECT_EQ(DayOfYear(2024, 12, 31), 366);
  int32_t m = 0, d = 0;
  for (auto [n, leap, month, day] : std::vector<std::array<int32_t, 4>>{
           {60, 1, 2, 29}, {60, 0, 3, 1}, {61, 1, 3, 1}, {366, 1, 12, 31}, {365, 0, 12, 31}, {1, 0, 1, 1}}) {
    MonthDayOf(n, leap != 0, m, d);
    EXPECT_EQ(m * 100 + d, month * 100 + day) << n << " leap " << leap;
  }
  EXPECT_EQ(DaysBeforeYear(1), 0);
  EXPECT_EQ(DaysBeforeYear(2), 365);
  EXPECT_EQ(DbfDateToJulian("        "), 0);
  EXPECT_EQ(DbfDateToJulian("20240131"), 2460341);
  EXPECT_EQ(DbfDateToJulian("2024013"), 0);
  EXPECT_EQ(DbfDateToJulian("2024AB31"), 0);
  EXPECT_EQ(JulianToDbfDate(1721426), "00010101");
  EXPECT_EQ(JulianToDbfDate(5373484), "99991231");
  EXPECT_EQ(JulianToDbfDate(5373485), "        ");
  EXPECT_EQ(JulianToDbfDate(0), "        ");
  EXPECT_EQ(JulianToDbfDate(2460341.75), "20240131");  // a fraction of a day stays on the day
}

TEST_F(KeyUtilTest, EveryDayFrom1900To2100RoundTrips) {
  double expected = YmdToJulian(1900, 1, 1);
  ASSERT_EQ(expected, 2415021);
  for (int32_t y = 1900; y <= 2100; ++y) {
    for (int32_t m = 1; m <= 12; ++m) {
      for (int32_t d = 1; d <= 31; ++d) {
        const double j = YmdToJulian(y, m, d);
        if (j == 0) continue;
        ASSERT_EQ(j, expected) << y << "-" << m << "-" << d;
        int32_t yy, mm, dd;
        ASSERT_TRUE(JulianToYmd(j, yy, mm, dd));
        ASSERT_EQ(yy * 10000 + mm * 100 + dd, y * 10000 + m * 100 + d) << j;
        const std::string stored = JulianToDbfDate(j);
        ASSERT_EQ(DbfDateToJulian(stored), j) << stored;
        ASSERT_EQ(DateTextToJulian(JulianToDateText(j)), j) << JulianToDateText(j);
        expected += 1;
      }
    }
  }
  EXPECT_EQ(expected, YmdToJulian(2101, 1, 1));
}

TEST_F(KeyUtilTest, DateTextsOfEveryFormat) {
  struct Case {
    uint8_t format;
    bool century;
    const char* text;
    const char* blank;
  };
  const std::vector<Case> cases{
      {0, false, "01/31/24", "  /  /  "},     {0, true, "01/31/2024", "  /  /    "}, {1, true, "2024.01.31", "    .  .  "},
      {1, false, "24.01.31", "  .  .  "},     {2, false, "31/01/24", "  /  /  "},     {3, false, "31-01-24", "  -  -  "},
      {5, false, "31.01.24", "  .  .  "},     {7, true, "31.01.2024", "  .  .    "}, {8, false, "31/01/24", "  /  /  "},
  };
  for (const Case& c : cases) {
    nationalDates.XbDateFormat = c.format;
    nationalDates.CenturyDates = c.century;
    EXPECT_EQ(JulianToDateText(2460341), c.text) << int(c.format);
    EXPECT_EQ(JulianToDateText(0), c.blank) << int(c.format);
  }
  nationalDates.XbDateFormat = 5;
  nationalDates.CenturyDates = false;
  EXPECT_EQ(JulianToDateText(YmdToJulian(1905, 3, 4)), "04.03.05");
  // Reading a date text back takes its century from the window of two-digit years.
  EXPECT_EQ(DateTextToJulian("31.01.2024"), 2460341);
  EXPECT_EQ(DateTextToJulian("31.02.2024"), 0);
  EXPECT_EQ(DateTextToJulian("  .  .    "), 0);
  EXPECT_EQ(DateTextToDbfDate("31.01.2024"), "20240131");
  EXPECT_EQ(DateTextToDbfDate("  .  .    "), "        ");
}

}  // namespace
}  // namespace qorva
