#include "graphics/dxfwriter.h"
#include "graphics/cadkernel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"

namespace qorva {

namespace {

// ---- Coordinate texts ----

// Adds one to the last digit of the digit text d, carrying to the left; a carry out of the first
// digit puts a "1" in front. Returns the number of digits added in front (0 or 1).
int32_t IncrementDigits(char* d, int32_t n) {
  for (int32_t i = n - 1; i >= 0; --i) {
    if (d[i] != '9') {
      ++d[i];
      return 0;
    }
    d[i] = '0';
  }
  for (int32_t i = n; i > 0; --i) d[i] = d[i - 1];
  d[0] = '1';
  return 1;
}

// The coordinate text of RealStrFixDot for ordinary sizes, built digit by digit from the exact
// binary value: x is first rounded to 18 significant digits (to nearest, a tie to even), then half
// away from zero to the decimals. False for sizes left to the general formatter.
bool DigitRealText(long double x, int32_t decimals, std::string& out) {
  if (!std::isfinite(x)) return false;
  long double ax = std::fabs(x);
  if (ax >= 1e15L) return false;
  const bool neg = std::signbit(x);
  if (ax < 1e-8L) ax = 0.0L;  // as the formatter does

  // Digits: intLen digits of the whole part, then the decimals generated so far.
  char d[80] = {};
  int32_t intLen = 0;
  int32_t len = 0;
  if (ax != 0.0L) {
    int e = 0;
    const long double fr = std::frexp(ax, &e);  // ax = fr * 2^e, fr in [0.5, 1)
    const auto m = static_cast<uint64_t>(std::ldexp(fr, 64));
    const int32_t k = 64 - e;  // ax = m / 2^k; 14 <= k <= 91 for the sizes taken here
    using U128 = unsigned __int128;
    const U128 mask = (U128{1} << k) - 1;
    const uint64_t whole = k >= 64 ? 0 : m >> k;
    U128 frac = U128{m} & mask;
    int32_t sig = 0;
    if (whole != 0) {
      const auto r = std::to_chars(d, d + 20, whole);
      len = intLen = static_cast<int32_t>(r.ptr - d);
      sig = len;
    }
    while (sig < 18 && len < 60) {
      frac *= 10;
      const auto digit = static_cast<char>(frac >> k);
      frac &= mask;
      d[len++] = static_cast<char>('0' + digit);
      if (sig > 0 || digit != 0) ++sig;
    }
    frac *= 10;
    const auto next = static_cast<int32_t>(frac >> k);
    frac &= mask;
    if (next > 5 || (next == 5 && (frac != 0 || ((d[len - 1] - '0') & 1) != 0))) {
      const int32_t added = IncrementDigits(d, len);
      intLen += added;
      len += added;
    }
  }
  // Half away from zero to the decimals asked for.
  const int32_t fracLen = len - intLen;
  if (fracLen > decimals) {
    const bool up = d[intLen + decimals] >= '5';
    len = intLen + decimals;
    if (up) {
      if (len == 0) {
        d[0] = '1';
        len = intLen = 1;
      } else {
        const int32_t added = IncrementDigits(d, len);
        intLen += added;
        len += added;
      }
    }
  } else {
    for (int32_t i = fracLen; i < decimals; ++i) d[len++] = '0';
  }
  bool zero = true;
  for (int32_t i = 0; i < len && zero; ++i) zero = d[i] == '0';
  int32_t first = 0;
  while (first < intLen - 1 && d[first] == '0') ++first;
  out.clear();
  if (neg && !zero) out += '-';
  if (intLen == 0) out += '0';
  else out.append(d + first, static_cast<size_t>(intLen - first));
  if (decimals > 0) {
    out += '.';
    out.append(d + intLen, static_cast<size_t>(decimals));
  }
  return true;
}

// 10^0 .. 10^19.
constexpr std::array<uint64_t, 20> kPow10 = [] {
  std::array<uint64_t, 20> t{};
  uint64_t p = 1;
  for (uint64_t& x : t) {
    x = p;
    p *= 10;
  }
  return t;
}();

using U128 = unsigned __int128;

// v / 10^e for v < 2^60 and 0 <= e <= 19, by one multiplication: with l = ceil(log2 10^e) and
// M = ceil(2^(60+l) / 10^e), v * M / 2^(60+l) exceeds v / 10^e by less than 2^-l <= 10^-e, which
// never reaches the next whole number.
struct Reciprocal {
  uint64_t factor;
  int32_t shift;
};
constexpr std::array<Reciprocal, 20> kReciprocals = [] {
  std::array<Reciprocal, 20> r{};
  for (size_t e = 0; e < r.size(); ++e) {
    const uint64_t d = kPow10[e];
    const auto l = static_cast<int32_t>(std::bit_width(d - 1));
    r[e] = {static_cast<uint64_t>(((U128{1} << (60 + l)) + d - 1) / d), 60 + l};
  }
  return r;
}();

uint64_t DivPow10(uint64_t v, int32_t e) {
  const Reciprocal& r = kReciprocals[static_cast<size_t>(e)];
  return static_cast<uint64_t>((U128{v} * r.factor) >> r.shift);
}

// Decimal digits of v, at least 1.
int32_t DigitCount(uint64_t v) {
  const int32_t guess = ((64 - std::countl_zero(v | 1)) * 1233) >> 12;  // digits or one less
  return std::max(guess + (v >= kPow10[static_cast<size_t>(guess)] ? 1 : 0), int32_t{1});
}

// The 8 digits of v < 10^8 as ASCII, the first digit in the lowest byte (a little-endian store
// writes them in reading order): v is split into halves, quarters and digits side by side in the
// lanes of one 64-bit word.
uint64_t EightDigits(uint32_t v) {
  uint64_t x = (v / 10000) | (static_cast<uint64_t>(v % 10000) << 32);  // 4 + 4 digits
  const uint64_t hundreds = ((x * 10486) >> 20) & 0x0000007F0000007FULL;  // y / 100 for y < 10^4
  x = hundreds | ((x - hundreds * 100) << 16);                             // 2 + 2 digits each
  const uint64_t tens = ((x * 103) >> 10) & 0x000F000F000F000FULL;         // z / 10 for z < 100
  x = tens | ((x - tens * 10) << 8);
  return x | 0x3030303030303030ULL;
}

// Writes the first n <= 16 of the 16 digits of v < 10^16 (zeros in front) at p, and up to 16 - n
// bytes of digits behind them; returns the end of the n. The first 8 need half the work.
char* PutDigits(char* p, uint64_t v, int32_t n) {
  const uint64_t high = EightDigits(static_cast<uint32_t>(v / 100000000));
  std::memcpy(p, &high, 8);
  if (n > 8) {
    const uint64_t low = EightDigits(static_cast<uint32_t>(v % 100000000));
    std::memcpy(p + 8, &low, 8);
  }
  return p + n;
}

// The text of v / 10^fracDigits (fracDigits <= 19) with a point and `decimals` decimals: the
// fracDigits digits there are, then zeros (decimals >= fracDigits, decimals <= 15). Each part is
// moved to the front of a 16-digit block, so that its first digits are the ones written.
char* PutFixed(char* p, uint64_t v, int32_t fracDigits, int32_t decimals) {
  const uint64_t whole = DivPow10(v, fracDigits);
  const uint64_t frac = v - whole * kPow10[static_cast<size_t>(fracDigits)];
  const int32_t wholeDigits = DigitCount(whole);
  p = PutDigits(p, whole * kPow10[static_cast<size_t>(16 - wholeDigits)], wholeDigits);
  if (decimals == 0) return p;
  *p++ = '.';
  return PutDigits(p, frac * kPow10[static_cast<size_t>(16 - fracDigits)], decimals);
}

// Room a coordinate text of the quick path needs: a sign, 16 whole digits, the point and the
// 16-digit block of the decimals.
constexpr size_t kQuickRealRoom = 40;

// The same text as DigitRealText, in a few integer operations: the 64-bit mantissa of the extended
// value times a power of ten gives the 18 significant digits at once. Writes at p (kQuickRealRoom
// bytes free) and returns the end; nullptr for what it leaves to the others: sizes below 0.0078
// (other than zero) and from 1e15 on, NaN and the infinities, and every value where long double is
// not the x87 extended format.
char* PutQuickReal(char* p, const long double& x, int32_t decimals) {
#if defined(__x86_64__) || defined(__i386__)
  static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended long double expected");
  // Taken apart as integers from memory: the 64-bit mantissa with its integer bit, then the sign
  // and the 15-bit biased exponent.
  uint64_t m = 0;
  uint16_t signExp = 0;
  std::memcpy(&m, &x, sizeof m);
  std::memcpy(&signExp, reinterpret_cast<const unsigned char*>(&x) + sizeof m, sizeof signExp);
  const uint32_t biased = signExp & 0x7FFFu;
  if (biased != 0 && (m >> 63) == 0) return nullptr;  // no valid extended value
  // |x| against the formatter's bounds 1e-8 and 1e15, as (exponent, mantissa) pairs.
  constexpr uint32_t kTinyExp = 16383 - 27;  // 1e-8 = 0xABCC77118461CEFD * 2^(-27-63)
  constexpr uint64_t kTinyMant = 0xABCC77118461CEFDULL;
  constexpr uint32_t kHugeExp = 16383 + 49;  // 1e15 = 0xE35FA931A0000000 * 2^(49-63)
  constexpr uint64_t kHugeMant = 0xE35FA931A0000000ULL;
  if (biased < kTinyExp || (biased == kTinyExp && m < kTinyMant)) return PutFixed(p, 0, 0, decimals);
  if (biased > kHugeExp || (biased == kHugeExp && m >= kHugeMant)) return nullptr;  // NaN, infinities too
  const bool neg = (signExp & 0x8000u) != 0;
  const int32_t e2 = static_cast<int32_t>(biased) - 16383;  // |x| in [2^e2, 2^(e2+1))
  // 10^e10 <= 2^e2 <= |x| for e10 = floor(e2 log10 2); the decade of |x| is e10 or e10 + 1.
  const int32_t e10 = (e2 * 78913) >> 18;
  int32_t p10 = 17 - e10;  // |x| * 10^p10 has 18 digits before the point (or 19)
  if (p10 > 19) return nullptr;
  const int32_t k = 63 - e2;  // |x| = m / 2^k, 14 <= k <= 70 here
  // Both scalings at once, without a branch that the sizes in a drawing would make hard to guess.
  const U128 large = U128{m} * kPow10[static_cast<size_t>(p10)];
  const U128 small = U128{m} * kPow10[static_cast<size_t>(p10 - 1)];
  const bool nineteen = static_cast<uint64_t>(large >> k) >= kPow10[18];
  const U128 n = nineteen ? small : large;
  p10 -= nineteen ? 1 : 0;
  auto s = static_cast<uint64_t>(n >> k);
  if (s < kPow10[17] || s >= kPow10[18]) return nullptr;  // the decade estimate cannot miss; kept safe
  // 18 significant digits, a tie to even: the bits below the point, moved to the top, against 1/2.
  const U128 below = n << (128 - k);
  const U128 half = U128{1} << 127;
  s += (below > half || (below == half && (s & 1) != 0)) ? 1 : 0;
  // s * 10^-p10, with p10 decimals. Fewer are kept half away from zero; more are zeros.
  *p = '-';
  if (p10 <= decimals) return PutFixed(p + (neg ? 1 : 0), s, p10, decimals);
  const uint64_t unit = kPow10[static_cast<size_t>(p10 - decimals)];
  uint64_t q = DivPow10(s, p10 - decimals);
  q += s - q * unit >= unit / 2 ? 1 : 0;
  return PutFixed(p + (neg && q != 0 ? 1 : 0), q, decimals, decimals);
#else
  (void)p;
  (void)x;
  (void)decimals;
  return nullptr;
#endif
}

// The text of RealStrFixDot with the decimals (0..DxfMaxDecimals) at 3 significant display digits,
// without leading blanks.
std::string GeneralRealText(long double x, int32_t decimals) {
  if (std::string digits; DigitRealText(x, decimals, digits)) return digits;
  int32_t intDigits = 0;
  int32_t decDigits = 0;
  SigDigitCounts(intDigits, decDigits, 3, x);
  // The formatter shifts its decimals by the display's significant digits; a drawing file keeps
  // the decimals it was asked for.
  struct SigDigitsAtThree {
    int32_t saved = std::exchange(programState.SigDigits, 3);
    ~SigDigitsAtThree() { programState.SigDigits = saved; }
  } guard;
  const std::string text = RealStrFixDot(intDigits, decimals, x);
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? text : text.substr(first);
}

// ---- Lines ----

// The lines of the group codes 0..999 ("  0\r\n" .. "999\r\n"), each in 8 bytes.
constexpr std::array<std::array<char, 8>, 1000> kCodeLines = [] {
  std::array<std::array<char, 8>, 1000> t{};
  for (size_t c = 0; c < t.size(); ++c) {
    t[c] = {' ', ' ', static_cast<char>('0' + c % 10), '\r', '\n', 0, 0, 0};
    if (c >= 10) t[c][1] = static_cast<char>('0' + c / 10 % 10);
    if (c >= 100) t[c][0] = static_cast<char>('0' + c / 100);
  }
  return t;
}();

struct LineBuffer {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  size_t used = 0;
};

// The lines of one writer call, built in one buffer and handed to the shared text file at once.
// After the first failure nothing more is written: the file is discarded at its close anyway, and
// half-written pairs would only hide the cause.
class Lines {
 public:
  // Lines in the buffer shared by the writer calls: it keeps its size, so a call costs no allocation.
  Lines() : Lines(Shared()) {}
  // Lines in a buffer of their own (texts kept between calls).
  explicit Lines(LineBuffer& buffer) : buf_(buffer) { buf_.used = 0; }
  Lines(const Lines&) = delete;
  Lines& operator=(const Lines&) = delete;

