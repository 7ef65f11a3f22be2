// Strip tolerance tables at their class limits, their range warnings, and the standard series.
#include "spring/striptolerances.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/desktopsettings.h"
#include "spring/familydata.h"

namespace qorva {
namespace {

std::vector<std::string> Messages() {
  std::vector<std::string> out;
  for (uint16_t i = 1; i <= errorList.ErrorCount; ++i) out.push_back(errorList.ErrorMsgs[i]);
  return out;
}

class StripTolerancesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearErrorList();
    savedUnits_ = desktopSettings.UnitSystem;
    savedError_ = programState.ErrorFlag;
    savedFatal_ = programState.FatalError;
    desktopSettings.UnitSystem = 0;
    programState.ErrorFlag = false;
    programState.FatalError = false;
  }
  void TearDown() override {
    desktopSettings.UnitSystem = savedUnits_;
    programState.ErrorFlag = savedError_;
    programState.FatalError = savedFatal_;
    ClearErrorList();
  }

 private:
  uint16_t savedUnits_ = 0;
  bool savedError_ = false;
  bool savedFatal_ = false;
};

struct TolCase {
  int32_t standard;
  long double t;
  long double b;
  long double expected;
  std::vector<std::string> messages;
};

void CheckCases(long double (*fn)(int32_t, long double, long double), const std::vector<TolCase>& cases) {
  for (const auto& c : cases) {
    ClearErrorList();
    SCOPED_TRACE(testing::Message() << "standard " << c.standard << " t " << static_cast<double>(c.t)
                                    << " b " << static_cast<double>(c.b));
    EXPECT_NEAR(static_cast<double>(fn(c.standard, c.t, c.b)), static_cast<double>(c.expected), 1e-12);
    EXPECT_EQ(Messages(), c.messages);
  }
}

TEST_F(StripTolerancesTest, ThicknessToleranceAtClassLimits) {
  const std::string en10140t = "Warnung: EN 10140: t < 10 !";
  const std::string en10140w = "Warnung: EN10140: W < 600 !";
  CheckCases(StripThicknessTolerance, {
      // EN 10140: upper limits inclusive, width classes b < 125 and above.
      {TolEn10140B, 0.25L, 100, 0.012L, {}},
      {TolEn10140B, 0.2501L, 100, 0.015L, {}},
      {TolEn10140A, 0.1L, 100, 0.008L, {}},
      {TolEn10140A, 0.1001L, 124.9L, 0.010L, {}},
      {TolEn10140C, 0.1001L, 125, 0.010L, {}},
      {TolEn10140C, 8.0L, 124, 0.040L, {}},
      {TolEn10140C, 8.01L, 125, 0.050L, {}},
      {TolEn10140A, 10.0L, 599, 0.100L, {}},
      {TolEn10140A, 12.0L, 700, 0.100L, {en10140t, en10140w}},
      {TolEn10140B, 1.0L, 600, 0.030L, {en10140w}},
      // EN 10092-1.
      {TolEn10092, 20.0L, 100, 0.25L, {}},
      {TolEn10092, 20.01L, 100, 0.3L, {}},
      {TolEn10092, 40.0L, 100, 0.3L, {}},
      {TolEn10092, 60.0L, 100, 0.5L, {}},
      {TolEn10092, 60.5L, 100, 0.0L, {"Fehler : EN10092: t < 60 !"}},
      // ISO 9445-1: lower limits inclusive, 0.1 <= t < 3, b < 600.
      {TolIso9445F, 0.05L, 100, 0.0L, {}},
      {TolIso9445F, 0.05L, 700, 0.0L, {"Warnung: ISO 9445 w<600mm", "Warnung: ISO 9445: w < 600 mm !"}},
      {TolIso9445N, 0.1L, 124.9L, 0.010L, {}},
      {TolIso9445P, 0.1L, 125, 0.008L, {}},
      {TolIso9445F, 0.149L, 250, 0.015L, {}},
      {TolIso9445N, 0.25L, 100, 0.017L, {}},
      {TolIso9445P, 2.999L, 599, 0.045L, {}},
      {TolIso9445N, 3.0L, 100, 0.0L, {"Warnung: ISO 9445: t < 3 mm !"}},
      {TolIso9445N, 1.0L, 600, 0.0L, {"Warnung: ISO 9445: w < 600 mm !"}},
      {TolIso9445N, 4.0L, 650, 0.0L, {"Warnung: ISO 9445: t < 3 mm !", "Warnung: ISO 9445: w < 600 mm !"}},
      // Typed in and unknown numbers.
      {TolTypedIn, 0.5L, 50, 0.0L, {}},
      {8, 0.5L, 50, 0.0L, {}},
      {-1, 0.5L, 50, 0.0L, {}},
  });
}

