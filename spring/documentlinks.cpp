// documentlinks: the document links of a spring.
#include "spring/documentlinks.h"

namespace qorva {

DocumentLinkList NewDocumentLinkList() {
  DocumentLinkList d;
  for (uint16_t i = 1; i <= DocumentLinkCount; ++i) d.DocumentLinks[i].Program = "xdg-open";
  return d;
}

}  // namespace qorva
