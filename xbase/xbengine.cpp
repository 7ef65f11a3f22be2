#include "xbase/xbengine.h"

#include "xbase/dbf4.h"
#include "xbase/dbf4lock.h"
#include "xbase/dbf4search.h"
#include "xbase/memo.h"
#include "xbase/vfiles.h"
#include "xbase/xbcommon.h"
#include "xbase/xbdbflow.h"
#include "xbase/xbnatdate.h"
#include "xbase/xbparser.h"

namespace qorva {

void XbStartEngine() {
  XbStopEngine();
  InitXbcommon();
  InitXbdbflow();
  InitNationalSettings();
  InitDbf4();
  xbcommon.FileMode = XbModeReadWriteDenyAll;
  // Locking, editing and the whole-table commands belong to the core: no caller has to start them.
  InitDbf4lock();
  InitDbf4search();
  // The expression module is always linked in: index keys, filters and sorting need it.
  InitXbparser();
  // The optional modules fill their hook records.
  InitMemo();
  InitVFiles();
}

void XbStopEngine() {
  XbQuietErrors quiet;
  const uint8_t keep = dbf4.CurrentArea;
  for (uint8_t a : {uint8_t{34}, uint8_t{35}}) {
    dbf4.CurrentArea = a;
    try {
      CloseArea();
    } catch (...) {
    }
  }
  dbf4.CurrentArea = keep;
  for (uint8_t a = 1; a <= MaxUserAreas; ++a) {
    dbf4.CurrentArea = a;
    try {
      CloseArea();
    } catch (...) {
    }
  }
  dbf4.CurrentArea = 1;
  XbTakeErrorContext();
  xbcommon.XbErrorCode = 0;
}

}  // namespace qorva
