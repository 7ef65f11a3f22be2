#pragma once
// xlsexport: the export of a text file into the first column of a spreadsheet, one line per row.
// The workbook is a real .xlsx (libxlsxwriter) written to spreadsheetApp.ExcelApp.workbookPath (or
// TempDir + ProgStem + ".xlsx" when that is empty) and opened with the desktop's spreadsheet program.

#include <functional>
#include <string>

struct lxw_worksheet;

namespace qorva {

// Writes a new workbook at path whose one worksheet fill fills (false from fill: a cell could not be
// written). The workbook is built beside path and renamed over an older one only when complete;
// false with error "<path>: file write error" otherwise, and no work file is left.
bool WriteXlsxWorkbook(const std::string& path, const std::function<bool(lxw_worksheet*)>& fill, std::string& error);

// An empty fileName is refused with "File not found. Use "File->Save"" and ErrorFlag; otherwise the
// name is completed and checked like a data file to read. Every failure sets ErrorFlag; a workbook
// that cannot be written completely leaves an older one as it was.
void ExportTextToExcel(const std::string& fileName);

// Writes the lines of the DOS text file textFile into column 1 of a new workbook xlsxPath (text in
// UTF-8). False with ErrorFlag set on any failure; the message text goes to error.
bool WriteTextToXlsx(const std::string& textFile, const std::string& xlsxPath, std::string& error);

}  // namespace qorva
