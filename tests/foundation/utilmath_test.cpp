// numeric routines and unit conversions, as tables of cases.
#include "foundation/utilmath.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <system_error>

#include "foundation/errorlist.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"

namespace qorva {
namespace {

constexpr long double pi = std::numbers::pi_v<long double>;
constexpr long double inf = std::numeric_limits<long double>::infinity();
const long double nan = std::numeric_limits<long double>::quiet_NaN();

class UtilmathTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

#define EXPECT_LD_NEAR(a, b, eps) \
  EXPECT_LE(std::fabs(static_cast<long double>(a) - static_cast<long double>(b)), (eps)) << (double)(a) << " vs " << (double)(b)

TEST_F(UtilmathTest, PowNegativeBaseIsReportedByName) {
  EXPECT_LD_NEAR(Pow("cube", -8.0L, 1.0L / 3.0L), 2.0L, 1e-15L);
  ASSERT_EQ(errorList.ErrorCount, 1);
  EXPECT_EQ(errorList.ErrorMsgs[1], "cube (pow)");
  // Same name again: the list keeps one entry.
  Pow("cube", -27.0L, 1.0L / 3.0L);
  EXPECT_EQ(errorList.ErrorCount, 1);
}

TEST_F(UtilmathTest, PowNegativeBaseSilentCases) {
  EXPECT_LD_NEAR(Pow("", -8.0L, 1.0L / 3.0L), 2.0L, 1e-15L);
  EXPECT_EQ(errorList.ErrorCount, 0);
  desktopSettings.HideWarnings = true;
  EXPECT_LD_NEAR(Pow("cube", -8.0L, 1.0L / 3.0L), 2.0L, 1e-15L);
  EXPECT_EQ(errorList.ErrorCount, 0);
}

TEST_F(UtilmathTest, PowTable) {
  struct Case {
    long double x, y, expected;
  };
  const Case cases[] = {
      {2.0L, 10.0L, 1024.0L},
      {0.0L, 5.0L, 0.0L},
      {0.0L, 0.0L, 0.0L},    // x = 0 gives 0 whatever y
      {0.0L, -1.0L, 0.0L},
      {5.0L, 0.0L, 1.0L},
      {-2.0L, 2.0L, 4.0L},
      {-2.0L, 3.0L, 8.0L},   // the absolute value is taken: no sign
      // Negative bases are not capped at 10^3000 and 0, only kept finite.
      {-10.0L, 1500.0L, std::exp(1500.0L * std::log(10.0L))},
      {-10.0L, -4000.0L, std::exp(-4000.0L * std::log(10.0L))},
      {-10.0L, 5000.0L, PowCap},
      {10.0L, 5000.0L, PowCap},
      {10.0L, -5000.0L, 0.0L},
      {inf, 1.0L, PowCap},
      {inf, 0.0L, 1.0L},
      {1.0L, inf, 1.0L},
      {nan, 2.0L, 0.0L},
      {2.0L, nan, 0.0L},
      {0.5L, inf, 0.0L},
  };
  for (const Case& c : cases) {
    const long double r = Pow("", c.x, c.y);
    EXPECT_TRUE(std::isfinite(r)) << (double)c.x << "^" << (double)c.y;
    EXPECT_LD_NEAR(r, c.expected, std::fabs(c.expected) * 1e-17L) << (double)c.x << "^" << (double)c.y;
  }
}

TEST_F(UtilmathTest, PowCapAppliesOnlyAbove3000) {
  const long double x = 10.0L;
  // Find y with y * ln x == 3000 exactly in extended precision.
  long double y = 3000.0L / std::log(x);
  for (int i = 0; i < 64 && y * std::log(x) != 3000.0L; ++i) {
    y = (y * std::log(x) < 3000.0L) ? std::nextafter(y, inf) : std::nextafter(y, -inf);
  }
  ASSERT_EQ(y * std::log(x), 3000.0L);
  EXPECT_EQ(Pow("", x, y), std::exp(3000.0L));
  EXPECT_NE(Pow("", x, y), PowCap);
  long double above = std::nextafter(y, inf);
  while (above * std::log(x) <= 3000.0L) above = std::nextafter(above, inf);
  EXPECT_EQ(Pow("", x, above), PowCap);
  EXPECT_TRUE(std::isfinite(PowCap));
  EXPECT_EQ(Pow("", x, -y), std::exp(-3000.0L));
  EXPECT_GT(Pow("", x, -y), 0.0L);
}

TEST_F(UtilmathTest, PowerInt) {
  struct Case {
    int32_t n;
    long double x, expected;
  };
  const Case cases[] = {
      {0, 5.0L, 1.0L},  {0, 0.0L, 1.0L},   {1, 7.0L, 7.0L},     {3, 2.0L, 8.0L},    {-2, 2.0L, 0.25L},
      {3, -2.0L, -8.0L}, {4, -2.0L, 16.0L}, {10, 10.0L, 1e10L}, {-3, 10.0L, 1e-3L}, {5, 0.0L, 0.0L},
  };
  for (const Case& c : cases) EXPECT_EQ(PowerInt(c.n, c.x), c.expected) << c.n << " " << (double)c.x;
  // Huge exponents end as soon as the product leaves the finite non-zero range.
  EXPECT_EQ(PowerInt(INT32_MAX, 10.0L), inf);
  EXPECT_EQ(PowerInt(INT32_MIN, 10.0L), 0.0L);
  EXPECT_EQ(PowerInt(INT32_MAX, -10.0L), -inf);
  EXPECT_EQ(PowerInt(INT32_MAX, 0.5L), 0.0L);
  EXPECT_EQ(PowerInt(INT32_MAX, 1.0L), 1.0L);
  EXPECT_EQ(PowerInt(INT32_MAX, -1.0L), -1.0L);
  EXPECT_EQ(PowerInt(INT32_MIN, -1.0L), 1.0L);
}

TEST_F(UtilmathTest, RoundDecHalfToEven) {
  struct Case {
    int32_t n;
    long double x, expected;
  };
  const Case cases[] = {
      {0, 2.5L, 2.0L},     {0, 3.5L, 4.0L},      {0, -2.5L, -2.0L}, {0, -3.5L, -4.0L}, {0, 2.4999L, 2.0L},
      {0, 2.5001L, 3.0L},  {1, 0.25L, 0.2L},     {1, 0.75L, 0.8L},  {-1, 25.0L, 20.0L}, {-1, 35.0L, 40.0L},
      {-2, 149.0L, 100.0L}, {2, 3.14159L, 3.14L}, {3, 0.0L, 0.0L},
  };
  for (const Case& c : cases) {
    EXPECT_LD_NEAR(RoundDec(c.n, c.x), c.expected, 1e-17L) << c.n << " " << (double)c.x;
  }
  // Beyond the extended range nothing breaks.
  EXPECT_EQ(RoundDec(6000, 1.5L), 1.5L);
  EXPECT_EQ(RoundDec(-6000, 12345.0L), 0.0L);
  EXPECT_EQ(RoundDec(10, 1e4900L), 1e4900L);
}

TEST_F(UtilmathTest, ArcTanXYQuadrants) {
  struct Case {
    long double x, y, expected;
  };
  const Case cases[] = {
      {1, 0, 0},
      {0, 0, pi / 2},
      {0, 1, pi / 2},
      {0, -1, -pi / 2},
      {-0.0L, -1, -pi / 2},
      {-1, 0, pi},
      {1, 1, pi / 4},
      {-1, 1, 3 * pi / 4},
      {-1, -1, 5 * pi / 4},
      {1, -1, -pi / 4},
      {1e-4000L, 1, pi / 2},
  };
  for (const Case& c : cases) {
    EXPECT_LD_NEAR(ArcTanXY(c.x, c.y), c.expected, 1e-18L) << (double)c.x << "," << (double)c.y;
    EXPECT_EQ(ArcTanYX(c.y, c.x), ArcTanXY(c.x, c.y));
    const long double a = ArcTanXY(c.x, c.y);
    EXPECT_GE(a, -pi / 2);
    EXPECT_LT(a, 3 * pi / 2);
  }
}

TEST_F(UtilmathTest, PolarRoundTrip) {
  long double r, phi, x, y;
  XYToPolar(r, phi, -3.0L, 4.0L);
  EXPECT_LD_NEAR(r, 5.0L, 1e-18L);
  PolarToXY(x, y, r, phi);
  EXPECT_LD_NEAR(x, -3.0L, 1e-17L);
  EXPECT_LD_NEAR(y, 4.0L, 1e-17L);
  EXPECT_EQ(Hypot(3.0L, 4.0L), 5.0L);
  EXPECT_LD_NEAR(RadToDeg(pi), 180.0L, 1e-16L);
  EXPECT_LD_NEAR(DegToRad(90.0L), pi / 2, 1e-18L);
  EXPECT_LD_NEAR(Tangent(pi / 4), 1.0L, 1e-18L);
}

TEST_F(UtilmathTest, LogsAndFloor) {
  EXPECT_EQ(SafeLog10(0.0L), 0.0L);
  EXPECT_EQ(SafeLog10(-5.0L), 0.0L);
  EXPECT_EQ(SafeLog10(nan), 0.0L);
  EXPECT_LD_NEAR(SafeLog10(1000.0L), 3.0L, 1e-18L);
  EXPECT_LD_NEAR(PowerOf10(2.0L), 100.0L, 1e-15L);
  struct Case {
    long double x, expected;
  };
  const Case floors[] = {{-2.0L, -3.0L}, {2.0L, 2.0L}, {-0.5L, -1.0L}, {-2.5L, -3.0L},
                         {2.7L, 2.0L},   {0.0L, 0.0L}, {-0.0L, 0.0L}};
  for (const Case& c : floors) EXPECT_EQ(FloorReal(c.x), c.expected) << (double)c.x;
}

TEST_F(UtilmathTest, DecadeOf) {
  struct Case {
    long double x;
    int32_t expected;
  };
  const Case cases[] = {
      {0.0L, 0},    {950.0L, 2}, {0.02L, -2}, {0.01L, -3}, {-950.0L, 2}, {5.0L, 0},
      {0.5L, -1},   {12.0L, 1},  {inf, 0},    {nan, 0},    {1e4000L, 4000},
  };
  for (const Case& c : cases) EXPECT_EQ(DecadeOf(c.x), c.expected) << (double)c.x;
}

// Every power of ten an extended value can hold, and its neighbours: no rounding of a logarithm may
// move one of them into the next decade (ln x / ln 10 misses 1e4000 by an ulp on some machines).
TEST_F(UtilmathTest, DecadeOfEveryPowerOfTenIsExact) {
  for (int32_t k = -4931; k <= 4932; ++k) {  // the normal range; the reader takes no subnormal
    const std::string text = "1e" + std::to_string(k);
    long double p = 0.0L;
    ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), p).ec, std::errc()) << text;
    // Below 1 a power of ten belongs to the decade beneath it, as FloorReal(-2) = -3 has it.
    EXPECT_EQ(DecadeOf(p), k >= 0 ? k : k - 1) << text;
    EXPECT_EQ(DecadeOf(-p), k >= 0 ? k : k - 1) << "-" << text;
    EXPECT_EQ(DecadeOf(std::nextafter(p, 0.0L)), k - 1) << "just below " << text;
    if (k < 4932) {
      EXPECT_EQ(DecadeOf(std::nextafter(p, inf)), k) << "just above " << text;
    }
  }
  EXPECT_EQ(DecadeOf(std::numeric_limits<long double>::max()), 4932);
  EXPECT_EQ(DecadeOf(std::numeric_limits<long double>::denorm_min()), -4951);
  EXPECT_LD_NEAR(SafeLog10(1e4000L), 4000.0L, 1e-12L);
}

