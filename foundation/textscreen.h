#pragma once
// textscreen: the text screen.

#include <string>
#include <vector>

namespace qorva {

// Shows the lines (DOS texts) in a modal window captioned ProgName, closed with OK.
void ShowTextScreen(const std::vector<std::string>& lines);

}  // namespace qorva
