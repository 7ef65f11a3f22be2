#pragma once
// xlsimport: the cells of the first worksheet of an .xlsx workbook as texts, the counterpart of
// xlsexport. A workbook is a zip archive of XML parts; this reads the worksheet, its shared strings
// and the workbook's list of sheets, nothing of formats or formulas (a formula cell gives the value
// the spreadsheet program stored with it). Cell texts are UTF-8; a number cell gives the number as
// stored ("0.5", "85"); a cell that is not there gives an empty text.

#include <string>
#include <vector>

namespace qorva {

using XlsxRow = std::vector<std::string>;

// The rows of the first worksheet of the workbook path (a name as the program holds it, as for
// WriteRowsToXlsx) from row 1 to its last row with a cell, each from column A to its last cell. False with error set when the file is no workbook, is damaged, or is larger than the
// reader accepts (64 MB for one part, 1,000,000 rows, 16,384 columns). Only the first `columns`
// columns are read (memory follows the cells read); a sheet with a row past `maxRows` is refused.
bool ReadXlsxRows(const std::string& path, std::vector<XlsxRow>& rows, std::string& error, size_t columns = 16384,
                  size_t maxRows = 1000000);

}  // namespace qorva