TEST_F(StripTolerancesTest, WidthToleranceAtClassLimits) {
  const std::string en10140w = "Warnung: EN10140: w<600mm !";
  CheckCases(StripWidthTolerance, {
      // EN 10140: column A, and one column for B and C.
      {TolEn10140A, 0.6L, 124, 0.15L, {}},
      {TolEn10140B, 0.61L, 125, 0.18L, {}},
      {TolEn10140C, 0.61L, 249.9L, 0.18L, {}},
      {TolEn10140C, 6.0L, 250, 0.35L, {}},
      {TolEn10140B, 6.5L, 300, 0.0L, {}},  // the standard gives no value
      {TolEn10140A, 12.0L, 700, 0.60L, {en10140w}},  // no thickness warning here
      // EN 10092-1.
      {TolEn10092, 5, 40, 0.5L, {"Warnung: EN10092: b>50mm"}},
      {TolEn10092, 5, 50, 0.5L, {"Warnung: EN10092: b>50mm"}},
      {TolEn10092, 5, 50.1L, 0.5L, {}},
      {TolEn10092, 5, 80.1L, 0.6L, {}},
      {TolEn10092, 5, 100.1L, 0.7L, {}},
      {TolEn10092, 5, 120, 0.7L, {}},
      {TolEn10092, 5, 121, 0.8L, {}},
      {TolEn10092, 5, 150, 0.8L, {}},
      {TolEn10092, 5, 151, 0.8L, {"Warnung: EN10092: b<150mm"}},
      // ISO 9445-1.
      {TolIso9445N, 0.249L, 40, 0.170L, {}},
      {TolIso9445F, 0.25L, 40.1L, 0.200L, {}},
      {TolIso9445P, 0.99L, 250, 0.200L, {}},
      {TolIso9445N, 1.5L, 40, 0.0L, {}},  // the standard gives no value
      {TolIso9445F, 1.5L, 41, 0.250L, {}},
      {TolIso9445P, 3.0L, 600, 0.800L, {}},
      {TolIso9445N, 3.01L, 601, 0.0L, {"Warnung: ISO 9445-1: t <= 3 mm !", "Warnung: ISO 9445-1: w < 600 mm !"}},
      {TolTypedIn, 0.5L, 50, 0.0L, {}},
  });
}

TEST_F(StripTolerancesTest, WarningsJoinTheMessageListOnce) {
  StripThicknessTolerance(TolEn10140A, 12, 700);
  StripThicknessTolerance(TolEn10140A, 12, 700);
  EXPECT_EQ(errorList.ErrorCount, 2);
  EXPECT_FALSE(programState.FatalError);
}

TEST_F(StripTolerancesTest, StandardChosenFromDesignation) {
  EXPECT_EQ(ToleranceStandardForMaterial("51CrV4 1.8159 EN 10089"), TolEn10092);
  EXPECT_EQ(ToleranceStandardForMaterial("X10CrNi18-8 1.4310 EN 10151"), TolIso9445N);
  EXPECT_EQ(ToleranceStandardForMaterial("EN 10151 / EN 10089"), TolEn10092);
  EXPECT_EQ(ToleranceStandardForMaterial("C75S 1.1248 EN 10132-4"), TolEn10140A);
  EXPECT_EQ(ToleranceStandardForMaterial(""), TolEn10140A);

  FamilyData g;
  g.MaterialText = "X10CrNi18-8 1.4310 EN 10151";
  SelectToleranceStandard(g);
  EXPECT_EQ(g.ToleranceStandard, TolIso9445N);
  g.MaterialText = "51CrV4 EN 10089";
  SelectToleranceStandard(g);
  EXPECT_EQ(g.ToleranceStandard, TolEn10092);
}

struct StepCase {
  int32_t step;
  long double x;
  long double expected;
};

