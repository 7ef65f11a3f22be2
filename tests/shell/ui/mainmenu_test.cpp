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
      if (a->objectName().contains("Action") || a->objectName().endsWith("Menu")) m[a->objectName().toStdString()] = a->text();
    return m;
  }
  std::unique_ptr<MainWindow> form;
};

// Item, the menu that holds it ("mainMenuBar" for the menu bar).
const std::vector<std::pair<const char*, const char*>> kTree = {
    {"fileMenu", "mainMenuBar"},
    {"fileNewAction", "fileMenu"},
    {"fileOpenAction", "fileMenu"},
    {"fileOpenTableAction", "fileMenu"},
    {"fileSaveAction", "fileMenu"},
    {"fileSaveAsAction", "fileMenu"},
    {"filePrintAction", "fileMenu"},
    {"filePrinterSetupAction", "fileMenu"},
    {"fileSettingsAction", "fileMenu"},
    {"recentFileAction1", "fileMenu"},
    {"recentFileAction2", "fileMenu"},
    {"recentFileAction3", "fileMenu"},
    {"recentFileAction4", "fileMenu"},
    {"fileExitAction", "fileMenu"},
    {"editMenu", "mainMenuBar"},
    {"editInputSequenceAction", "editMenu"},
    {"editDrawingTextAction", "editMenu"},
    {"editMaterialAction", "editMenu"},
    {"editApplicationAction", "editMenu"},
    {"editDimensionsAction", "editMenu"},
    {"editPreDesignAction", "editMenu"},
    {"viewMenu", "mainMenuBar"},
    {"viewPrintoutAction", "viewMenu"},
    {"viewQuick1Action", "viewMenu"},
    {"viewQuick3Action", "viewMenu"},
    {"viewForceTravelAction", "viewMenu"},
    {"viewGoodmanAction", "viewMenu"},
    {"viewHaighGoodmanAction", "viewMenu"},
    {"stressMenu", "viewMenu"},
    {"tensileStrengthDiagramAction", "stressMenu"},
    {"bendingStressDiagramAction", "stressMenu"},
    {"viewProductionDrawingAction", "viewMenu"},
    {"viewErrorMessagesAction", "viewMenu"},
    {"cadMenu", "mainMenuBar"},
    {"cadProductionDrawingAction", "cadMenu"},
    {"cadChooseViewAction", "cadMenu"},
    {"databaseMenu", "mainMenuBar"},
    {"databaseMaterialAction", "databaseMenu"},
    {"documentMenu", "mainMenuBar"},
    {"documentDrawingDataAction", "documentMenu"},
    {"documentShowChangesAction", "documentMenu"},
    {"documentPrintChangesAction", "documentMenu"},
    {"documentNewChangeAction", "documentMenu"},
    {"documentEditLastChangeAction", "documentMenu"},
    {"documentDeleteLastChangeAction", "documentMenu"},
    {"documentLinksAction", "documentMenu"},
    {"excelMenu", "mainMenuBar"},
    {"excelStartAction", "excelMenu"},
    {"excelExportAction", "excelMenu"},
    {"excelImportAction", "excelMenu"},
    {"excelPrintoutAction", "excelMenu"},
    {"helpMenu", "mainMenuBar"},
    {"helpManualAction", "helpMenu"},
    {"helpPictureAction", "helpMenu"},
    {"helpErrorMessagesAction", "helpMenu"},
    {"helpProgramPageAction", "helpMenu"},
    {"helpDemoAction", "helpMenu"},
    {"languageMenu", "helpMenu"},
    {"languageGermanAction", "languageMenu"},
    {"languageEnglishAction", "languageMenu"},
    {"languageFrenchAction", "languageMenu"},
    {"languageItalianAction", "languageMenu"},
    {"languageSwedishAction", "languageMenu"},
    {"languagePortugueseAction", "languageMenu"},
    {"languageRomanianAction", "languageMenu"},
    {"languageKoreanAction", "languageMenu"},
    {"languageSpanishAction", "languageMenu"},
    {"languageChineseAction", "languageMenu"},
    {"helpHomepageAction", "helpMenu"},
    {"helpSystemInfoAction", "helpMenu"},
    {"helpAboutAction", "helpMenu"},
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
  EXPECT_EQ(top.join(","), "fileMenu,editMenu,viewMenu,cadMenu,databaseMenu,documentMenu,excelMenu,helpMenu");
  QStringList file;
  for (QAction* a : form->findChild<QMenu*>("fileMenu")->actions())
    file << (a->isSeparator() && a->objectName().isEmpty() ? "-" : a->objectName());
  EXPECT_EQ(file.join(","),
            "fileNewAction,fileOpenAction,fileOpenTableAction,fileSaveAction,fileSaveAsAction,N4,filePrintAction,"
            "filePrinterSetupAction,N3,fileSettingsAction,-,recentFileAction1,recentFileAction2,recentFileAction3,recentFileAction4,recentFilesSeparator,fileExitAction");

  const std::pair<const char*, QKeySequence> keys[] = {
      {"fileNewAction", QKeySequence(Qt::CTRL | Qt::Key_N)},  {"fileOpenAction", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"fileSaveAction", QKeySequence(Qt::CTRL | Qt::Key_S)}, {"filePrintAction", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"recentFileAction1", QKeySequence(Qt::SHIFT | Qt::Key_F1)},  {"recentFileAction4", QKeySequence(Qt::SHIFT | Qt::Key_F4)},
  };
  for (const auto& [name, key] : keys) EXPECT_EQ(item(name)->shortcut(), key) << name;
  // No recent file yet: the four items and their separator are hidden.
  for (const char* name : {"recentFileAction1", "recentFileAction2", "recentFileAction3", "recentFileAction4", "recentFilesSeparator"})
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
      {"fileMenu", "&Datei", "&File"},
      {"fileNewAction", "&Neu...", "&New..."},
      {"fileOpenAction", "Ö&ffnen...", "&Open..."},
      {"fileOpenTableAction", "Ö&ffnen... (&Tabelle)", "&Open... (&Table)"},
      {"fileSaveAction", "&Speichern...", "&Save..."},
      {"fileSaveAsAction", "Speichern &Unter...", "Save &As..."},
      {"filePrintAction", "&Drucken...", "&Print..."},
      {"filePrinterSetupAction", "Druckereinstellung", "Printer Setup"},
      {"fileSettingsAction", "E&instellungen", "Se&ttings"},
      {"fileExitAction", "&Beenden", "E&xit"},
      {"editMenu", "&Bearbeiten", "&Edit"},
      {"editInputSequenceAction", "&Neu...", "&New..."},
      {"editDrawingTextAction", "Te&xt", "Te&xt"},
      {"editMaterialAction", "&Werkstoff", "&Material"},
      {"editApplicationAction", "A&nwendung", "A&pplication"},
      {"editDimensionsAction", "&Nachrechnung", "&Recalculation"},
      {"editPreDesignAction", "&Vorauslegung", "&Pre-Dimensioning"},
      {"viewMenu", "&Ansicht", "&View"},
      {"viewPrintoutAction", "&Ausdruck", "&Printout"},
      {"viewQuick1Action", "Quick &1", "Quick &1"},
      {"viewQuick3Action", "Quick &3", "Quick &3"},
      {"viewForceTravelAction", "&Federkennlinie F-s", "&Load deflection curve of spring F-s"},
      {"viewGoodmanAction", "&Goodman-Diagramm", "&Goodman diagram"},
      {"viewHaighGoodmanAction", "Haigh-&Goodman-Diagramm", "Haigh-&Goodman diagram"},
      {"stressMenu", "S&pannung", "Str&ess"},
      {"tensileStrengthDiagramAction", "Rm = f (t)", "Rm = f (t)"},
      {"bendingStressDiagramAction", "Sigma b = f (t)", "Sigma b = f (t)"},
      {"viewProductionDrawingAction", "&Fertigungszeichnung", "&Production drawing"},
      {"viewErrorMessagesAction", "&Fehlermeldungen", "&Error messages"},
      {"cadMenu", "&CAD", "&CAD"},
      {"cadProductionDrawingAction", "&Fertigungszeichnung", "&Production drawing"},
      {"cadChooseViewAction", "...", "..."},
      {"databaseMenu", "Datenban&k", "&Database"},
      {"databaseMaterialAction", "&Werkstoff", "&Material"},
      {"documentMenu", "D&okument", "D&ocument"},
      {"documentDrawingDataAction", "&Zeichnungsdaten", "&Drawing data"},
      {"documentShowChangesAction", "Änderungen - &Info", "Modifications - &Info"},
      {"documentPrintChangesAction", "Änderungen - &Ausdruck", "Modifications - &Printout"},
      {"documentNewChangeAction", "&Neue Änderung", "Modification - &New"},
      {"documentEditLastChangeAction", "Letzte Änderung &bearbeiten", "&Edit previous modification"},
      {"documentDeleteLastChangeAction", "Letzte Änderung &löschen", "&Delete previous modification"},
      {"documentLinksAction", "Links", "Links"},
      {"excelMenu", "&OLE", "&OLE"},
      {"excelStartAction", "Start Excel", "Start Excel"},
      {"excelPrintoutAction", "Printout -> Excel", "Printout -> Excel"},
      {"helpMenu", "&Hilfe", "&Help"},
      {"helpManualAction", "Handbuch", "E-Manual"},
      {"helpPictureAction", "&Hilfebild", "&Auxiliary images"},
      {"helpErrorMessagesAction", "&Fehlermeldungen", "&Error messages"},
      {"helpProgramPageAction", "QORVA Info (www)", "QORVA Info (www)"},
      {"helpDemoAction", "&Demo", "&Demo"},
      {"languageMenu", "Menü &Sprache", "Menu &Language"},
      {"languageSpanishAction", "&Español", "&Español"},
      {"languageRomanianAction", "&Roman", "&Roman"},
      {"helpHomepageAction", "&KWENDAL Homepage", "&KWENDAL Homepage"},
      {"helpSystemInfoAction", "System Info", "System Info"},
      {"helpAboutAction", "QORVA", "QORVA"},
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
      {LangKorean, "fileMenu", u"\uD30C\uC77C(&F)"},
      {LangKorean, "fileExitAction", u"\uB05D\uB0B4\uAE30(&x)"},
      {LangKorean, "viewProductionDrawingAction", u"\uC0B0\uD488\uB3C4(&P)"},
      {LangKorean, "helpErrorMessagesAction", u"\uC5D0\uB7EC\uBA54\uC2DC\uC9C0(&E)"},
      {LangKorean, "viewForceTravelAction", u"\uC2A4\uD504\uB9C1 \uD2B9\uC131\uC120(&C) F-s"},
      {LangKorean, "viewHaighGoodmanAction", u"Haigh-\uAD73\uB9E8\uC120\uB3C4(&G)"},
      {LangKorean, "stressMenu", u"\uC751\uB825(&e)"},
      {LangKorean, "viewQuick1Action", u"Quick &1"},
      {LangChinese, "fileMenu", u"\u6587\u4EF6"},
      {LangChinese, "fileExitAction", u"\u9000\u51FA"},
      {LangChinese, "viewQuick3Action", u"\u5FEB\u6377\u952E &3"},
      {LangChinese, "cadProductionDrawingAction", u"\u4EA7\u54C1\u56FE\u7EB8"},
      {LangChinese, "viewErrorMessagesAction", u"\u9519\u8BEF\u4FE1\u606F"},
      {LangChinese, "helpManualAction", u"E-Manual"},
  };
  for (const Row& r : rows) {
    SetLanguage(*form, r.lang);
    EXPECT_EQ(caption(r.name), QString::fromUtf16(r.shown)) << r.name;
  }
  // The language submenu names both of its words in the script of the language.
  SetLanguage(*form, LangChinese);
  EXPECT_TRUE(caption("languageMenu").endsWith(QString::fromUtf16(u" \u8BED\u8A00")));
  EXPECT_FALSE(caption("languageMenu").contains(QChar(0xFFFD)));
}

