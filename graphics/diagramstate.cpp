#include "graphics/diagramstate.h"

namespace qorva {

DiagramState diagramState;

void InitDiagramState() { diagramState = DiagramState{}; }

}  // namespace qorva
