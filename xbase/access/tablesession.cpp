#include "xbase/access/tablesession.h"

#include "xbase/engine.h"
#include "xbase/ndxengine.h"

namespace qorva {

void StartTableEngine() {
  XbStartEngine();
  IndexInit();
}

bool StopTableEngine() { return XbStopEngine() == 0; }

void SetTableTempDir(const std::string& dir) { engineState.XbTempDir = dir; }

}  // namespace qorva