  // A line as it is.
  Lines& line(std::string_view s) {
    char* p = room(s.size() + 2);
    std::memcpy(p, s.data(), s.size());
    return end(p + s.size());
  }
  // The group code right-aligned in 3 characters, as BlankPad(code, 3) writes it.
  Lines& code(int32_t code) {
    if (code < 0 || code >= static_cast<int32_t>(kCodeLines.size())) return line(BlankPad(code, 3));
    char* p = room(8);
    std::memcpy(p, kCodeLines[static_cast<size_t>(code)].data(), 8);
    buf_.used += 5;
    return *this;
  }
  // A value line: a CR or LF would end it early (and ^Z ends a file for the program's own reader),
  // so the next line would be read as a group code; each break (CR LF is one) becomes a blank.
  Lines& value(std::string_view s) {
    char* p = room(s.size() + 2);
    for (size_t i = 0; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '\r' || c == '\n' || c == '\x1a') {
        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        *p++ = ' ';
      } else {
        *p++ = c;
      }
    }
    return end(p);
  }
  Lines& pair(int32_t code, std::string_view s) { return this->code(code).value(s); }
  Lines& realValue(const long double& x, int32_t decimals) {
    decimals = std::clamp(decimals, int32_t{0}, DxfMaxDecimals);
    char* p = room(kQuickRealRoom + 2);
    if (char* e = PutQuickReal(p, x, decimals)) return end(e);
    return line(GeneralRealText(x, decimals));
  }
  Lines& real(int32_t code, const long double& x, int32_t decimals) { return this->code(code).realValue(x, decimals); }
  Lines& reals(std::initializer_list<std::pair<int32_t, long double>> reals, int32_t decimals) {
    for (const auto& [code, x] : reals) real(code, x, decimals);
    return *this;
  }
  // Lines already built (kept between calls).
  Lines& bytes(std::string_view s) {
    char* p = room(s.size());
    std::memcpy(p, s.data(), s.size());
    buf_.used += s.size();
    return *this;
  }

