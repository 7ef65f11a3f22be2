// Number texts, parsers, the unit layer, dates and the command-line switch. Every test runs in a
// German locale: the texts must not follow the process locale.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class UtilstrNumber : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitUtilstr();
  }
  void TearDown() override {
    InitAllSettings();
    InitUtilstr();
  }
  test::LocaleGuard locale_;
};

struct RealCase {
  long double x;
  const char* text;
};

TEST_F(UtilstrNumber, RealStr3ShowsThreeSignificantDigitsWithoutTrailingZeros) {
  const std::vector<RealCase> cases = {
      {0.5L, "0.5"},       {0.1234L, "0.123"}, {0.05L, "0.05"},       {0.0009L, "0.0009"},  {1.5L, "1.5"},
      {12.34L, "12.34"},   {85.25L, "85.25"},  {30.0L, "30"},         {123.4L, "123.4"},    {600.0L, "600"},
      {1234.4L, "1234"},   {12345.6L, "12346"}, {-12.34L, "-12.34"},  {12.5L, "12.5"},      {0.00001L, "0.00001"},
      {0.000009L, "0"},    {0.0L, "0"},        {1000.0L, "1000"},     {100.0L, "100"},      {0.01L, "0.01"},
  };
  for (const auto& c : cases) EXPECT_EQ(RealStr3(c.x), c.text) << static_cast<double>(c.x);
}

TEST_F(UtilstrNumber, SigDigitsShiftsTheDecimals) {
  programState.SigDigits = 5;
  EXPECT_EQ(RealStr3(12.34L), "12.3400");
  programState.SigDigits = 0;
  EXPECT_EQ(RealStr3(12.34L), "12");
  // Any value a configuration file may hold keeps the decimals within 0..10.
  programState.SigDigits = INT32_MAX;
  EXPECT_EQ(RealStr3(12.34L), "12.3400000000");
  programState.SigDigits = INT32_MIN;
  EXPECT_EQ(RealStr3(12.34L), "12");
  programState.SigDigits = 3;
  EXPECT_EQ(RealStrDec(7, 0.5L), "0.5000000");
  programState.SigDigits = 4;
  EXPECT_EQ(RealStrDec(7, 0.5L), "0.50000000");
  EXPECT_EQ(RealStr3(0.5L), "0.50");
}

TEST_F(UtilstrNumber, EngineeringAndAutomaticNotation) {
  const std::vector<RealCase> eng = {
      {12340.0L, "12.34E3"}, {1234567.0L, "1.235E6"}, {0.0012L, "1.2E-3"},  {0.00012L, "0.12E-3"},
      {0.00009L, "0.09E-3"}, {-12340.0L, "-12.34E3"}, {123.4L, "123.4"},    {2.5e-9L, "2.5E-9"},
  };
  for (const auto& c : eng) EXPECT_EQ(RealStrEng(c.x), c.text) << static_cast<double>(c.x);
  const std::vector<RealCase> autoCases = {
      {0.0001L, "0.0001"}, {0.00009L, "0.09E-3"}, {9999.0L, "9999"}, {10000.0L, "10E3"},
      {0.0L, "0"},         {1e-13L, "0"},         {12.34L, "12.34"}, {-0.5L, "-0.5"},
  };
  for (const auto& c : autoCases) EXPECT_EQ(RealStrAuto(c.x), c.text) << static_cast<double>(c.x);
}

TEST_F(UtilstrNumber, FixedTextRoundsHalfAwayFromZeroAndAlignsRight) {
  EXPECT_EQ(RealStrFix(4, 2, 3.14159L), "   3.14");  // 4 + 2 + 1 characters
  EXPECT_EQ(RealStrFix(2, 2, -12.34L), "-12.34");    // the sign makes it one wider
  EXPECT_EQ(RealStrFix(3, 0, 7.0L), "  7");
  EXPECT_EQ(RealStrFix(1, 0, 2.5L), "3");
  EXPECT_EQ(RealStrFix(1, 0, -2.5L), "-3");
  EXPECT_EQ(RealStrFix(1, 2, 0.125L), "0.13");
  EXPECT_EQ(RealStrFix(1, 2, 1.005L), "1.01");  // as written, not as the binary value lies
  EXPECT_EQ(RealStrFix(1, 2, -0.001L), "0.00");  // no "-0.00"
  EXPECT_EQ(RealStrFix(1, 2, 5e-9L), "0.00");
  EXPECT_EQ(RealStr3W(8, 12.34L), "   12.34");
  EXPECT_EQ(RealStr3W(6, 1234.4L), "  1234");
  EXPECT_EQ(RealStr3W(5, 0.0L), "    0");
  EXPECT_EQ(RealStr3Minus(1, 12.34L), "12.3");
}

