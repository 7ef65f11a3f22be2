// spreadsheetapp: the spreadsheet application state.
#include "foundation/spreadsheetapp.h"

namespace qorva {

SpreadsheetApp spreadsheetApp;

void InitSpreadsheetApp() { spreadsheetApp.ExcelApp.clear(); }

void FinalizeSpreadsheetApp() {
  spreadsheetApp.ExcelApp.clear();
  std::string().swap(spreadsheetApp.ExcelApp.workbookPath);
}

}  // namespace qorva
