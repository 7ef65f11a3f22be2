#include "xbase/access/tablesession.h"

#include "xbase/xbengine.h"
#include "xbase/xbndx.h"

namespace qorva {

void StartTableEngine() {
  XbStartEngine();
  IndexInit();
}

bool StopTableEngine() { return XbStopEngine() == 0; }

void SetTableTempDir(const std::string& dir) { xbcommon.XbTempDir = dir; }

}  // namespace qorva
