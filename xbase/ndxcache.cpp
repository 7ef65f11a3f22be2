// ndxcache: the nodes of one open index kept in memory.
#include "xbase/ndxcache.h"

#include <algorithm>

namespace qorva {

namespace {

// Every cache alive, so that a write through one open of a file reaches the others. Never
// destroyed: indexes still open at exit are closed by an exit handler, which may run after the
// static objects made later than its registration are gone.
std::vector<NdxNodeCache*>& live() {
  static auto* caches = new std::vector<NdxNodeCache*>;
  return *caches;
}

}  // namespace

NdxNodeCache::NdxNodeCache(dev_t dev, ino_t ino) : dev_(dev), ino_(ino) { live().push_back(this); }

NdxNodeCache::~NdxNodeCache() {
  auto& l = live();
  l.erase(std::remove(l.begin(), l.end(), this), l.end());
}

void NdxNodeCache::forgetElsewhere(uint32_t no) {
  for (NdxNodeCache* c : live())
    if (c != this && c->dev_ == dev_ && c->ino_ == ino_) c->forget(no);
}

void NdxNodeCache::put(uint32_t no, const Node& node) {
  if (no == 0) {
    anchor_ = node;
    anchorHeld_ = true;
    return;
  }
  if (nos_.empty()) {
    nos_.assign(kSlots, 0);
    nodes_.resize(kSlots);
  }
  const uint32_t s = no % kSlots;
  nos_[s] = no;
  nodes_[s] = node;
}

void NdxNodeCache::forget(uint32_t no) {
  if (no == 0) anchorHeld_ = false;
  else if (!nos_.empty() && nos_[no % kSlots] == no) nos_[no % kSlots] = 0;
}

void NdxNodeCache::clear() {
  anchorHeld_ = false;
  if (!nos_.empty()) nos_.assign(kSlots, 0);
}

}  // namespace qorva