TEST_F(UtilmathTest, NiceAxisRangeTable) {
  struct Case {
    long double min, max;
    int32_t n;
    long double step, newMin, newMax;
  };
  const Case cases[] = {
      {0, 100, 10, 10, 0, 100},  // max lowered by 0.001 first, so 100 stays the top
      {5, 5, 4, 0.5L, 4, 6},     // equal limits are widened by 1 each
      {0, 1, 5, 0.2L, 0, 1},
      {-3, 17, 4, 5, -5, 20},
      {0, 37, 10, 5, 0, 40},
      {0, 1000, 3, 500, 0, 1000},
      // FloorReal of an exact negative multiple goes one step further down (-5 -> -6).
      {-10, 0, 5, 2, -12, 0},
      {0, 100, 0, 100, 0, 100},  // n below 1 counts as 1
  };
  for (const Case& c : cases) {
    long double newMin = 99, newMax = 99, step = 99;
    NiceAxisRange(newMin, newMax, step, c.min, c.max, c.n);
    const long double eps = 1e-12L * std::fabs(c.step);
    EXPECT_LD_NEAR(step, c.step, eps) << (double)c.min << ".." << (double)c.max << "/" << c.n;
    EXPECT_LD_NEAR(newMin, c.newMin, eps) << (double)c.min << ".." << (double)c.max << "/" << c.n;
    EXPECT_LD_NEAR(newMax, c.newMax, eps) << (double)c.min << ".." << (double)c.max << "/" << c.n;
  }
}

