#pragma once
// striptolerances: strip tolerance standards. Thickness and width tolerances (± mm) of cold-rolled spring strip
// after EN 10140 (classes A, B, C), EN 10092-1 and ISO 9445-1 (classes N, F, P); the standard that fits a
// material designation; the standard strip thickness and width series the geometry form rounds to.
// Warnings of the standards' ranges go to the calculation's message list (AddErrorMsg).
// Reads desktopSettings.UnitSystem and programState.ErrorFlag (series).

#include <cstdint>
#include <string>

namespace qorva {

struct FamilyData;

// Tolerance standard numbers (ToleranceStandard; names in ToleranceClassNames).
inline constexpr int32_t TolTypedIn = 0;
inline constexpr int32_t TolEn10140A = 1;
inline constexpr int32_t TolEn10140B = 2;
inline constexpr int32_t TolEn10140C = 3;
inline constexpr int32_t TolEn10092 = 4;
inline constexpr int32_t TolIso9445N = 5;
inline constexpr int32_t TolIso9445F = 6;
inline constexpr int32_t TolIso9445P = 7;

// Thickness tolerance ± in mm of strip t x b (mm) after the given standard; 0 for 0 ("typed in"), for
// numbers outside 1..7 and where the standard gives no value. Adds the range warnings.
long double StripThicknessTolerance(int32_t standard, long double t, long double b);
// Width tolerance ± in mm, as above.
long double StripWidthTolerance(int32_t standard, long double t, long double b);

// The strip standard a designation calls for: EN 10092-1 for "10089", ISO 9445-1 (N) for "10151",
// else EN 10140-A.
int32_t ToleranceStandardForMaterial(const std::string& materialText);
// g.ToleranceStandard := ToleranceStandardForMaterial(g.MaterialText).
void SelectToleranceStandard(FamilyData& g);

// Standard strip thickness and width series (mm). english chooses the inch sizes.
inline constexpr int32_t ThicknessSeriesCount = 23;
inline constexpr int32_t MetricWidthSeriesCount = 14;
inline constexpr int32_t EnglishWidthSeriesCount = 16;
// Value i (1-based) of a series; 0 outside 1..count.
long double StandardThicknessValue(bool english, int32_t i);
long double StandardWidthValue(bool english, int32_t i);

// Rounds t up to the series of the current unit system (step 0) or steps |step| values down (step < 0)
// or up (step > 0) from there. A t above the last but one value is returned unchanged; in English
// units also while programState.ErrorFlag is set.
long double StandardThickness(int32_t step, long double t);
// The same on the width series.
long double StandardWidth(int32_t step, long double b);

}  // namespace qorva
