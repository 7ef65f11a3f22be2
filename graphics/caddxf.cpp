#include "graphics/caddxf.h"
#include "graphics/kwencad.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "foundation/cad8var.h"
#include "foundation/kwenvar.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/wkwenvar.h"

namespace qorva {

namespace {

// One line of the file, checked at once. After the first failure nothing more is written: the
// file is discarded at its close anyway, and a half-written pair would only hide the cause.
bool PutLine(std::string_view line) {
  if (ShareTextFile.Failed() || !ShareTextFile.WriteLn(line)) {
    kwenvar.ErrorFlag = true;
    return false;
  }
  return true;
}

bool Pair(int32_t code, const std::string& value) {
  return PutLine(BlankPad(code, 3)) && PutLine(DxfValueText(value));
}

bool RealPair(int32_t code, long double x, int32_t decimals) {
  return PutLine(BlankPad(code, 3)) && PutLine(DxfRealText(x, decimals));
}

using Pairs = std::initializer_list<std::pair<int32_t, std::string>>;

bool PairList(Pairs pairs) {
  for (const auto& [code, value] : pairs)
    if (!Pair(code, value)) return false;
  return true;
}

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

// The start of every entity: its type and the layer in force.
bool EntityStart(const char* type) { return Pair(0, type) && Pair(8, NameValue(cadrun.CurrentLayerName)); }

// Coordinate pairs (code, value) with the same decimals.
bool Reals(std::initializer_list<std::pair<int32_t, long double>> reals, int32_t decimals) {
  for (const auto& [code, x] : reals)
    if (!RealPair(code, x, decimals)) return false;
  return true;
}

}  // namespace

// ---- Line pairs ----

void DxfGroupCode(int32_t code) { PutLine(BlankPad(code, 3)); }

void DxfValueStr(const std::string& s) { PutLine(DxfValueText(s)); }

void DxfValueInt(int32_t n) { PutLine(IntStr(n)); }

void DxfValueReal(long double x, int32_t minDecimals) { PutLine(DxfRealText(x, DxfDecimals(minDecimals))); }

std::string DxfValueText(const std::string& s) {
  // A CR or LF would end the value line early (and ^Z ends a file for the program's own reader), so
  // the next line would be read as a group code.
  if (s.find_first_of("\r\n\x1a") == std::string::npos) return s;
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;  // CR LF is one break
    r += (c == '\r' || c == '\n' || c == '\x1a') ? ' ' : c;
  }
  return r;
}

int32_t DxfDecimals(int32_t minDecimals) {
  int32_t d = std::max(cad8var.CadDecimals, minDecimals);
  if (BlockFileCode()) d = std::max(d, DxfBlockFileDecimals);
  return std::clamp(d, int32_t{0}, DxfMaxDecimals);
}