TEST_F(UtilmathTest, Rotations) {
  long double x, y;
  RotateVector(x, y, 1.0L, 0.0L, pi / 2);
  EXPECT_LD_NEAR(x, 0.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 1.0L, 1e-18L);
  RotateTranslate(x, y, 1.0L, 2.0L, 90.0L, 1.0L, 0.0L);
  EXPECT_LD_NEAR(x, 1.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 3.0L, 1e-18L);
  ScaleRotateTranslate(x, y, 2.0L, 3.0L, 0.0L, 0.0L, 90.0L, 1.0L, 1.0L);
  EXPECT_LD_NEAR(x, -3.0L, 1e-17L);
  EXPECT_LD_NEAR(y, 2.0L, 1e-17L);
}

TEST_F(UtilmathTest, CompareMinMax) {
  EXPECT_FALSE(RealEq(1.0L, 1.00002L));
  EXPECT_TRUE(RealEq(1.0L, 1.000005L));
  EXPECT_FALSE(RealEq(0.0L, 1e-5L));  // strictly below
  EXPECT_EQ(RMax(1.0L, 2.0L), 2.0L);
  EXPECT_EQ(RMin(1.0L, 2.0L), 1.0L);
  EXPECT_EQ(IMax(-1, 3), 3);
  EXPECT_EQ(IMin(-1, 3), -1);
  struct Case {
    int32_t lo, hi, x, expected;
  };
  const Case cases[] = {{1, 5, 7, 5}, {1, 5, -3, 1}, {1, 5, 3, 3}, {1, 5, 1, 1}, {1, 5, 5, 5}};
  for (const Case& c : cases) EXPECT_EQ(ClampInt(c.lo, c.hi, c.x), c.expected);
  long double a = 1, b = 2;
  SwapReal(a, b);
  EXPECT_EQ(a, 2.0L);
  EXPECT_EQ(b, 1.0L);
  EXPECT_EQ(RoundToDouble(0.1L), 0.1);
}

