#pragma once
// valuetable: a ruled value table drawn through the CAD kernel: a heading row and rows of up to seven
// cells, from the top down. The object keeps only the column geometry and the next row's position;
// everything goes straight to the open CAD output.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

class ValueTable {
 public:
  // TableInit: columns from x0 with widths w[i] text heights (x 0.9), heading row at the upper
  // left corner (x0, y0) with text height h.
  ValueTable(long double x0, long double y0, long double h, const std::array<long double, 7>& w,
              const std::array<std::string, 7>& s);
  virtual ~ValueTable();  // TableDone: no work

  void TableRow(const std::array<std::string, 7>& s);
  void TableRow3(const std::string& s1, const std::string& s2, const std::string& s3);
  void TableRowText();
  int32_t TableColumnCount() const;

  std::array<long double, 9> ColumnX{};  // [1..8], index 0 unused
  long double TopY = 0.0L;
  long double LineY = 0.0L;
  long double TextY = 0.0L;
  std::array<std::string, 8> CellTexts;  // [1..7], index 0 unused
  long double CharHeight = 0.0L;
  long double RowHeight = 0.0L;
  int32_t LastBoundary = 8;
  int32_t SpareInt = 0;
  int32_t FirstColumn = 1;
  bool RuleRows = true;
  bool RuleColumns = true;
};

// The calculation messages (errorList ErrorMsgs) as a one-column table at (x, y); nothing when there
// are none. h 0 -> 2.0, width 0 -> 42 text heights; with maxHeight > 0.1 the rows fit into it.
void TableMessageList(long double x, long double y, long double h, long double width, long double maxHeight);

}  // namespace qorva
