// varexcel: the spreadsheet application state.
#include "foundation/varexcel.h"

namespace qorva {

Varexcel varexcel;

void InitVarexcel() { varexcel.ExcelApp.clear(); }

void FinalizeVarexcel() {
  varexcel.ExcelApp.clear();
  std::string().swap(varexcel.ExcelApp.workbookPath);
}

}  // namespace qorva
