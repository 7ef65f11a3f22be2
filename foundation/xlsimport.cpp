// xlsimport: a small reader of the first worksheet of an .xlsx workbook.
#include "foundation/xlsimport.h"

#include <unzip.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>

#include "platform/codepage.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

constexpr uint64_t kMaxPart = 64ull << 20;
constexpr size_t kMaxRows = 1000000;
constexpr size_t kMaxColumns = 16384;

struct ZipCloser {
  void operator()(void* z) const { unzClose(z); }
};
using Zip = std::unique_ptr<void, ZipCloser>;

// The part name of the archive, or false when it is missing, damaged or too large.
bool ReadPart(unzFile zip, const std::string& name, std::string& out, std::string& error) {
  if (unzLocateFile(zip, name.c_str(), 2) != UNZ_OK) {
    error = name + " missing";
    return false;
  }
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
      info.uncompressed_size > kMaxPart) {
    error = name + " too large or damaged";
    return false;
  }
  if (unzOpenCurrentFile(zip) != UNZ_OK) {
    error = name + " damaged";
    return false;
  }
  out.assign(static_cast<size_t>(info.uncompressed_size), '\0');
  size_t got = 0;
  int n = 0;
  char spare[1];
  while (got < out.size() && (n = unzReadCurrentFile(zip, out.data() + got, static_cast<unsigned>(out.size() - got))) > 0)
    got += static_cast<size_t>(n);
  // The stated size must be the real one: no byte short, none over.
  const bool whole = n >= 0 && got == out.size() && unzReadCurrentFile(zip, spare, 1) == 0;
  const bool crcOk = unzCloseCurrentFile(zip) == UNZ_OK;
  if (!whole || !crcOk) {
    error = name + " damaged";
    return false;
  }
  return true;
}

// XML text with its five entities and character references resolved.
std::string Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos) {
      out += s[i];
      continue;
    }
    const std::string_view ent = s.substr(i + 1, semi - i - 1);
    char32_t cp = 0;
    if (ent == "amp") cp = '&';
    else if (ent == "lt") cp = '<';
    else if (ent == "gt") cp = '>';
    else if (ent == "quot") cp = '"';
    else if (ent == "apos") cp = '\'';
    else if (ent.size() > 1 && ent[0] == '#') {
      const bool hex = ent[1] == 'x' || ent[1] == 'X';
      const std::string_view digits = ent.substr(hex ? 2 : 1);
      uint32_t v = 0;
      const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
      if (r.ec == std::errc() && r.ptr == digits.data() + digits.size() && v > 0 && v <= 0x10FFFF &&
          (v < 0xD800 || v > 0xDFFF))
        cp = v;
    }
    if (cp == 0) {
      out += s[i];
      continue;
    }
    AppendUtf8(out, cp);
    i = semi;
  }
  return out;
}

// The next element <name ...> or <name/> from pos; tag holds its attributes, body what stands
// before its end tag (empty for <name/>). False when there is none.
bool NextElement(std::string_view xml, std::string_view name, size_t& pos, std::string_view& tag,
                 std::string_view& body) {
  const std::string open = "<" + std::string(name);
  while (true) {
    const size_t start = xml.find(open, pos);
    if (start == std::string_view::npos) return false;
    const size_t after = start + open.size();
    if (after >= xml.size()) return false;
    const char c = xml[after];
    if (c != '>' && c != ' ' && c != '/' && c != '\t' && c != '\r' && c != '\n') {
      pos = after;  // <rPh> while looking for <r>, and the like
      continue;
    }
    const size_t close = xml.find('>', after);
    if (close == std::string_view::npos) return false;
    tag = xml.substr(after, close - after);
    if (xml[close - 1] == '/') {
      body = {};
      pos = close + 1;
      return true;
    }
    const std::string end = "</" + std::string(name) + ">";
    const size_t stop = xml.find(end, close + 1);
    if (stop == std::string_view::npos) return false;
    body = xml.substr(close + 1, stop - close - 1);
    pos = stop + end.size();
    return true;
  }
}

std::string Attribute(std::string_view tag, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  const size_t at = tag.find(key);
  if (at == std::string_view::npos) return {};
  const size_t from = at + key.size();
  const size_t to = tag.find('"', from);
  return to == std::string_view::npos ? std::string() : Unescape(tag.substr(from, to - from));
}

// The text of every <t> inside a string item, phonetic runs left out.
std::string ItemText(std::string_view si) {
  std::string text;
  size_t pos = 0;
  std::string_view tag, body;
  while (pos < si.size()) {
    const size_t ph = si.find("<rPh", pos);
    std::string_view part = si.substr(pos, ph == std::string_view::npos ? std::string_view::npos : ph - pos);
    size_t p = 0;
    while (NextElement(part, "t", p, tag, body)) text += Unescape(body);
    if (ph == std::string_view::npos) break;
    const size_t phEnd = si.find("</rPh>", ph);
    if (phEnd == std::string_view::npos) break;
    pos = phEnd + 6;
  }
  return text;
}

// Column (0 from A) and row (0 from 1) of a reference such as "B12". False when it is none.
bool CellPlace(const std::string& ref, size_t& col, size_t& row) {
  size_t i = 0;
  col = 0;
  while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3) col = col * 26 + static_cast<size_t>(ref[i++] - 'A' + 1);
  if (col == 0 || col > kMaxColumns) return false;
  --col;
  uint32_t r = 0;
  const auto res = std::from_chars(ref.data() + i, ref.data() + ref.size(), r);
  if (res.ec != std::errc() || res.ptr != ref.data() + ref.size() || r == 0 || r > kMaxRows) return false;
  row = r - 1;
  return true;
}

