// materialsource: reader of the material table's text source.
#include "spring/materialsource.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

#include "platform/codepage.h"

namespace qorva {

namespace {

constexpr std::array<const char*, MaterialFieldCount + 1> kFieldNames{
    "",          "Text1",      "Text2",         "Text3",          "Text4",         "EModInt",
    "Rho",       "Rm0",        "DR0",           "RmMax",          "RmSlope",       "GoodmanT0",
    "SigO",      "SigOSlope",  "SigH0",         "SigH0Slope",     "GoodmanSlope",  "SigOShot",
    "SigOSlopeShot", "SigH0Shot", "SigH0SlopeShot", "GoodmanSlopeShot", "DMIN",     "DMAX",
    "Value24",   "Value25",    "Value26",       "SigmaFactor",    "Text28",        "ListNo"};

constexpr size_t kColumnCount = MaterialFieldCount + 2;  // DELETED, fields 1..29, SOURCE
constexpr size_t kMaxFileBytes = 16u * 1024u * 1024u;
constexpr size_t kMaxRows = 65535;      // record numbers are words
constexpr size_t kMaxTextBytes = 254;   // longest character field of a table
constexpr size_t kMaxNumberBytes = 40;
constexpr size_t kMaxSourceBytes = 2000;

std::string Hex(char32_t c) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<uint32_t>(c), 16);
  std::string digits(buf, r.ptr);
  while (digits.size() < 4) digits.insert(digits.begin(), '0');
  for (auto& ch : digits) {
    if (ch >= 'a' && ch <= 'f') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return "U+" + digits;
}

// UTF-8 (ASCII being its plain subset) to code page 437. False with *what set for invalid UTF-8, control
// characters and characters the code page lacks.
bool Utf8ToDos(const std::string& in, std::string* out, std::string* what) {
  out->clear();
  size_t i = 0;
  while (i < in.size()) {
    char32_t cp = 0;
    if (!NextUtf8(in, i, cp)) {
      *what = "invalid UTF-8";
      return false;
    }
    if (cp < 0x20 || cp == 0x7F) {
      *what = "control character " + Hex(cp);
      return false;
    }
    const int dos = UnicodeToCp437(cp);
    if (dos < 0) {
      *what = "character " + Hex(cp) + " has no DOS code page equivalent";
      return false;
    }
    out->push_back(static_cast<char>(dos));
  }
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cols;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      cols.push_back(line.substr(start));
      return cols;
    }
    cols.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

std::string TrimBlanks(const std::string& s) {
  size_t a = 0;
  size_t e = s.size();
  while (a < e && s[a] == ' ') ++a;
  while (e > a && s[e - 1] == ' ') --e;
  return s.substr(a, e - a);
}

std::string Count(size_t n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, r.ptr);
}

// A text from the file as it appears in a message: printable ASCII, anything else as "?", so that a
// message stays readable whatever bytes the line holds.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text.substr(0, 60)) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(b >= 0x20 && b < 0x7F ? c : '?');
  }
  if (text.size() > 60) out += "...";
  return out + "\"";
}

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

}  // namespace

MaterialFieldType MaterialFieldTypeOf(int32_t n) {
  switch (n) {
    case 5: case 7: case 9: case 10: case 12: case 13: case 14: case 15: case 17: case 18: case 19:
    case 20: case 24: case 29:
      return MaterialFieldType::Integer;
    case 6: case 8: case 11: case 16: case 21: case 22: case 23: case 25: case 26: case 27:
      return MaterialFieldType::Real;
    default:
      return MaterialFieldType::Text;
  }
}

std::string MaterialFieldName(int32_t n) {
  if (n < 1 || n > MaterialFieldCount) return "";
  return kFieldNames[static_cast<size_t>(n)];
}

bool ParseMaterialNumber(MaterialFieldType type, const std::string& text, long double* value) {
  std::string s = TrimBlanks(text);
  if (s.empty() || s.size() > kMaxNumberBytes) return false;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (type == MaterialFieldType::Integer) {
    int64_t v = 0;
    auto r = std::from_chars(first, last, v);
    if (r.ec != std::errc() || r.ptr != last) return false;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    if (value) *value = static_cast<long double>(v);
    return true;
  }
  if (type != MaterialFieldType::Real) return false;
  for (auto& c : s) {
    if (c == ',') c = '.';
  }
  // Only plain decimal numbers: from_chars would also take "inf", "nan" and hexadecimal digits.
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+')) return false;
  }
  long double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  if (value) *value = v;
  return true;
}

