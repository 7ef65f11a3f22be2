#pragma once
// menutexts: the menu caption texts of the main window, the text viewer, the browse window and the
// file table, in ten languages. Loading a language overwrites every text; a number without a set
// changes nothing. The module's start loads German. No Qt here.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

// Language numbers of the menu texts (MenuLanguage).
enum MenuLanguageCode : int32_t {
  LangGerman = 1,
  LangEnglish = 2,
  LangFrench = 3,
  LangItalian = 4,
  LangSwedish = 5,
  LangPortuguese = 6,
  LangRomanian = 7,
  LangKorean = 8,
  LangSpanish = 9,
  LangChinese = 12,
};

// A caption as held: Windows code page 1252 bytes for the European languages; UTF-8 for Korean
// and Chinese, which that code page cannot hold (held as EUC-KR or GBK bytes they would read
// right only under a Windows of that code page). "&" marks the access key.
struct MenuCaption {
  std::string text;
  bool utf8 = false;
};

// The caption as UTF-8, for display.
std::string MenuCaptionUtf8(const MenuCaption& c);

// A caption from a language set's UTF-8 text, held as that set holds its texts.
MenuCaption MenuCaptionFromSet(const char* text, bool utf8);

struct MenuTexts {
  MenuCaption MenuTextMenu;
  MenuCaption MenuTextFile;
  MenuCaption MenuTextNew;
  MenuCaption MenuTextOpen;
  MenuCaption MenuTextSave;
  MenuCaption MenuTextSaveAs;
  MenuCaption MenuTextSettings;
  MenuCaption MenuTextExit;
  MenuCaption MenuTextCopy;
  MenuCaption MenuTextPrint;
  MenuCaption MenuTextPrinterSetup;
  MenuCaption MenuTextEdit;
  MenuCaption MenuTextText;
  MenuCaption MenuTextQuick;
  MenuCaption MenuTextMaterial;
  MenuCaption MenuTextApplication;
  MenuCaption MenuTextPreDesign;
  MenuCaption MenuTextRecalculation;
  MenuCaption MenuTextSelectAll;
  MenuCaption MenuTextView;
  MenuCaption MenuTextDatabase;
  MenuCaption MenuTextCad;
  MenuCaption MenuTextProductionDrawing;
  MenuCaption MenuTextDocument;
  MenuCaption MenuTextDrawingData;
  MenuCaption MenuTextChangesInfo;
  MenuCaption MenuTextChangesPrint;
  MenuCaption MenuTextChangeNew;
  MenuCaption MenuTextChangeEdit;
  MenuCaption MenuTextChangeDelete;
  MenuCaption MenuTextHelp;
  MenuCaption MenuTextHelpPicture;
  MenuCaption MenuTextErrorMessages;
  MenuCaption MenuTextDemo;
  MenuCaption MenuTextHomepage;
  MenuCaption MenuTextPrintout;
  MenuCaption MenuTextLanguage;
  MenuCaption MenuTextTable;
  MenuCaption MenuTextManual;
  // The same in every language; no language set changes it.
  MenuCaption MenuTextLinks{"Links", false};
};

extern MenuTexts menuTexts;

// German texts and "Links": the module's start, also the reset for tests.
void InitMenuTexts();

// Loads the menu texts of a language (1..9, 12); any other number leaves every text as it is.
// Returns whether the number selected a set.
bool SetMenuTexts(int32_t language);

// The texts that every language sets, by name, for whoever walks all of them.
struct MenuTextField {
  const char* name;
  MenuCaption MenuTexts::*member;
};
extern const std::array<MenuTextField, 39> kMenuTextFields;

}  // namespace qorva
