#pragma once
// spreadsheet: the program's spreadsheet commands. Every export writes a complete .xlsx workbook
// of its own in the temporary folder (libxlsxwriter) and hands it to the desktop's spreadsheet
// program through the launcher; an earlier workbook that may still be open there is never touched.
// A workbook that cannot be written, or a program that cannot open it, is told and ends the command.

#include <string>
#include <vector>

#include "shell/filetable.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"

namespace qorva {

// Writes rows into the first sheet of a new workbook at xlsxPath: rows[r][c] becomes cell (r, c).
// In the columns textColumns marks every text is a string cell (UTF-8), as typed; in the others a
// text that is a plain decimal number (blanks around it allowed, "." or "," as decimal mark)
// becomes a number, any other text (also a code with leading zeros, "007") a string. Empty texts
// leave their cell empty. The workbook is built beside xlsxPath and renamed onto it only when
// complete. False with error set.
bool WriteRowsToXlsx(const GridRows& rows, const std::string& xlsxPath, std::string& error,
                     const std::vector<bool>& textColumns = {});

// The number a cell text stands for, as WriteRowsToXlsx reads it.
bool CellNumber(const std::string& text, double& value);

// Splits a tab-separated DOS text file into rows of UTF-8 texts. False when it cannot be read.
bool ReadTabText(const std::string& fileName, GridRows& rows);

// TempDir + ProgStem + "-" + kind + "-" + n + ".xlsx" with the first n from 1 that names no file.
std::string NewWorkbookPath(const std::string& kind);

// The file table (header and rows) into a new workbook, opened in the spreadsheet program; a
// workbook it cannot write or open is told ("Could not start Excel" when it cannot be opened).
// Its text columns (file, date, drawing number, material) stay texts: "12E3" is no number there.
void ExportGridToExcel(const GridRows& rows);

// OLE > Start Excel: needs a saved spring (else the save hint and ErrorFlag), and a desktop that
// can open documents (else "Excel kann nicht gestartet werden" and ErrorFlag).
void CreateExcelObject();
// OLE > Export: saves changed input of the spring s first, then its spring data file line by line
// into column 1.
void ExcelExport(const Spring& s);
// OLE > Import: a workbook chosen in the open dialog (starting in the folder of the exported ones)
// whose first column holds the lines of a spring data file, as OLE > Export wrote them and the
// spreadsheet program may have changed them. The lines are read as a spring data file is read, in
// memory: all or nothing, the current file name stays. The spring s takes them over as a spring read
// from a file does. False with ErrorFlag set when nothing was taken over (cancelled, no workbook, a
// damaged file; told to the user).
bool ExcelImport(Spring& s);
// The spring the first column of a workbook stores, read on top of base as a spring data file of
// that name is read (no file is written); a workbook that cannot be read gives its reason as error.
SpringFileRead ReadSpringFromXlsx(const std::string& xlsxPath, const std::string& name, const Spring& base);
// The lines of a spring data file from the first column of a workbook, texts in the DOS code page.
bool ReadSpringLinesFromXlsx(const std::string& xlsxPath, std::vector<std::string>& lines, std::string& error);
// OLE > Printout: the text results of the spring s as tab-separated text, cell by cell into a new
// workbook. While FatalError is set the calculation messages are shown instead.
void ExcelPrintout(const Spring& s);

}  // namespace qorva