  std::string_view view() const { return {buf_.data.get(), buf_.used}; }
  // The one line built, without its line end.
  std::string text() const { return std::string(view().substr(0, buf_.used - 2)); }

  // Writes the lines; false (and ErrorFlag set) when the file failed now or before.
  bool write() {
    if (ShareTextFile.Failed() || !ShareTextFile.Write(view())) {
      programState.ErrorFlag = true;
      return false;
    }
    return true;
  }

 private:
  static LineBuffer& Shared() {
    static LineBuffer buffer;
    return buffer;
  }
  // Where n more bytes may be written.
  char* room(size_t n) {
    if (buf_.size - buf_.used < n) {
      const size_t size = std::max(buf_.used + n, 2 * buf_.size + 4096);
      auto data = std::make_unique_for_overwrite<char[]>(size);
      if (buf_.used > 0) std::memcpy(data.get(), buf_.data.get(), buf_.used);
      buf_.data = std::move(data);
      buf_.size = size;
    }
    return buf_.data.get() + buf_.used;
  }
  // Ends the line that ends at p (room for CR LF was asked for with it).
  Lines& end(char* p) {
    *p++ = '\r';
    *p++ = '\n';
    buf_.used = static_cast<size_t>(p - buf_.data.get());
    return *this;
  }
  LineBuffer& buf_;
};

bool BlockFileCode() { return CadOutputBlocksAsFiles(); }

// Layer and block names of a DXF file are in its code page like the texts, and the characters that
// DXF names must not hold (a layer name is the user's setting) become "_". The block files keep the
// DOS bytes, which the program's reader compares with LayerNames.
std::string NameValue(const std::string& name) {
  if (BlockFileCode()) return name;
  std::string value = OemToAnsiStr(name);
  for (char& c : value)
    if (std::string_view("<>/\\\":;?*=`").find(c) != std::string_view::npos) c = '_';
  return value;
}

// The start of every entity: its type and the layer in force. The layer's lines are kept from the
// last entity while the layer stays, as most entities of a drawing follow on the same layer.
Lines& EntityStart(Lines& lines, std::string_view type) {
  struct Layer {
    std::string name;
    bool blockFile = false;
    bool known = false;
    std::string lines;
  };
  static Layer last;
  const bool blockFile = BlockFileCode();
  if (!last.known || blockFile != last.blockFile || cadrun.CurrentLayerName != last.name) {
    static LineBuffer buffer;
    last.lines.assign(Lines(buffer).pair(8, NameValue(cadrun.CurrentLayerName)).view());
    last.name = cadrun.CurrentLayerName;
    last.blockFile = blockFile;
    last.known = true;
  }
  return lines.code(0).line(type).bytes(last.lines);
}

}  // namespace