TEST_F(UtilmathTest, AngleDiffDeg) {
  struct Case {
    long double a1, a2, expected;
  };
  const Case cases[] = {{350, 10, 20}, {10, 350, 340}, {0, 0, 0}, {90, 180, 90}, {180, 90, 270}, {0, 360, 0}};
  for (const Case& c : cases) {
    EXPECT_LD_NEAR(AngleDiffDeg(c.a1, c.a2), c.expected, 1e-15L) << (double)c.a1 << "->" << (double)c.a2;
  }
}

TEST_F(UtilmathTest, UnitConversionValues) {
  EXPECT_EQ(InchToMm(1.0L), 25.4L);
  EXPECT_EQ(MmToInch(25.4L), 1.0L);
  EXPECT_EQ(PsiToMPa(145.037L), 1.0L);
  EXPECT_EQ(MPaToPsi(1.0L), 145.037L);
  EXPECT_EQ(NmmToLbfIn(112.984788L), 1.0L);
  EXPECT_EQ(NToLbf(4.44822L), 1.0L);
  EXPECT_EQ(LbfToN(1.0L), 4.44822L);
  EXPECT_EQ(CToF(100.0L), 212.0L);
  EXPECT_EQ(CToF(-40.0L), -40.0L);
  EXPECT_EQ(FToC(212.0L), 100.0L);
  EXPECT_LD_NEAR(GramToLb(453.59237L), 1.0L, 1e-18L);
}

TEST_F(UtilmathTest, UnitConversionRoundTrips) {
  const long double values[] = {0.0L, 1.0L, -1.0L, 0.1L, 12.345L, 1e6L, -273.15L};
  for (long double v : values) {
    const long double eps = 1e-17L * (1.0L + std::fabs(v));
    EXPECT_LD_NEAR(MmToInch(InchToMm(v)), v, eps);
    EXPECT_LD_NEAR(InchToMm(MmToInch(v)), v, eps);
    EXPECT_LD_NEAR(PsiToMPa(MPaToPsi(v)), v, eps);
    EXPECT_LD_NEAR(LbfToN(NToLbf(v)), v, eps);
    EXPECT_LD_NEAR(FToC(CToF(v)), v, eps * 100);
  }
}

}  // namespace
}  // namespace qorva
