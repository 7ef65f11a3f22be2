// dokuvar: the document links of a spring.
#include "spring/dokuvar.h"

namespace qorva {

Dokuvar NewDokuvar() {
  Dokuvar d;
  for (uint16_t i = 1; i <= DocumentLinkCount; ++i) d.DocumentLinks[i].Program = "xdg-open";
  return d;
}

}  // namespace qorva
