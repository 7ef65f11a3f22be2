// settings: the fixed order of the settings modules' initializations.
#include "foundation/settings.h"

#include "foundation/cad8var.h"
#include "foundation/datafolder.h"
#include "foundation/error0.h"
#include "foundation/hgvar.h"
#include "foundation/kwenvar.h"
#include "foundation/msgbox.h"
#include "foundation/textout.h"
#include "foundation/utilstr.h"
#include "foundation/varexcel.h"
#include "foundation/view3d.h"
#include "foundation/wkwenvar.h"
#include "foundation/wprinvar.h"

namespace qorva {

void InitAllSettings() {
  InitVarexcel();
  InitKwenvar();
  InitWkwenvar();
  InitError0();
  InitHgvar();
  InitWprinvar();
  InitCad8var();
  InitView3d();
  InitUtilstr();
  InitMsgbox();
  InitTextout();
  InitDatafolder();
  // The graphics module's own start-up runs after the settings modules and before the configuration.
  ApplyGraphicsStartValues();
}

void FinalizeAllSettings() {
  FinalizeCad8var();
  FinalizeWprinvar();
  FinalizeHgvar();
  FinalizeError0();
  FinalizeWkwenvar();
  FinalizeKwenvar();
  FinalizeVarexcel();
}

}  // namespace qorva
