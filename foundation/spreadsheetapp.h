#pragma once
// spreadsheetapp: the spreadsheet application object. On Linux the spreadsheet export writes a
// real .xlsx (libxlsxwriter) and opens it with the desktop's program; this module only
// holds the state: empty until the export creates it, cleared at initialization and at program end.

#include <string>

namespace qorva {

struct ExcelAppState {
  bool active = false;       // "created": a workbook is being filled
  std::string workbookPath;  // the .xlsx being written ("" when none)

  bool empty() const { return !active && workbookPath.empty(); }
  void clear() {
    active = false;
    workbookPath.clear();
  }
};

struct SpreadsheetApp {
  ExcelAppState ExcelApp;
};

extern SpreadsheetApp spreadsheetApp;

void InitSpreadsheetApp();
void FinalizeSpreadsheetApp();

}  // namespace qorva
