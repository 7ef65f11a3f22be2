#pragma once
// ndxcache: the nodes of one open index file kept in memory once they were read and checked, so
// that a descent does not read and check the same upper nodes again and again. The cache knows
// nothing of other programs: its owner (ndxEngine) asks it only while nobody else can have changed the
// file unseen (the table held exclusively, or inside a semaphore bracket whose change marker was
// taken over) and empties it when another program's change is taken over. Our own writes go
// through it; so does the anchor block, so that an anchor that did not change is not written again. Direct-mapped by node number; memory is taken at the first node held.
// May call: nothing of the engine.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <vector>

namespace qorva {

class NdxNodeCache {
 public:
  using Node = std::array<uint8_t, 512>;
  static constexpr uint32_t kSlots = 4096;  // 2 MB per index at most

  // The file the nodes belong to (device and inode), so that a write through another open of the
  // same file can drop what this one holds.
  NdxNodeCache(dev_t dev, ino_t ino);
  ~NdxNodeCache();
  NdxNodeCache(const NdxNodeCache&) = delete;
  NdxNodeCache& operator=(const NdxNodeCache&) = delete;

  // Node no was written through this open: every other cache of the same file forgets it.
  void forgetElsewhere(uint32_t no);

  // Node no (0: the anchor block), or nullptr when it is not held.
  const Node* find(uint32_t no) const {
    if (no == 0) return anchorHeld_ ? &anchor_ : nullptr;
    if (nos_.empty()) return nullptr;
    const uint32_t s = no % kSlots;
    return nos_[s] == no ? &nodes_[s] : nullptr;
  }
  // Holds node no as given (replacing what its slot held).
  void put(uint32_t no, const Node& node);
  void forget(uint32_t no);
  void clear();

 private:
  dev_t dev_;
  ino_t ino_;
  std::vector<uint32_t> nos_;  // node number held in each slot, 0 for none (0 names no node)
  std::vector<Node> nodes_;
  Node anchor_{};  // block 0 as last written or read
  bool anchorHeld_ = false;
};

}  // namespace qorva