// A rounding carry or an integer part wider than the precision used to switch to "1E3"-like texts.
TEST_F(UtilstrNumber, IntegerDigitsAreNeverTradedForAnExponent) {
  EXPECT_EQ(RealStrFix(3, 0, 999.999L), "1000");
  EXPECT_EQ(RealStr3(999.9996L), "1000");
  EXPECT_EQ(RealStr3(99.9996L), "100");
  EXPECT_EQ(RealStrFix(2, 0, 1234.4L), "1234");
  EXPECT_EQ(RealStrFix(1, 1, 9.96L), "10.0");
  EXPECT_EQ(RealStr3(123456789012.0L), "123456789012");
  EXPECT_EQ(RealStrFix(1, 0, 1e25L), "10000000000000000000000000");
}

// With no significant digit left the trailing-zero search used to run for ever.
TEST_F(UtilstrNumber, ZeroSignificantDigitsEndTheTrailingZeroSearch) {
  int32_t i = -1;
  int32_t d = -1;
  SigDigitCounts(i, d, 0, 0.5L);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(d, 0);
  SigDigitCounts(i, d, 0, 0.0L);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(RealStr3Minus(3, 0.5L), "1");
  EXPECT_EQ(RealStr3Minus(3, 0.04L), "0.0");
  SigDigitCounts(i, d, 3, 12.34L);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(d, 2);
}

TEST_F(UtilstrNumber, NonFiniteValuesGiveAWordNotACrash) {
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(RealStr3(inf), "INF");
  EXPECT_EQ(RealStr3(-inf), "-INF");
  EXPECT_EQ(RealStrAuto(std::numeric_limits<long double>::quiet_NaN()), "NAN");
}

TEST_F(UtilstrNumber, DecimalMarkSettingAndDotVariants) {
  utilstr.DecimalMark = ',';
  EXPECT_EQ(RealStr3(12.34L), "12,34");
  EXPECT_EQ(RealStrDec(2, 0.5L), "0,50");
  EXPECT_EQ(RealStrFix(2, 1, 3.25L), " 3,3");
  EXPECT_EQ(RealStr3Dot(12.34L), "12.34");
  EXPECT_EQ(RealStrDecDot(2, 0.5L), "0.50");
  EXPECT_EQ(RealStrFixDot(2, 1, 3.25L), " 3.3");
  EXPECT_EQ(StrToReal(RealStr3(12.34L)), 12.34L);  // what we write, we read
  utilstr.DecimalMark = '.';
  EXPECT_EQ(RealStr3(12.34L), "12.34");
}

TEST_F(UtilstrNumber, StrToRealAcceptsCommaAndPointOnly_WholeTextMustBeANumber) {
  const std::vector<std::pair<const char*, long double>> cases = {
      {"1,5", 1.5L},     {"1.5", 1.5L},        {"1.234,5", 0.0L}, {" 2", 2.0L},      {"2 ", 0.0L},
      {"", 0.0L},        {"-3.5e2", -350.0L},  {"+4", 4.0L},      {"1e", 0.0L},      {"abc", 0.0L},
      {".5", 0.5L},      {"1,5e-3", 0.0015L},  {"  -0,25", -0.25L}, {"1e-99999", 0.0L}, {"1e99999", 0.0L},
      {"inf", 0.0L},     {"0x10", 0.0L},       {"-", 0.0L},       {"1..2", 0.0L},    {"12E+2", 1200.0L},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToReal(text), value) << '"' << text << '"';
  long double v = 1.0L;
  EXPECT_FALSE(TryStrToReal("1.234,5", v));
  EXPECT_EQ(v, 0.0L);
  EXPECT_TRUE(TryStrToReal("0", v));
  EXPECT_TRUE(TryStrToReal("1e-99999", v));
}

