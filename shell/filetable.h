#pragma once
// filetable: the table of spring files without its window. Reads every spring data file of a folder
// (each one calculated as File > Open would), gives one row of texts per file, sorts the rows by a
// column and searches them. Cells are UTF-8 display texts; row 0 is the header.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "spring/spring.h"

namespace qorva {

using GridRow = std::vector<std::string>;
using GridRows = std::vector<GridRow>;

constexpr int32_t kFileTableColumns = 17;

// "File", "Date  y/m/d", "No.", "F", ..., "cycles".
GridRow FileTableHeader();
// Which columns hold texts rather than numbers: file, date, drawing number and material.
std::vector<bool> FileTableTextColumns();

// The ordinary files of dir whose extension is DataExt in any case ("*.qva", "*.QVA"), sorted by
// name (bytes); "" when the folder cannot be read. Names are the program's (code page 437); a file
// whose name it cannot hold is not listed.
std::vector<std::string> SpringDataFiles(const std::string& dir);
// The same names without asking the file system whether each is an ordinary file.
std::vector<std::string> SpringDataFileNames(const std::string& dir);

// The file of dir whose name the table shows as shownName (the first cell of its row); "" when
// there is none, or when two names look alike on the screen (as the plain-ASCII display may make them).
std::string FileTableFileName(const std::string& dir, const std::string& shownName);

// What a row of the table can show of its file.
enum class FileTableState {
  Calculated,       // the stored values and the results of the calculation
  Fatal,            // the stored values; the calculation stopped, so no results
  MaterialMissing,  // the stored values; the material is not in the table, so no results
  Unreadable,       // a damaged file: only its name and date, marked "(nicht lesbar)"
};
// The row of the spring (family and product part, the material designation its file stores) read
// from the file fileName (the program's name, shown as the display converts it) with the
// modification time stamp.
GridRow FileTableRow(const std::string& fileName, int64_t stamp, const FamilyData& family, const ProductData& product,
                     const MaterialDesignation& material, FileTableState state);

// The header and one row per spring data file of dir. Each file is read into a value and calculated
// with its own material, the material table read once for all of them; the spring the user has open
// and its messages stay as they were, and nothing is asked. A file that cannot be read gets its row
// marked as unreadable and the scan goes on; ErrorFlag is clear afterwards. onFile, when set, hears
// the name (as shown) of each file as it is read (the window shows it in its caption).
GridRows ReadFileTable(const std::string& dir, const std::function<void(const std::string&)>& onFile = {});

// Sorts the data rows (1..) by the texts of column col; returns the sort order: entry r is the row
// that now stands at r (entry 0 unused). Nothing happens for a column the header does not have.
std::vector<int32_t> SortGridByColumn(GridRows& rows, int32_t col);
// The row that the former row formerRow moved to; formerRow itself when it did not take part.
int32_t FindSortedRow(const std::vector<int32_t>& order, int32_t formerRow);

// Searches the rows after searchRow (one less when searchRow is not below the row count) for a
// cell that contains text (case-sensitive), row by row, columns from 0 on; the header is never
// searched. True with col and row of the first match.
bool FindNextMatch(const GridRows& rows, const std::string& text, int32_t searchRow, int32_t& col, int32_t& row);

}  // namespace qorva
