#pragma once
// filetablesort: the string quicksort of the file table. Sorts texts by position together with an order
// array that remembers where each text came from. Texts compare byte by byte as unsigned characters
// (case-sensitive, empty text first); ascending and not stable.

#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

// Texts and order entries by position; the table numbers its data rows from 1, so index 0 is unused
// there, but any lo..hi inside the vectors works.
using SortArrayType = std::vector<std::string>;

// Hoare partition over lo..hi (inclusive); exchanges texts[i], texts[j] and order[i], order[j]
// together. Recursion goes into the smaller part only, so a large table cannot exhaust the stack.
void SortStringsIndexed(SortArrayType& texts, std::vector<int32_t>& order, int32_t lo, int32_t hi);

}  // namespace qorva