// ---- Line pairs ----

void DxfGroupCode(int32_t code) { Lines().code(code).write(); }

void DxfValueStr(const std::string& s) { Lines().value(s).write(); }

void DxfValueInt(int32_t n) { Lines().line(IntStr(n)).write(); }

void DxfValueReal(long double x, int32_t minDecimals) { Lines().realValue(x, DxfDecimals(minDecimals)).write(); }

std::string DxfValueText(const std::string& s) {
  LineBuffer buffer;
  return Lines(buffer).value(s).text();
}

int32_t DxfDecimals(int32_t minDecimals) {
  int32_t d = std::max(cadSettings.CadDecimals, minDecimals);
  if (BlockFileCode()) d = std::max(d, DxfBlockFileDecimals);
  return std::clamp(d, int32_t{0}, DxfMaxDecimals);
}

std::string DxfRealText(long double x, int32_t decimals) {
  LineBuffer buffer;
  return Lines(buffer).realValue(x, decimals).text();
}

// ---- Sections and tables ----

namespace {

void HeaderLines(Lines& l, long double xmin, long double ymin, long double xmax, long double ymax) {
  const int32_t d = DxfDecimals();
  l.pair(0, "SECTION").pair(2, "HEADER");
  l.pair(9, "$EXTMIN").reals({{10, xmin}, {20, ymin}}, d).pair(9, "$EXTMAX").reals({{10, xmax}, {20, ymax}}, d);
  l.pair(9, "$LIMMIN").reals({{10, xmin}, {20, ymin}}, d).pair(9, "$LIMMAX").reals({{10, xmax}, {20, ymax}}, d);
  l.pair(9, "$LTSCALE").pair(40, "15").pair(9, "$DWGCODEPAGE").pair(3, DxfCodePage).pair(0, "ENDSEC");
}

void LtypeLines(Lines& l, const std::string& name, const std::string& description) {
  l.pair(0, "LTYPE").pair(2, name).pair(70, "64").pair(3, description).pair(72, "65");
}

void LayerLines(Lines& l, const std::string& name, uint8_t colour, const std::string& lineType) {
  l.pair(0, "LAYER").pair(2, name).pair(70, "0").code(62).line(IntStr(colour)).pair(6, lineType);
}

}  // namespace

