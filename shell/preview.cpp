#include "shell/preview.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "foundation/kwenvar.h"
#include "foundation/utildos.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/wintext.h"
#include "shell/qsorts1.h"
#include "spring/qvaglob.h"
#include "spring/qvaio.h"
#include "spring/yebglob9.h"

namespace qorva {

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

GridRow FileTableHeader() {
  return {"File", "Date  y/m/d", "No.", "F",     "b",        "t",       "s", "De",    "Di",
          "Dn",   "sig.2",       "sig.z", "Material", "Mat.No.", "E", "Rm", "cycles"};
}

std::vector<std::string> SpringDataFiles(const std::string& dir) {
  std::vector<std::string> names;
  const std::string ext = "." + kwenvar.DataExt;
  std::error_code ec;
  fs::directory_iterator it(dir.empty() ? fs::path(".") : fs::path(dir), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc)) continue;
    const std::string name = it->path().filename().string();
    if (name.size() >= ext.size() && SameIgnoringCase(name.substr(name.size() - ext.size()), ext))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

GridRow FileTableRowOfSpring(const std::string& fileName, int64_t stamp) {
  const Yebglob9& m = yebglob9;
  const Qvaglob& g = qvaglob;
  return {fileName,
          stamp >= 0 ? FileDateStr(stamp) : std::string(),
          DosToUtf8(m.DrawingNumber),
          ForceFix(5, 1, g.Force2),
          LengthFix(3, 2, m.BandWidth),
          LengthFix(3, 2, m.BandThickness),
          LengthFix(3, 2, g.Travel2),
          LengthFix(3, 2, g.OuterDiameter),
          LengthFix(3, 2, g.InnerDiameter),
          LengthFix(3, 2, g.BendingDiameter),
          StressFix(4, 0, m.Stress2),
          StressFix(4, 0, m.PermissibleStress),
          DosToUtf8(m.MaterialRec.Text1),
          IntStr(m.MaterialNumber),
          StressFix(6, 0, m.EModulus),
          StressFix(4, 1, m.TensileStrength),
          RealStrFix(8, 0, m.CyclesToFracture)};
}

GridRows ReadFileTable(const std::string& dir, const std::function<void(const std::string&)>& onFile) {
  GridRows rows{FileTableHeader()};
  const std::vector<std::string> names = SpringDataFiles(dir);
  rows.reserve(names.size() + 1);
  const std::string folder = dir.empty() ? std::string() : AddBackslash(dir);
  for (const std::string& name : names) {
    if (onFile) onFile(name);
    const std::string path = folder + name;
    ReadSpringFile(path);  // a failed read has told the user and left the spring as it was
    kwenvar.ErrorFlag = false;
    rows.push_back(FileTableRowOfSpring(name, FileAge(path)));
  }
  kwenvar.ErrorFlag = false;
  return rows;
}

std::vector<int32_t> SortGridByColumn(GridRows& rows, int32_t col) {
  const int32_t count = static_cast<int32_t>(rows.size());
  std::vector<int32_t> order(rows.size());
  for (int32_t r = 0; r < count; ++r) order[static_cast<size_t>(r)] = r;
  if (col < 0 || count < 3 || col >= static_cast<int32_t>(rows[0].size())) return order;
  SortArrayType texts(rows.size());
  for (int32_t r = 1; r < count; ++r) {
    const GridRow& row = rows[static_cast<size_t>(r)];
    texts[static_cast<size_t>(r)] = col < static_cast<int32_t>(row.size()) ? row[static_cast<size_t>(col)] : "";
  }
  SortStringsIndexed(texts, order, 1, count - 1);
  GridRows sorted;
  sorted.reserve(rows.size());
  sorted.push_back(std::move(rows[0]));
  for (int32_t r = 1; r < count; ++r) sorted.push_back(std::move(rows[static_cast<size_t>(order[static_cast<size_t>(r)])]));
  rows = std::move(sorted);
  return order;
}

int32_t FindSortedRow(const std::vector<int32_t>& order, int32_t formerRow) {
  for (size_t r = 1; r < order.size(); ++r)
    if (order[r] == formerRow) return static_cast<int32_t>(r);
  return formerRow;
}

bool FindNextMatch(const GridRows& rows, const std::string& text, int32_t searchRow, int32_t& col, int32_t& row) {
  const int32_t count = static_cast<int32_t>(rows.size());
  int32_t r = searchRow >= count ? searchRow - 1 : searchRow;
  if (r < 0) r = 0;
  for (++r; r < count; ++r) {
    const GridRow& cells = rows[static_cast<size_t>(r)];
    for (size_t c = 0; c < cells.size(); ++c) {
      if (cells[c].find(text) != std::string::npos) {
        col = static_cast<int32_t>(c);
        row = r;
        return true;
      }
    }
  }
  return false;
}

}  // namespace qorva
