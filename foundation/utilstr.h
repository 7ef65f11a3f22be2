#pragma once
// utilstr: number formatting and parsing, the unit layer of the five unit systems, dates as text,
// the command-line switch test, and the text routines with the DOS (437) <-> Windows (1252)
// code-page conversions.
//
// Texts are DOS code page 437 bytes (DosText) unless a name says Windows. Numbers are formatted and
// parsed with std::to_chars/std::from_chars only, so the process locale never changes a text.
// Reads programState.SigDigits, desktopSettings.UnitSystem, DateFormat, PlainAscii, CadTextMode; writes
// programState.WrapLines (WrapToLines).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorva {

struct Utilstr {
  // Decimal mark of formatted numbers ("." or ","). The ...Dot formatters always write ".".
  char DecimalMark = '.';
  // The command-line parameters without the program name (the shell stores them at start).
  std::vector<std::string> ProgramParams;
};

extern Utilstr utilstr;

// Decimal mark ".", no parameters.
void InitUtilstr();

// ---- Integer texts ----

std::string IntStr(int64_t i);
// Zeros in front up to width characters (in front of a minus sign too); never cut.
std::string ZeroPad(int64_t i, int32_t width);
// Blanks in front up to width characters; never cut.
std::string BlankPad(int64_t i, int32_t width);
// The character with code n + 64 (1 gives "A").
std::string NumToLetter(int32_t n);

// ---- Real texts ----

// x in scientific notation with 17 decimals ("1.23450000000000000e+02"), exactly as std::to_chars
// gives it, in buf; for the magnitudes the program shows without going through printf.
std::string_view ScientificText17(long double x, char (&buf)[64]);

// Integer and decimal digit counts for showing x with n significant digits.
void SigDigitCounts(int32_t& intDigits, int32_t& decDigits, int32_t n, long double x);
// Fixed notation with decDigits decimals (shifted by SigDigits - 3), right-aligned by leading blanks
// to intDigits + decDigits + 1 characters (intDigits when decDigits is 0); never cut.
std::string RealStrFix(int32_t intDigits, int32_t decDigits, long double x);
// 3 significant digits, trailing zeros dropped; "0" when |x| < 1e-5.
std::string RealStr3(long double x);
// As RealStr3 with 3 - k significant digits.
std::string RealStr3Minus(int32_t k, long double x);
// The integer digits of 3 significant digits and dec decimals.
std::string RealStrDec(int32_t dec, long double x);
// 3 significant digits right-aligned in width characters.
std::string RealStr3W(int32_t width, long double x);
// Engineering notation: exponent a multiple of 3 ("12.34E3", "1.2E-3").
std::string RealStrEng(long double x);
// Fixed notation for ordinary sizes, engineering notation below 1e-4 and from 10000 on.
std::string RealStrAuto(long double x);
// The same texts with "." as decimal mark whatever DecimalMark says (for files).
std::string RealStrDecDot(int32_t dec, long double x);
std::string RealStr3Dot(long double x);
std::string RealStrFixDot(int32_t intDigits, int32_t decDigits, long double x);

// ---- Parsers (accept "," as well as ".") ----

// The first "," counts as "."; 0 when s is no number (leading blanks allowed, trailing ones not).
long double StrToReal(const std::string& s);
// Decimal, or hexadecimal after "$" or "0x"; 0 when s is no integer or out of the 32-bit range.
int32_t StrToInt0(const std::string& s);
// As StrToReal, but tells whether s was a number at all.
bool TryStrToReal(const std::string& s, long double& value);

// ---- Unit layer: values in mm, N, MPa, Nmm, degrees Celsius, g ----

std::string LengthStr(long double mm);
std::string LengthStrDec(int32_t dec, long double mm);
std::string LengthFix(int32_t i, int32_t d, long double mm);
std::string ForceStr(long double n);
std::string ForceFix(int32_t i, int32_t d, long double n);
std::string StressStr(long double mpa);
std::string StressFix(int32_t i, int32_t d, long double mpa);
std::string TorqueStr(long double nmm);
std::string TempStr(long double celsius);
std::string TempFix(int32_t i, int32_t d, long double celsius);
std::string MassStr(long double g);
long double LengthToUnit(long double mm);
long double ForceToUnit(long double n);
long double StressToUnit(long double mpa);
long double StrToLength(const std::string& s);
long double StrToForce(const std::string& s);
long double StrToStress(const std::string& s);
long double StrToTemp(const std::string& s);

