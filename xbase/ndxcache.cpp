// ndxcache: the nodes of one open index kept in memory.
#include "xbase/ndxcache.h"

namespace qorva {

void NdxNodeCache::put(uint32_t no, const Node& node) {
  if (nos_.empty()) {
    nos_.assign(kSlots, 0);
    nodes_.resize(kSlots);
  }
  const uint32_t s = no % kSlots;
  nos_[s] = no;
  nodes_[s] = node;
}

void NdxNodeCache::forget(uint32_t no) {
  if (!nos_.empty() && nos_[no % kSlots] == no) nos_[no % kSlots] = 0;
}

void NdxNodeCache::clear() {
  if (!nos_.empty()) nos_.assign(kSlots, 0);
}

}  // namespace qorva
