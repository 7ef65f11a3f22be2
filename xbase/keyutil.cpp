#include "xbase/keyutil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "xbase/nationaldates.h"

namespace qorva {

KeyUtil keyUtil;

void InitKeyUtil() { keyUtil = KeyUtil{}; }

namespace {

constexpr int32_t JulianBase = 1721425;  // day number of the day before 0001-01-01
constexpr int32_t MonthStart[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int32_t MonthLength[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr char SoundexTable[] = "01230120022455012623010202";

// A date part as a decimal number: leading blanks, then digits only; -1 when it is none.
int32_t DatePart(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return -1;
  int32_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

void PutDigits(char* out, int32_t value, int32_t width) {
  for (int32_t i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// The national date text as MM/DD/YYYY (four-digit year whatever the setting says).
std::string AmericanWithCentury(const std::string& text) {
  std::string s = text.substr(0, std::min<size_t>(text.size(), 10));
  const bool century = nationalDates.CenturyDates;
  nationalDates.CenturyDates = true;
  DateTextToAmerican(s);
  nationalDates.CenturyDates = century;
  return s;
}

std::string_view Part(const std::string& s, size_t from, size_t n) {
  if (from >= s.size()) return {};
  return std::string_view(s).substr(from, n);
}

}  // namespace

// ---- Bytes and texts ------------------------------------------------------------------------

int32_t MemCompare(const void* a, const void* b, uint16_t n) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (uint16_t i = 0; i < n; ++i)
    if (x[i] != y[i]) return static_cast<int32_t>(x[i]) - static_cast<int32_t>(y[i]);
  return 0;
}

int32_t CompareDouble(const double* a, const double* b) {
  if (*a < *b) return -1;
  if (*a > *b) return 1;
  return 0;
}

std::string IntToZeroStr(int32_t value, int32_t width) {
  char buf[8];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<uint16_t>(value));
  std::string s(buf, r.ptr);
  if (static_cast<int32_t>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}

void ReverseBytes(void* p, size_t n) {
  auto* b = static_cast<uint8_t*>(p);
  std::reverse(b, b + n);
}

void RotateBlocks(void* block, size_t p, size_t q) {
  if (p == 0 || q == 0) return;
  auto* b = static_cast<uint8_t*>(block);
  ReverseBytes(b, p);
  ReverseBytes(b + p, q);
  ReverseBytes(b, p + q);
}

bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// ---- Packed decimal keys --------------------------------------------------------------------

void NumStrToBcdKey(TBcdKey& key, std::string_view text, size_t length, int32_t decimals) {
  key.Bytes.fill(0);
  const size_t n = std::min(length, text.size());
  size_t i = 0;
  bool negative = false;
  while (i < n && text[i] == ' ') ++i;
  if (i < n && text[i] == '+') {
    ++i;
  } else if (i < n && text[i] == '-') {
    negative = true;
    ++i;
  }
  while (i < n && (text[i] == ' ' || text[i] == '0')) ++i;
  int32_t exponent = 0x34;
  bool point = false;
  if (i < n && text[i] == '.') {
    point = true;
    ++i;
    int32_t zeros = 0;
    while (i < n && text[i] == '0') {
      ++zeros;
      ++i;
    }
    if (i < n) exponent -= zeros;
  }
  int32_t stored = 0, trailing = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      if (stored == 20) break;
      const auto digit = static_cast<uint8_t>(c - '0');
      key.Bytes[2 + stored / 2] |= stored % 2 == 0 ? static_cast<uint8_t>(digit << 4) : digit;
      ++stored;
      if (!point) ++exponent;
      trailing = c == '0' ? trailing + 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  key.Bytes[0] = static_cast<uint8_t>(exponent);
  int32_t count = stored - trailing;
  if (point && decimals > trailing) count = stored;
  else if (count != 0 && count < 10) count = 10;
  count = std::min(count, 20);
  key.Bytes[1] = 1;
  if (count != 0) key.Bytes[1] |= static_cast<uint8_t>((negative ? 0x80 : 0) | count << 2);
}

void DoubleToBcdKey(TBcdKey& key, int32_t decimals, double value) {
  char buf[400];
  size_t len = 0;
  if (std::isfinite(value)) {
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::clamp(decimals, 0, 60));
    if (r.ec == std::errc()) len = static_cast<size_t>(r.ptr - buf);
  }
  NumStrToBcdKey(key, std::string_view(buf, len), std::min<size_t>(len, 50), decimals);
}

int32_t CompareBcdKey(const TBcdKey& a, const TBcdKey& b) {
  const int32_t signA = a.Negative() ? -1 : 1;
  const int32_t signB = b.Negative() ? -1 : 1;
  if (signA != signB) return signA;
  const int32_t expA = a.DigitCount() == 0 ? 0 : a.Exponent();
  const int32_t expB = b.DigitCount() == 0 ? 0 : b.Exponent();
  if (expA != expB) return expA > expB ? signA : -signA;
  const auto bytes = static_cast<uint16_t>((std::max(a.DigitCount(), b.DigitCount()) + 1) / 2);
  return signA > 0 ? MemCompare(&a.Bytes[2], &b.Bytes[2], bytes) : MemCompare(&b.Bytes[2], &a.Bytes[2], bytes);
}

// ---- SOUNDEX --------------------------------------------------------------------------------

void SoundexTo(char out[5], std::string_view text) {
  std::memcpy(out, "0000", 5);
  const size_t n = std::min<size_t>(text.size(), 100);
  if (n == 0) return;
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  out[0] = up(text[0]);
  char last = IsUpperLetter(out[0]) ? SoundexTable[out[0] - 'A'] : '0';
  int32_t set = 1;
  for (size_t i = 1; i < n && set < 4; ++i) {
    const char c = up(text[i]);
    if (!IsUpperLetter(c)) continue;
    const char digit = SoundexTable[c - 'A'];
    if (digit != last && digit != '0') out[set++] = digit;
    last = digit;
  }
}

std::string Soundex(std::string_view text) {
  char out[5];
  SoundexTo(out, text);
  return std::string(out, 4);
}

// ---- Calendar -------------------------------------------------------------------------------

bool IsLeapYear(int32_t year) { return XbIsLeapYear(year); }

int32_t DayOfYear(int32_t year, int32_t month, int32_t day) {
  if (year < 0 || month < 1 || month > 12 || day < 1) return -1;
  const bool leap = IsLeapYear(year);
  const int32_t length = month == 2 && leap ? 29 : MonthLength[month];
  if (day > length) return -1;
  return MonthStart[month] + day + (leap && month > 2 ? 1 : 0);
}

int32_t DaysBeforeYear(int32_t year) {
  const int32_t z = year - 1;
  if (z < 1) return 0;
  return 365 * z + z / 4 - z / 100 + z / 400;
}

void MonthDayOf(int32_t dayOfYear, bool leap, int32_t& month, int32_t& day) {
  int32_t n = dayOfYear;
  if (leap) {
    if (n == 60) {
      month = 2;
      day = 29;
      return;
    }
    if (n > 60) --n;
  }
  month = 12;
  for (int32_t m = 1; m <= 12; ++m) {
    if (MonthStart[m] + MonthLength[m] >= n) {
      month = m;
      break;
    }
  }
  day = n - MonthStart[month];
}

double YmdToJulian(int32_t year, int32_t month, int32_t day) {
  const int32_t doy = DayOfYear(year, month, day);
  if (doy == -1) return 0;
  return static_cast<double>(doy + DaysBeforeYear(year) + JulianBase);
}

bool JulianToYmd(double julian, int32_t& year, int32_t& month, int32_t& day) {
  year = month = day = 0;
  if (!(julian >= FirstJulianDay && julian < LastJulianDay + 1.0)) return false;
  // Whole 400-year cycles first, then the year inside the cycle, counted from March so that a
  // leap day falls at the end of its year.
  const auto z = static_cast<uint32_t>(static_cast<int32_t>(julian) - 1721120);  // days since 0000-03-01
  const uint32_t era = z / 146097;
  const uint32_t doe = z - era * 146097;
  const uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const uint32_t mp = (5 * doy + 2) / 153;
  day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int32_t>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return true;
}

double DbfDateToJulian(std::string_view stored) {
  stored = stored.substr(0, std::min<size_t>(stored.size(), 8));
  if (stored.size() < 8) return 0;
  const int32_t y = DatePart(stored.substr(0, 4));
  const int32_t m = DatePart(stored.substr(4, 2));
  const int32_t d = DatePart(stored.substr(6, 2));
  if (y < 0 || m < 0 || d < 0) return 0;
  return YmdToJulian(y, m, d);
}

double DateTextToJulian(const std::string& text) {
  const std::string s = AmericanWithCentury(text);
  const int32_t m = DatePart(Part(s, 0, 2));
  const int32_t d = DatePart(Part(s, 3, 2));
  const int32_t y = DatePart(Part(s, 6, 4));
  if (y < 0 || m < 0 || d < 0) return 0;
  return YmdToJulian(y, m, d);
}

void JulianToDbfDateTo(char out[9], double julian) {
  int32_t y, m, d;
  if (JulianToYmd(julian, y, m, d)) {
    PutDigits(out, y, 4);
    PutDigits(out + 4, m, 2);
    PutDigits(out + 6, d, 2);
  } else {
    std::memset(out, ' ', 8);
  }
  out[8] = '\0';
}

std::string JulianToDbfDate(double julian) {
  char out[9];
  JulianToDbfDateTo(out, julian);
  return std::string(out, 8);
}

size_t JulianToDateTextTo(char out[11], double julian) {
  int32_t y, m, d;
  const bool valid = JulianToYmd(julian, y, m, d);
  const bool century = nationalDates.CenturyDates;
  const int32_t yearWidth = century ? 4 : 2;
  const uint8_t format = nationalDates.XbDateFormat;
  // Format 7 writes day.month.year like the other formats from 4 on.
  const char sep = format == 0 || format == 2 || format == 8 ? '/' : format == 3 ? '-' : '.';
  char* p = out;
  auto put = [&](int32_t value, int32_t width) {
    if (valid) PutDigits(p, value % (width == 2 ? 100 : 10000), width);
    else std::memset(p, ' ', static_cast<size_t>(width));
    p += width;
  };
  auto putSep = [&] { *p++ = sep; };
  if (format == 1) {
    put(y, yearWidth);
    putSep();
    put(m, 2);
    putSep();
    put(d, 2);
  } else {
    put(format == 0 ? m : d, 2);
    putSep();
    put(format == 0 ? d : m, 2);
    putSep();
    put(y, yearWidth);
  }
  *p = '\0';
  return static_cast<size_t>(p - out);
}

std::string JulianToDateText(double julian) {
  char out[11];
  const size_t n = JulianToDateTextTo(out, julian);
  return std::string(out, n);
}

std::string DateTextToDbfDate(const std::string& text) {
  const std::string s = AmericanWithCentury(text);
  const int32_t m = std::max(DatePart(Part(s, 0, 2)), 0);
  const int32_t d = std::max(DatePart(Part(s, 3, 2)), 0);
  const int32_t y = std::max(DatePart(Part(s, 6, 4)), 0);
  std::string r = IntToZeroStr(y, 4) + IntToZeroStr(m, 2) + IntToZeroStr(d, 2);
  if (r == "00000000") r.assign(8, ' ');
  return r;
}

}  // namespace qorva
