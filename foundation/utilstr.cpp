#include "foundation/utilstr.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "foundation/programstate.h"
#include "foundation/utilmath.h"
#include "foundation/desktopsettings.h"
#include "platform/codepage.h"

namespace qorva {

Utilstr utilstr;

void InitUtilstr() {
  utilstr.DecimalMark = '.';
  utilstr.ProgramParams.clear();
}

namespace {

// 10^k, exact in long double for |k| <= 27.
long double Pow10(int32_t k) {
  if (k < -4950 || k > 4950) return std::pow(10.0L, static_cast<long double>(k));
  long double p = 1.0L;
  const long double base = 10.0L;
  for (int32_t i = 0; i < std::abs(k); ++i) p *= base;
  return k < 0 ? 1.0L / p : p;
}

bool IsEnglish() { return desktopSettings.UnitSystem == 1; }
bool IsKiloNewton() { return desktopSettings.UnitSystem == 2 || desktopSettings.UnitSystem == 4; }

std::string NonFiniteText(long double x) {
  if (std::isnan(x)) return "NAN";
  return x < 0 ? "-INF" : "INF";
}

}  // namespace

std::string_view ScientificText17(long double x, char (&buf)[64]) {
  // The exact binary value is M * 2^-k with the 64-bit significand M. For the magnitudes the program
  // shows (k from 0 to 120) its decimal digits come out of integer arithmetic exactly; they are
  // rounded to 18 significant digits half to even, as the library does. Other values (and the sign,
  // and values that are no number) go to the library, whose text for an extended goes through printf.
  const auto library = [&] {
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 17);
    return std::string_view(buf, static_cast<size_t>(res.ptr - buf));
  };
  static_assert(std::numeric_limits<long double>::digits == 64, "the 64-bit significand of the x87 extended");
  if (!(x > 0) || !std::isfinite(x)) return library();
  int exp2 = 0;
  const long double m = std::frexp(x, &exp2);  // x = m * 2^exp2, m in [0.5, 1)
  const int k = 64 - exp2;
  if (k < 0 || k > 120) return library();
  const auto M = static_cast<uint64_t>(std::ldexp(m, 64));
  using u128 = unsigned __int128;
  const uint64_t whole = k >= 64 ? 0 : M >> k;
  const u128 mask = (u128{1} << k) - 1;
  u128 frac = k >= 64 ? u128{M} : (u128{M} & mask);

  constexpr int kSig = 18;
  char d[kSig + 1];  // 18 digits and the one that rounds
  int n = 0;
  int exp10 = -1;
  if (whole > 0) {
    char w[24];
    int wn = 0;
    for (uint64_t v = whole; v > 0; v /= 10) w[wn++] = static_cast<char>('0' + v % 10);
    exp10 = wn - 1;
    for (int i = wn - 1; i >= 0 && n < kSig + 1; --i) d[n++] = w[i];
    // Integer digits beyond the rounding digit count as the rest.
    bool rest = false;
    for (int i = wn - 1 - n; i >= 0; --i) rest = rest || w[i] != '0';
    if (rest) frac |= 1;  // any non-zero rest decides as a non-zero fraction does
  }
  while (n < kSig + 1) {
    frac *= 10;
    const auto digit = static_cast<char>('0' + static_cast<int>(frac >> k));
    frac &= mask;
    if (n == 0 && digit == '0') {
      --exp10;  // a leading zero of the fraction
      continue;
    }
    d[n++] = digit;
  }
  // Round the 19th digit away: up above 5, on 5 with a non-zero rest, and on an exact 5 to even.
  const bool up = d[kSig] > '5' || (d[kSig] == '5' && (frac != 0 || (d[kSig - 1] - '0') % 2 == 1));
  if (up) {
    int i = kSig - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i >= 0) {
      ++d[i];
    } else {
      d[0] = '1';  // 9.99.. became 10.00..
      ++exp10;
    }
  }
  char* p = buf;
  *p++ = d[0];
  *p++ = '.';
  for (int i = 1; i < kSig; ++i) *p++ = d[i];
  *p++ = 'e';
  *p++ = exp10 < 0 ? '-' : '+';
  const int ae = exp10 < 0 ? -exp10 : exp10;
  if (ae < 10) *p++ = '0';
  p = std::to_chars(p, buf + sizeof buf, ae).ptr;
  return std::string_view(buf, static_cast<size_t>(p - buf));
}

