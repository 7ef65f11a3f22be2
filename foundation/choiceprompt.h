#pragma once
// choiceprompt: the choice prompt. With 8 or more entries a list dialog, with fewer a radio dialog
// (choiceradiodialog) is shown.

#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

// Offers the entries (DOS texts); index is 1-based in and out (entry 1 is entries[0]). An index of 0
// or above the count preselects the first entry. False when cancelled: ErrorFlag is then set too
// and index stays unchanged.
bool AskChoice(const std::string& prompt, const std::vector<std::string>& entries, uint16_t& index);

}  // namespace qorva
