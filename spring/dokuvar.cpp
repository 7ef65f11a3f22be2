// dokuvar: the document links of the current spring.
#include "spring/dokuvar.h"

namespace qorva {



void InitDokuvar() {
  dokuvar = Dokuvar{};
  for (uint16_t i = 1; i <= DocumentLinkCount; ++i) dokuvar.DocumentLinks[i].Program = "xdg-open";
}

}  // namespace qorva