TEST_F(UtilstrNumber, StrToInt0) {
  const std::vector<std::pair<const char*, int32_t>> cases = {
      {"12a", 0},         {"$1F", 31},          {"0x1F", 31},  {" -42", -42}, {"+7", 7},
      {"2147483647", 2147483647}, {"2147483648", 0}, {"-2147483648", INT32_MIN}, {"", 0},
      {"12 ", 0},         {"$", 0},             {"1.5", 0},    {"99999999999999999999", 0}, {"-$10", -16},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToInt0(text), value) << '"' << text << '"';
}

TEST_F(UtilstrNumber, IntegerTexts) {
  EXPECT_EQ(IntStr(-17), "-17");
  EXPECT_EQ(ZeroPad(7, 2), "07");
  EXPECT_EQ(ZeroPad(123, 2), "123");
  EXPECT_EQ(ZeroPad(-5, 4), "00-5");
  EXPECT_EQ(BlankPad(42, 5), "   42");
  EXPECT_EQ(BlankPad(123456, 3), "123456");
  EXPECT_EQ(NumToLetter(1), "A");
  EXPECT_EQ(NumToLetter(8), "H");
}

TEST_F(UtilstrNumber, DateTextFollowsDateFormat) {
  const std::vector<std::pair<uint16_t, const char*>> cases = {
      {1, "05.03.2024"}, {2, "03/05/2024"}, {3, "2024-03-05"}, {4, "05/03/2024"}, {7, "2024/03/05"}, {0, "2024/03/05"},
  };
  for (const auto& [format, text] : cases) {
    desktopSettings.DateFormat = format;
    EXPECT_EQ(DateText(2024, 3, 5), text) << format;
  }
  desktopSettings.DateFormat = 3;
  EXPECT_EQ(DateText(987, 12, 31), "987-12-31");
}

TEST_F(UtilstrNumber, HasParamComparesInUpperCase) {
  EXPECT_FALSE(HasParam("/NOGUI"));
  utilstr.ProgramParams = {"feder.qva", "/NoGui"};
  EXPECT_TRUE(HasParam("/NOGUI"));
  EXPECT_TRUE(HasParam("/nogui"));
  EXPECT_TRUE(HasParam("FEDER.QVA"));
  EXPECT_FALSE(HasParam("/I"));
  EXPECT_FALSE(HasParam("/NOGUIX"));
}

// One row per unit system: what the value in base units shows as, and how input reads back.
struct UnitRow {
  uint16_t system;
  const char* length;      // LengthStr(25.4)
  const char* lengthDec;   // LengthStrDec(2, 25.4)
  const char* lengthFix;   // LengthFix(3, 2, 25.4)
  const char* force;       // ForceStr(4448.22)
  const char* forceFix;    // ForceFix(4, 1, 4448.22)
  const char* stress;      // StressStr(1000)
  const char* stressFix;   // StressFix(4, 2, 1000)
  const char* torque;      // TorqueStr(123400)
  const char* temp;        // TempStr(100)
  const char* tempFix;     // TempFix(3, 1, 100)
  const char* mass;        // MassStr(453.59237)
  const char* units[6];    // length, force, stress, torque, mass, temperature
  long double length1;     // StrToLength("1,5")
  long double force1;      // StrToForce("1")
  long double stress1;     // StrToStress("1")
  long double temp212;     // StrToTemp("212")
};