namespace {

// Fixed-point text of x: first rounded to 18 significant digits (the extended's own decimal digits),
// then half away from zero to `precision` significant digits and at most decDigits decimals; decimals
// beyond the precision are zeros. Every integer digit is printed: a precision below the integer
// digits (or a rounding carry such as 999.9 -> 1000) widens the text instead of switching notation.
std::string FixedText(long double x, int32_t precision, int32_t decDigits, char mark) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  if (decDigits < 0) decDigits = 0;
  const bool neg = std::signbit(x);
  const long double ax = std::fabs(x);

  // digits: the significant digits kept, value = digits * 10^scale.
  std::string digits;
  int32_t scale = -decDigits;
  if (ax != 0.0L) {
    char buf[64];
    const std::string_view sci = ScientificText17(ax, buf);
    const size_t ePos = sci.find('e');
    int32_t exp10 = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exp10);
    std::string all;
    for (size_t i = 0; i < ePos; ++i)
      if (sci[i] != '.') all += sci[i];  // 18 digits, value = 0.d1d2.. * 10^(exp10 + 1)
    const int32_t intCount = exp10 + 1;
    int32_t keep = std::min(std::max(precision, intCount), intCount + decDigits);
    if (keep >= 0) {
      std::string kept = all.substr(0, static_cast<size_t>(std::min<int32_t>(keep, 18)));
      kept.append(static_cast<size_t>(std::max<int32_t>(0, keep - 18)), '0');
      bool up = keep < 18 && all[static_cast<size_t>(keep)] >= '5';
      if (up) {
        int32_t i = static_cast<int32_t>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
        if (i >= 0)
          ++kept[static_cast<size_t>(i)];
        else
          kept.insert(kept.begin(), '1');
      }
      digits = kept;
      scale = intCount - keep;
    }
  }
  if (digits.find_first_not_of('0') == std::string::npos) digits.clear();

  std::string intPart;
  std::string fracPart;
  if (digits.empty()) {
    intPart = "0";
  } else if (scale >= 0) {
    intPart = digits + std::string(static_cast<size_t>(scale), '0');
  } else {
    const size_t fracLen = static_cast<size_t>(-scale);
    if (digits.size() <= fracLen) digits.insert(0, fracLen - digits.size() + 1, '0');
    intPart = digits.substr(0, digits.size() - fracLen);
    fracPart = digits.substr(digits.size() - fracLen);
  }
  fracPart.append(static_cast<size_t>(decDigits) - std::min(fracPart.size(), static_cast<size_t>(decDigits)),
                  '0');
  const size_t firstNonZero = intPart.find_first_not_of('0');
  intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);

  std::string text;
  const bool isZero = digits.empty();
  if (neg && !isZero) text += '-';
  text += intPart;
  if (decDigits > 0) {
    text += mark;
    text += fracPart;
  }
  return text;
}

std::string RealStrFixMark(int32_t intDigits, int32_t decDigits, long double x, char mark) {
  if (std::fabs(x) < 1e-8L) x = 0.0L;
  // In 64 bits: SigDigits comes from the configuration file and may hold any 32-bit value.
  if (programState.SigDigits != 3)
    decDigits = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{decDigits} + int64_t{programState.SigDigits} - 3, 0, 10));
  if (decDigits < 0) decDigits = 0;
  const int32_t precision = std::clamp(intDigits + decDigits, 2, 18);
  std::string text = FixedText(x, precision, decDigits, mark);
  const int32_t width = decDigits == 0 ? intDigits : intDigits + decDigits + 1;
  if (static_cast<int32_t>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

std::string RealStrNMark(int32_t n, long double x, char mark) {
  if (std::fabs(x) < 1e-5L) return "0";
  int32_t i = 0;
  int32_t d = 0;
  SigDigitCounts(i, d, n, x);
  return RealStrFixMark(i, d, x, mark);
}

std::string RealStrDecMark(int32_t dec, long double x, char mark) {
  int32_t i = 0;
  int32_t d = 0;
  SigDigitCounts(i, d, 3, x);
  return RealStrFixMark(i, dec, x, mark);
}

}  // namespace