// The Help menu's language items switch the language; Romanian has no family texts of its own.
TEST_F(MainMenu, LanguageItemsSwitchAndRomanianKeepsFamilyTexts) {
  item("languageEnglishAction")->trigger();
  EXPECT_EQ(desktopSettings.MenuLanguage, LangEnglish);
  EXPECT_EQ(caption("fileMenu").toStdString(), "&File");
  item("languageRomanianAction")->trigger();
  EXPECT_EQ(desktopSettings.MenuLanguage, LangRomanian);
  EXPECT_EQ(caption("fileMenu").toStdString(), "&Fisier");
  EXPECT_EQ(caption("fileExitAction").toStdString(), "Ie&sire");
  EXPECT_EQ(caption("viewForceTravelAction").toStdString(), "&Load deflection curve of spring F-s");
  EXPECT_EQ(caption("viewGoodmanAction").toStdString(), "&Goodman diagram");
  EXPECT_EQ(caption("stressMenu").toStdString(), "Str&ess");
  item("languageFrenchAction")->trigger();
  EXPECT_EQ(caption("viewForceTravelAction").toStdString(), "&Caractéristique F-s");
  EXPECT_EQ(caption("viewHaighGoodmanAction").toStdString(), "Haigh-&Goodman");
  EXPECT_EQ(caption("viewProductionDrawingAction").toStdString(), "D&essin fabrication");
  item("languageGermanAction")->trigger();
  EXPECT_EQ(caption("viewForceTravelAction").toStdString(), "&Federkennlinie F-s");
  // The count behind the error messages goes with a language change until the next input.
  item("viewErrorMessagesAction")->setText("&Fehlermeldungen (3)");
  item("languageEnglishAction")->trigger();
  EXPECT_EQ(caption("viewErrorMessagesAction").toStdString(), "&Error messages");
}

