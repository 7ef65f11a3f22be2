#include "graphics/valuetable.h"

#include <algorithm>

#include "foundation/errorlist.h"
#include "graphics/cadkernel.h"

namespace qorva {

ValueTable::ValueTable(long double x0, long double y0, long double h, const std::array<long double, 7>& w,
                         const std::array<std::string, 7>& s) {
  FirstColumn = 1;
  SpareInt = 0;
  for (auto& t : CellTexts) t.clear();
  ColumnX[1] = x0;
  for (size_t i = 1; i <= 7; ++i) {
    CellTexts[i] = s[i - 1];
    ColumnX[i + 1] = ColumnX[i] + w[i - 1] * h * 0.9L;
  }
  CharHeight = h;
  RowHeight = 2.0L * h;
  TopY = y0;
  LineY = y0 - RowHeight;
  TextY = y0 - 1.5L * h;
  LastBoundary = TableColumnCount();
  RuleRows = true;
  RuleColumns = true;

  const auto last = static_cast<size_t>(LastBoundary);
  CadSetColor(17);
  CadRectangle(ColumnX[1], y0, ColumnX[last], y0 - RowHeight);
  if (RuleColumns) {
    CadLine(ColumnX[1], y0, ColumnX[1], y0 - RowHeight);
    CadLine(ColumnX[last], y0, ColumnX[last], y0 - RowHeight);
  }
  CadTextStyle(2, 0.0L, h, 0.75L * h);
  // Without headings the first body row takes the heading row's place inside its frame.
  if (std::any_of(s.begin(), s.end(), [](const std::string& t) { return !t.empty(); })) TableRowText();
}

ValueTable::~ValueTable() = default;

int32_t ValueTable::TableColumnCount() const {
  for (size_t i = 2; i <= 7; ++i)
    if (ColumnX[i] == ColumnX[i - 1]) return static_cast<int32_t>(i) - 1;
  return 8;
}

void ValueTable::TableRowText() {
  CadSetColor(18);
  for (int32_t i = FirstColumn; i <= LastBoundary - 1; ++i)
    CadText(" " + CellTexts[static_cast<size_t>(i)], ColumnX[static_cast<size_t>(i)], TextY);
  LineY -= RowHeight;
  TextY -= RowHeight;
}

void ValueTable::TableRow(const std::array<std::string, 7>& s) {
  for (size_t i = 1; i <= 7; ++i) CellTexts[i] = s[i - 1];
  CadSetColor(17);
  const auto first = static_cast<size_t>(FirstColumn);
  const auto last = static_cast<size_t>(LastBoundary);
  if (RuleRows) CadLine(ColumnX[first], LineY, ColumnX[last], LineY);
  for (size_t j = first; j <= last; ++j)
    if (RuleColumns || j == first || j == last) CadLine(ColumnX[j], LineY, ColumnX[j], LineY + RowHeight);
  TableRowText();
}

void ValueTable::TableRow3(const std::string& s1, const std::string& s2, const std::string& s3) {
  TableRow({s1, s2, s3, "", "", "", ""});
}

void TableMessageList(long double x, long double y, long double h, long double width, long double maxHeight) {
  const int32_t count = std::min<int32_t>(errorList.ErrorCount, MaxErrorMsgs);
  if (count == 0) return;
  if (h == 0.0L) h = 2.0L;
  if (width == 0.0L) width = 42.0L;
  if (count > 1 && maxHeight > 0.1L) h = std::min(h, maxHeight / static_cast<long double>(count) / 2.0L);
  ValueTable table(x, y, h, {width, 0, 0, 0, 0, 0, 0}, {errorList.ErrorMsgs[1], "", "", "", "", "", ""});
  for (int32_t i = 2; i <= count; ++i)
    table.TableRow({errorList.ErrorMsgs[static_cast<size_t>(i)], "", "", "", "", "", ""});
}

}  // namespace qorva
