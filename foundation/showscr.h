#pragma once
// showscr: the 22-line text screen.

namespace qorva {

// Shows TextPage entries 1..22 in a modal window captioned ProgName, closed with OK.
void ShowTextScreen();

}  // namespace qorva
