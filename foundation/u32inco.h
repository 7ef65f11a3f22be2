#pragma once
// u32inco: the choice prompt. With 8 or more entries a list dialog, with fewer a radio dialog
// (u32inra) is shown.

#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

// Offers TextPage entries 1..count; index is 1-based in and out. An index of 0 or above count
// preselects the first entry. Cancel sets ErrorFlag and leaves index unchanged.
void AskChoice(const std::string& prompt, int32_t count, uint16_t& index);
// The same for the entries given (DOS texts). False when cancelled (ErrorFlag is then set too).
bool AskChoice(const std::string& prompt, const std::vector<std::string>& entries, uint16_t& index);

}  // namespace qorva