namespace {

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

// The coordinate text of RealStrFixDot for ordinary sizes, built from the exact binary value: x is
// first rounded to 18 significant digits (to nearest, a tie to even), then half away from zero to
// the decimals. The general formatter goes through long double texts, which take most of the time
// a drawing spends on writing its file. False for sizes left to the general formatter.
bool FastRealText(long double x, int32_t decimals, std::string& out) {
  if (!std::isfinite(x)) return false;
  long double ax = std::fabs(x);
  if (ax >= 1e15L) return false;
  const bool neg = std::signbit(x);
  if (ax < 1e-8L) ax = 0.0L;  // as the formatter does

  // Digits: intLen digits of the whole part, then the decimals generated so far.
  char d[80];
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

}  // namespace

std::string DxfRealText(long double x, int32_t decimals) {
  decimals = std::clamp(decimals, int32_t{0}, DxfMaxDecimals);
  if (std::string fast; FastRealText(x, decimals, fast)) return fast;
  int32_t intDigits = 0;
  int32_t decDigits = 0;
  SigDigitCounts(intDigits, decDigits, 3, x);
  // The formatter shifts its decimals by the display's significant digits; a drawing file keeps
  // the decimals it was asked for.
  struct SigDigitsAtThree {
    int32_t saved = std::exchange(kwenvar.SigDigits, 3);
    ~SigDigitsAtThree() { kwenvar.SigDigits = saved; }
  } guard;
  const std::string text = RealStrFixDot(intDigits, decimals, x);
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? text : text.substr(first);
}

// ---- Sections and tables ----

void DxfHeader(long double xmin, long double ymin, long double xmax, long double ymax) {
  const int32_t d = DxfDecimals();
  PairList({{0, "SECTION"}, {2, "HEADER"}, {9, "$EXTMIN"}}) && Reals({{10, xmin}, {20, ymin}}, d) &&
      Pair(9, "$EXTMAX") && Reals({{10, xmax}, {20, ymax}}, d) && Pair(9, "$LIMMIN") &&
      Reals({{10, xmin}, {20, ymin}}, d) && Pair(9, "$LIMMAX") && Reals({{10, xmax}, {20, ymax}}, d) &&
      PairList({{9, "$LTSCALE"}, {40, "15"}, {9, "$DWGCODEPAGE"}, {3, DxfCodePage}, {0, "ENDSEC"}});
}

std::string DxfTextValue(const std::string& text) {
  if (!CadOutputConvertsBlockTexts()) return text;
  const std::string converted = ConvertCadText(text);
  // DosToWin gives Windows bytes already; what the other modes leave are DOS bytes.
  return wkwenvar.CadTextMode == 2 ? converted : OemToAnsiStr(converted);
}

void DxfLtypeEntry(const std::string& name, const std::string& description) {
  PairList({{0, "LTYPE"}, {2, name}, {70, "64"}, {3, description}, {72, "65"}});
}

void DxfLayerEntry(const std::string& name, uint8_t colour, const std::string& lineType) {
  Pair(0, "LAYER") && Pair(2, name) && Pair(70, "0") && PutLine(BlankPad(62, 3)) && PutLine(IntStr(colour)) &&
      Pair(6, lineType);
}

void DxfTables() {
  // A layer takes a DXF colour number 1..255; a number from an edited configuration is brought into
  // that byte, and one that comes out as 0 (by block, which no layer may have) is drawn white (7).
  const auto colour = [](int32_t c) -> uint8_t {
    if (cad8var.LayerMonochrome) return uint8_t{1};
    const auto byte = static_cast<uint8_t>(static_cast<uint32_t>(c) & 0xFFu);
    return byte == 0 ? uint8_t{7} : byte;
  };
  if (!PairList({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LTYPE"}, {70, "23"}})) return;
  DxfLtypeEntry("CONTINUOUS", "Ausgezogene Linie");
  if (!PairList({{73, "0"}, {40, "0.0"}})) return;
  DxfLtypeEntry("DASHDOT", "--. --. --.-");
  if (!PairList({{73, "4"}, {40, "1.0"}, {49, "0.5"}, {49, "-0.25"}, {49, "0.0"}, {49, "-0.25"}})) return;
  DxfLtypeEntry("DASHED", "- - - - - - ");
  if (!PairList({{73, "2"}, {40, "0.375"}, {49, "0.25"}, {49, "-0.125"}, {0, "ENDTAB"}, {0, "TABLE"},
                 {2, "LAYER"}}))
    return;
  if (!PutLine(BlankPad(70, 3)) || !PutLine(IntStr(24))) return;
  // Layer "0" is always red, whatever entry 0 of LayerColors holds.
  DxfLayerEntry("0", 1, "CONTINUOUS");
  DxfLayerEntry(NameValue(cad8var.LayerNames[1]), colour(cad8var.LayerColors[1]), "DASHDOT");
  DxfLayerEntry(NameValue(cad8var.LayerNames[2]), colour(cad8var.LayerColors[2]), "DASHED");
  for (int i = 3; i <= 5; ++i)
    DxfLayerEntry(NameValue(cad8var.LayerNames[i]), colour(cad8var.LayerColors[i]), "CONTINUOUS");
  for (int i = 16; i <= 31; ++i) DxfLayerEntry(IntStr(i), colour(cad8var.ColorLayerColors[i]), "CONTINUOUS");
  if (ShareTextFile.Failed()) return;
  PairList({{0, "ENDTAB"},
            {0, "TABLE"},
            {2, "STYLE"},
            {70, "1"},
            {0, "STYLE"},
            {2, "STANDARD"},
            {70, "0"},
            {40, "0.0"},
            {41, "1.0"},
            {50, "0.0"},
            {71, "0"},
            {42, "3.5"},
            {3, UpperStr(cad8var.CadTextFont)},
            {4, ""}}) &&
      // The group code of ENDTAB goes out unpadded, as a plain value line.
      PutLine("0") && PutLine("ENDTAB") && Pair(0, "ENDSEC");
}

void DxfBeginBlocks() { PairList({{0, "SECTION"}, {2, "BLOCKS"}}); }

void DxfBlock(const std::string& name) {
  EntityStart("BLOCK") && PairList({{2, NameValue(name)}, {70, "0"}, {10, "0.0"}, {20, "0.0"}});
}

void DxfEndBlock() { Pair(0, "ENDBLK"); }

void DxfEndSection() { Pair(0, "ENDSEC"); }

void DxfBeginEntities() { PairList({{0, "SECTION"}, {2, "ENTITIES"}}); }

// ---- Entities ----

void DxfLine(long double x1, long double y1, long double x2, long double y2, int32_t minDecimals) {
  EntityStart("LINE") && Reals({{10, x1}, {20, y1}, {11, x2}, {21, y2}}, DxfDecimals(minDecimals));
}

void DxfCircle(long double x, long double y, long double r, int32_t minDecimals) {
  EntityStart("CIRCLE") && Reals({{10, x}, {20, y}, {40, r}}, DxfDecimals(minDecimals));
}

void DxfArc(long double x, long double y, long double a1, long double a2, long double r, int32_t minDecimals) {
  EntityStart("ARC") && Reals({{10, x}, {20, y}, {40, r}, {50, a1}, {51, a2}}, DxfDecimals(minDecimals));
}

void DxfText(const std::string& text, long double x, long double y, int32_t minDecimals) {
  EntityStart("TEXT") && Reals({{10, x}, {20, y}, {40, cadrun.TextHeight}}, DxfDecimals(minDecimals)) &&
      PairList({{1, DxfTextValue(text)},
                {7, "STANDARD"},
                {41, RealStr3Dot(cadrun.TextWidthFactor)},
                {50, RealStr3Dot(cadrun.TextAngle)},
                {51, RealStr3Dot(cadrun.TextObliqueAngle)}});
}

void DxfSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4, int32_t minDecimals) {
  EntityStart("SOLID") && Reals({{10, x1}, {20, y1}, {11, x2}, {21, y2}, {12, x3}, {22, y3}, {13, x4}, {23, y4}},
                                DxfDecimals(minDecimals));
}

void DxfInsert(const std::string& name, long double x, long double y, long double angle, long double xScale,
               long double yScale, int32_t minDecimals) {
  EntityStart("INSERT") && Pair(2, NameValue(name)) &&
      Reals({{10, x}, {20, y}, {41, xScale}, {42, yScale}, {50, angle}}, DxfDecimals(minDecimals));
}

std::string DxfLayerName(int32_t n) {
  if (n <= 0) return "0";
  if (n <= 5) return cad8var.LayerNames[static_cast<size_t>(n)];
  return IntStr(n);
}

void DxfSelectLayer(int32_t n) { cadrun.CurrentLayerName = DxfLayerName(n); }

void DxfClose() {
  Pair(0, "EOF");
  // Closed whatever the writes did: a failed rewrite then leaves the old file as it was.
  if (!ShareTextFile.Close()) kwenvar.ErrorFlag = true;
}

}  // namespace qorva
