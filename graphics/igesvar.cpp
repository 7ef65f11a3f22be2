// igesvar: the subfigure table of the IGES writer.
#include "graphics/igesvar.h"

#include <cstddef>

namespace qorva {

Igesvar igesvar;

void InitIgesvar() { igesvar.BlockRecs.assign(static_cast<std::size_t>(IgesBlockRecCount) + 1, BlockRec{}); }

BlockRec& BlockRecAt(int32_t k) {
  const std::size_t i = k < 1 ? 1 : static_cast<std::size_t>(k);
  if (igesvar.BlockRecs.size() <= i) igesvar.BlockRecs.resize(i + 1);
  return igesvar.BlockRecs[i];
}

}  // namespace qorva
