#pragma once
// igessubfigures: the subfigure table of the IGES writer. One record list serves two purposes: entry k's
// MemberDE is the k-th member of the subfigure being written (rebuilt for each subfigure), while
// Name and BlockDE of entry k describe the k-th subfigure of the current file. Records survive
// from file to file; only the writer's counts say which entries belong to the current file.

#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

struct BlockRec {
  int32_t MemberDE = 0;
  int32_t BlockDE = 0;
  std::string Name = "12345678";
};

// Entries preset at start; the list grows when a file needs more (index 0 unused).
constexpr int32_t IgesBlockRecCount = 999;

struct IgesSubfigures {
  std::vector<BlockRec> BlockRecs;
};

extern IgesSubfigures igesSubfigures;
void InitIgesSubfigures();

// Entry k (from 1); the list is extended with preset records when k lies beyond it.
BlockRec& BlockRecAt(int32_t k);

}  // namespace qorva
