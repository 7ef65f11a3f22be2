// Menu caption texts and family texts per language.
#include "shell/menutexts.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/windowtext.h"
#include "platform/codepage.h"
#include "shell/familymenutexts.h"

namespace qorva {
namespace {

const int32_t kLanguages[] = {LangGerman,     LangEnglish,  LangFrench, LangItalian, LangSwedish,
                              LangPortuguese, LangRomanian, LangKorean, LangSpanish, LangChinese};

std::string Utf8(std::u32string_view s) {
  std::string out;
  for (char32_t u : s) AppendUtf8(out, u);
  return out;
}

std::u32string Decode(const std::string& utf8) {
  std::u32string out;
  size_t p = 0;
  char32_t u = 0;
  while (p < utf8.size())
    if (NextUtf8(utf8, p, u)) out += u;
    else out += U'\uFFFD';
  return out;
}

bool HasAccessKey(const std::string& s) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '&') continue;
    if (s[i + 1] != '&') return true;
    ++i;
  }
  return false;
}

bool EndsWithDots(const std::string& s) { return s.size() >= 3 && s.compare(s.size() - 3, 3, "...") == 0; }

bool HasCharIn(const std::string& utf8, char32_t lo, char32_t hi) {
  for (char32_t u : Decode(utf8))
    if (u >= lo && u <= hi) return true;
  return false;
}

std::map<std::string, std::string> Snapshot() {
  std::map<std::string, std::string> m;
  for (const auto& f : kMenuTextFields) m[f.name] = MenuCaptionUtf8(menuTexts.*f.member);
  m["MenuTextLinks"] = MenuCaptionUtf8(menuTexts.MenuTextLinks);
  m["FamilyTextCharacteristic"] = MenuCaptionUtf8(familyMenuTexts.FamilyTextCharacteristic);
  m["FamilyTextGoodman"] = MenuCaptionUtf8(familyMenuTexts.FamilyTextGoodman);
  m["FamilyTextStress"] = MenuCaptionUtf8(familyMenuTexts.FamilyTextStress);
  return m;
}

class MenuTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitMenuTexts();
    InitFamilyMenuTexts();
  }
  void TearDown() override {
    InitMenuTexts();
    InitFamilyMenuTexts();
  }
};

// Every language has its own text for every caption: none empty, none left German where the
// language has a word of its own, access keys and "..." where the German has them, and every
// character displayable (European ones in code page 1252, Korean in Hangul, Chinese in Han).
TEST_F(MenuTextsTest, EveryLanguageHasEveryCaption) {
  std::map<std::string, MenuCaption> german;
  for (const auto& f : kMenuTextFields) german[f.name] = menuTexts.*f.member;
  // Captions that are rightly the same word as the German one.
  const std::map<std::string, std::set<int32_t>> sameAsGerman = {
      {"MenuTextCad", {LangEnglish, LangItalian, LangSwedish, LangPortuguese, LangRomanian, LangSpanish}},
      {"MenuTextDemo", {LangEnglish, LangItalian, LangSwedish, LangPortuguese, LangRomanian, LangSpanish}},
      {"MenuTextQuick", {LangEnglish, LangKorean}},
      {"MenuTextText", {LangEnglish, LangSwedish}},
      {"MenuTextHomepage", {LangEnglish}},
      {"MenuTextDocument", {LangSwedish}},
  };
  // Given captions whose access key differs in presence from the German one.
  const std::set<std::pair<int32_t, std::string>> keyDiffers = {
      {LangEnglish, "MenuTextCopy"}, {LangEnglish, "MenuTextSelectAll"}, {LangRomanian, "MenuTextQuick"}};

  for (int32_t lang : kLanguages) {
    SCOPED_TRACE("language " + std::to_string(lang));
    ASSERT_TRUE(SetMenuTexts(lang));
    const bool cjk = lang == LangKorean || lang == LangChinese;
    for (const auto& f : kMenuTextFields) {
      SCOPED_TRACE(f.name);
      const MenuCaption& c = menuTexts.*f.member;
      const MenuCaption& g = german[f.name];
      ASSERT_FALSE(c.text.empty());
      EXPECT_EQ(c.utf8, cjk);
      const std::string shown = MenuCaptionUtf8(c);
      if (lang != LangGerman) {
        auto same = sameAsGerman.find(f.name);
        if (same == sameAsGerman.end() || !same->second.count(lang)) {
          EXPECT_NE(shown, MenuCaptionUtf8(g)) << "left in German";
        }
      }
      EXPECT_EQ(EndsWithDots(shown), EndsWithDots(g.text));
      // A typographic quote in a caption is a leftover of how the text was once typed.
      EXPECT_FALSE(HasCharIn(shown, 0x2018, 0x201F)) << shown;
      if (lang == LangChinese) {
        EXPECT_FALSE(HasAccessKey(shown));  // the Chinese captions go without access keys
      } else if (!keyDiffers.count({lang, f.name})) {
        EXPECT_EQ(HasAccessKey(shown), HasAccessKey(g.text));
      }
      if (!cjk) {
        EXPECT_EQ(shown.find('?'), std::string::npos) << "a character without a code page 1252 byte";
        EXPECT_EQ(Utf8ToWin(shown), c.text);
      } else {
        EXPECT_EQ(Decode(shown).find(U'\uFFFD'), std::u32string::npos);
        const std::string name = f.name;
        const bool latin = name == "MenuTextCad" || name == "MenuTextManual" ||
                           (lang == LangKorean && name == "MenuTextQuick");
        if (!latin) {
          const bool script = lang == LangKorean ? HasCharIn(shown, 0xAC00, 0xD7A3) : HasCharIn(shown, 0x4E00, 0x9FFF);
          EXPECT_TRUE(script) << shown;
        }
      }
    }
    EXPECT_EQ(menuTexts.MenuTextLinks.text, "Links");
  }
}