TEST_F(UtilstrNumber, UnitLayerInEveryUnitSystem) {
  const std::vector<UnitRow> rows = {
      {0, "25.4", "25.40", " 25.40", "4448", "4448.2", "1000", "1000.00", "123400", "100", "100.0", "453.6",
       {"mm", "N", "MPa", "Nmm", "g", "\xF8" "C"}, 1.5L, 1.0L, 1.0L, 212.0L},
      {1, "1.0000", "1.000", " 1.000", "1000", "1000.00", "145037", "145037", "1092", "212", "212.0", "1",
       {"in", "lbf", "psi", "lbfin", "lb", " F"}, 38.1L, 4.44822L, 1.0L / 145.037L, 100.0L},
      {2, "25.4", "25.40", " 25.40", "4.448", "  4.45", "1000", "1000.00", "123.4", "100", "100.0", "453.6",
       {"mm", "kN", "MPa", "Nm", "g", "\xF8" "C"}, 1.5L, 1000.0L, 1.0L, 212.0L},
      {3, "25.4", "25.40", " 25.40", "4448", "4448.2", "1000", "1000.00", "123400", "100", "100.0", "453.6",
       {"mm", "N", "N/mm\xFD", "Nmm", "g", "\xF8" "C"}, 1.5L, 1.0L, 1.0L, 212.0L},
      {4, "25.4", "25.40", " 25.40", "4.448", "  4.45", "1000", "1000.00", "123.4", "100", "100.0", "453.6",
       {"mm", "kN", "N/mm\xFD", "Nm", "g", "\xF8" "C"}, 1.5L, 1000.0L, 1.0L, 212.0L},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::Message() << "UnitSystem " << r.system);
    desktopSettings.UnitSystem = r.system;
    EXPECT_EQ(LengthStr(25.4L), r.length);
    EXPECT_EQ(LengthStrDec(2, 25.4L), r.lengthDec);
    EXPECT_EQ(LengthFix(3, 2, 25.4L), r.lengthFix);
    EXPECT_EQ(ForceStr(4448.22L), r.force);
    EXPECT_EQ(ForceFix(4, 1, 4448.22L), r.forceFix);
    EXPECT_EQ(StressStr(1000.0L), r.stress);
    EXPECT_EQ(StressFix(4, 2, 1000.0L), r.stressFix);
    EXPECT_EQ(TorqueStr(123400.0L), r.torque);
    EXPECT_EQ(TempStr(100.0L), r.temp);
    EXPECT_EQ(TempFix(3, 1, 100.0L), r.tempFix);
    EXPECT_EQ(MassStr(453.59237L), r.mass);
    EXPECT_EQ(LengthUnit(), r.units[0]);
    EXPECT_EQ(ForceUnit(), r.units[1]);
    EXPECT_EQ(StressUnit(), r.units[2]);
    EXPECT_EQ(TorqueUnit(), r.units[3]);
    EXPECT_EQ(MassUnit(), r.units[4]);
    EXPECT_EQ(TempUnit(), r.units[5]);
    EXPECT_EQ(DensityUnit(), "kg/dm\xFC");
    EXPECT_NEAR(static_cast<double>(StrToLength("1,5")), static_cast<double>(r.length1), 1e-12);
    EXPECT_NEAR(static_cast<double>(StrToForce("1")), static_cast<double>(r.force1), 1e-12);
    EXPECT_NEAR(static_cast<double>(StrToStress("1")), static_cast<double>(r.stress1), 1e-15);
    EXPECT_NEAR(static_cast<double>(StrToTemp("212")), static_cast<double>(r.temp212), 1e-12);
    EXPECT_EQ(StrToLength("x"), 0.0L);
    EXPECT_EQ(StrToForce("1.234,5"), 0.0L);
    EXPECT_EQ(StrToTemp("x"), 0.0L);  // not -17.8 degrees Celsius in English units
    // The display value and the parser are inverse to each other.
    EXPECT_NEAR(static_cast<double>(LengthToUnit(StrToLength("2,5"))), 2.5, 1e-12);
    EXPECT_NEAR(static_cast<double>(ForceToUnit(StrToForce("2,5"))), 2.5, 1e-12);
    EXPECT_NEAR(static_cast<double>(StressToUnit(StrToStress("2,5"))), 2.5, 1e-12);
  }
}

