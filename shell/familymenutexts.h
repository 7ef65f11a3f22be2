#pragma once
// familymenutexts: the family texts of the menus. This program shows three of them: the force-travel
// curve, the Goodman diagram and the stress submenu. There is no Romanian set, so under Romanian
// they keep the texts loaded before. The module's start loads German. No Qt here.

#include <cstdint>

#include "shell/menutexts.h"

namespace qorva {

struct FamilyMenuTexts {
  MenuCaption FamilyTextCharacteristic;
  MenuCaption FamilyTextGoodman;
  MenuCaption FamilyTextStress;
};

extern FamilyMenuTexts familyMenuTexts;

// German texts: the module's start, also the reset for tests.
void InitFamilyMenuTexts();

// Loads the family texts of a language (1..6, 8, 9, 12); any other number leaves them as they are.
// Returns whether the number selected a set.
bool SetFamilyMenuTexts(int32_t language);

}  // namespace qorva
