// familymenutexts: the family texts per language.
#include "shell/familymenutexts.h"

#include <array>

namespace qorva {

namespace {

// Characteristic, Goodman, stress; written as UTF-8, held as menuTexts holds its texts.
struct FamilyTextSet {
  int32_t language;
  bool utf8;
  std::array<const char*, 3> texts;
};

const FamilyTextSet kSets[] = {
    {LangGerman, false, {"&Federkennlinie", "&Goodman-Diagramm", "S&pannung"}},
    {LangEnglish, false, {"&Load deflection curve of spring", "&Goodman diagram", "Str&ess"}},
    {LangFrench, false, {"&Caractéristique", "&Goodman", "&Contrainte"}},
    {LangItalian, false, {"&Caratteristica", "&Goodman", "&Tensione"}},
    {LangSwedish, false, {"&Fjäderkarakteristik", "&Goodman-diagram", "S&pänning"}},
    {LangPortuguese, false, {"&Curva característica", "&Goodman", "&Tensão"}},
    {LangKorean, true, {"스프링 특성선(&C)", "굳맨선도(&G)", "응력(&e)"}},
    {LangSpanish, false, {"&Curva característica", "&Goodman", "&Tensión"}},
    {LangChinese, true, {"弹簧特性曲线", "古德曼图", "应力"}},
};

constexpr MenuCaption FamilyMenuTexts::*kFields[] = {&FamilyMenuTexts::FamilyTextCharacteristic, &FamilyMenuTexts::FamilyTextGoodman,
                                              &FamilyMenuTexts::FamilyTextStress};

}  // namespace

bool SetFamilyMenuTexts(int32_t language) {
  for (const FamilyTextSet& set : kSets) {
    if (set.language != language) continue;
    for (std::size_t i = 0; i < set.texts.size(); ++i)
      familyMenuTexts.*kFields[i] = MenuCaptionFromSet(set.texts[i], set.utf8);
    return true;
  }
  return false;
}

void InitFamilyMenuTexts() {
  familyMenuTexts = FamilyMenuTexts();
  SetFamilyMenuTexts(LangGerman);
}

FamilyMenuTexts familyMenuTexts;

namespace {
// The program starts with the German texts before any window reads them.
[[maybe_unused]] const bool kGermanLoaded = (InitFamilyMenuTexts(), true);
}  // namespace

}  // namespace qorva
