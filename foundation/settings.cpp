// settings: the fixed order of the settings modules' initializations.
#include "foundation/settings.h"

#include "foundation/cadsettings.h"
#include "foundation/datafolder.h"
#include "foundation/errorlist.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/utilstr.h"
#include "foundation/spreadsheetapp.h"
#include "foundation/view3d.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"

namespace qorva {

void InitAllSettings() {
  InitSpreadsheetApp();
  InitProgramState();
  InitDesktopSettings();
  InitErrorList();
  InitGraphicsSettings();
  InitPrintSettings();
  InitCadSettings();
  InitView3d();
  InitUtilstr();
  InitMessageBox();
  InitReportWriter();
  InitDatafolder();
  // The graphics module's own start-up runs after the settings modules and before the configuration.
  ApplyGraphicsStartValues();
}

void FinalizeAllSettings() {
  FinalizeCadSettings();
  FinalizePrintSettings();
  FinalizeGraphicsSettings();
  FinalizeErrorList();
  FinalizeDesktopSettings();
  FinalizeProgramState();
  FinalizeSpreadsheetApp();
}

}  // namespace qorva
