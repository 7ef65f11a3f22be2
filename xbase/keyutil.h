#pragma once
// keyutil: low-level helpers shared by the index engine and the expression engine: byte-block
// comparisons and moves, the packed decimal form of numeric keys, upper-casing, the SOUNDEX code
// and the calendar behind date values. Dates are Julian day numbers held in doubles: 0001-01-01 is
// 1721426, 9999-12-31 is 5373484, 0 is the blank date. Also holds the key expression the index
// engine is working with and the routine that evaluates it (installed by the expression module).
// May call: nationalDates. Nothing else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorva {

struct TExprControlBlock;

constexpr int32_t FirstJulianDay = 1721426;  // 0001-01-01
constexpr int32_t LastJulianDay = 5373484;   // 9999-12-31

struct KeyUtil {
  TExprControlBlock* KeyExpr = nullptr;  // set by the index engine before it builds keys
  void* (*KeyEvalProc)() = nullptr;      // evaluates KeyExpr; empty until the expression module starts
};
extern KeyUtil keyUtil;
void InitKeyUtil();

// ---- Bytes and texts ------------------------------------------------------------------------

// 0 when the first n bytes are equal, else the first differing byte of a minus that of b (unsigned).
int32_t MemCompare(const void* a, const void* b, uint16_t n);
// -1, 0 or 1.
int32_t CompareDouble(const double* a, const double* b);
// The low 16 bits of value in decimal, "0" in front up to width characters (never cut).
std::string IntToZeroStr(int32_t value, int32_t width);
void ReverseBytes(void* p, size_t n);
// The p bytes at block and the q bytes after them change places; nothing when p or q is 0.
void RotateBlocks(void* block, size_t p, size_t q);
bool IsUpperLetter(char c);
// a to z upper-cased, every other byte unchanged.
std::string UpperAscii(std::string text);

// ---- Packed decimal keys --------------------------------------------------------------------

// Byte 0: exponent ($34 + digits before the point, minus the zeros right after it for numbers
// below 1); byte 1: bit 7 negative, bits 2..6 digit count, bit 0 always set; bytes 2..11: up to 20
// digits, two per byte, high half first. Zero has count 0 and no sign.
struct TBcdKey {
  std::array<uint8_t, 12> Bytes{};
  uint8_t Exponent() const { return Bytes[0]; }
  bool Negative() const { return (Bytes[1] & 0x80) != 0; }
  int32_t DigitCount() const { return (Bytes[1] >> 2) & 0x1F; }
};

// Reads the first length characters of text (blanks, sign, digits and one decimal point).
void NumStrToBcdKey(TBcdKey& key, std::string_view text, size_t length, int32_t decimals);
void DoubleToBcdKey(TBcdKey& key, int32_t decimals, double value);
// Negative, 0 or positive as a orders before, with or after b.
int32_t CompareBcdKey(const TBcdKey& a, const TBcdKey& b);

// ---- SOUNDEX --------------------------------------------------------------------------------

// The first character of the text followed by up to three digits, filled with "0"; "0000" for an
// empty text. out receives 4 characters and a terminator.
void SoundexTo(char out[5], std::string_view text);
std::string Soundex(std::string_view text);

// ---- Calendar -------------------------------------------------------------------------------

bool IsLeapYear(int32_t year);
// 1..366, or -1 for an invalid date.
int32_t DayOfYear(int32_t year, int32_t month, int32_t day);
int32_t DaysBeforeYear(int32_t year);
void MonthDayOf(int32_t dayOfYear, bool leap, int32_t& month, int32_t& day);
// 0 for an invalid date.
double YmdToJulian(int32_t year, int32_t month, int32_t day);
// A day number inside FirstJulianDay..LastJulianDay (fractions cut) as year, month and day;
// false (all 0) outside.
bool JulianToYmd(double julian, int32_t& year, int32_t& month, int32_t& day);
// Stored YYYYMMDD (at most 8 characters read); blank or invalid gives 0.
double DbfDateToJulian(std::string_view stored);
// A date text of the national format (at most 10 characters read); 0 when it is no date.
double DateTextToJulian(const std::string& text);
// YYYYMMDD, or 8 blanks outside the calendar. out receives 8 characters and a terminator.
void JulianToDbfDateTo(char out[9], double julian);
std::string JulianToDbfDate(double julian);
// The date text in XbDateFormat with two- or (CenturyDates) four-digit year; the blank text of
// the same pattern outside the calendar. out must hold 11 bytes; returns the length.
size_t JulianToDateTextTo(char out[11], double julian);
std::string JulianToDateText(double julian);
// The national date text as YYYYMMDD without a validity check; the empty date gives 8 blanks.
std::string DateTextToDbfDate(const std::string& text);

}  // namespace qorva
