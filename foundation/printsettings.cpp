// printsettings: print-settings defaults.
#include "foundation/printsettings.h"

namespace qorva {

PrintSettings printSettings;

void InitPrintSettings() { printSettings = PrintSettings(); }

void FinalizePrintSettings() { std::string().swap(printSettings.PrintFontName); }

}  // namespace qorva
