// utilmath: numeric routines and unit conversions.
#include "foundation/utilmath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "foundation/errorlist.h"
#include "foundation/desktopsettings.h"

namespace qorva {

bool AllFinite(std::initializer_list<long double> values) {
  for (long double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr long double kLn10 = std::numbers::ln10_v<long double>;

// Round half to even, independent of the floating-point rounding mode.
long double RoundHalfEven(long double v) {
  long double fl = std::floor(v);
  long double diff = v - fl;
  if (diff < 0.5L) return fl;
  if (diff > 0.5L) return fl + 1.0L;
  return (std::fmod(fl, 2.0L) == 0.0L) ? fl : fl + 1.0L;
}

// exp(t) with the caps of Pow.
long double CappedExp(long double t) {
  if (t > 3000.0L) return PowCap;
  if (t < -3000.0L) return 0.0L;
  return std::exp(t);
}

long double Frac(long double v) { return v - std::trunc(v); }

}  // namespace

long double RoundDec(int32_t n, long double x) {
  if (!std::isfinite(x)) return x;
  const long double p = PowerInt(n, 10.0L);
  if (p == 0.0L) return 0.0L;            // 10^n underflows: every x rounds to 0
  if (!std::isfinite(p)) return x;       // 10^n overflows: nothing left to round
  const long double scaled = x * p;
  if (!std::isfinite(scaled)) return x;  // x already far beyond 10^-n
  return RoundHalfEven(scaled) / p;
}

long double Tangent(long double x) { return std::tan(x); }

long double Pow(const std::string& name, long double x, long double y) {
  long double t;
  if (x < 0.0L) {
    if (!desktopSettings.HideWarnings && !name.empty()) AddErrorMsg(name + " (pow)");
    t = y * std::log(-x);
    // The caps at 3000 belong to positive bases; a negative one only never gives infinity.
    if (!std::isnan(t)) {
      const long double r = std::exp(t);
      return std::isinf(r) ? PowCap : r;
    }
  } else if (x == 0.0L) {
    return 0.0L;
  } else {
    t = y * std::log(x);
  }
  if (std::isnan(t)) {
    // inf * 0 (infinite base with exponent 0, base 1 with infinite exponent) counts as 1;
    // a NaN argument gives 0. Neither NaN nor infinity leaves the routine.
    return (std::isnan(x) || std::isnan(y)) ? 0.0L : 1.0L;
  }
  return CappedExp(t);
}

long double PowerInt(int32_t n, long double x) {
  if (n == 0) return 1.0L;
  // Count in 64 bits so that n = INT32_MIN can be negated.
  int64_t m = n < 0 ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
  if (std::fabs(x) == 1.0L) {
    // The product never leaves +-1: answer at once instead of multiplying up to 2^31 times.
    const long double r1 = (x < 0.0L && m % 2 == 1) ? -1.0L : 1.0L;
    return r1;
  }
  long double r = x;
  for (int64_t i = 1; i < m; ++i) {
    r *= x;
    // Once the product is 0, infinite or NaN, further factors do not change it (or only its sign).
    if (r == 0.0L || !std::isfinite(r)) {
      if (r != 0.0L && std::isinf(r) && x < 0.0L && ((m - 1 - i) % 2 == 1)) r = -r;
      if (r == 0.0L && x < 0.0L && ((m - 1 - i) % 2 == 1)) r = -r;
      break;
    }
  }
  return n < 0 ? 1.0L / r : r;
}

long double Hypot(long double a, long double b) { return std::sqrt(a * a + b * b); }

long double ArcTanXY(long double x, long double y) {
  if (x == 0.0L) return y >= 0.0L ? kPi / 2.0L : -kPi / 2.0L;
  long double a = std::atan(y / x);
  if (x < 0.0L) a += kPi;
  return a;
}

long double ArcTanYX(long double y, long double x) { return ArcTanXY(x, y); }

void PolarToXY(long double& x, long double& y, long double r, long double phi) {
  x = r * std::cos(phi);
  y = r * std::sin(phi);
}

void XYToPolar(long double& r, long double& phi, long double x, long double y) {
  r = Hypot(x, y);
  phi = ArcTanXY(x, y);
}

long double RadToDeg(long double x) { return x * 180.0L / kPi; }
long double DegToRad(long double x) { return x * kPi / 180.0L; }

long double SafeLog10(long double x) {
  if (!(x > 0.0L)) return 0.0L;  // also a NaN argument
  return std::log10(x);  // exact at powers of ten, where ln x / ln 10 may miss by an ulp
}

long double PowerOf10(long double x) { return std::exp(x * kLn10); }

long double FloorReal(long double x) {
  long double t = std::trunc(x);
  return x < 0.0L ? t - 1.0L : t;
}

namespace {

// The decimal exponent of the shortest text that reads back as a (> 0, finite). The text "1e<e>"
// reads back exactly as the extended value nearest to 10^e, so that value is the power itself:
// the exponent decides the decade without a rounded logarithm.
int32_t ShortestDecimalExponent(long double a, bool& powerOfTen) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, a, std::chars_format::scientific).ptr;
  const char* mark = std::find(text, end, 'e');
  int32_t e = 0;
  std::from_chars(mark + 1 + (mark + 1 < end && mark[1] == '+'), end, e);
  powerOfTen = mark == text + 1 && text[0] == '1';
  return e;
}

}  // namespace