std::vector<MaterialSourceRow> ReadMaterialSource(const std::string& path, std::string* error) {
  std::vector<MaterialSourceRow> rows;
  if (error) error->clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Fail(error, path + ": cannot open the file");
    return {};
  }
  std::string data;
  {
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
      data.append(buf, static_cast<size_t>(in.gcount()));
      if (data.size() > kMaxFileBytes) {
        Fail(error, path + ": the file is larger than 16 MB");
        return {};
      }
    }
    if (in.bad()) {
      Fail(error, path + ": read error");
      return {};
    }
  }
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);

  bool headerSeen = false;
  size_t lineNo = 0;
  size_t pos = 0;
  while (pos < data.size()) {
    size_t end = data.find('\n', pos);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = path + " line " + Count(lineNo) + ": ";

    if (!headerSeen) {
      const auto cols = SplitTabs(line);
      if (cols.size() != kColumnCount) {
        Fail(error, where + "the header has " + Count(cols.size()) + " columns, expected " + Count(kColumnCount) +
                        " (DELETED, the 29 fields, SOURCE)");
        return {};
      }
      for (size_t c = 0; c < kColumnCount; ++c) {
        const std::string expected =
            c == 0 ? "DELETED" : (c == kColumnCount - 1 ? "SOURCE" : kFieldNames[c]);
        if (TrimBlanks(cols[c]) != expected) {
          Fail(error, where + "header column " + Count(c + 1) + " is " + Quoted(cols[c]) + ", expected \"" + expected +
                          "\"");
          return {};
        }
      }
      headerSeen = true;
      continue;
    }

    if (TrimBlanks(line).empty()) continue;
    const auto cols = SplitTabs(line);
    if (cols.size() != kColumnCount) {
      Fail(error, where + Count(cols.size()) + " columns, expected " + Count(kColumnCount) +
                      " (DELETED, the 29 fields, SOURCE)");
      return {};
    }
    if (rows.size() >= kMaxRows) {
      Fail(error, where + "more than " + Count(kMaxRows) + " materials");
      return {};
    }
    MaterialSourceRow row;
    row.line = static_cast<int32_t>(lineNo);
    const std::string mark = TrimBlanks(cols[0]);
    if (mark == "*") {
      row.deleted = true;
    } else if (!mark.empty()) {
      Fail(error, where + "DELETED is " + Quoted(cols[0]) + ", expected \"*\" or nothing");
      return {};
    }
    for (int32_t n = 1; n <= MaterialFieldCount; ++n) {
      const std::string& text = cols[static_cast<size_t>(n)];
      const std::string fieldName = "field " + Count(static_cast<size_t>(n)) + " " + kFieldNames[static_cast<size_t>(n)];
      const MaterialFieldType type = MaterialFieldTypeOf(n);
      if (type == MaterialFieldType::Text) {
        std::string what;
        if (!Utf8ToDos(text, &row.fields[static_cast<size_t>(n)], &what)) {
          Fail(error, where + fieldName + ": " + what);
          return {};
        }
        if (row.fields[static_cast<size_t>(n)].size() > kMaxTextBytes) {
          Fail(error, where + fieldName + " is longer than " + Count(kMaxTextBytes) + " characters");
          return {};
        }
        continue;
      }
      const std::string number = TrimBlanks(text);
      if (number.empty()) {
        Fail(error, where + fieldName + " is empty (write 0 where no value is published)");
        return {};
      }
      if (!ParseMaterialNumber(type, number, nullptr)) {
        Fail(error, where + fieldName + " " + Quoted(text) + " is no " +
                        (type == MaterialFieldType::Integer ? "whole number" : "number"));
        return {};
      }
      row.fields[static_cast<size_t>(n)] = number;
    }
    std::string what;
    if (!Utf8ToDos(cols[kColumnCount - 1], &row.source, &what)) {
      Fail(error, where + "SOURCE: " + what);
      return {};
    }
    row.source = TrimBlanks(row.source);
    if (row.source.empty()) {
      Fail(error, where + "SOURCE is empty: every material names where its values are published");
      return {};
    }
    if (row.source.size() > kMaxSourceBytes) {
      Fail(error, where + "SOURCE is longer than " + Count(kMaxSourceBytes) + " characters");
      return {};
    }
    rows.push_back(std::move(row));
  }
  if (!headerSeen) {
    Fail(error, path + ": the file is empty, expected a header line");
    return {};
  }
  return rows;
}

}  // namespace qorva
