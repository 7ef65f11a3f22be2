// striptolerances: strip tolerance standards and standard strip dimensions.
#include "spring/striptolerances.h"

#include <algorithm>
#include <array>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/desktopsettings.h"
#include "spring/familydata.h"

namespace qorva {

namespace {

// Class limits are compared with a margin far below any strip dimension, so that a value that only
// differs from a limit by binary rounding (an inch size converted to mm, a double read from a file)
// falls into the class of the limit it was meant as.
constexpr long double kEps = 1e-9L;

bool AtMost(long double x, long double limit) { return x <= limit + kEps; }
bool Below(long double x, long double limit) { return x < limit - kEps; }

// EN 10140 thickness tolerance in µm; upper class limits inclusive, the last row holds everything above 8.
struct En10140ThicknessRow {
  long double tMax;
  std::array<int, 3> narrow;  // b < 125: A, B, C
  std::array<int, 3> wide;    // b >= 125: A, B, C
};
constexpr std::array<En10140ThicknessRow, 12> kEn10140Thickness{{
    {0.1L, {8, 6, 4}, {10, 8, 5}},
    {0.15L, {10, 8, 5}, {15, 12, 10}},
    {0.25L, {15, 12, 8}, {20, 15, 10}},
    {0.4L, {20, 15, 10}, {25, 20, 12}},
    {0.6L, {25, 20, 12}, {30, 25, 15}},
    {1.0L, {30, 25, 15}, {35, 30, 20}},
    {1.5L, {35, 30, 20}, {40, 35, 25}},
    {2.5L, {45, 35, 25}, {50, 40, 30}},
    {4.0L, {50, 40, 30}, {60, 50, 35}},
    {6.0L, {60, 50, 35}, {70, 55, 40}},
    {8.0L, {75, 60, 40}, {85, 65, 45}},
    {10.0L, {90, 70, 45}, {100, 75, 50}},
}};

// EN 10140 width tolerance in 1/100 mm by width class (b < 125, b < 250, above); per class column A and
// the column of B and C. 0: the standard gives no value.
struct En10140WidthRow {
  long double tMax;
  std::array<std::array<int, 2>, 3> byWidth;
};
constexpr std::array<En10140WidthRow, 7> kEn10140Width{{
    {0.6L, {{{15, 10}, {20, 13}, {25, 18}}}},
    {1.5L, {{{20, 13}, {25, 18}, {30, 20}}}},
    {2.5L, {{{25, 18}, {30, 20}, {35, 25}}}},
    {4.0L, {{{30, 20}, {35, 25}, {40, 30}}}},
    {6.0L, {{{35, 25}, {40, 30}, {45, 35}}}},
    {8.0L, {{{45, 0}, {50, 0}, {55, 0}}}},
    {10.0L, {{{50, 0}, {55, 0}, {60, 0}}}},
}};

// ISO 9445-1 thickness tolerance in µm; lower class limits inclusive, from 0.1 to below 3. Width classes
// b < 125, b < 250, b < 600; columns N, F, P.
struct Iso9445ThicknessRow {
  long double tFrom;
  std::array<std::array<int, 3>, 3> byWidth;
};
constexpr std::array<Iso9445ThicknessRow, 14> kIso9445Thickness{{
    {0.1L, {{{10, 8, 6}, {15, 12, 8}, {20, 15, 10}}}},
    {0.15L, {{{15, 10, 8}, {20, 12, 10}, {25, 15, 12}}}},
    {0.2L, {{{15, 12, 8}, {20, 15, 10}, {25, 20, 12}}}},
    {0.25L, {{{17, 12, 9}, {25, 15, 12}, {30, 20, 15}}}},
    {0.3L, {{{20, 15, 10}, {25, 20, 12}, {30, 25, 15}}}},
    {0.4L, {{{25, 20, 12}, {30, 20, 15}, {35, 25, 18}}}},
    {0.5L, {{{30, 20, 14}, {30, 25, 15}, {40, 30, 20}}}},
    {0.6L, {{{30, 25, 15}, {35, 30, 18}, {40, 35, 25}}}},
    {0.8L, {{{30, 25, 18}, {40, 30, 20}, {50, 35, 25}}}},
    {1.0L, {{{35, 30, 20}, {45, 35, 25}, {50, 40, 30}}}},
    {1.2L, {{{40, 30, 20}, {50, 35, 25}, {60, 45, 30}}}},
    {1.5L, {{{50, 35, 25}, {60, 40, 30}, {70, 50, 35}}}},
    {2.0L, {{{50, 35, 25}, {70, 45, 30}, {80, 60, 40}}}},
    {2.5L, {{{60, 45, 30}, {70, 50, 35}, {90, 70, 45}}}},
}};

// ISO 9445-1 width tolerance in µm. Thickness classes: below 0.25, 0.5, 1.0, 1.5, 2.5, then up to 3;
// width classes b <= 40, 125, 250, 600; columns N, F, P. 0: the standard gives no value.
constexpr std::array<long double, 5> kIso9445WidthTBelow{0.25L, 0.5L, 1.0L, 1.5L, 2.5L};
constexpr std::array<long double, 3> kIso9445WidthBMax{40.0L, 125.0L, 250.0L};
constexpr std::array<std::array<std::array<int, 3>, 4>, 6> kIso9445Width{{
    {{{170, 130, 100}, {200, 150, 120}, {250, 200, 150}, {500, 500, 400}}},
    {{{200, 150, 120}, {250, 200, 150}, {300, 220, 170}, {600, 500, 400}}},
    {{{250, 220, 150}, {250, 220, 170}, {400, 250, 200}, {700, 600, 500}}},
    {{{250, 220, 150}, {300, 250, 170}, {500, 300, 220}, {1000, 700, 600}}},
    {{{0, 0, 0}, {400, 250, 200}, {600, 400, 250}, {1000, 800, 600}}},
    {{{0, 0, 0}, {500, 300, 250}, {600, 400, 250}, {1200, 1000, 800}}},
}};

// Standard series, 1-based (index 0 unused).
constexpr std::array<long double, ThicknessSeriesCount + 1> kMetricThickness{
    0.0L, 0.08L, 0.1L, 0.15L, 0.2L, 0.25L, 0.3L, 0.35L, 0.4L, 0.5L, 0.6L, 0.7L, 0.8L,
    1.0L, 1.25L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 8.0L, 10.0L};
constexpr std::array<long double, ThicknessSeriesCount + 1> kEnglishThickness{
    0.0L,    0.0508L, 0.0762L, 0.1016L, 0.127L,  0.1524L, 0.2032L, 0.254L,
    0.3048L, 0.3556L, 0.4064L, 0.4572L, 0.508L,  0.5588L, 0.635L,  0.7112L,
    0.7874L, 0.9398L, 1.016L,  1.27L,   1.5494L, 1.905L,  2.286L,  2.54L};
constexpr std::array<long double, MetricWidthSeriesCount + 1> kMetricWidth{
    0.0L, 5.0L, 10.0L, 15.0L, 20.0L, 25.0L, 30.0L, 40.0L, 50.0L, 60.0L, 70.0L, 80.0L, 90.0L, 100.0L, 120.0L};
constexpr std::array<long double, EnglishWidthSeriesCount + 1> kEnglishWidth{
    0.0L,     3.175L, 4.7625L, 6.35L, 7.938L, 9.52L, 12.7L, 15.875L, 19.05L,
    25.4L, 30.1625L,   38.1L, 50.8L,  63.5L, 76.2L, 88.9L, 101.6L};

// The row of thickness t in a table of upper class limits: the first limit t stays within, the last
// row for anything above the last but one.
template <typename Table>
size_t RowUpTo(const Table& table, long double t) {
  for (size_t i = 0; i + 1 < table.size(); ++i)
    if (AtMost(t, table[i].tMax)) return i;
  return table.size() - 1;
}

// Width class of the tables that part at 125 and 250 mm: 0, 1 or 2.
size_t WidthClass(long double b) {
  if (Below(b, 125.0L)) return 0;
  return Below(b, 250.0L) ? 1 : 2;
}

long double ThicknessToleranceEn10140(int32_t standard, long double t, long double b) {
  const size_t row = RowUpTo(kEn10140Thickness, t);
  if (!AtMost(t, 10.0L)) AddErrorMsg("Warnung: EN 10140: t < 10 !");
  const bool wide = !Below(b, 125.0L);
  if (!Below(b, 600.0L)) AddErrorMsg("Warnung: EN10140: W < 600 !");
  const auto& cols = wide ? kEn10140Thickness[row].wide : kEn10140Thickness[row].narrow;
  return cols[static_cast<size_t>(standard - TolEn10140A)] / 1000.0L;
}

long double ThicknessToleranceIso9445(int32_t standard, long double t, long double b) {
  bool inRange = true;
  if (Below(t, 0.1L)) {
    if (b > 600.0L + kEps) AddErrorMsg("Warnung: ISO 9445 w<600mm");
    inRange = false;
  }
  if (!Below(t, 3.0L)) {
    AddErrorMsg("Warnung: ISO 9445: t < 3 mm !");
    inRange = false;
  }
  if (!Below(b, 600.0L)) {
    AddErrorMsg("Warnung: ISO 9445: w < 600 mm !");
    inRange = false;
  }
  if (!inRange) return 0.0L;
  size_t row = 0;
  for (size_t i = kIso9445Thickness.size(); i-- > 0;) {
    if (!Below(t, kIso9445Thickness[i].tFrom)) {
      row = i;
      break;
    }
  }
  const size_t widthClass = WidthClass(b);
  return kIso9445Thickness[row].byWidth[widthClass][static_cast<size_t>(standard - TolIso9445N)] / 1000.0L;
}

long double WidthToleranceEn10140(int32_t standard, long double t, long double b) {
  const size_t row = RowUpTo(kEn10140Width, t);
  const size_t widthClass = WidthClass(b);
  if (!Below(b, 600.0L)) AddErrorMsg("Warnung: EN10140: w<600mm !");
  const size_t col = standard == TolEn10140A ? 0 : 1;
  return kEn10140Width[row].byWidth[widthClass][col] / 100.0L;
}

long double WidthToleranceEn10092(long double b) {
  if (AtMost(b, 50.0L)) {
    AddErrorMsg("Warnung: EN10092: b>50mm");
    return 0.5L;
  }
  if (!AtMost(b, 150.0L)) {
    AddErrorMsg("Warnung: EN10092: b<150mm");
    return 0.8L;
  }
  if (AtMost(b, 80.0L)) return 0.5L;
  if (AtMost(b, 100.0L)) return 0.6L;
  if (AtMost(b, 120.0L)) return 0.7L;
  return 0.8L;
}

long double WidthToleranceIso9445(int32_t standard, long double t, long double b) {
  bool inRange = true;
  if (!AtMost(t, 3.0L)) {
    AddErrorMsg("Warnung: ISO 9445-1: t <= 3 mm !");
    inRange = false;
  }
  if (!AtMost(b, 600.0L)) {
    AddErrorMsg("Warnung: ISO 9445-1: w < 600 mm !");
    inRange = false;
  }
  if (!inRange) return 0.0L;
  size_t row = kIso9445WidthTBelow.size();
  for (size_t i = 0; i < kIso9445WidthTBelow.size(); ++i) {
    if (Below(t, kIso9445WidthTBelow[i])) {
      row = i;
      break;
    }
  }
  size_t widthClass = kIso9445WidthBMax.size();
  for (size_t i = 0; i < kIso9445WidthBMax.size(); ++i) {
    if (AtMost(b, kIso9445WidthBMax[i])) {
      widthClass = i;
      break;
    }
  }
  return kIso9445Width[row][widthClass][static_cast<size_t>(standard - TolIso9445N)] / 1000.0L;
}

// Steps on a 1-based series of n values. The search looks at values 1..n-1 only, so the last value is
// reached by stepping up alone.
long double StepSeries(const long double* series, int32_t n, int32_t step, long double x, bool english) {
  int32_t i = 0;
  for (int32_t k = 1; k <= n - 1; ++k) {
    if (!Below(series[k], x)) {
      i = k;
      break;
    }
  }
  if (i == 0) return x;
  if (english && programState.ErrorFlag) return x;
  // 64-bit sum: any step the caller passes is clamped onto the series, never overflows.
  int64_t j = static_cast<int64_t>(i) + step;
  j = std::clamp<int64_t>(j, 1, n);
  return series[static_cast<size_t>(j)];
}

bool EnglishUnits() { return desktopSettings.UnitSystem == 1; }

}  // namespace

long double StripThicknessTolerance(int32_t standard, long double t, long double b) {
  switch (standard) {
    case TolEn10140A:
    case TolEn10140B:
    case TolEn10140C:
      return ThicknessToleranceEn10140(standard, t, b);
    case TolEn10092:
      if (!AtMost(t, 60.0L)) {
        AddErrorMsg("Fehler : EN10092: t < 60 !");
        return 0.0L;
      }
      if (AtMost(t, 20.0L)) return 0.25L;
      if (AtMost(t, 40.0L)) return 0.3L;
      return 0.5L;
    case TolIso9445N:
    case TolIso9445F:
    case TolIso9445P:
      return ThicknessToleranceIso9445(standard, t, b);
    default:
      return 0.0L;
  }
}

long double StripWidthTolerance(int32_t standard, long double t, long double b) {
  switch (standard) {
    case TolEn10140A:
    case TolEn10140B:
    case TolEn10140C:
      return WidthToleranceEn10140(standard, t, b);
    case TolEn10092:
      return WidthToleranceEn10092(b);
    case TolIso9445N:
    case TolIso9445F:
    case TolIso9445P:
      return WidthToleranceIso9445(standard, t, b);
    default:
      return 0.0L;
  }
}

int32_t ToleranceStandardForMaterial(const std::string& materialText) {
  if (materialText.find("10089") != std::string::npos) return TolEn10092;
  if (materialText.find("10151") != std::string::npos) return TolIso9445N;
  return TolEn10140A;
}

void SelectToleranceStandard(FamilyData& g) { g.ToleranceStandard = ToleranceStandardForMaterial(g.MaterialText); }

long double StandardThicknessValue(bool english, int32_t i) {
  if (i < 1 || i > ThicknessSeriesCount) return 0.0L;
  return (english ? kEnglishThickness : kMetricThickness)[static_cast<size_t>(i)];
}

long double StandardWidthValue(bool english, int32_t i) {
  if (english) {
    return i >= 1 && i <= EnglishWidthSeriesCount ? kEnglishWidth[static_cast<size_t>(i)] : 0.0L;
  }
  return i >= 1 && i <= MetricWidthSeriesCount ? kMetricWidth[static_cast<size_t>(i)] : 0.0L;
}

long double StandardThickness(int32_t step, long double t) {
  const bool english = EnglishUnits();
  const auto& series = english ? kEnglishThickness : kMetricThickness;
  return StepSeries(series.data(), ThicknessSeriesCount, step, t, english);
}

long double StandardWidth(int32_t step, long double b) {
  const bool english = EnglishUnits();
  if (english) return StepSeries(kEnglishWidth.data(), EnglishWidthSeriesCount, step, b, true);
  return StepSeries(kMetricWidth.data(), MetricWidthSeriesCount, step, b, false);
}

}  // namespace qorva
