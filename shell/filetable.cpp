#include "shell/filetable.h"

#include <sys/stat.h>

#include <algorithm>

#include "foundation/programstate.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "platform/sysname.h"
#include "shell/filetablesort.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"

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

std::vector<std::string> SpringDataFileNames(const std::string& dir) {
  std::vector<std::string> names;
  const std::string ext = "." + programState.DataExt;
  for (std::string& name : SysListFolder(dir)) {
    if (name.size() < ext.size() || !SameDosNameNoCase(name.substr(name.size() - ext.size()), ext)) continue;
    names.push_back(std::move(name));
  }
  return names;
}

std::vector<std::string> SpringDataFiles(const std::string& dir) {
  std::vector<std::string> names;
  const std::string folder = dir.empty() ? std::string() : TrimAndAddSlash(dir);
  for (std::string& name : SpringDataFileNames(dir)) {
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

namespace {

std::string LengthCell(long double v) { return LengthFix(3, 2, v); }

}  // namespace

GridRow FileTableRow(const std::string& fileName, int64_t stamp, const FamilyData& m, const ProductData& g,
                     const MaterialDesignation& stored, FileTableState state) {
  GridRow row(kFileTableColumns);
  row[0] = DosToUtf8(fileName);
  row[1] = stamp >= 0 ? FileDateStr(stamp) : std::string();
  if (state == FileTableState::Unreadable) {
    row[2] = "(nicht lesbar)";
    return row;
  }
  row[2] = DosToUtf8(m.DrawingNumber);
  row[3] = ForceFix(5, 1, g.Force2);
  row[4] = LengthCell(m.BandWidth);
  row[5] = LengthCell(m.BandThickness);
  row[6] = LengthCell(g.Travel2);
  row[7] = LengthCell(g.OuterDiameter);
  row[8] = LengthCell(g.InnerDiameter);
  row[9] = LengthCell(g.BendingDiameter);
  row[13] = IntStr(m.MaterialNumber);
  if (state == FileTableState::MaterialMissing) {
    row[12] = DosToUtf8("(" + (stored.empty() ? "Nr. " + IntStr(m.MaterialNumber) : DesignationText(stored)) +
                        " fehlt)");
    return row;
  }
  row[12] = DosToUtf8(m.MaterialRec.Text1);
  if (state == FileTableState::Fatal) return row;  // results that belong to no spring are not shown
  row[10] = StressFix(4, 0, m.Stress2);
  row[11] = StressFix(4, 0, m.PermissibleStress);
  row[14] = StressFix(6, 0, m.EModulus);
  row[15] = StressFix(4, 1, m.TensileStrength);
  row[16] = RealStrFix(8, 0, m.CyclesToFracture);
  return row;
}

GridRows ReadFileTable(const std::string& dir, const std::function<void(const std::string&)>& onFile) {
  GridRows rows{FileTableHeader()};
  // Whether a name is an ordinary file the read itself finds out (one system call less a file).
  const std::vector<std::string> names = SpringDataFileNames(dir);
  rows.reserve(names.size() + 1);
  const std::string folder = dir.empty() ? std::string() : TrimAndAddSlash(dir);
  // The material table is read once for the whole table; the spring the user has open is not touched.
  MaterialCatalog catalog;
  const bool haveMaterials = catalog.load();
  for (const std::string& name : names) {
    const std::string path = folder + name;
    SpringFileRead read = ReadSpring(path);
    const int64_t stamp = read.modified;
    if (read.notAFile) continue;  // a folder, or gone since the listing
    if (onFile) onFile(DosToUtf8(name));
    if (!read.ok()) {
      rows.push_back(FileTableRow(name, stamp, read.spring.family, read.spring.product, {}, FileTableState::Unreadable));
      continue;
    }
    uint32_t number = 0;
    if (!haveMaterials || FindSpringMaterial(catalog, read.spring, number) == MaterialFind::Missing) {
      rows.push_back(FileTableRow(name, stamp, read.spring.family, read.spring.product, read.spring.material,
                                  FileTableState::MaterialMissing));
      continue;
    }
    read.spring.family.MaterialNumber = static_cast<uint16_t>(number);
    const CalcOutcome calc = Calculate(read.spring, *catalog.byNumber(number));
    // After a fatal stop the results are those of no spring: the row shows the stored values only.
    rows.push_back(FileTableRow(name, stamp, calc.family, calc.product, read.spring.material,
                                calc.fatal ? FileTableState::Fatal : FileTableState::Calculated));
  }
  programState.ErrorFlag = false;
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