TEST_F(MenuTextsTest, FamilyTextsInEveryLanguageButRomanian) {
  const MenuCaption FamilyMenuTexts::*fields[] = {&FamilyMenuTexts::FamilyTextCharacteristic, &FamilyMenuTexts::FamilyTextGoodman,
                                           &FamilyMenuTexts::FamilyTextStress};
  const FamilyMenuTexts german = familyMenuTexts;
  for (int32_t lang : kLanguages) {
    SCOPED_TRACE("language " + std::to_string(lang));
    InitFamilyMenuTexts();
    if (lang == LangRomanian) {
      EXPECT_FALSE(SetFamilyMenuTexts(lang));
      continue;
    }
    ASSERT_TRUE(SetFamilyMenuTexts(lang));
    const bool cjk = lang == LangKorean || lang == LangChinese;
    for (auto field : fields) {
      const MenuCaption& c = familyMenuTexts.*field;
      const std::string shown = MenuCaptionUtf8(c);
      ASSERT_FALSE(c.text.empty());
      EXPECT_EQ(c.utf8, cjk);
      if (lang != LangGerman) {
        EXPECT_NE(shown, MenuCaptionUtf8(german.*field)) << shown;
      }
      EXPECT_EQ(HasAccessKey(shown), lang != LangChinese) << shown;
      if (!cjk) {
        EXPECT_EQ(shown.find('?'), std::string::npos) << shown;
      }
    }
  }
}

// The texts the program is known by, as held and as shown. Korean and Chinese are written here by
// code point, so the test does not lean on how the source file is encoded.
TEST_F(MenuTextsTest, GivenTextsAsHeldAndShown) {
  EXPECT_EQ(menuTexts.MenuTextOpen.text, "\xD6&ffnen...");
  EXPECT_EQ(menuTexts.MenuTextMenu.text, "Men\xFC");
  EXPECT_EQ(menuTexts.MenuTextChangeDelete.text, "Letzte \xC4nderung &l\xF6schen");
  EXPECT_EQ(menuTexts.MenuTextSelectAll.text, "Alles ausw\xE4hlen");
  ASSERT_TRUE(SetMenuTexts(LangSwedish));
  EXPECT_EQ(menuTexts.MenuTextLanguage.text, "&Spr\xE5k");
  ASSERT_TRUE(SetMenuTexts(LangSpanish));
  EXPECT_EQ(menuTexts.MenuTextQuick.text, "R\xE1pido");
  EXPECT_EQ(menuTexts.MenuTextProductionDrawing.text, "Dibujo para &Fabricaci\xF3n");
  ASSERT_TRUE(SetFamilyMenuTexts(LangFrench));
  EXPECT_EQ(familyMenuTexts.FamilyTextCharacteristic.text, "&Caract\xE9ristique");
  // Words a translation easily gets wrong: French menus say CAO, Romanian ones name their
  // commands by nouns as "Ie&sire" does, and the Korean "Apply" word is not a spring's application.
  ASSERT_TRUE(SetMenuTexts(LangFrench));
  EXPECT_EQ(menuTexts.MenuTextCad.text, "&CAO");
  ASSERT_TRUE(SetMenuTexts(LangRomanian));
  EXPECT_EQ(menuTexts.MenuTextOpen.text, "&Deschidere...");
  EXPECT_EQ(menuTexts.MenuTextSelectAll.text, "Selectare totala");

  struct Case {
    int32_t lang;
    MenuCaption MenuTexts::*field;
    std::u32string_view shown;
  };
  const Case cases[] = {
      {LangKorean, &MenuTexts::MenuTextFile, U"\uD30C\uC77C(&F)"},
      {LangKorean, &MenuTexts::MenuTextExit, U"\uB05D\uB0B4\uAE30(&x)"},
      {LangKorean, &MenuTexts::MenuTextProductionDrawing, U"\uC0B0\uD488\uB3C4(&P)"},
      {LangKorean, &MenuTexts::MenuTextErrorMessages, U"\uC5D0\uB7EC\uBA54\uC2DC\uC9C0(&E)"},
      {LangKorean, &MenuTexts::MenuTextLanguage, U"\uC5B8\uC5B4(&L)"},
      {LangKorean, &MenuTexts::MenuTextQuick, U"Quick"},
      {LangKorean, &MenuTexts::MenuTextApplication, U"\uC6A9\uB3C4(&A)"},
      {LangChinese, &MenuTexts::MenuTextFile, U"\u6587\u4EF6"},
      {LangChinese, &MenuTexts::MenuTextExit, U"\u9000\u51FA"},
      {LangChinese, &MenuTexts::MenuTextQuick, U"\u5FEB\u6377\u952E"},
      {LangChinese, &MenuTexts::MenuTextProductionDrawing, U"\u4EA7\u54C1\u56FE\u7EB8"},
      {LangChinese, &MenuTexts::MenuTextErrorMessages, U"\u9519\u8BEF\u4FE1\u606F"},
      {LangChinese, &MenuTexts::MenuTextLanguage, U"\u8BED\u8A00"},
      {LangChinese, &MenuTexts::MenuTextManual, U"E-Manual"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SetMenuTexts(c.lang));
    EXPECT_EQ(MenuCaptionUtf8(menuTexts.*c.field), Utf8(c.shown));
  }
  ASSERT_TRUE(SetFamilyMenuTexts(LangKorean));
  EXPECT_EQ(MenuCaptionUtf8(familyMenuTexts.FamilyTextCharacteristic), Utf8(U"\uC2A4\uD504\uB9C1 \uD2B9\uC131\uC120(&C)"));
  EXPECT_EQ(MenuCaptionUtf8(familyMenuTexts.FamilyTextGoodman), Utf8(U"\uAD73\uB9E8\uC120\uB3C4(&G)"));
  EXPECT_EQ(MenuCaptionUtf8(familyMenuTexts.FamilyTextStress), Utf8(U"\uC751\uB825(&e)"));
}

