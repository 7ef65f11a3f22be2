#pragma once
// xlsexport: the export of a text file into the first column of a spreadsheet, one line per row.
// The workbook is a real .xlsx (libxlsxwriter) written to varexcel.ExcelApp.workbookPath (or
// TempDir + ProgStem + ".xlsx" when that is empty) and opened with the desktop's spreadsheet program.

#include <string>

namespace qorva {

// An empty fileName is refused with "File not found. Use "File->Save"" and ErrorFlag; otherwise the
// name is completed and checked like a data file to read. Every failure sets ErrorFlag; a workbook
// that cannot be written completely leaves an older one as it was.
void ExportTextToExcel(const std::string& fileName);

// Writes the lines of the DOS text file textFile into column 1 of a new workbook xlsxPath (text in
// UTF-8). False with ErrorFlag set on any failure; the message text goes to error.
bool WriteTextToXlsx(const std::string& textFile, const std::string& xlsxPath, std::string& error);

}  // namespace qorva
