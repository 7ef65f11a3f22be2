// materialsource: reader of the material table's text source.
#include "spring/materialsource.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

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

// Unicode code points of DOS code page 437, bytes 0x80..0xFF.
constexpr std::array<char32_t, 128> kCp437High{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

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
    const auto b0 = static_cast<unsigned char>(in[i]);
    if (b0 < 0x80) {
      if (b0 < 0x20 || b0 == 0x7F) {
        *what = "control character " + Hex(b0);
        return false;
      }
      out->push_back(static_cast<char>(b0));
      ++i;
      continue;
    }
    size_t len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
      len = 2;
      cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3;
      cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4;
      cp = b0 & 0x07;
    } else {
      *what = "invalid UTF-8";
      return false;
    }
    if (i + len > in.size()) {
      *what = "invalid UTF-8";
      return false;
    }
    for (size_t k = 1; k < len; ++k) {
      const auto bk = static_cast<unsigned char>(in[i + k]);
      if ((bk & 0xC0) != 0x80) {
        *what = "invalid UTF-8";
        return false;
      }
      cp = (cp << 6) | (bk & 0x3F);
    }
    const char32_t minOfLen = len == 2 ? 0x80 : (len == 3 ? 0x800 : 0x10000);
    if (cp < minOfLen || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      *what = "invalid UTF-8";
      return false;
    }
    bool found = false;
    for (size_t k = 0; k < kCp437High.size(); ++k) {
      if (kCp437High[k] == cp) {
        out->push_back(static_cast<char>(0x80 + k));
        found = true;
        break;
      }
    }
    if (!found) {
      *what = "character " + Hex(cp) + " has no DOS code page equivalent";
      return false;
    }
    i += len;
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