TEST_F(UtilstrNumber, EnglishSpecialCases) {
  desktopSettings.UnitSystem = 1;
  EXPECT_EQ(ForceStr(4.44822L), "1");
  EXPECT_EQ(StrToLength("1"), 25.4L);
  programState.SigDigits = 4;
  EXPECT_EQ(LengthStr(25.4L), "1.00000");
}

TEST_F(UtilstrNumber, PlainAsciiUnitNames) {
  desktopSettings.PlainAscii = 1;
  EXPECT_EQ(TempUnit(), " C");
  EXPECT_EQ(DensityUnit(), "kg/dm3");
  desktopSettings.UnitSystem = 1;
  EXPECT_EQ(TempUnit(), " F");
}

}  // namespace
}  // namespace qorva

namespace qorva {
namespace {

// The scientific text of the cell formatting against the library's: random significands at every
// binary exponent of the fast path and beyond, exact decimal ties (half to even), carries to the
// next power of ten, and the values a spring file holds.
TEST(ScientificText, AgreesWithTheLibraryEverywhere) {
  auto library = [](long double x) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 17);
    return std::string(buf, res.ptr);
  };
  auto fast = [](long double x) {
    char buf[64];
    return std::string(ScientificText17(x, buf));
  };
  std::vector<long double> values = {
      0.5L, 1, 50, 0.001L, 85, 80, 1037, 637, 30.0480769L, 210000, 7.85L, 1e-5L, 99.99L, 123456.789L,
      1000000000000000005.0L, 1234567890123456785.0L, 1000000000000000015.0L,  // ties at the 19th digit
      9999999999999999995.0L, 0.99999999999999999995L, 999999999999999999.5L,   // carries
      18446744073709551615.0L, 1e19L, 1e30L, 1e-30L, 1e-40L, 0, -2.5L,
      std::numeric_limits<long double>::infinity(), std::numeric_limits<long double>::quiet_NaN(),
      std::numeric_limits<long double>::min(), std::numeric_limits<long double>::max()};
  std::mt19937_64 random(31);
  for (int i = 0; i < 200000; ++i) {
    const uint64_t significand = random() | (uint64_t{1} << 63);
    const int exponent = static_cast<int>(random() % 200) - 140;  // 2^-140 .. 2^59 around the fast path
    values.push_back(std::ldexp(static_cast<long double>(significand), exponent));
  }
  for (int i = 0; i < 20000; ++i) {
    // Short decimals as typed and as computed.
    values.push_back(static_cast<long double>(random() % 1000000) / 100);
    values.push_back(static_cast<long double>(random() % 100000) / 7.0L);
  }
  for (const long double x : values) {
    const std::string want = library(x);
    ASSERT_EQ(fast(x), want) << "significand bits of " << want;
  }
}

}  // namespace
}  // namespace qorva

namespace qorva {
namespace {

// Reading decimals: the short ones go without the library, and must give its value bit for bit.
TEST(ReadingReals, ShortDecimalsGiveTheLibrarysValue) {
  std::mt19937_64 random(35);
  std::vector<std::string> texts = {"0", "-0", "0.5", "50.0000000", "637", "30.0480769", "1e-3", "2.5E+2",
                                    "0.1", "9999999999999999999", "1.0000000000000000001", "123456789012345678.9",
                                    "1e27", "1e28", "1e-27", "1e-28", "0000000000000000000012.5", ".5", "5."};
  for (int i = 0; i < 100000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 20);
    std::string t;
    for (int d = 0; d < digits; ++d) t += static_cast<char>('0' + random() % 10);
    t.insert(random() % (t.size() + 1), ".");
    if (random() % 3 == 0) t += "e" + std::to_string(static_cast<int>(random() % 60) - 30);
    texts.push_back(t);
  }
  for (const std::string& t : texts) {
    long double want = 0;
    const auto res = std::from_chars(t.data(), t.data() + t.size(), want, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size()) continue;
    long double got = 0;
    ASSERT_TRUE(TryStrToReal(t, got)) << t;
    ASSERT_EQ(std::memcmp(&got, &want, 10), 0) << t;
  }
}

}  // namespace
}  // namespace qorva
