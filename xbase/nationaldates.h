#pragma once
// nationaldates: the engine's national settings (date text format, four-digit years, century window,
// decimal and thousands characters) and the conversions and calculations on date texts.
// A table stores a date as YYYYMMDD; the engine hands it around as a short text in the national
// order (31.01.2024, 01/31/2024 ...). MM/DD/YY(YY) is the exchange form between the formats.
// Day and month names are DOS code page bytes (437; Russian 866).

#include <cstdint>
#include <string>

namespace qorva {

// Date text formats (value of XbDateFormat).
//   0 MM/DD/YY   1 YY.MM.DD   2 DD/MM/YY   3 DD-MM-YY   4..8 DD.MM.YY
// 4 French, 5 German, 6 Spanish, 7 French (Canadian), 8 Russian: they differ in the names only.
constexpr uint8_t XbMaxDateFormat = 8;

struct NationalDates {
  uint8_t XbDateFormat = 0;
  bool CenturyDates = true;      // date texts carry four-digit years (10 characters)
  uint16_t XbCenturyBase = 1954;  // first year of the window two-digit years fall into
  char DecimalChar = '.';
  char ThousandsChar = ',';
  // What the window toolkit is told to use for its own date fields (SetDateFormat keeps it in step).
  std::string ShortDatePicture = "MM/dd/yyyy";
  char DateSeparator = '/';
};

extern NationalDates nationalDates;

// Resets every setting to its default; XbCenturyBase := current year - 70 (the clock seam).
void InitNationalDates();

// Engine start-up: date format, DecimalChar and ThousandsChar from the user's language
// (taken from LC_ALL, LC_TIME or LANG), and the century window. Four-digit years stay on.
void InitNationalSettings();
// The same for a given locale name such as "de_DE.UTF-8", "en_GB" or "fr_CA".
void InitNationalSettingsFor(const std::string& localeName);

// The regional conventions the dataset layer starts from.
struct RegionalSettings {
  std::string shortDatePicture;  // "dd.MM.yyyy", "M/d/yyyy", "yyyy-MM-dd" ...
  char dateSeparator = '/';
  char decimalChar = '.';
  char thousandsChar = ',';
};
// The conventions of the user's locale (LC_ALL / LC_TIME / LC_NUMERIC / LANG), read without touching
// the process locale.
RegionalSettings SystemRegionalSettings();
// Second start-up step: separators from the regional settings, CenturyDates when the picture has
// "YYYY", the date format from the picture's first letter and the separator; then SetDateFormat.
void ApplyRegionalSettings(const RegionalSettings& r);

// XbDateFormat := code (9 and up give 0), and the toolkit's picture and separator to match.
void SetDateFormat(uint8_t code);

// Century of a two-digit year text (1900, 2000 ...) by the window starting at XbCenturyBase.
int32_t CenturyOf(const std::string& yearText);
// The century's first two digits ("19", "20").
std::string CenturyDigits(const std::string& yearText);
// With CenturyDates a two-character year gets its century; then "0"s in front up to 4 characters.
std::string ExpandYear(const std::string& yearText);
// The empty date of a format: blanks and the format's separators (10 characters with CenturyDates).
std::string BlankDateText(uint8_t code);

// Rewrites a date text of the current format into MM/DD/YY(YY).
void DateTextToAmerican(std::string& text);
// Rewrites MM/DD/YY(YY) into the current format.
void AmericanToDateText(std::string& text);
// Checks a date text; a valid one is rewritten normalised in the current format (true);
// an invalid one is left unchanged (false). The empty date is valid.
bool ValidDate(std::string& text);

// Date text -> stored YYYYMMDD; stored form -> date text in the current format.
std::string DateTextToDbf(const std::string& text);
std::string DbfToDateText(const std::string& stored);

// 1 = Sunday .. 7 = Saturday; 0 for a text without a numeric day, month and year.
int32_t DayOfWeekOf(const std::string& text);
// Names in the language of the current format, padded to its width (blanks for an empty date or
// a text that names no day or month).
std::string DayName(const std::string& text);
std::string MonthName(const std::string& text);
// Parts as written (a two-digit year stays two-digit); 0 when the part is no number.
int32_t MonthOf(const std::string& text);
int32_t DayOf(const std::string& text);
int32_t YearOf(const std::string& text);

bool XbIsLeapYear(int32_t year);
// a - b * floor(a / b): the remainder with the sign of b (0 for b = 0).
int64_t XbFloorMod(int64_t a, int64_t b);

struct XbDate {
  int32_t year = 0, month = 0, day = 0;
  int32_t dayOfWeek = 0;  // 1 = Sunday
};
// Today from the clock seam.
XbDate XbToday();

struct XbFileDateTime {
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// A file time stamp (seconds since 1970-01-01 UTC, as the file system keeps it) in local time.
XbFileDateTime DecodeFileDate(int64_t stamp);

// Milliseconds since the machine started (wraps like a 32-bit counter) and the same in seconds.
uint32_t XbTickCount();
uint32_t XbTickSeconds();

}  // namespace qorva