TEST_F(StripTolerancesTest, MetricThicknessSeries) {
  const std::vector<StepCase> cases = {
      {0, 0.42L, 0.5L},    {0, 9.0L, 9.0L},     {0, 8.0L, 8.0L},   {0, 0.0L, 0.08L},  {0, -1.0L, 0.08L},
      {0, 0.08L, 0.08L},   {1, 8.0L, 10.0L},    {5, 8.0L, 10.0L},  {1, 9.0L, 9.0L},   {-1, 9.0L, 9.0L},
      {-1, 0.42L, 0.4L},   {1, 0.42L, 0.6L},    {-1, 0.08L, 0.08L}, {-100, 0.42L, 0.08L},
      {INT_MIN, 0.42L, 0.08L}, {INT_MAX, 0.42L, 10.0L}, {2, 1.0L, 1.5L},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "step " << c.step << " t " << static_cast<double>(c.x));
    EXPECT_EQ(StandardThickness(c.step, c.x), c.expected);
  }
}

TEST_F(StripTolerancesTest, WidthSeries) {
  const std::vector<StepCase> metric = {
      {0, 99.0L, 100.0L}, {0, 108.9L, 108.9L}, {1, 99.0L, 120.0L}, {1, 100.0L, 120.0L},
      {0, 4.0L, 5.0L},    {-1, 5.0L, 5.0L},    {-2, 26.0L, 20.0L}, {0, 120.0L, 120.0L},
  };
  for (const auto& c : metric) {
    SCOPED_TRACE(testing::Message() << "metric step " << c.step << " b " << static_cast<double>(c.x));
    EXPECT_EQ(StandardWidth(c.step, c.x), c.expected);
  }
  desktopSettings.UnitSystem = 1;
  const std::vector<StepCase> english = {
      {0, 25.0L, 25.4L}, {0, 100.0L, 100.0L}, {1, 88.9L, 101.6L}, {-1, 3.0L, 3.175L}, {0, 3.0L, 3.175L},
  };
  for (const auto& c : english) {
    SCOPED_TRACE(testing::Message() << "english step " << c.step << " b " << static_cast<double>(c.x));
    EXPECT_EQ(StandardWidth(c.step, c.x), c.expected);
  }
}

TEST_F(StripTolerancesTest, EnglishSeriesAndErrorFlag) {
  desktopSettings.UnitSystem = 1;
  EXPECT_EQ(StandardThickness(0, 0.42L), 0.4572L);
  EXPECT_EQ(StandardThickness(1, 2.286L), 2.54L);
  EXPECT_EQ(StandardThickness(0, 2.3L), 2.3L);
  programState.ErrorFlag = true;
  EXPECT_EQ(StandardThickness(0, 0.42L), 0.42L);
  EXPECT_EQ(StandardWidth(0, 25.0L), 25.0L);
  desktopSettings.UnitSystem = 0;  // the metric series does not look at the flag
  EXPECT_EQ(StandardThickness(0, 0.42L), 0.5L);
  EXPECT_EQ(StandardWidth(0, 99.0L), 100.0L);
}

TEST_F(StripTolerancesTest, ValuesThatOnlyMissALimitByRoundingKeepTheirClass) {
  // A thickness that went through a double, and an inch size converted to mm, are the sizes meant.
  const long double viaDouble = static_cast<long double>(0.1);
  ASSERT_GT(viaDouble, 0.1L);
  EXPECT_EQ(StandardThickness(0, viaDouble), 0.1L);
  EXPECT_NEAR(static_cast<double>(StripThicknessTolerance(TolEn10140A, viaDouble, 100)), 0.008, 1e-12);
  EXPECT_NEAR(static_cast<double>(StripWidthTolerance(TolEn10140A, static_cast<long double>(0.6), 100)), 0.15,
              1e-12);
  desktopSettings.UnitSystem = 1;
  for (int32_t i = 1; i < ThicknessSeriesCount; ++i) {
    const long double inches = StandardThicknessValue(true, i) / 25.4L;
    EXPECT_EQ(StandardThickness(0, inches * 25.4L), StandardThicknessValue(true, i)) << "value " << i;
  }
}

TEST_F(StripTolerancesTest, SeriesValuesOutsideTheirRangeAreZero) {
  EXPECT_EQ(StandardThicknessValue(false, 0), 0.0L);
  EXPECT_EQ(StandardThicknessValue(false, 1), 0.08L);
  EXPECT_EQ(StandardThicknessValue(true, ThicknessSeriesCount), 2.54L);
  EXPECT_EQ(StandardThicknessValue(true, ThicknessSeriesCount + 1), 0.0L);
  EXPECT_EQ(StandardWidthValue(false, MetricWidthSeriesCount), 120.0L);
  EXPECT_EQ(StandardWidthValue(false, MetricWidthSeriesCount + 1), 0.0L);
  EXPECT_EQ(StandardWidthValue(true, EnglishWidthSeriesCount), 101.6L);
}

}  // namespace
}  // namespace qorva
