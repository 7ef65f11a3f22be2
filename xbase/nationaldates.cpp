#include "xbase/nationaldates.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

#include "platform/clock.h"

namespace qorva {

NationalDates nationalDates;

namespace {

// Name tables, Sunday and January first. DOS code page 437 (Russian: 866).
enum Language { English, Italian, French, German, Spanish, Russian };

struct NameTable {
  std::array<const char*, 7> days;
  std::array<const char*, 12> months;
  size_t dayWidth;
  size_t monthWidth;
};

const NameTable kNames[] = {
    {{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
     {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
      "November", "December"},
     9,
     9},
    {{"Domenica", "Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato"},
     {"Gennaio", "Febbraio", "Marzo", "Aprile", "Maggio", "Giugno", "Luglio", "Agosto", "Settembre",
      "Ottobre", "Novembre", "Dicembre"},
     9,
     9},
    {{"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"},
     {"Janvier", "F\x82vrier", "Mars", "Avril", "Mai", "Juin", "Juillet", "Ao\x96t", "Septembre", "Octobre",
      "Novembre", "D\x82" "cembre"},
     8,
     9},
    {{"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
     {"Januar", "Februar", "M\x84rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
      "November", "Dezember"},
     10,
     9},
    {{"Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"},
     {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre", "Octubre",
      "Noviembre", "Diciembre"},
     9,
     10},
    {{"\x82\xAE\xE1\xAA\xE0\xA5\xE1\xA5\xAD\xEC\xA5", "\x8F\xAE\xAD\xA5\xA4\xA5\xAB\xEC\xAD\xA8\xAA",
      "\x82\xE2\xAE\xE0\xAD\xA8\xAA", "\x91\xE0\xA5\xA4\xA0", "\x97\xA5\xE2\xA2\xA5\xE0\xA3",
      "\x8F\xEF\xE2\xAD\xA8\xE6\xA0", "\x91\xE3\xA1\xA1\xAE\xE2\xA0"},
     {"\x9F\xAD\xA2\xA0\xE0\xEC", "\x94\xA5\xA2\xE0\xA0\xAB\xEC", "\x8C\xA0\xE0\xE2",
      "\x80\xAF\xE0\xA5\xAB\xEC", "\x8C\xA0\xA9", "\x88\xEE\xAD\xEC", "\x88\xEE\xAB\xEC",
      "\x80\xA2\xA3\xE3\xE1\xE2", "\x91\xA5\xAD\xE2\xEF\xA1\xE0\xEC", "\x8E\xAA\xE2\xEF\xA1\xE0\xEC",
      "\x8D\xAE\xEF\xA1\xE0\xEC", "\x84\xA5\xAA\xA0\xA1\xE0\xEC"},
     11,
     8},
};

const NameTable& NamesOfFormat(uint8_t code) {
  switch (code) {
    case 3: return kNames[Italian];
    case 4:
    case 7: return kNames[French];
    case 5: return kNames[German];
    case 6: return kNames[Spanish];
    case 8: return kNames[Russian];
    default: return kNames[English];
  }
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

std::string PadLeft(std::string s, size_t n, char c) {
  if (s.size() < n) s.insert(0, n - s.size(), c);
  return s;
}

std::string PadRight(std::string s, size_t n) {
  if (s.size() < n) s.append(n - s.size(), ' ');
  return s;
}

bool IsNumber(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int32_t ToInt(const std::string& s) {
  int32_t v = 0;
  if (!IsNumber(s)) return 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() ? v : 0;
}

std::string IntText(int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

void CutAtNul(std::string& s) {
  size_t p = s.find('\0');
  if (p != std::string::npos) s.resize(p);
}

// Splits at sep into three parts; further separators stay in the third part.
std::array<std::string, 3> SplitDate(const std::string& s, char sep) {
  std::array<std::string, 3> parts;
  size_t i = 0;
  for (char c : s) {
    if (c == sep && i < 2)
      ++i;
    else
      parts[i] += c;
  }
  return parts;
}

char SeparatorOf(uint8_t code) {
  switch (code) {
    case 1: return '.';
    case 3: return '-';
    default: return code >= 4 && code <= XbMaxDateFormat ? '.' : '/';
  }
}

// Month, day and year texts of a date text of the current format (the year as written there).
struct DateParts {
  std::string month, day, year;
};

DateParts AmericanParts(const std::string& text) {
  std::string s = text;
  DateTextToAmerican(s);
  auto p = SplitDate(s, '/');
  return {Trim(p[0]), Trim(p[1]), Trim(p[2])};
}

int32_t FullYear(const std::string& yearText) {
  int32_t y = ToInt(yearText);
  if (yearText.size() <= 2) y += CenturyOf(yearText);
  return y;
}

int32_t DaysInMonth(int32_t month, int32_t year) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return XbIsLeapYear(year) ? 29 : 28;
    default: return 31;
  }
}

}  // namespace

void InitNationalDates() {
  nationalDates = NationalDates{};
  nationalDates.XbCenturyBase = static_cast<uint16_t>(clock().now().year - 70);
  SetDateFormat(0);
}

void InitNationalSettingsFor(const std::string& localeName) {
  // "de_DE.UTF-8@euro" -> language "de", region "DE".
  std::string name = localeName.substr(0, localeName.find_first_of(".@"));
  std::string lang = name.substr(0, name.find('_'));
  std::string region = name.find('_') == std::string::npos ? "" : name.substr(name.find('_') + 1);
  for (char& c : lang) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  for (char& c : region) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);

  uint8_t code = 0;
  char dec = '.', thou = ',';
  if (lang == "en") {
    code = region.empty() || region == "US" ? 0 : 2;
  } else if (lang == "it") {
    code = 3, dec = ',', thou = '.';
  } else if (lang == "fr") {
    if (region == "CA")
      code = 7;
    else
      code = 4, dec = ',', thou = '.';
  } else if (lang == "de") {
    code = 5, dec = ',', thou = '.';
  } else if (lang == "es") {
    code = 6, dec = ',', thou = '.';
  } else if (lang == "ru") {
    code = 8, thou = ' ';
  }
  nationalDates.XbDateFormat = code;
  nationalDates.DecimalChar = dec;
  nationalDates.ThousandsChar = thou;
  nationalDates.XbCenturyBase = static_cast<uint16_t>(clock().now().year - 70);
  SetDateFormat(code);
}

namespace {
std::string UserLocaleName() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  return "C";
}

// A locale's separator as one character: multibyte spaces (U+00A0, U+202F) become a blank.
char SingleChar(const char* s, char fallback) {
  if (!s || !*s) return fallback;
  if (s[1] == '\0' && static_cast<unsigned char>(s[0]) < 128) return s[0];
  return ' ';
}
}  // namespace

void InitNationalSettings() { InitNationalSettingsFor(UserLocaleName()); }

RegionalSettings SystemRegionalSettings() {
  RegionalSettings r;
  locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  std::string fmt = loc ? nl_langinfo_l(D_FMT, loc) : "%m/%d/%y";
  // strftime picture -> toolkit picture.
  std::string pic;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] != '%' || i + 1 >= fmt.size()) {
      pic += fmt[i];
      continue;
    }
    switch (fmt[++i]) {
      case 'd': pic += "dd"; break;
      case 'e': pic += "d"; break;
      case 'm': pic += "MM"; break;
      case 'Y': pic += "yyyy"; break;
      case 'y': pic += "yy"; break;
      case 'F': pic += "yyyy-MM-dd"; break;
      case 'D': pic += "MM/dd/yy"; break;
      default: break;
    }
  }
  r.shortDatePicture = pic;
  for (char c : pic)
    if (c != 'd' && c != 'M' && c != 'y') {
      r.dateSeparator = c;
      break;
    }
  r.decimalChar = SingleChar(loc ? nl_langinfo_l(RADIXCHAR, loc) : ".", '.');
  r.thousandsChar = SingleChar(loc ? nl_langinfo_l(THOUSEP, loc) : "", r.decimalChar == '.' ? ',' : '.');
  if (loc) freelocale(loc);
  return r;
}

