#include "xbase/access/tablesession.h"

#include "xbase/xbengine.h"

namespace qorva {

void StartTableEngine() { XbStartEngine(); }

void StopTableEngine() { XbStopEngine(); }

void SetTableTempDir(const std::string& dir) { xbcommon.XbTempDir = dir; }

}  // namespace qorva