void DxfHeader(long double xmin, long double ymin, long double xmax, long double ymax) {
  Lines l;
  HeaderLines(l, xmin, ymin, xmax, ymax);
  l.write();
}

std::string DxfTextValue(const std::string& text) {
  if (!CadOutputConvertsBlockTexts()) return text;
  const std::string converted = ConvertCadText(text);
  // DosToWin gives Windows bytes already; what the other modes leave are DOS bytes.
  return desktopSettings.CadTextMode == 2 ? converted : OemToAnsiStr(converted);
}

void DxfLtypeEntry(const std::string& name, const std::string& description) {
  Lines l;
  LtypeLines(l, name, description);
  l.write();
}

void DxfLayerEntry(const std::string& name, uint8_t colour, const std::string& lineType) {
  Lines l;
  LayerLines(l, name, colour, lineType);
  l.write();
}

void DxfTables() {
  // A layer takes a DXF colour number 1..255; a number from an edited configuration is brought into
  // that byte, and one that comes out as 0 (by block, which no layer may have) is drawn white (7).
  const auto colour = [](int32_t c) -> uint8_t {
    if (cadSettings.LayerMonochrome) return uint8_t{1};
    const auto byte = static_cast<uint8_t>(static_cast<uint32_t>(c) & 0xFFu);
    return byte == 0 ? uint8_t{7} : byte;
  };
  Lines l;
  l.pair(0, "SECTION").pair(2, "TABLES").pair(0, "TABLE").pair(2, "LTYPE").pair(70, "23");
  LtypeLines(l, "CONTINUOUS", "Ausgezogene Linie");
  l.pair(73, "0").pair(40, "0.0");
  LtypeLines(l, "DASHDOT", "--. --. --.-");
  l.pair(73, "4").pair(40, "1.0").pair(49, "0.5").pair(49, "-0.25").pair(49, "0.0").pair(49, "-0.25");
  LtypeLines(l, "DASHED", "- - - - - - ");
  l.pair(73, "2").pair(40, "0.375").pair(49, "0.25").pair(49, "-0.125").pair(0, "ENDTAB").pair(0, "TABLE");
  l.pair(2, "LAYER").code(70).line(IntStr(24));
  // Layer "0" is always red, whatever entry 0 of LayerColors holds.
  LayerLines(l, "0", 1, "CONTINUOUS");
  LayerLines(l, NameValue(cadSettings.LayerNames[1]), colour(cadSettings.LayerColors[1]), "DASHDOT");
  LayerLines(l, NameValue(cadSettings.LayerNames[2]), colour(cadSettings.LayerColors[2]), "DASHED");
  for (int i = 3; i <= 5; ++i)
    LayerLines(l, NameValue(cadSettings.LayerNames[i]), colour(cadSettings.LayerColors[i]), "CONTINUOUS");
  for (int i = 16; i <= 31; ++i) LayerLines(l, IntStr(i), colour(cadSettings.ColorLayerColors[i]), "CONTINUOUS");
  l.pair(0, "ENDTAB").pair(0, "TABLE").pair(2, "STYLE").pair(70, "1").pair(0, "STYLE").pair(2, "STANDARD");
  l.pair(70, "0").pair(40, "0.0").pair(41, "1.0").pair(50, "0.0").pair(71, "0").pair(42, "3.5");
  l.pair(3, UpperStr(cadSettings.CadTextFont)).pair(4, "");
  // The group code of ENDTAB goes out unpadded, as a plain value line.
  l.line("0").line("ENDTAB").pair(0, "ENDSEC");
  l.write();
}

