#include "xbase/xbengine.h"

#include <string>

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

uint16_t XbStopEngine() {
  uint16_t code = 0;
  std::string message;
  {
    XbQuietErrors quiet;
    auto close = [&code, &message](uint8_t area) {
      dbf4.CurrentArea = area;
      xbcommon.XbErrorCode = 0;
      try {
        CloseArea();
      } catch (...) {
        // The area is free whatever happened; a code left behind is still said below.
      }
      if (xbcommon.XbErrorCode != 0 && code == 0) {
        code = xbcommon.XbErrorCode;
        message = XbErrorText(code) + "\r\n" + XbTakeErrorContext();
      }
      XbTakeErrorContext();
      xbcommon.XbErrorCode = 0;
    };
    const uint8_t keep = dbf4.CurrentArea;
    for (uint8_t a : {uint8_t{34}, uint8_t{35}}) close(a);
    dbf4.CurrentArea = keep;
    for (uint8_t a = 1; a <= MaxUserAreas; ++a) close(a);
  }
  dbf4.CurrentArea = 1;
  // Changes that could not be written are lost: that is said like any other failed write, but at
  // the end nothing is left to stop, so the caller gets the code instead of an exception.
  if (code != 0 && xbcommon.XbReportErrors && !xbcommon.XbHalted) {
    try {
      XbMessageBox(message.substr(0, 255), "Programm angehalten.", 0x10);
    } catch (...) {
      // A prompter that cannot show the message leaves the code to the caller.
    }
  }
  return code;
}

}  // namespace qorva