void ApplyRegionalSettings(const RegionalSettings& r) {
  nationalDates.ThousandsChar = r.thousandsChar;
  nationalDates.DecimalChar = r.decimalChar;
  std::string up = r.shortDatePicture;
  for (char& c : up) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  nationalDates.CenturyDates = up.find("YYYY") != std::string::npos;
  uint8_t code = 0;
  char first = up.empty() ? ' ' : up[0];
  if (first == 'D')
    code = r.dateSeparator == '-' ? 3 : r.dateSeparator == '.' ? 5 : 2;
  else if (first == 'Y')
    code = 1;
  SetDateFormat(code);
}

void SetDateFormat(uint8_t code) {
  if (code > XbMaxDateFormat) code = 0;
  nationalDates.XbDateFormat = code;
  std::string y = nationalDates.CenturyDates ? "yyyy" : "yy";
  switch (code) {
    case 0: nationalDates.ShortDatePicture = "MM/dd/" + y; break;
    case 1: nationalDates.ShortDatePicture = y + ".MM.dd"; break;
    case 2: nationalDates.ShortDatePicture = "dd/MM/" + y; break;
    case 3: nationalDates.ShortDatePicture = "dd-MM-" + y; break;
    default: nationalDates.ShortDatePicture = "dd.MM." + y; break;
  }
  nationalDates.DateSeparator = SeparatorOf(code);
}