void DxfBeginBlocks() { Lines().pair(0, "SECTION").pair(2, "BLOCKS").write(); }

void DxfBlock(const std::string& name) {
  Lines l;
  EntityStart(l, "BLOCK").pair(2, NameValue(name)).pair(70, "0").pair(10, "0.0").pair(20, "0.0").write();
}

void DxfEndBlock() { Lines().pair(0, "ENDBLK").write(); }

void DxfEndSection() { Lines().pair(0, "ENDSEC").write(); }

void DxfBeginEntities() { Lines().pair(0, "SECTION").pair(2, "ENTITIES").write(); }

// ---- Entities ----

void DxfLine(long double x1, long double y1, long double x2, long double y2, int32_t minDecimals) {
  Lines l;
  EntityStart(l, "LINE").reals({{10, x1}, {20, y1}, {11, x2}, {21, y2}}, DxfDecimals(minDecimals)).write();
}

void DxfCircle(long double x, long double y, long double r, int32_t minDecimals) {
  Lines l;
  EntityStart(l, "CIRCLE").reals({{10, x}, {20, y}, {40, r}}, DxfDecimals(minDecimals)).write();
}

void DxfArc(long double x, long double y, long double a1, long double a2, long double r, int32_t minDecimals) {
  Lines l;
  EntityStart(l, "ARC").reals({{10, x}, {20, y}, {40, r}, {50, a1}, {51, a2}}, DxfDecimals(minDecimals)).write();
}