// The part of the first sheet the workbook lists; the usual name when the lists do not say.
std::string FirstSheetPart(unzFile zip) {
  std::string workbook, rels, e;
  std::string_view tag, body;
  size_t pos = 0;
  if (!ReadPart(zip, "xl/workbook.xml", workbook, e) || !NextElement(workbook, "sheet", pos, tag, body))
    return "xl/worksheets/sheet1.xml";
  const std::string id = Attribute(tag, "r:id");
  if (id.empty() || !ReadPart(zip, "xl/_rels/workbook.xml.rels", rels, e)) return "xl/worksheets/sheet1.xml";
  pos = 0;
  while (NextElement(rels, "Relationship", pos, tag, body)) {
    if (Attribute(tag, "Id") != id) continue;
    std::string target = Attribute(tag, "Target");
    if (target.empty()) break;
    return target[0] == '/' ? target.substr(1) : "xl/" + target;
  }
  return "xl/worksheets/sheet1.xml";
}

}  // namespace

bool ReadXlsxRows(const std::string& path, std::vector<XlsxRow>& rows, std::string& error, size_t columns,
                  size_t maxRows) {
  columns = std::min(columns, kMaxColumns);
  maxRows = std::min(maxRows, kMaxRows);
  rows.clear();
  Zip zip(unzOpen64(SysName(path).c_str()));
  if (!zip) {
    error = path + ": no workbook (not a zip archive)";
    return false;
  }
  std::string sheet, shared, e;
  if (!ReadPart(zip.get(), FirstSheetPart(zip.get()), sheet, e)) {
    error = path + ": " + e;
    return false;
  }
  // Memory follows the cells that are read: only the shared strings those cells use are kept.
  std::map<size_t, std::string> strings;
  size_t stringCount = 0;
  {
    std::vector<size_t> used;
    size_t pos = 0;
    std::string_view rowTag, rowBody, cellTag, cellBody, vTag, v;
    while (NextElement(sheet, "row", pos, rowTag, rowBody)) {
      size_t cpos = 0, nextCol = 0;
      while (NextElement(rowBody, "c", cpos, cellTag, cellBody)) {
        size_t col = nextCol, row = 0;
        const std::string ref = Attribute(cellTag, "r");
        if (!ref.empty() && !CellPlace(ref, col, row)) break;  // refused below
        nextCol = col + 1;
        size_t vpos = 0, index = 0;
        if (col >= columns || Attribute(cellTag, "t") != "s" || !NextElement(cellBody, "v", vpos, vTag, v)) continue;
        const std::string text = Unescape(v);
        const auto res = std::from_chars(text.data(), text.data() + text.size(), index);
        if (res.ec == std::errc()) used.push_back(index);
      }
    }
    std::sort(used.begin(), used.end());
    if (!used.empty() && ReadPart(zip.get(), "xl/sharedStrings.xml", shared, e)) {
      size_t spos = 0;
      std::string_view tag, body;
      for (; NextElement(shared, "si", spos, tag, body); ++stringCount)
        if (std::binary_search(used.begin(), used.end(), stringCount)) strings[stringCount] = ItemText(body);
    }
  }
  size_t pos = 0, nextRow = 0;
  std::string_view rowTag, rowBody;
  while (NextElement(sheet, "row", pos, rowTag, rowBody)) {
    size_t rowNo = nextRow;
    const std::string r = Attribute(rowTag, "r");
    uint32_t n = 0;
    if (!r.empty()) {
      const auto res = std::from_chars(r.data(), r.data() + r.size(), n);
      if (res.ec != std::errc() || n == 0 || n > kMaxRows) {
        error = path + ": damaged row number " + r;
        return false;
      }
      rowNo = n - 1;
    }
    if (rowNo < nextRow) {
      error = path + ": rows out of order";
      return false;
    }
    if (rowNo >= maxRows) {
      error = path + ": more than " + std::to_string(maxRows) + " rows";
      return false;
    }
    rows.resize(rowNo + 1);
    nextRow = rowNo + 1;
    XlsxRow& cells = rows[rowNo];
    size_t cpos = 0, nextCol = 0;
    std::string_view cellTag, cellBody;
    while (NextElement(rowBody, "c", cpos, cellTag, cellBody)) {
      size_t col = nextCol, rowOfCell = rowNo;
      const std::string ref = Attribute(cellTag, "r");
      if (!ref.empty() && (!CellPlace(ref, col, rowOfCell) || rowOfCell != rowNo)) {
        error = path + ": damaged cell reference " + ref;
        return false;
      }
      nextCol = col + 1;
      if (col >= columns) continue;  // not asked for
      const std::string type = Attribute(cellTag, "t");
      std::string text;
      size_t vpos = 0;
      std::string_view vTag, v;
      if (type == "inlineStr") {
        if (NextElement(cellBody, "is", vpos, vTag, v)) text = ItemText(v);
      } else if (NextElement(cellBody, "v", vpos, vTag, v)) {
        text = Unescape(v);
        if (type == "s") {
          size_t index = 0;
          const auto res = std::from_chars(text.data(), text.data() + text.size(), index);
          if (res.ec != std::errc() || index >= stringCount) {
            error = path + ": damaged shared string " + text;
            return false;
          }
          text = strings[index];
        }
      }
      if (text.empty()) continue;
      if (cells.size() <= col) cells.resize(col + 1);
      cells[col] = std::move(text);
    }
  }
  return true;
}

}  // namespace qorva