// ---- Integer texts ----

std::string IntStr(int64_t i) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, i);
  return std::string(buf, res.ptr);
}

std::string ZeroPad(int64_t i, int32_t width) {
  std::string s = IntStr(i);
  if (static_cast<int32_t>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}

std::string BlankPad(int64_t i, int32_t width) {
  std::string s = IntStr(i);
  if (static_cast<int32_t>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

// The low byte of n + 64, counted without signed overflow.
std::string NumToLetter(int32_t n) {
  return std::string(1, static_cast<char>(static_cast<uint32_t>(n) + 64u));
}

// ---- Real texts ----

void SigDigitCounts(int32_t& intDigits, int32_t& decDigits, int32_t n, long double x) {
  x = std::fabs(x);
  if (!std::isfinite(x)) {
    intDigits = 1;
    decDigits = 0;
    return;
  }
  if (x == 0.0L) x = 0.5L;
  const int32_t e = DecadeOf(x);
  if (e >= n) {
    intDigits = e + 1;
    decDigits = 0;
    return;
  }
  if (e >= 0) {
    intDigits = e + 1;
    decDigits = n - e;  // values from 1 on get one digit more than n (12.34 with n = 3)
  } else {
    intDigits = 0;
    decDigits = n - e - 1;
  }
  // Drop trailing zeros. v = 0 (a value that rounds away) ends the loop too.
  const long double scaled =
      std::nearbyint(e >= 0 ? x * Pow10(decDigits + 1) : x * Pow10(-e) * Pow10(decDigits + 1 + e));
  if (std::isfinite(scaled) && scaled < 9e17L) {
    int64_t v = static_cast<int64_t>(scaled) / 10;
    while (v != 0 && v % 10 == 0) {
      --decDigits;
      v /= 10;
    }
  }
  if (decDigits < 0) decDigits = 0;
}

std::string RealStrFix(int32_t intDigits, int32_t decDigits, long double x) {
  return RealStrFixMark(intDigits, decDigits, x, utilstr.DecimalMark);
}

std::string RealStr3(long double x) { return RealStrNMark(3, x, utilstr.DecimalMark); }

std::string RealStr3Minus(int32_t k, long double x) { return RealStrNMark(3 - k, x, utilstr.DecimalMark); }

std::string RealStrDec(int32_t dec, long double x) { return RealStrDecMark(dec, x, utilstr.DecimalMark); }

std::string RealStr3W(int32_t width, long double x) {
  if (std::fabs(x) < 1e-6L) return BlankPad(0, width);
  int32_t i = 0;
  int32_t d = 0;
  SigDigitCounts(i, d, 3, x);
  return RealStrFix(width - d - (d >= 1 ? 1 : 0), d, x);
}

std::string RealStrEng(long double x) {
  const int32_t e = DecadeOf(x);
  if (e >= -2 && e <= 3) return RealStr3(x);
  const int32_t q = e / 3;  // truncates toward zero: 0.00012 (e = -4) gives 0.12E-3
  const long double m = q > 0 ? x / Pow10(3 * q) : x * Pow10(-3 * q);
  return RealStr3(m) + "E" + IntStr(3 * q);
}

std::string RealStrAuto(long double x) {
  const long double ax = std::fabs(x);
  if (ax < 1e-12L) return "0";
  if (ax < 1e-4L || ax >= 10000.0L) return RealStrEng(x);
  int32_t i = 0;
  int32_t d = 0;
  SigDigitCounts(i, d, 3, x);
  return RealStrFix(i, d, x);
}

std::string RealStrDecDot(int32_t dec, long double x) { return RealStrDecMark(dec, x, '.'); }
std::string RealStr3Dot(long double x) { return RealStrNMark(3, x, '.'); }
std::string RealStrFixDot(int32_t intDigits, int32_t decDigits, long double x) {
  return RealStrFixMark(intDigits, decDigits, x, '.');
}

// ---- Parsers ----

namespace {

// A checked decimal ("123.456", "1e-3") of at most 19 digits whose power of ten is exact in the
// extended (10^k for |k| <= 27): its digits as an integer and one multiplication or division by
// that power give the correctly rounded value, the same as the library's. False for any other text.
bool ExactShortDecimal(const std::string& s, size_t start, bool neg, long double& value) {
  uint64_t digits = 0;
  int count = 0;
  int32_t scale = 0;  // value = digits * 10^scale
  size_t p = start;
  bool point = false;
  for (; p < s.size(); ++p) {
    const char c = s[p];
    if (c == '.') {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    if (count > 0 || c != '0') ++count;
    if (count > 19) return false;
    digits = digits * 10 + static_cast<uint64_t>(c - '0');
    if (point) --scale;
  }
  if (p < s.size()) {  // the exponent, checked by the caller
    int32_t e = 0;
    const char* first = s.data() + p + 1;
    if (*first == '+') ++first;
    const auto res = std::from_chars(first, s.data() + s.size(), e);
    if (res.ec != std::errc() || e > 1000 || e < -1000) return false;
    scale += e;
  }
  if (scale < -27 || scale > 27) return false;
  long double v = static_cast<long double>(digits);  // exact: fewer than 2^64
  if (scale > 0) v *= Pow10(scale);
  if (scale < 0) v /= Pow10(-scale);
  value = neg ? -v : v;
  return true;
}

}  // namespace

bool TryStrToReal(const std::string& input, long double& value) {
  value = 0.0L;
  std::string s = input;
  const size_t comma = s.find(',');
  if (comma != std::string::npos) s[comma] = '.';
  size_t p = 0;
  while (p < s.size() && s[p] == ' ') ++p;
  bool neg = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) neg = s[p++] == '-';
  const size_t start = p;
  size_t mantissaDigits = 0;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p, ++mantissaDigits;
  if (p < s.size() && s[p] == '.') {
    ++p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    ++p;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    size_t expDigits = 0;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (p != s.size()) return false;
  if (ExactShortDecimal(s, start, neg, value)) return true;
  // The sign is taken above: from_chars does not accept a leading "+".
  long double v = 0.0L;
  auto res = std::from_chars(s.data() + start, s.data() + s.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // A value too small for the type reads as 0; one too large is no number.
    const size_t ePos = s.find_first_of("eE", start);
    return ePos != std::string::npos && s.find('-', ePos) != std::string::npos;
  }
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
  value = neg ? -v : v;
  return true;
}

long double StrToReal(const std::string& s) {
  long double v = 0.0L;
  return TryStrToReal(s, v) ? v : 0.0L;
}

int32_t StrToInt0(const std::string& s) {
  size_t p = 0;
  while (p < s.size() && s[p] == ' ') ++p;
  bool neg = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) neg = s[p++] == '-';
  int base = 10;
  if (p < s.size() && s[p] == '$') {
    base = 16;
    ++p;
  } else if (p + 1 < s.size() && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (p >= s.size()) return 0;
  uint64_t v = 0;
  auto res = std::from_chars(s.data() + p, s.data() + s.size(), v, base);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return 0;
  const int64_t signedValue = neg ? -static_cast<int64_t>(std::min<uint64_t>(v, uint64_t{1} << 40))
                                  : static_cast<int64_t>(std::min<uint64_t>(v, uint64_t{1} << 40));
  if (signedValue < std::numeric_limits<int32_t>::min() || signedValue > std::numeric_limits<int32_t>::max())
    return 0;
  return static_cast<int32_t>(signedValue);
}

// ---- Unit layer ----

std::string LengthStr(long double mm) {
  if (IsEnglish()) return RealStrDec(4, MmToInch(mm));
  return RealStr3(mm);
}

std::string LengthStrDec(int32_t dec, long double mm) {
  if (IsEnglish()) return RealStrDec(dec + 1, MmToInch(mm));
  return RealStrDec(dec, mm);
}

std::string LengthFix(int32_t i, int32_t d, long double mm) {
  if (IsEnglish()) return RealStrFix(IMax(i - 1, 1), d + 1, MmToInch(mm));
  return RealStrFix(i, d, mm);
}

std::string ForceStr(long double n) {
  if (IsEnglish()) return RealStr3(NToLbf(n));
  if (IsKiloNewton()) return RealStr3(n / 1000.0L);
  return RealStr3(n);
}

std::string ForceFix(int32_t i, int32_t d, long double n) {
  if (IsEnglish()) return RealStrFix(IMax(i - 1, 1), d + 1, NToLbf(n));
  if (IsKiloNewton()) return RealStrFix(IMax(i - 1, 1), d + 1, n / 1000.0L);
  return RealStrFix(i, d, n);
}

std::string StressStr(long double mpa) { return RealStr3(StressToUnit(mpa)); }

std::string StressFix(int32_t i, int32_t d, long double mpa) {
  if (IsEnglish()) return RealStrFix(i + 2, IMax(d - 2, 0), MPaToPsi(mpa));
  return RealStrFix(i, d, mpa);
}

std::string TorqueStr(long double nmm) {
  if (IsEnglish()) return RealStr3(NmmToLbfIn(nmm));
  if (IsKiloNewton()) return RealStr3(nmm / 1000.0L);
  return RealStr3(nmm);
}

std::string TempStr(long double celsius) { return RealStr3(IsEnglish() ? CToF(celsius) : celsius); }

std::string TempFix(int32_t i, int32_t d, long double celsius) {
  return RealStrFix(i, d, IsEnglish() ? CToF(celsius) : celsius);
}

std::string MassStr(long double g) { return RealStr3(IsEnglish() ? GramToLb(g) : g); }

long double LengthToUnit(long double mm) { return IsEnglish() ? MmToInch(mm) : mm; }

long double ForceToUnit(long double n) {
  if (IsEnglish()) return NToLbf(n);
  if (IsKiloNewton()) return n / 1000.0L;
  return n;
}

long double StressToUnit(long double mpa) { return IsEnglish() ? MPaToPsi(mpa) : mpa; }

long double StrToLength(const std::string& s) {
  const long double v = StrToReal(s);
  return IsEnglish() ? InchToMm(v) : v;
}

long double StrToForce(const std::string& s) {
  const long double v = StrToReal(s);
  if (IsEnglish()) return LbfToN(v);
  if (IsKiloNewton()) return v * 1000.0L;
  return v;
}

long double StrToStress(const std::string& s) {
  const long double v = StrToReal(s);
  return IsEnglish() ? PsiToMPa(v) : v;
}

long double StrToTemp(const std::string& s) {
  // Text that is no number reads as 0 like every other input, not as 0 degrees Fahrenheit.
  long double v = 0.0L;
  if (!TryStrToReal(s, v)) return 0.0L;
  return IsEnglish() ? FToC(v) : v;
}

std::string LengthUnit() { return IsEnglish() ? "in" : "mm"; }

std::string ForceUnit() {
  if (IsEnglish()) return "lbf";
  return IsKiloNewton() ? "kN" : "N";
}

std::string StressUnit() {
  if (IsEnglish()) return "psi";
  if (desktopSettings.UnitSystem == 3 || desktopSettings.UnitSystem == 4) return "N/mm\xFD";
  return "MPa";
}

std::string TorqueUnit() {
  if (IsEnglish()) return "lbfin";
  return IsKiloNewton() ? "Nm" : "Nmm";
}

std::string MassUnit() { return IsEnglish() ? "lb" : "g"; }

std::string TempUnit() {
  if (IsEnglish()) return " F";
  return desktopSettings.PlainAscii == 1 ? " C" : "\xF8" "C";
}

std::string DensityUnit() { return desktopSettings.PlainAscii == 1 ? "kg/dm3" : "kg/dm\xFC"; }

// ---- Dates and the command line ----

std::string DateText(uint16_t year, uint16_t month, uint16_t day) {
  const std::string y = IntStr(year);
  const std::string m = ZeroPad(month, 2);
  const std::string d = ZeroPad(day, 2);
  switch (desktopSettings.DateFormat) {
    case 1:
      return d + "." + m + "." + y;
    case 2:
      return m + "/" + d + "/" + y;
    case 3:
      return y + "-" + m + "-" + d;
    case 4:
      return d + "/" + m + "/" + y;
    default:
      return y + "/" + m + "/" + d;
  }
}

bool HasParam(const std::string& text) {
  const std::string wanted = UpperStr(text);
  return std::any_of(utilstr.ProgramParams.begin(), utilstr.ProgramParams.end(),
                     [&](const std::string& p) { return UpperStr(p) == wanted; });
}

// ---- Case, width and cutting ----

std::string UpperStr(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string LowerStr(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::string PadRight(const std::string& s, int32_t width) {
  if (width <= 0) return std::string();
  std::string r = s.substr(0, static_cast<size_t>(width));
  r.resize(static_cast<size_t>(width), ' ');
  return r;
}

std::string PadLeft(const std::string& s, int32_t width) {
  if (width <= 0) return std::string();
  std::string r = TrimStr(s);
  if (r.size() >= static_cast<size_t>(width)) return r.substr(0, static_cast<size_t>(width));
  return std::string(static_cast<size_t>(width) - r.size(), ' ') + r;
}

std::string LeftStr(const std::string& s, int32_t n) {
  if (n <= 0) return std::string();
  return s.substr(0, static_cast<size_t>(n));
}

std::string RightStr(const std::string& s, int32_t n) {
  if (n <= 0) return std::string();
  if (static_cast<size_t>(n) >= s.size()) return s;
  return s.substr(s.size() - static_cast<size_t>(n));
}

std::string CopyFromTo(const std::string& s, int32_t from, int32_t to) {
  from = std::max(from, 1);
  to = std::min(to, static_cast<int32_t>(s.size()));
  if (to < from) return std::string();
  return s.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

std::string ShortenMiddle(const std::string& s, int32_t n) {
  if (n > static_cast<int32_t>(s.size())) return s;
  if (n < 11) return LeftStr(s, n);
  const int32_t k = n / 2 - 2;
  return LeftStr(s, k) + "__" + RightStr(s, k);
}

void OverwriteAt(const std::string& sub, std::string& s, int32_t pos) {
  if (pos < 1 || pos > static_cast<int32_t>(s.size()) + 1 - static_cast<int32_t>(sub.size())) return;
  s.replace(static_cast<size_t>(pos - 1), sub.size(), sub);
}

// ---- Blanks and characters ----

std::string TrimStr(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

void RemoveBlanks(std::string& s) { s.erase(std::remove(s.begin(), s.end(), ' '), s.end()); }

std::string NoBlanks(const std::string& s) {
  std::string r = s;
  RemoveBlanks(r);
  return r;
}

void ReplaceChar(char oldChar, char newChar, std::string& s) { std::replace(s.begin(), s.end(), oldChar, newChar); }

std::string DotToComma(const std::string& s) {
  std::string r = s;
  ReplaceChar('.', ',', r);
  return r;
}

std::string CommaToDot(const std::string& s) {
  std::string r = s;
  ReplaceChar(',', '.', r);
  return r;
}

int32_t CountChar(char c, const std::string& s) {
  return static_cast<int32_t>(std::count(s.begin(), s.end(), c));
}

int32_t LastPos(const std::string& sub, const std::string& s) {
  if (sub.empty() || s.empty()) return 0;
  const size_t p = s.rfind(sub);  // the last start, overlapping occurrences included
  return p == std::string::npos ? 0 : static_cast<int32_t>(p) + 1;
}

std::vector<std::string> WrapToLines(const std::string& text, char breakChar, int32_t width, int32_t& lineCount,
                                     int32_t& maxLen) {
  if (width < 1) width = 1;
  lineCount = 0;
  maxLen = 1;
  std::vector<std::string> lines;
  size_t start = 0;
  const size_t w = static_cast<size_t>(width);
  while (start < text.size()) {
    const size_t rest = text.size() - start;
    size_t k = rest;
    if (rest > w) {
      k = w;
      for (size_t pos = w - 1; pos >= 1; --pos) {  // positions counted from 1 within the rest
        if (text[start + pos - 1] == breakChar) {
          k = pos;
          break;
        }
      }
    }
    lines.push_back(text.substr(start, k));
    ++lineCount;
    maxLen = std::max(maxLen, static_cast<int32_t>(k));
    start += k;
  }
  // The shared buffer keeps room for five lines; longer texts are still returned whole.
  for (size_t i = 0; i < lines.size() && i + 1 < programState.WrapLines.size(); ++i) programState.WrapLines[i + 1] = lines[i];
  return lines;
}

std::string CopyChars(const std::string& s) { return s; }

// ---- Code pages ----

namespace {

// The program writes the superscript three with DOS byte 252, the code page's superscript n.
constexpr unsigned char kDosCubed = 252;

// The DOS byte of a code point in the program's reading of the code page, or -1.
int UnicodeToDosChar(char32_t u) {
  if (u == U'\u00B3') return kDosCubed;
  if (u == Cp437ToUnicode(kDosCubed)) return -1;
  return UnicodeToCp437(u);
}

// Box-drawing characters without a Windows counterpart: vertical lines and their branches show as
// "|", corners and crossings as "+", horizontal lines as "-".
char BoxFallback(unsigned char b) {
  switch (b) {
    case 179: case 180: case 181: case 182: case 185: case 186: case 195: case 197:
    case 198: case 199: case 204: case 209: case 215:
      return '|';
    case 183: case 184: case 187: case 188: case 189: case 190: case 191: case 192:
    case 200: case 201: case 206: case 211: case 212: case 213: case 214: case 216:
    case 217: case 218:
      return '+';
    case 193: case 194: case 196: case 202: case 203: case 205: case 207: case 208:
    case 210:
      return '-';
    default:
      return '?';
  }
}

struct CodePageTables {
  std::array<unsigned char, 256> dosToWin{};
  std::array<unsigned char, 256> winToDos{};
};

// Windows letters and signs that the DOS code page lacks, spelled with the nearest DOS character.
unsigned char WinBestFit(unsigned char w) {
  switch (w) {
    case 0x82: case 0xB8: return ',';
    case 0x84: case 0x93: case 0x94: case 0xA8: return '"';
    case 0x85: return '.';
    case 0x88: return '^';
    case 0x8A: return 'S';
    case 0x8B: return '<';
    case 0x8E: return 'Z';
    case 0x91: case 0x92: case 0xB4: return '\'';
    case 0x96: case 0x97: case 0xAD: case 0xAF: return '-';
    case 0x98: return '~';
    case 0x9A: return 's';
    case 0x9B: return '>';
    case 0x9E: return 'z';
    case 0x9F: case 0xDD: return 'Y';
    case 0xA6: return '|';
    case 0xB9: return '1';
    case 0xC0: case 0xC1: case 0xC2: case 0xC3: return 'A';
    case 0xC8: case 0xCA: case 0xCB: return 'E';
    case 0xCC: case 0xCD: case 0xCE: case 0xCF: return 'I';
    case 0xD0: return 'D';
    case 0xD2: case 0xD3: case 0xD4: case 0xD5: case 0xD8: return 'O';
    case 0xD7: return 'x';
    case 0xD9: case 0xDA: case 0xDB: return 'U';
    case 0xE3: return 'a';
    case 0xF0: return 'd';
    case 0xF5: case 0xF8: return 'o';
    case 0xFD: return 'y';
    default: return '?';
  }
}

const CodePageTables& Tables() {
  static const CodePageTables tables = [] {
    CodePageTables t;
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      unsigned char w = 0;
      t.dosToWin[byte] = UnicodeToWinChar(DosCharToUnicode(byte), w) ? w : static_cast<unsigned char>(BoxFallback(byte));
    }
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      if (b < 128) {
        t.winToDos[byte] = byte;
        continue;
      }
      const int d = UnicodeToDosChar(WinCharToUnicode(byte));
      t.winToDos[byte] = d >= 128 ? static_cast<unsigned char>(d) : WinBestFit(byte);
    }
    return t;
  }();
  return tables;
}

}  // namespace

char32_t DosCharToUnicode(unsigned char c) { return c == kDosCubed ? U'\u00B3' : Cp437ToUnicode(c); }

// The five bytes code page 1252 leaves undefined stand for the C1 controls of the same value.
char32_t WinCharToUnicode(unsigned char c) {
  const char32_t u = Cp1252ToUnicode(c);
  return u == 0 ? c : u;
}

bool UnicodeToWinChar(char32_t u, unsigned char& c) {
  int w = UnicodeToCp1252(u);
  if (w < 0 && u >= 0x80 && u < 0xA0 && Cp1252ToUnicode(static_cast<uint8_t>(u)) == 0) w = static_cast<int>(u);
  if (w < 0) return false;
  c = static_cast<unsigned char>(w);
  return true;
}

char OemToAnsiChar(char c) { return static_cast<char>(Tables().dosToWin[static_cast<unsigned char>(c)]); }
char AnsiToOemChar(char c) { return static_cast<char>(Tables().winToDos[static_cast<unsigned char>(c)]); }

std::string OemToAnsiStr(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = OemToAnsiChar(c);
  return r;
}

std::string AnsiToOemStr(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = AnsiToOemChar(c);
  return r;
}

std::string AsciiTranslit(const std::string& s) {
  std::string r;
  r.reserve(s.size() + 8);
  for (char ch : s) {
    switch (static_cast<unsigned char>(ch)) {
      case 129: r += "ue"; break;
      case 130: r += 'e'; break;
      case 132: r += "ae"; break;
      case 142: r += "Ae"; break;
      case 148: r += "oe"; break;
      case 153: r += "Oe"; break;
      case 154: r += "Ue"; break;
      case 160: r += 'a'; break;
      case 163: r += 'u'; break;
      case 164: r += 'n'; break;
      case 196: case 205: r += '-'; break;
      case 225: r += "ss"; break;
      case 230: r += 'u'; break;
      case 241: r += "+/-"; break;
      case 248: r += "deg"; break;
      case 253: r += '2'; break;
      default: r += ch; break;
    }
  }
  return r;
}

std::string DosToAnsiTable(const std::string& s) {
  std::string r = s;
  for (char& ch : r) {
    const auto b = static_cast<unsigned char>(ch);
    switch (b) {
      case 134: ch = static_cast<char>(229); break;
      case 143: ch = static_cast<char>(197); break;
      case 161: ch = static_cast<char>(237); break;
      case 162: ch = static_cast<char>(243); break;
      case 252: ch = static_cast<char>(179); break;
      case 179: case 180: case 181: case 182: case 185: case 186: case 195: case 197:
      case 198: case 199: case 204: case 209: case 215:
        ch = '|';
        break;
      case 184: case 187: case 188: case 190: case 191: case 192: case 200: case 201:
      case 206: case 211: case 214: case 217: case 218:
        ch = '+';
        break;
      default:
        break;
    }
  }
  return r;
}

void DosToWinStr(const std::string& s, std::string& result) {
  if (desktopSettings.PlainAscii != 1) {
    result = OemToAnsiStr(s);
    return;
  }
  // Bytes the plain-ASCII tables leave are still DOS bytes, which the Windows code page would show as
  // other characters: they get the ordinary conversion. The table's own results (179, 197, 229, 237,
  // 243) are Windows bytes already and are not converted a second time.
  const std::string translit = AsciiTranslit(s);
  const std::string table = DosToAnsiTable(translit);
  result.clear();
  result.reserve(table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const auto before = static_cast<unsigned char>(translit[i]);
    const char after = table[i];
    result += (before >= 128 && static_cast<unsigned char>(after) == before) ? OemToAnsiChar(after) : after;
  }
}

std::string DosToWinStr(const std::string& s) {
  std::string r;
  DosToWinStr(s, r);
  return r;
}

std::string DosToWin(const std::string& s) { return DosToWinStr(s); }

std::string WinToDos(const std::string& s) { return AnsiToOemStr(s); }

std::string ConvertCadText(const std::string& s) {
  switch (desktopSettings.CadTextMode) {
    case 2:
      return DosToWin(s);
    case 3:
      return AsciiTranslit(s);
    default:
      return s;
  }
}

}  // namespace qorva
