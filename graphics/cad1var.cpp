#include "graphics/cad1var.h"

namespace qorva {

Cad1var cad1var;

void InitCad1var() { cad1var = Cad1var{}; }

}  // namespace qorva