namespace {

// The texts of a TEXT's text style (groups 7, 41, 50, 51), kept while the style stays: a drawing
// writes many texts in one style, and the style's numbers take the general formatter.
std::string_view TextStyleLines() {
  struct Style {
    long double width = 0.0L, angle = 0.0L, oblique = 0.0L;
    int32_t sigDigits = 0;
    bool known = false;
    std::string lines;
  };
  static Style last;
  // The texts depend on the three values and the display's significant digits alone; a NaN never
  // equals itself and is formatted afresh.
  if (!last.known || last.width != cadrun.TextWidthFactor || last.angle != cadrun.TextAngle ||
      last.oblique != cadrun.TextObliqueAngle || last.sigDigits != programState.SigDigits) {
    LineBuffer buffer;
    Lines lines(buffer);
    lines.pair(7, "STANDARD");
    lines.pair(41, RealStr3Dot(cadrun.TextWidthFactor)).pair(50, RealStr3Dot(cadrun.TextAngle));
    lines.pair(51, RealStr3Dot(cadrun.TextObliqueAngle));
    last.lines.assign(lines.view());
    last.width = cadrun.TextWidthFactor;
    last.angle = cadrun.TextAngle;
    last.oblique = cadrun.TextObliqueAngle;
    last.sigDigits = programState.SigDigits;
    last.known = true;
  }
  return last.lines;
}

// Printable ASCII is the same in the DOS and the Windows code page and in every text mode.
bool PlainAscii(const std::string& s) {
  for (const char c : s)
    if (c < ' ' || c > '~') return false;
  return true;
}

}  // namespace

void DxfText(const std::string& text, long double x, long double y, int32_t minDecimals) {
  Lines l;
  EntityStart(l, "TEXT").reals({{10, x}, {20, y}, {40, cadrun.TextHeight}}, DxfDecimals(minDecimals));
  if (PlainAscii(text)) l.pair(1, text);
  else l.pair(1, DxfTextValue(text));
  l.bytes(TextStyleLines()).write();
}

void DxfSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4, int32_t minDecimals) {
  Lines l;
  EntityStart(l, "SOLID")
      .reals({{10, x1}, {20, y1}, {11, x2}, {21, y2}, {12, x3}, {22, y3}, {13, x4}, {23, y4}},
             DxfDecimals(minDecimals))
      .write();
}

void DxfInsert(const std::string& name, long double x, long double y, long double angle, long double xScale,
               long double yScale, int32_t minDecimals) {
  Lines l;
  EntityStart(l, "INSERT")
      .pair(2, NameValue(name))
      .reals({{10, x}, {20, y}, {41, xScale}, {42, yScale}, {50, angle}}, DxfDecimals(minDecimals))
      .write();
}

std::string DxfLayerName(int32_t n) {
  if (n <= 0) return "0";
  if (n <= 5) return cadSettings.LayerNames[static_cast<size_t>(n)];
  return IntStr(n);
}

void DxfSelectLayer(int32_t n) { cadrun.CurrentLayerName = DxfLayerName(n); }

void DxfClose() {
  Lines().pair(0, "EOF").write();
  // Closed whatever the writes did: a failed rewrite then leaves the old file as it was.
  if (!ShareTextFile.Close()) programState.ErrorFlag = true;
}

}  // namespace qorva