int32_t CenturyOf(const std::string& yearText) {
  int32_t yy = ToInt(yearText.substr(0, 2));
  int32_t b = nationalDates.XbCenturyBase;
  return yy < b % 100 ? (b / 100 + 1) * 100 : (b / 100) * 100;
}

std::string CenturyDigits(const std::string& yearText) {
  return PadLeft(IntText(CenturyOf(yearText) / 100), 2, '0');
}

std::string ExpandYear(const std::string& yearText) {
  if (!nationalDates.CenturyDates) return yearText;
  std::string y = yearText;
  if (y.size() == 2) y = CenturyDigits(y) + y;
  return PadLeft(y, 4, '0');
}

std::string BlankDateText(uint8_t code) {
  std::string yb = nationalDates.CenturyDates ? "    " : "  ";
  char sep = SeparatorOf(code);
  if (code == 1) return yb + sep + "  " + sep + "  ";
  return std::string("  ") + sep + "  " + sep + yb;
}

void DateTextToAmerican(std::string& text) {
  CutAtNul(text);
  if (text.size() > 10) text.resize(10);
  char sep = text.find('/') != std::string::npos   ? '/'
             : text.find('-') != std::string::npos ? '-'
             : text.find('.') != std::string::npos ? '.'
                                                   : '\0';
  if (!sep) return;
  auto parts = SplitDate(text, sep);
  for (auto& p : parts) {
    p = Trim(p);
    if (p.size() > 4) p.resize(4);
  }
  if (parts[0].empty() && parts[1].empty() && parts[2].empty()) {
    text = BlankDateText(0);
    return;
  }
  for (auto& p : parts) p = PadLeft(p, 2, '0');
  switch (nationalDates.XbDateFormat) {
    case 0: text = parts[0] + "/" + parts[1] + "/" + ExpandYear(parts[2]); break;
    case 1: text = parts[1] + "/" + parts[2] + "/" + ExpandYear(parts[0]); break;
    default: text = parts[1] + "/" + parts[0] + "/" + ExpandYear(parts[2]); break;
  }
}

void AmericanToDateText(std::string& text) {
  CutAtNul(text);
  auto parts = SplitDate(text, '/');
  for (auto& p : parts) p = Trim(p);
  uint8_t code = nationalDates.XbDateFormat;
  if (parts[0].empty() && parts[1].empty() && parts[2].empty()) {
    text = BlankDateText(code);
    return;
  }
  std::string m = PadLeft(parts[0], 2, '0'), d = PadLeft(parts[1], 2, '0');
  std::string y = ExpandYear(PadLeft(parts[2], 2, '0'));
  switch (code) {
    case 1: text = y + "." + m + "." + d; break;
    case 2: text = d + "/" + m + "/" + y; break;
    case 3: text = d + "-" + m + "-" + y; break;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8: text = d + "." + m + "." + y; break;
    default: text = m + "/" + d + "/" + y; break;
  }
}

