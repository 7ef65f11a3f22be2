#include "xbase/engine.h"

#include <string>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/memo.h"
#include "xbase/memorytables.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/nationaldates.h"
#include "xbase/expressionparser.h"

namespace qorva {

void XbStartEngine() {
  XbStopEngine();
  InitEngineState();
  InitTableFile();
  InitNationalSettings();
  InitWorkAreas();
  engineState.FileMode = XbModeReadWriteDenyAll;
  // Locking, editing and the whole-table commands belong to the core: no caller has to start them.
  InitRecordLocks();
  InitTableCommands();
  // The expression module is always linked in: index keys, filters and sorting need it.
  InitExpressionParser();
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
      workAreas.CurrentArea = area;
      engineState.XbErrorCode = 0;
      try {
        CloseArea();
      } catch (...) {
        // The area is free whatever happened; a code left behind is still said below.
      }
      if (engineState.XbErrorCode != 0 && code == 0) {
        code = engineState.XbErrorCode;
        message = XbErrorText(code) + "\r\n" + XbTakeErrorContext();
      }
      XbTakeErrorContext();
      engineState.XbErrorCode = 0;
    };
    const uint8_t keep = workAreas.CurrentArea;
    for (uint8_t a : {uint8_t{34}, uint8_t{35}}) close(a);
    workAreas.CurrentArea = keep;
    for (uint8_t a = 1; a <= MaxUserAreas; ++a) close(a);
  }
  workAreas.CurrentArea = 1;
  // Changes that could not be written are lost: that is said like any other failed write, but at
  // the end nothing is left to stop, so the caller gets the code instead of an exception.
  if (code != 0 && engineState.XbReportErrors && !engineState.XbHalted) {
    try {
      XbMessageBox(message.substr(0, 255), "Programm angehalten.", 0x10);
    } catch (...) {
      // A prompter that cannot show the message leaves the code to the caller.
    }
  }
  return code;
}

}  // namespace qorva