// The text viewer's menus follow the main menu's language, also in the scripts without a DOS form.
TEST_F(MainMenu, TheTextViewerSpeaksTheMenuLanguage) {
  for (int32_t lang : {LangEnglish, LangChinese, LangKorean, LangGerman}) {
    SetLanguage(*form, lang);
    ReportViewerWindow viewer(form.get());
    EXPECT_EQ(viewer.fileMenu->title(), caption("fileMenu")) << lang;
    EXPECT_EQ(viewer.editMenu->title(), caption("editMenu")) << lang;
    EXPECT_EQ(viewer.fileExitAction->text(), caption("fileExitAction")) << lang;
    EXPECT_EQ(viewer.filePrintAction->text(), caption("filePrintAction")) << lang;
    EXPECT_FALSE(viewer.fileMenu->title().contains(QChar(0xFFFD))) << lang;
    if (lang == LangEnglish) {
      EXPECT_EQ(viewer.fileMenu->title().toStdString(), "&File");
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
      if (name.rfind("recentFileAction", 0) == 0 && name.size() == 17 && std::isdigit(name[16])) continue;  // recent
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
    if (std::string(parent) == "languageMenu" || std::string(name) == "fileExitAction") {
      EXPECT_TRUE(wired && a->isEnabled()) << name;
    }
    disabled += !a->isEnabled();
  }
  EXPECT_GT(disabled, 0);
  // Error messages and the Excel export and import wait for their occasion whatever is wired.
  for (const char* name : {"viewErrorMessagesAction", "excelExportAction", "excelImportAction"}) {
    SetMenuCommand(item(name), [] {});
    EXPECT_FALSE(item(name)->isEnabled()) << name;
    item(name)->setEnabled(true);  // as the occasion does; wiring again keeps it so
    SetMenuCommand(item(name), [] {});
    EXPECT_TRUE(item(name)->isEnabled()) << name;
  }
  // Demo is the Help menu's default item, with a check mark.
  EXPECT_EQ(form->findChild<QMenu*>("helpMenu")->defaultAction(), item("helpDemoAction"));
  EXPECT_TRUE(item("helpDemoAction")->isChecked());
  // Running the demonstration keeps its check mark.
  int demos = 0;
  SetMenuCommand(item("helpDemoAction"), [&demos] { ++demos; });
  item("helpDemoAction")->trigger();
  EXPECT_EQ(demos, 1);
  EXPECT_TRUE(item("helpDemoAction")->isChecked());

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
  item("fileExitAction")->trigger();
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
      {LangEnglish, "editApplicationAction", "editPreDesignAction"},
      {LangEnglish, "viewPrintoutAction", "viewProductionDrawingAction"},
      {LangEnglish, "viewErrorMessagesAction", "stressMenu"},
      {LangEnglish, "documentDrawingDataAction", "documentDeleteLastChangeAction"},
      {LangFrench, "viewForceTravelAction", "stressMenu"},
      {LangKorean, "viewErrorMessagesAction", "stressMenu"},
      {LangRomanian, "viewQuick1Action", "viewQuick3Action"},
  };
  for (int32_t lang : kLanguages) {
    SetLanguage(*form, lang);
    for (int i = 0; i < menus.size(); ++i) {
      const auto keys = keysOf(menus[i]);
      for (auto a = keys.begin(); a != keys.end(); ++a)
        for (auto b = std::next(a); b != keys.end(); ++b) {
          const QChar ga = german[i].at(a->first), gb = german[i].at(b->first);
          if (ga.isNull() || gb.isNull() || ga == gb || a->second.isNull()) continue;
          if (given.count({lang, a->first, b->first}) || given.count({lang, b->first, a->first})) continue;
          EXPECT_NE(a->second, b->second) << "language " << lang << ": " << a->first << " and " << b->first;
        }
    }
  }
}

}  // namespace
}  // namespace qorva
