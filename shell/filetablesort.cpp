#include "shell/filetablesort.h"

#include <utility>

namespace qorva {

namespace {

// std::string compares its bytes as unsigned char (char_traits<char>::lt), which is the order wanted.
void QuickSortStrings(SortArrayType& texts, std::vector<int32_t>& order, int32_t lo, int32_t hi) {
  while (lo < hi) {
    const std::string pivot = texts[static_cast<size_t>((lo + hi) / 2)];
    int32_t i = lo;
    int32_t j = hi;
    do {
      while (texts[static_cast<size_t>(i)] < pivot) ++i;
      while (pivot < texts[static_cast<size_t>(j)]) --j;
      if (i <= j) {
        std::swap(texts[static_cast<size_t>(i)], texts[static_cast<size_t>(j)]);
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    // The smaller part by recursion, the larger one by the loop.
    if (j - lo < hi - i) {
      if (lo < j) QuickSortStrings(texts, order, lo, j);
      lo = i;
    } else {
      if (i < hi) QuickSortStrings(texts, order, i, hi);
      hi = j;
    }
  }
}

}  // namespace

void SortStringsIndexed(SortArrayType& texts, std::vector<int32_t>& order, int32_t lo, int32_t hi) {
  if (lo < 0 || hi >= static_cast<int32_t>(texts.size()) || hi >= static_cast<int32_t>(order.size())) return;
  QuickSortStrings(texts, order, lo, hi);
}

}  // namespace qorva
