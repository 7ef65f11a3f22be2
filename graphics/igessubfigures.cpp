// igessubfigures: the subfigure table of the IGES writer.
#include "graphics/igessubfigures.h"

#include <cstddef>

namespace qorva {

IgesSubfigures igesSubfigures;

void InitIgesSubfigures() { igesSubfigures.BlockRecs.assign(static_cast<std::size_t>(IgesBlockRecCount) + 1, BlockRec{}); }

BlockRec& BlockRecAt(int32_t k) {
  const std::size_t i = k < 1 ? 1 : static_cast<std::size_t>(k);
  if (igesSubfigures.BlockRecs.size() <= i) igesSubfigures.BlockRecs.resize(i + 1);
  return igesSubfigures.BlockRecs[i];
}

}  // namespace qorva