std::string LengthUnit();
std::string ForceUnit();
std::string StressUnit();
std::string TorqueUnit();
std::string MassUnit();
std::string TempUnit();
std::string DensityUnit();

// ---- Dates and the command line ----

// By desktopSettings.DateFormat: 1 DD.MM.YYYY, 2 MM/DD/YYYY, 3 YYYY-MM-DD, 4 DD/MM/YYYY, else YYYY/MM/DD.
std::string DateText(uint16_t year, uint16_t month, uint16_t day);
// True when one of utilstr.ProgramParams equals text, both compared in upper case.
bool HasParam(const std::string& text);

// ---- Case, width and cutting (positions count from 1) ----

std::string UpperStr(const std::string& s);
std::string LowerStr(const std::string& s);
std::string PadRight(const std::string& s, int32_t width);
std::string PadLeft(const std::string& s, int32_t width);
std::string LeftStr(const std::string& s, int32_t n);
std::string RightStr(const std::string& s, int32_t n);
std::string CopyFromTo(const std::string& s, int32_t from, int32_t to);
// s when n > its length; the first n characters when n < 11; else start + "__" + end.
std::string ShortenMiddle(const std::string& s, int32_t n);
// Replaces the characters of s from pos on by sub when sub fits inside s; else s is unchanged.
void OverwriteAt(const std::string& sub, std::string& s, int32_t pos);

// ---- Blanks and characters ----

std::string TrimStr(const std::string& s);
void RemoveBlanks(std::string& s);
std::string NoBlanks(const std::string& s);
void ReplaceChar(char oldChar, char newChar, std::string& s);
std::string DotToComma(const std::string& s);
std::string CommaToDot(const std::string& s);
int32_t CountChar(char c, const std::string& s);
// Where the last occurrence of sub begins (from 1); 0 when none or when a text is empty.
int32_t LastPos(const std::string& sub, const std::string& s);
// Cuts s into lines of at most width characters, each ending after the last breakChar that fits
// (or cut at width). Returns every line; the first five also go to programState.WrapLines[1..5].
// A width below 1 wraps at 1.
std::vector<std::string> WrapToLines(const std::string& s, char breakChar, int32_t width, int32_t& lineCount,
                                     int32_t& maxLen);
std::string CopyChars(const std::string& s);

// ---- Code pages ----

// DOS text for display in the Windows code page; with PlainAscii = 1 spelled out in ASCII first.
std::string DosToWin(const std::string& s);
std::string DosToWinStr(const std::string& s);
void DosToWinStr(const std::string& s, std::string& result);
// Windows code page text back to the DOS code page.
std::string WinToDos(const std::string& s);
// Byte for byte conversions (length kept): DOS -> Windows and Windows -> DOS.
std::string OemToAnsiStr(const std::string& s);
std::string AnsiToOemStr(const std::string& s);
char OemToAnsiChar(char c);
char AnsiToOemChar(char c);
// Plain-ASCII spelling of the special characters ("ae", "ss", "deg", "+/-").
std::string AsciiTranslit(const std::string& s);
// The program's own display table for what AsciiTranslit leaves (box lines as "|" and "+").
std::string DosToAnsiTable(const std::string& s);
// CAD text by CadTextMode: 1 unchanged, 2 DosToWin, 3 AsciiTranslit; other values unchanged.
std::string ConvertCadText(const std::string& s);

// Unicode code points of the two code pages (DOS byte 252 is the superscript three here).
char32_t DosCharToUnicode(unsigned char c);
char32_t WinCharToUnicode(unsigned char c);
// The Windows byte of a code point, or false when the code page has none.
bool UnicodeToWinChar(char32_t u, unsigned char& c);

}  // namespace qorva
