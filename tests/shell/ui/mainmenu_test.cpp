// The main window's menu tree, its captions per language and the language commands.
#include "shell/ui/mainmenu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/ui/reportviewer.h"
#include "foundation/desktopsettings.h"
#include "shell/ui/mainwindow.h"
#include "shell/familymenutexts.h"

namespace qorva {
namespace {

const int32_t kLanguages[] = {LangGerman,     LangEnglish,  LangFrench, LangItalian, LangSwedish,
                              LangPortuguese, LangRomanian, LangKorean, LangSpanish, LangChinese};

class MainMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitMenuTexts();
    InitFamilyMenuTexts();
    form = std::make_unique<MainWindow>();
  }
  void TearDown() override {
    form.reset();
    InitMenuTexts();
    InitFamilyMenuTexts();
  }
  QAction* item(const char* name) const {
    auto* a = form->findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  QString caption(const char* name) const {
    if (auto* m = form->findChild<QMenu*>(name)) return m->title();
    QAction* a = item(name);
    return a ? a->text() : QString();
  }
  // Every item's caption, by name.
  std::map<std::string, QString> captions() const {
    std::map<std::string, QString> m;
    for (QAction* a : form->findChildren<QAction*>())
      if (a->objectName().startsWith("mi_")) m[a->objectName().toStdString()] = a->text();
    return m;
  }
  std::unique_ptr<MainWindow> form;
};

// Item, the menu that holds it ("mainMenuBar" for the menu bar).
const std::vector<std::pair<const char*, const char*>> kTree = {
    {"mi_file", "mainMenuBar"},
    {"mi_fileNew", "mi_file"},
    {"mi_fileOpen", "mi_file"},
    {"mi_fileOpenTable", "mi_file"},
    {"mi_FileSave", "mi_file"},
    {"mi_FileSaveAs", "mi_file"},
    {"mi_fileprint", "mi_file"},
    {"mi_filePrinterSetup", "mi_file"},
    {"mi_fileConfig", "mi_file"},
    {"mi_file1", "mi_file"},
    {"mi_file2", "mi_file"},
    {"mi_file3", "mi_file"},
    {"mi_file4", "mi_file"},
    {"mi_fileexit", "mi_file"},
    {"mi_Edit", "mainMenuBar"},
    {"mi_EditQuick", "mi_Edit"},
    {"mi_EditText", "mi_Edit"},
    {"mi_EditMaterial", "mi_Edit"},
    {"mi_editanwendung", "mi_Edit"},
    {"mi_editAbmess", "mi_Edit"},
    {"mi_editvorauslegung", "mi_Edit"},
    {"mi_View", "mainMenuBar"},
    {"mi_ViewStandard", "mi_View"},
    {"mi_ViewQuick1", "mi_View"},
    {"mi_viewQuick3", "mi_View"},
    {"mi_viewfs", "mi_View"},
    {"mi_viewGoodman", "mi_View"},
    {"mi_viewhaighgoodman", "mi_View"},
    {"mi_viewspannung", "mi_View"},
    {"mi_viewspannungrmt", "mi_viewspannung"},
    {"mi_viewspannungsigmat", "mi_viewspannung"},
    {"mi_viewfertigungszeichnung", "mi_View"},
    {"mi_viewErrorMessages", "mi_View"},
    {"mi_CAD", "mainMenuBar"},
    {"mi_cadworkingplan", "mi_CAD"},
    {"mi_caddiagrams", "mi_CAD"},
    {"mi_database", "mainMenuBar"},
    {"mi_dbfmaterial", "mi_database"},
    {"mi_documentation", "mainMenuBar"},
    {"mi_docdrawinginfo", "mi_documentation"},
    {"mi_docuShowChanges1", "mi_documentation"},
    {"mi_docuPrintChanges", "mi_documentation"},
    {"mi_docuNewChange", "mi_documentation"},
    {"mi_docuModifyChanges", "mi_documentation"},
    {"mi_docudeleteChange", "mi_documentation"},
    {"mi_DocumentSetup", "mi_documentation"},
    {"mi_OLE", "mainMenuBar"},
    {"mi_OleStartExcel", "mi_OLE"},
    {"mi_OleExportExcel", "mi_OLE"},
    {"mi_OleImportExcel", "mi_OLE"},
    {"mi_OlePrintoutExcel", "mi_OLE"},
    {"mi_Help", "mainMenuBar"},
    {"mi_helphandbuch", "mi_Help"},
    {"mi_HelpHilfebild", "mi_Help"},
    {"mi_helpErrorMessages", "mi_Help"},
    {"mi_helphistory", "mi_Help"},
    {"mi_helpDemo", "mi_Help"},
    {"mi_helplanguage", "mi_Help"},
    {"mi_helplanguageDeutsch", "mi_helplanguage"},
    {"mi_helplanguageEnglish", "mi_helplanguage"},
    {"mi_helplanguageFrancais", "mi_helplanguage"},
    {"mi_helplanguageItaliano", "mi_helplanguage"},
    {"mi_helplanguageSvensk", "mi_helplanguage"},
    {"mi_helplanguagePortugues", "mi_helplanguage"},
    {"mi_helplanguageRoman", "mi_helplanguage"},
    {"mi_helplanguageKorea", "mi_helplanguage"},
    {"mi_helplanguageEspa", "mi_helplanguage"},
    {"mi_helplanguageChinese", "mi_helplanguage"},
    {"mi_helpwww", "mi_Help"},
    {"mi_helpSysInfo", "mi_Help"},
    {"mi_HelpAbout", "mi_Help"},
};

TEST_F(MainMenu, EveryItemSitsUnderItsMenu) {
  auto* bar = form->findChild<QMenuBar*>("mainMenuBar");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(form->menuBar(), bar);
  for (const auto& [name, parent] : kTree) {
    SCOPED_TRACE(name);
    QAction* a = item(name);
    ASSERT_NE(a, nullptr);
    const QList<QAction*> siblings = std::string(parent) == "mainMenuBar"
                                         ? bar->actions()
                                         : form->findChild<QMenu*>(parent)->actions();
    EXPECT_TRUE(siblings.contains(a));
  }
  // Bar order and File order: the recent files and their separator right before Exit.
  QStringList top;
  for (QAction* a : bar->actions()) top << a->objectName();
  EXPECT_EQ(top.join(","), "mi_file,mi_Edit,mi_View,mi_CAD,mi_database,mi_documentation,mi_OLE,mi_Help");
  QStringList file;
  for (QAction* a : form->findChild<QMenu*>("mi_file")->actions())
    file << (a->isSeparator() && a->objectName().isEmpty() ? "-" : a->objectName());
  EXPECT_EQ(file.join(","),
            "mi_fileNew,mi_fileOpen,mi_fileOpenTable,mi_FileSave,mi_FileSaveAs,N4,mi_fileprint,"
            "mi_filePrinterSetup,N3,mi_fileConfig,-,mi_file1,mi_file2,mi_file3,mi_file4,N15,mi_fileexit");

  const std::pair<const char*, QKeySequence> keys[] = {
      {"mi_fileNew", QKeySequence(Qt::CTRL | Qt::Key_N)},  {"mi_fileOpen", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"mi_FileSave", QKeySequence(Qt::CTRL | Qt::Key_S)}, {"mi_fileprint", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"mi_file1", QKeySequence(Qt::SHIFT | Qt::Key_F1)},  {"mi_file4", QKeySequence(Qt::SHIFT | Qt::Key_F4)},
  };
  for (const auto& [name, key] : keys) EXPECT_EQ(item(name)->shortcut(), key) << name;
  // No recent file yet: the four items and their separator are hidden.
  for (const char* name : {"mi_file1", "mi_file2", "mi_file3", "mi_file4", "N15"})
    EXPECT_FALSE(item(name)->isVisible()) << name;
}

// The captions of the German and English menus, and the fixed ones that no language changes.
TEST_F(MainMenu, GermanAndEnglishCaptions) {
  programState.CurrentFileName.clear();
  ApplyMenuCaptions(*form);  // as the window's creation does once the program identity is set
  struct Row {
    const char* name;
    const char* german;
    const char* english;
  };
  const Row rows[] = {
      {"mi_file", "&Datei", "&File"},
      {"mi_fileNew", "&Neu...", "&New..."},
      {"mi_fileOpen", "Ö&ffnen...", "&Open..."},
      {"mi_fileOpenTable", "Ö&ffnen... (&Tabelle)", "&Open... (&Table)"},
      {"mi_FileSave", "&Speichern...", "&Save..."},
      {"mi_FileSaveAs", "Speichern &Unter...", "Save &As..."},
      {"mi_fileprint", "&Drucken...", "&Print..."},
      {"mi_filePrinterSetup", "Druckereinstellung", "Printer Setup"},
      {"mi_fileConfig", "E&instellungen", "Se&ttings"},
      {"mi_fileexit", "&Beenden", "E&xit"},
      {"mi_Edit", "&Bearbeiten", "&Edit"},
      {"mi_EditQuick", "&Neu...", "&New..."},
      {"mi_EditText", "Te&xt", "Te&xt"},
      {"mi_EditMaterial", "&Werkstoff", "&Material"},
      {"mi_editanwendung", "A&nwendung", "A&pplication"},
      {"mi_editAbmess", "&Nachrechnung", "&Recalculation"},
      {"mi_editvorauslegung", "&Vorauslegung", "&Pre-Dimensioning"},
      {"mi_View", "&Ansicht", "&View"},
      {"mi_ViewStandard", "&Ausdruck", "&Printout"},
      {"mi_ViewQuick1", "Quick &1", "Quick &1"},
      {"mi_viewQuick3", "Quick &3", "Quick &3"},
      {"mi_viewfs", "&Federkennlinie F-s", "&Load deflection curve of spring F-s"},
      {"mi_viewGoodman", "&Goodman-Diagramm", "&Goodman diagram"},
      {"mi_viewhaighgoodman", "Haigh-&Goodman-Diagramm", "Haigh-&Goodman diagram"},
      {"mi_viewspannung", "S&pannung", "Str&ess"},
      {"mi_viewspannungrmt", "Rm = f (t)", "Rm = f (t)"},
      {"mi_viewspannungsigmat", "Sigma b = f (t)", "Sigma b = f (t)"},
      {"mi_viewfertigungszeichnung", "&Fertigungszeichnung", "&Production drawing"},
      {"mi_viewErrorMessages", "&Fehlermeldungen", "&Error messages"},
      {"mi_CAD", "&CAD", "&CAD"},
      {"mi_cadworkingplan", "&Fertigungszeichnung", "&Production drawing"},
      {"mi_caddiagrams", "...", "..."},
      {"mi_database", "Datenban&k", "&Database"},
      {"mi_dbfmaterial", "&Werkstoff", "&Material"},
      {"mi_documentation", "D&okument", "D&ocument"},
      {"mi_docdrawinginfo", "&Zeichnungsdaten", "&Drawing data"},
      {"mi_docuShowChanges1", "Änderungen - &Info", "Modifications - &Info"},
      {"mi_docuPrintChanges", "Änderungen - &Ausdruck", "Modifications - &Printout"},
      {"mi_docuNewChange", "&Neue Änderung", "Modification - &New"},
      {"mi_docuModifyChanges", "Letzte Änderung &bearbeiten", "&Edit previous modification"},
      {"mi_docudeleteChange", "Letzte Änderung &löschen", "&Delete previous modification"},
      {"mi_DocumentSetup", "Links", "Links"},
      {"mi_OLE", "&OLE", "&OLE"},
      {"mi_OleStartExcel", "Start Excel", "Start Excel"},
      {"mi_OlePrintoutExcel", "Printout -> Excel", "Printout -> Excel"},
      {"mi_Help", "&Hilfe", "&Help"},
      {"mi_helphandbuch", "Handbuch", "E-Manual"},
      {"mi_HelpHilfebild", "&Hilfebild", "&Auxiliary images"},
      {"mi_helpErrorMessages", "&Fehlermeldungen", "&Error messages"},
      {"mi_helphistory", "QORVA Info (www)", "QORVA Info (www)"},
      {"mi_helpDemo", "&Demo", "&Demo"},
      {"mi_helplanguage", "Menü &Sprache", "Menu &Language"},
      {"mi_helplanguageEspa", "&Español", "&Español"},
      {"mi_helplanguageRoman", "&Roman", "&Roman"},
      {"mi_helpwww", "&KWENDAL Homepage", "&KWENDAL Homepage"},
      {"mi_helpSysInfo", "System Info", "System Info"},
      {"mi_HelpAbout", "QORVA", "QORVA"},
  };
  for (const Row& r : rows) EXPECT_EQ(caption(r.name).toStdString(), r.german) << r.name;
  SetLanguage(*form, LangEnglish);
  for (const Row& r : rows) EXPECT_EQ(caption(r.name).toStdString(), r.english) << r.name;
  EXPECT_EQ(desktopSettings.MenuLanguage, LangEnglish);
  EXPECT_EQ(form->windowTitle().toStdString(), "QORVA - Konstantkraftfeder");
  SetLanguage(*form, LangGerman);
  for (const Row& r : rows) EXPECT_EQ(caption(r.name).toStdString(), r.german) << r.name;
}

// Korean and Chinese captions show their own characters (held as EUC-KR or GBK bytes they would
// show as Latin-1 garbage on any system but a Korean or Chinese Windows).
TEST_F(MainMenu, KoreanAndChineseCaptionsShowTheirCharacters) {
  struct Row {
    int32_t lang;
    const char* name;
    const char16_t* shown;
  };
  const Row rows[] = {
      {LangKorean, "mi_file", u"\uD30C\uC77C(&F)"},
      {LangKorean, "mi_fileexit", u"\uB05D\uB0B4\uAE30(&x)"},
      {LangKorean, "mi_viewfertigungszeichnung", u"\uC0B0\uD488\uB3C4(&P)"},
      {LangKorean, "mi_helpErrorMessages", u"\uC5D0\uB7EC\uBA54\uC2DC\uC9C0(&E)"},
      {LangKorean, "mi_viewfs", u"\uC2A4\uD504\uB9C1 \uD2B9\uC131\uC120(&C) F-s"},
      {LangKorean, "mi_viewhaighgoodman", u"Haigh-\uAD73\uB9E8\uC120\uB3C4(&G)"},
      {LangKorean, "mi_viewspannung", u"\uC751\uB825(&e)"},
      {LangKorean, "mi_ViewQuick1", u"Quick &1"},
      {LangChinese, "mi_file", u"\u6587\u4EF6"},
      {LangChinese, "mi_fileexit", u"\u9000\u51FA"},
      {LangChinese, "mi_viewQuick3", u"\u5FEB\u6377\u952E &3"},
      {LangChinese, "mi_cadworkingplan", u"\u4EA7\u54C1\u56FE\u7EB8"},
      {LangChinese, "mi_viewErrorMessages", u"\u9519\u8BEF\u4FE1\u606F"},
      {LangChinese, "mi_helphandbuch", u"E-Manual"},
  };
  for (const Row& r : rows) {
    SetLanguage(*form, r.lang);
    EXPECT_EQ(caption(r.name), QString::fromUtf16(r.shown)) << r.name;
  }
  // The language submenu names both of its words in the script of the language.
  SetLanguage(*form, LangChinese);
  EXPECT_TRUE(caption("mi_helplanguage").endsWith(QString::fromUtf16(u" \u8BED\u8A00")));
  EXPECT_FALSE(caption("mi_helplanguage").contains(QChar(0xFFFD)));
}

// The Help menu's language items switch the language; Romanian has no family texts of its own.
TEST_F(MainMenu, LanguageItemsSwitchAndRomanianKeepsFamilyTexts) {
  item("mi_helplanguageEnglish")->trigger();
  EXPECT_EQ(desktopSettings.MenuLanguage, LangEnglish);
  EXPECT_EQ(caption("mi_file").toStdString(), "&File");
  item("mi_helplanguageRoman")->trigger();
  EXPECT_EQ(desktopSettings.MenuLanguage, LangRomanian);
  EXPECT_EQ(caption("mi_file").toStdString(), "&Fisier");
  EXPECT_EQ(caption("mi_fileexit").toStdString(), "Ie&sire");
  EXPECT_EQ(caption("mi_viewfs").toStdString(), "&Load deflection curve of spring F-s");
  EXPECT_EQ(caption("mi_viewGoodman").toStdString(), "&Goodman diagram");
  EXPECT_EQ(caption("mi_viewspannung").toStdString(), "Str&ess");
  item("mi_helplanguageFrancais")->trigger();
  EXPECT_EQ(caption("mi_viewfs").toStdString(), "&Caractéristique F-s");
  EXPECT_EQ(caption("mi_viewhaighgoodman").toStdString(), "Haigh-&Goodman");
  EXPECT_EQ(caption("mi_viewfertigungszeichnung").toStdString(), "D&essin fabrication");
  item("mi_helplanguageDeutsch")->trigger();
  EXPECT_EQ(caption("mi_viewfs").toStdString(), "&Federkennlinie F-s");
  // The count behind the error messages goes with a language change until the next input.
  item("mi_viewErrorMessages")->setText("&Fehlermeldungen (3)");
  item("mi_helplanguageEnglish")->trigger();
  EXPECT_EQ(caption("mi_viewErrorMessages").toStdString(), "&Error messages");
}

// The text viewer's menus follow the main menu's language, also in the scripts without a DOS form.
TEST_F(MainMenu, TheTextViewerSpeaksTheMenuLanguage) {
  for (int32_t lang : {LangEnglish, LangChinese, LangKorean, LangGerman}) {
    SetLanguage(*form, lang);
    ReportViewerWindow viewer(form.get());
    EXPECT_EQ(viewer.mi_Datei->title(), caption("mi_file")) << lang;
    EXPECT_EQ(viewer.mi_Edit->title(), caption("mi_Edit")) << lang;
    EXPECT_EQ(viewer.mi_dateiBeenden->text(), caption("mi_fileexit")) << lang;
    EXPECT_EQ(viewer.mi_DateiDrucken->text(), caption("mi_fileprint")) << lang;
    EXPECT_FALSE(viewer.mi_Datei->title().contains(QChar(0xFFFD))) << lang;
    if (lang == LangEnglish) {
      EXPECT_EQ(viewer.mi_Datei->title().toStdString(), "&File");
    }
  }
}

// Qt's own buttons and dialogs speak the menu's language, not the desktop's; where Qt has no texts
// of a language, its English ones.
TEST_F(MainMenu, QtsOwnButtonsFollowTheMenuLanguage) {
  const struct {
    int32_t lang;
    const char* cancel;
  } cases[] = {{LangGerman, "Abbrechen"}, {LangEnglish, "Cancel"}, {LangFrench, "Annuler"},
               {LangSpanish, "Cancelar"}, {LangRomanian, "Cancel"}, {LangGerman, "Abbrechen"}};
  for (const auto& c : cases) {
    SetLanguage(*form, c.lang);
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&').toStdString(), c.cancel) << c.lang;
  }
  // A number without a language changes neither the menu nor Qt's texts.
  SetLanguage(*form, 10);
  QDialogButtonBox box(QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&').toStdString(), "Abbrechen");
}

// Language numbers that select nothing change MenuLanguage and no caption.
TEST_F(MainMenu, NumbersWithoutALanguageChangeNoCaption) {
  SetLanguage(*form, LangEnglish);
  const auto english = captions();
  for (int32_t n : {0, 10, 11, 13, 255, -1, 65536 + 8}) {
    SetLanguage(*form, n);
    EXPECT_EQ(desktopSettings.MenuLanguage, n);
    EXPECT_EQ(captions(), english) << n;
  }
}

// Every language gives every item a caption.
TEST_F(MainMenu, EveryItemHasACaptionInEveryLanguage) {
  for (int32_t lang : kLanguages) {
    SetLanguage(*form, lang);
    for (const auto& [name, text] : captions()) {
      if (name.rfind("mi_file", 0) == 0 && name.size() == 8 && std::isdigit(name[7])) continue;  // recent
      EXPECT_FALSE(text.trimmed().isEmpty()) << lang << " " << name;
    }
  }
}

// No item is a silent no-op: an item without a command is disabled.
// Exit and the language items come with the menu.
TEST_F(MainMenu, ItemsWithoutACommandAreDisabled) {
  int disabled = 0;
  for (const auto& [name, parent] : kTree) {
    QAction* a = item(name);
    if (a->menu()) {
      EXPECT_TRUE(a->isEnabled()) << name;  // a menu opens; its items decide
      continue;
    }
    // Wired items may still be off (hidden, or waiting for their occasion).
    const bool wired = a->property(kMenuCommandProperty).toBool();
    if (a->isEnabled()) {
      EXPECT_TRUE(wired) << name;
    }
    if (std::string(parent) == "mi_helplanguage" || std::string(name) == "mi_fileexit") {
      EXPECT_TRUE(wired && a->isEnabled()) << name;
    }
    disabled += !a->isEnabled();
  }
  EXPECT_GT(disabled, 0);
  // Error messages and the Excel export and import wait for their occasion whatever is wired.
  for (const char* name : {"mi_viewErrorMessages", "mi_OleExportExcel", "mi_OleImportExcel"}) {
    SetMenuCommand(item(name), [] {});
    EXPECT_FALSE(item(name)->isEnabled()) << name;
    item(name)->setEnabled(true);  // as the occasion does; wiring again keeps it so
    SetMenuCommand(item(name), [] {});
    EXPECT_TRUE(item(name)->isEnabled()) << name;
  }
  // Demo is the Help menu's default item, with a check mark.
  EXPECT_EQ(form->findChild<QMenu*>("mi_Help")->defaultAction(), item("mi_helpDemo"));
  EXPECT_TRUE(item("mi_helpDemo")->isChecked());
  // Running the demonstration keeps its check mark.
  int demos = 0;
  SetMenuCommand(item("mi_helpDemo"), [&demos] { ++demos; });
  item("mi_helpDemo")->trigger();
  EXPECT_EQ(demos, 1);
  EXPECT_TRUE(item("mi_helpDemo")->isChecked());

  // A wired command enables its item.
  auto* spare = new QAction(form.get());
  spare->setEnabled(false);
  int runs = 0;
  SetMenuCommand(spare, [&runs] { ++runs; });
  EXPECT_TRUE(spare->isEnabled());
  spare->trigger();
  EXPECT_EQ(runs, 1);

  form->show();
  ASSERT_TRUE(form->isVisible());
  item("mi_fileexit")->trigger();
  EXPECT_FALSE(form->isVisible());
}

QChar AccessKey(const QString& s) {
  for (int i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '&') continue;
    if (s[i + 1] != '&') return s[i + 1].toLower();
    ++i;
  }
  return QChar();
}

// Items of one menu that the German captions tell apart by access key are told apart in every
// language too; the exceptions are pairs whose captions are the program's own given texts.
TEST_F(MainMenu, AccessKeysStayUniqueWhereTheGermanOnesAre) {
  QList<QWidget*> menus;
  menus << form->findChild<QMenuBar*>("mainMenuBar");
  for (QMenu* m : form->findChildren<QMenu*>()) menus << m;
  auto keysOf = [&](QWidget* menu) {
    std::map<std::string, QChar> keys;
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->isVisible()) keys[a->objectName().toStdString()] = AccessKey(a->text());
    return keys;
  };
  std::vector<std::map<std::string, QChar>> german;
  for (QWidget* m : menus) german.push_back(keysOf(m));

