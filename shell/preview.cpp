#include "shell/preview.h"

#include <sys/stat.h>

#include <algorithm>

#include "foundation/kwenvar.h"
#include "foundation/utildos.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/wintext.h"
#include "platform/sysname.h"
#include "shell/qsorts1.h"
#include "spring/qvaglob.h"
#include "spring/qvaio.h"
#include "spring/yebglob9.h"

namespace qorva {

GridRow FileTableHeader() {
  return {"File", "Date  y/m/d", "No.", "F",     "b",        "t",       "s", "De",    "Di",
          "Dn",   "sig.2",       "sig.z", "Material", "Mat.No.", "E", "Rm", "cycles"};
}

std::vector<bool> FileTableTextColumns() {
  std::vector<bool> text(kFileTableColumns, false);
  for (int32_t c : {0, 1, 2, 12}) text[static_cast<size_t>(c)] = true;
  return text;
}

std::vector<std::string> SpringDataFiles(const std::string& dir) {
  std::vector<std::string> names;
  const std::string ext = "." + kwenvar.DataExt;
  const std::string folder = dir.empty() ? std::string() : AddBackslash(dir);
  for (std::string& name : SysListFolder(dir)) {
    if (name.size() < ext.size() || !SameDosNameNoCase(name.substr(name.size() - ext.size()), ext)) continue;
    struct stat st {};
    if (SysStat(folder + name, st) == 0 && S_ISREG(st.st_mode)) names.push_back(std::move(name));
  }
  return names;
}

std::string FileTableFileName(const std::string& dir, const std::string& shownName) {
  std::string found;
  for (const std::string& name : SpringDataFiles(dir)) {
    if (DosToUtf8(name) != shownName) continue;
    if (!found.empty()) return "";  // two files look alike: neither is guessed
    found = name;
  }
  return found;
}

GridRow FileTableRowOfSpring(const std::string& fileName, int64_t stamp) {
  const Yebglob9& m = yebglob9;
  const Qvaglob& g = qvaglob;
  return {DosToUtf8(fileName),
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
    if (onFile) onFile(DosToUtf8(name));
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