bool ValidDate(std::string& text) {
  std::string s = Trim(text);
  DateTextToAmerican(s);
  if (s != BlankDateText(0)) {
    if (s.size() != 8 && s.size() != 10) return false;
    if (s[2] != '/' || s[5] != '/') return false;
    std::string mt = s.substr(0, 2), dt = s.substr(3, 2), yt = s.substr(6);
    if (!IsNumber(mt) || !IsNumber(dt) || !IsNumber(yt)) return false;
    int32_t month = ToInt(mt), day = ToInt(dt), year = FullYear(yt);
    if (month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInMonth(month, year)) return false;
    if (s.size() == 10 && !nationalDates.CenturyDates) s.erase(6, 2);
  }
  AmericanToDateText(s);
  text = s;
  return true;
}

std::string DateTextToDbf(const std::string& text) {
  std::string s = text;
  DateTextToAmerican(s);
  std::string year = s.size() > 6 ? s.substr(6, 4) : "";
  if (year.size() <= 2)
    year = CenturyDigits(year) + PadRight(year, 2);
  else if (year.size() < 4)
    year = PadLeft(year, 4, '0');
  s = PadRight(s, 5);
  return year + s.substr(0, 2) + s.substr(3, 2);
}

std::string DbfToDateText(const std::string& stored) {
  std::string s = PadRight(stored.substr(0, 8), 8);
  if (s == "        ") return BlankDateText(nationalDates.XbDateFormat);
  std::string year = nationalDates.CenturyDates ? s.substr(0, 4) : s.substr(2, 2);
  std::string t = s.substr(4, 2) + "/" + s.substr(6, 2) + "/" + year;
  AmericanToDateText(t);
  return t;
}

int32_t DayOfWeekOf(const std::string& text) {
  DateParts p = AmericanParts(text);
  if (!IsNumber(p.month) || !IsNumber(p.day) || !IsNumber(p.year)) return 0;
  int64_t m = ToInt(p.month), d = ToInt(p.day), y = FullYear(p.year);
  if (m <= 2) {
    m += 12;
    y -= 1;
  }
  auto floorDiv = [](int64_t a, int64_t b) { return (a - XbFloorMod(a, b)) / b; };
  int64_t c = floorDiv(y, 100), k = XbFloorMod(y, 100);
  int64_t h = XbFloorMod(d + (m + 1) * 26 / 10 + k + k / 4 + floorDiv(c, 4) - 2 * c, 7);
  return h == 0 ? 7 : static_cast<int32_t>(h);
}

std::string DayName(const std::string& text) {
  std::string s = text;
  DateTextToAmerican(s);
  if (Trim(s).empty() || s == BlankDateText(0)) return std::string(10, ' ');
  const NameTable& t = NamesOfFormat(nationalDates.XbDateFormat);
  int32_t n = DayOfWeekOf(text);
  if (n < 1 || n > 7) return std::string(t.dayWidth, ' ');
  return PadRight(t.days[n - 1], t.dayWidth);
}

std::string MonthName(const std::string& text) {
  std::string s = text;
  DateTextToAmerican(s);
  if (Trim(s).empty() || s == BlankDateText(0)) return std::string(9, ' ');
  const NameTable& t = NamesOfFormat(nationalDates.XbDateFormat);
  int32_t n = MonthOf(text);
  if (n < 1 || n > 12) return std::string(t.monthWidth, ' ');
  return PadRight(t.months[n - 1], t.monthWidth);
}

int32_t MonthOf(const std::string& text) { return ToInt(AmericanParts(text).month); }
int32_t DayOf(const std::string& text) { return ToInt(AmericanParts(text).day); }
int32_t YearOf(const std::string& text) { return ToInt(AmericanParts(text).year); }

bool XbIsLeapYear(int32_t year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int64_t XbFloorMod(int64_t a, int64_t b) {
  if (b == 0) return 0;
  int64_t r = a % b;
  if (r != 0 && ((r < 0) != (b < 0))) r += b;
  return r;
}

XbDate XbToday() {
  LocalDateTime t = clock().now();
  return {t.year, t.month, t.day, t.weekday + 1};
}

XbFileDateTime DecodeFileDate(int64_t stamp) {
  std::time_t t = static_cast<std::time_t>(stamp);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return {};
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

uint32_t XbTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

uint32_t XbTickSeconds() { return XbTickCount() / 1000u; }

}  // namespace qorva