  const std::set<std::tuple<int32_t, std::string, std::string>> given = {
      {LangEnglish, "mi_editanwendung", "mi_editvorauslegung"},
      {LangEnglish, "mi_ViewStandard", "mi_viewfertigungszeichnung"},
      {LangEnglish, "mi_viewErrorMessages", "mi_viewspannung"},
      {LangEnglish, "mi_docdrawinginfo", "mi_docudeleteChange"},
      {LangFrench, "mi_viewfs", "mi_viewspannung"},
      {LangKorean, "mi_viewErrorMessages", "mi_viewspannung"},
      {LangRomanian, "mi_ViewQuick1", "mi_viewQuick3"},
  };
  for (int32_t lang : kLanguages) {
    SetLanguage(*form, lang);
    for (int i = 0; i < menus.size(); ++i) {
      const auto keys = keysOf(menus[i]);
      for (auto a = keys.begin(); a != keys.end(); ++a)
        for (auto b = std::next(a); b != keys.end(); ++b) {
          const QChar ga = german[i].at(a->first), gb = german[i].at(b->first);
          if (ga.isNull() || gb.isNull() || ga == gb || a->second.isNull()) continue;
          if (given.count({lang, a->first, b->first})) continue;
          EXPECT_NE(a->second, b->second) << "language " << lang << ": " << a->first << " and " << b->first;
        }
    }
  }
}

}  // namespace
}  // namespace qorva