// A number that selects no language keeps every text, also one that a 16-bit number would wrap
// onto a language.
TEST_F(MenuTextsTest, NumbersWithoutALanguageKeepTheTexts) {
  ASSERT_TRUE(SetMenuTexts(LangEnglish));
  ASSERT_TRUE(SetFamilyMenuTexts(LangEnglish));
  const auto english = Snapshot();
  for (int32_t n : {0, 10, 11, 13, 99, -1, -12, 65536 + 12, 65536 + 2, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(n);
    EXPECT_FALSE(SetMenuTexts(n));
    EXPECT_FALSE(SetFamilyMenuTexts(n));
    EXPECT_EQ(Snapshot(), english);
  }
}

TEST_F(MenuTextsTest, RomanianAfterEnglishKeepsTheEnglishFamilyTexts) {
  SetMenuTexts(LangEnglish);
  SetFamilyMenuTexts(LangEnglish);
  EXPECT_TRUE(SetMenuTexts(LangRomanian));
  EXPECT_FALSE(SetFamilyMenuTexts(LangRomanian));
  EXPECT_EQ(menuTexts.MenuTextFile.text, "&Fisier");
  EXPECT_EQ(menuTexts.MenuTextExit.text, "Ie&sire");
  EXPECT_EQ(familyMenuTexts.FamilyTextCharacteristic.text, "&Load deflection curve of spring");
  EXPECT_EQ(familyMenuTexts.FamilyTextStress.text, "Str&ess");
  // Korean family texts stay readable under Romanian menu texts.
  SetFamilyMenuTexts(LangKorean);
  SetMenuTexts(LangRomanian);
  EXPECT_TRUE(familyMenuTexts.FamilyTextGoodman.utf8);
  EXPECT_FALSE(menuTexts.MenuTextFile.utf8);
  EXPECT_EQ(MenuCaptionUtf8(familyMenuTexts.FamilyTextGoodman), Utf8(U"\uAD73\uB9E8\uC120\uB3C4(&G)"));
}

TEST_F(MenuTextsTest, ResetGoesBackToGerman) {
  SetMenuTexts(LangChinese);
  SetFamilyMenuTexts(LangChinese);
  InitMenuTexts();
  InitFamilyMenuTexts();
  EXPECT_EQ(menuTexts.MenuTextFile.text, "&Datei");
  EXPECT_FALSE(menuTexts.MenuTextFile.utf8);
  EXPECT_EQ(familyMenuTexts.FamilyTextGoodman.text, "&Goodman-Diagramm");
  EXPECT_EQ(menuTexts.MenuTextLinks.text, "Links");
}

}  // namespace
}  // namespace qorva