int32_t DecadeOf(long double x) {
  if (x == 0.0L || !std::isfinite(x)) return 0;
  const long double a = std::fabs(x);
  // Far from a whole number the logarithm's last bits cannot move the decade.
  const long double l = std::log10(a);
  if (std::fabs(l - std::nearbyint(l)) > 1e-6L) return static_cast<int32_t>(std::floor(l));
  bool powerOfTen = false;
  const int32_t e = ShortestDecimalExponent(a, powerOfTen);
  // FloorReal takes one off an exact negative logarithm: below 1 a power of ten belongs to the
  // decade beneath it (0.01 gives -3).
  return e < 0 && powerOfTen ? e - 1 : e;
}

void NiceAxisRange(long double& newMin, long double& newMax, long double& step, long double min,
                   long double max, int32_t n) {
  if (n < 1) n = 1;  // callers pass at least one interval; never divide by zero
  if (!std::isfinite(min)) min = 0.0L;
  if (!std::isfinite(max)) max = 0.0L;
  if (RealEq(min, max)) {
    min -= 1.0L;
    max += 1.0L;
  }
  max -= (max - min) * 1e-5L;
  const long double d = (max - min) / static_cast<long double>(n);
  const int32_t e = DecadeOf(d);
  const long double p = PowerOf10(static_cast<long double>(e));
  const long double m = d / p;
  long double f;
  if (m < 1.5L)
    f = 1.0L;
  else if (m < 3.0L)
    f = 2.0L;
  else if (m < 8.0L)
    f = 5.0L;
  else
    f = 10.0L;
  step = p * f;
  newMax = (FloorReal(max / step) + 1.0L) * step;
  newMin = FloorReal(min / step) * step;
}

void RotateVector(long double& x, long double& y, long double px, long double py, long double angle) {
  const long double c = std::cos(angle);
  const long double s = std::sin(angle);
  x = px * c - py * s;
  y = py * c + px * s;
}

void RotateTranslate(long double& x, long double& y, long double x0, long double y0, long double angleDeg,
                     long double px, long double py) {
  long double rx, ry;
  RotateVector(rx, ry, px, py, DegToRad(angleDeg));
  x = rx + x0;
  y = ry + y0;
}

void ScaleRotateTranslate(long double& x, long double& y, long double sx, long double sy, long double x0,
                          long double y0, long double angleDeg, long double px, long double py) {
  RotateTranslate(x, y, x0, y0, angleDeg, px * sx, py * sy);
}

bool RealEq(long double a, long double b) { return std::fabs(a - b) < 1e-5L; }

long double RMax(long double a, long double b) { return a > b ? a : b; }
long double RMin(long double a, long double b) { return a < b ? a : b; }
int32_t IMax(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t IMin(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t ClampInt(int32_t lo, int32_t hi, int32_t x) { return IMin(IMax(lo, x), hi); }

void SwapReal(long double& a, long double& b) {
  long double t = a;
  a = b;
  b = t;
}

long double AngleDiffDeg(long double a1, long double a2) {
  long double d = (Frac(a2 / 360.0L) - Frac(a1 / 360.0L)) * 360.0L;
  if (d < 0.0L) d += 360.0L;
  return d;
}

double RoundToDouble(long double x) { return static_cast<double>(x); }

long double InchToMm(long double x) { return x * MmPerInch; }
long double MmToInch(long double x) { return x / MmPerInch; }
long double PsiToMPa(long double x) { return x / PsiPerMPa; }
long double MPaToPsi(long double x) { return x * PsiPerMPa; }
long double NmmToLbfIn(long double x) { return x / NmmPerLbfIn; }
long double NToLbf(long double x) { return x / NPerLbf; }
long double LbfToN(long double x) { return x * NPerLbf; }
long double CToF(long double x) { return x * FahrenheitPerCelsius + FahrenheitOffset; }
long double FToC(long double x) { return (x - FahrenheitOffset) / FahrenheitPerCelsius; }
long double GramToLb(long double x) { return x / GramPerKg / KgPerLb; }

}  // namespace qorva
