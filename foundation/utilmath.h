#pragma once
// utilmath: rounding, guarded powers, angles, logarithms, round axis steps, rotations,
// tolerant comparison, minimum and maximum, and the fixed metric/English unit conversions.
// All reals are long double (extended); angles are radians unless a name says degrees.
// Calls errorList (AddErrorMsg) and reads desktopSettings.HideWarnings.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace qorva {

// Unit-conversion constants.
inline constexpr long double MmPerInch = 25.4L;
inline constexpr long double PsiPerMPa = 145.037L;
inline constexpr long double NPerLbf = 4.44822L;
inline constexpr long double NmmPerLbfIn = 112.984788L;
inline constexpr long double FahrenheitPerCelsius = 1.8L;
inline constexpr long double FahrenheitOffset = 32.0L;
inline constexpr long double GramPerKg = 1000.0L;
inline constexpr long double KgPerLb = 0.45359237L;

// The cap of Pow: the fixed extended value 10^3000 (finite in 80-bit extended).
inline constexpr long double PowCap = 1e3000L;

// Whether every value is a finite number (no infinity, no NaN).
bool AllFinite(std::initializer_list<long double> values);

// Round(x * 10^n) / 10^n with round-half-to-even; n may be negative.
long double RoundDec(int32_t n, long double x);
long double Tangent(long double x);
// Guarded x^y: a negative base is taken by its absolute value and reported as name + " (pow)" unless
// desktopSettings.HideWarnings is set or name is empty; x = 0 gives 0; for x > 0, y ln x above 3000 gives
// 10^3000 and below -3000 gives 0. Never returns NaN or infinity (an overflow gives 10^3000).
long double Pow(const std::string& name, long double x, long double y);
// x^n by repeated multiplication; n < 0 gives the reciprocal of x^-n.
long double PowerInt(int32_t n, long double x);
long double Hypot(long double a, long double b);
// Angle of (x, y) in [-pi/2, 3pi/2); x = 0 gives pi/2 for y >= 0, -pi/2 for y < 0.
long double ArcTanXY(long double x, long double y);
long double ArcTanYX(long double y, long double x);
void PolarToXY(long double& x, long double& y, long double r, long double phi);
void XYToPolar(long double& r, long double& phi, long double x, long double y);
long double RadToDeg(long double x);
long double DegToRad(long double x);
// log10 x; 0 for x <= 0.
long double SafeLog10(long double x);
// exp(x ln 10).
long double PowerOf10(long double x);
// Trunc(x), minus 1 when x < 0 (so FloorReal(-2.0) = -3).
long double FloorReal(long double x);
// 0 for x = 0 or not finite; else Round(FloorReal(log10 |x|)) with the logarithm taken exactly: the
// extended value nearest to a power of ten counts as that power (1e4000 gives 4000, 0.01 gives -3).
int32_t DecadeOf(long double x);
// Axis limits and a round step (1, 2, 5, 10 times a power of ten) for about n intervals.
void NiceAxisRange(long double& newMin, long double& newMax, long double& step, long double min,
                   long double max, int32_t n);
// x := px cos a - py sin a; y := py cos a + px sin a.
void RotateVector(long double& x, long double& y, long double px, long double py, long double angle);
// Rotates (px, py) by angleDeg degrees and adds (x0, y0).
void RotateTranslate(long double& x, long double& y, long double x0, long double y0, long double angleDeg,
                     long double px, long double py);
// RotateTranslate of (px * sx, py * sy).
void ScaleRotateTranslate(long double& x, long double& y, long double sx, long double sy, long double x0,
                          long double y0, long double angleDeg, long double px, long double py);
// abs(a - b) < 1e-5.
bool RealEq(long double a, long double b);
long double RMax(long double a, long double b);
long double RMin(long double a, long double b);
int32_t IMax(int32_t a, int32_t b);
int32_t IMin(int32_t a, int32_t b);
// IMin(IMax(lo, x), hi).
int32_t ClampInt(int32_t lo, int32_t hi, int32_t x);
void SwapReal(long double& a, long double& b);
// Counter-clockwise sweep in degrees from a1 to a2 (angles in 0..360).
long double AngleDiffDeg(long double a1, long double a2);
double RoundToDouble(long double x);

// Unit conversions.
long double InchToMm(long double x);
long double MmToInch(long double x);
long double PsiToMPa(long double x);
long double MPaToPsi(long double x);
long double NmmToLbfIn(long double x);
long double NToLbf(long double x);
long double LbfToN(long double x);
long double CToF(long double x);
long double FToC(long double x);
long double GramToLb(long double x);

}  // namespace qorva
