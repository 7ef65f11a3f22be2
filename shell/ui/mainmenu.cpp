#include "shell/ui/mainmenu.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <string>
#include <utility>

#include "foundation/programstate.h"
#include "foundation/ui/qttext.h"
#include "foundation/ui/reportviewer.h"
#include "foundation/desktopsettings.h"
#include "shell/ui/mainwindow.h"
#include "shell/familymenutexts.h"
#include "xbase/access/tablesession.h"

namespace qorva {

QMenu* MainMenu::addMenu(QWidget* parent, const char* name) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  if (auto* bar = qobject_cast<QMenuBar*>(parent))
    bar->addMenu(menu);
  else
    static_cast<QMenu*>(parent)->addMenu(menu);
  return menu;
}

QAction* MainMenu::addItem(QMenu* menu, const char* name, const QString& fixedCaption) {
  QAction* a = menu->addAction(fixedCaption);
  a->setObjectName(name);
  a->setEnabled(false);  // until a command is wired
  return a;
}

QAction* MainMenu::addSeparator(QMenu* menu, const char* name) {
  QAction* a = menu->addSeparator();
  if (name) a->setObjectName(name);
  return a;
}

MainMenu::MainMenu(MainWindow& form) : QObject(&form) {
  setObjectName("mainMenuItems");
  mainMenuBar = new QMenuBar(&form);
  mainMenuBar->setObjectName("mainMenuBar");

  // File. The recent files and their separator sit right before Exit, which finds them by distance.
  mi_file = addMenu(mainMenuBar, "mi_file");
  mi_fileNew = addItem(mi_file, "mi_fileNew");
  mi_fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  mi_fileOpen = addItem(mi_file, "mi_fileOpen");
  mi_fileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  mi_fileOpenTable = addItem(mi_file, "mi_fileOpenTable");
  mi_FileSave = addItem(mi_file, "mi_FileSave");
  mi_FileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  mi_FileSaveAs = addItem(mi_file, "mi_FileSaveAs");
  addSeparator(mi_file, "N4");
  mi_fileprint = addItem(mi_file, "mi_fileprint");
  mi_fileprint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  mi_filePrinterSetup = addItem(mi_file, "mi_filePrinterSetup");
  addSeparator(mi_file, "N3");
  mi_fileConfig = addItem(mi_file, "mi_fileConfig");
  addSeparator(mi_file);
  QAction** recent[] = {&mi_file1, &mi_file2, &mi_file3, &mi_file4};
  const Qt::Key fkeys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
  for (int n = 0; n < 4; ++n) {
    const std::string name = "mi_file" + std::to_string(n + 1);
    QAction* a = addItem(mi_file, name.c_str(), QString("&%1").arg(n + 1));
    a->setShortcut(QKeySequence(Qt::SHIFT | fkeys[n]));
    a->setVisible(false);
    *recent[n] = a;
  }
  N15 = addSeparator(mi_file, "N15");
  N15->setVisible(false);
  mi_fileexit = addItem(mi_file, "mi_fileexit");

  mi_Edit = addMenu(mainMenuBar, "mi_Edit");
  mi_EditQuick = addItem(mi_Edit, "mi_EditQuick");
  mi_EditText = addItem(mi_Edit, "mi_EditText");
  addSeparator(mi_Edit);
  mi_EditMaterial = addItem(mi_Edit, "mi_EditMaterial");
  mi_editanwendung = addItem(mi_Edit, "mi_editanwendung");
  mi_editAbmess = addItem(mi_Edit, "mi_editAbmess");
  mi_editvorauslegung = addItem(mi_Edit, "mi_editvorauslegung");

  mi_View = addMenu(mainMenuBar, "mi_View");
  mi_ViewStandard = addItem(mi_View, "mi_ViewStandard");
  addSeparator(mi_View);
  mi_ViewQuick1 = addItem(mi_View, "mi_ViewQuick1");
  mi_viewQuick3 = addItem(mi_View, "mi_viewQuick3");
  mi_viewfs = addItem(mi_View, "mi_viewfs");
  mi_viewGoodman = addItem(mi_View, "mi_viewGoodman");
  mi_viewhaighgoodman = addItem(mi_View, "mi_viewhaighgoodman");
  mi_viewspannung = addMenu(mi_View, "mi_viewspannung");
  mi_viewspannungrmt = addItem(mi_viewspannung, "mi_viewspannungrmt", "Rm = f (t)");
  mi_viewspannungsigmat = addItem(mi_viewspannung, "mi_viewspannungsigmat", "Sigma b = f (t)");
  addSeparator(mi_View);
  mi_viewfertigungszeichnung = addItem(mi_View, "mi_viewfertigungszeichnung");
  addSeparator(mi_View);
  mi_viewErrorMessages = addItem(mi_View, "mi_viewErrorMessages");
  mi_viewErrorMessages->setProperty(kMenuWaitsProperty, true);  // enabled only with messages

  mi_CAD = addMenu(mainMenuBar, "mi_CAD");
  mi_cadworkingplan = addItem(mi_CAD, "mi_cadworkingplan");
  mi_caddiagrams = addItem(mi_CAD, "mi_caddiagrams");

  mi_database = addMenu(mainMenuBar, "mi_database");
  mi_dbfmaterial = addItem(mi_database, "mi_dbfmaterial");

  mi_documentation = addMenu(mainMenuBar, "mi_documentation");
  mi_docdrawinginfo = addItem(mi_documentation, "mi_docdrawinginfo");
  addSeparator(mi_documentation);
  mi_docuShowChanges1 = addItem(mi_documentation, "mi_docuShowChanges1");
  mi_docuPrintChanges = addItem(mi_documentation, "mi_docuPrintChanges");
  mi_docuNewChange = addItem(mi_documentation, "mi_docuNewChange");
  mi_docuModifyChanges = addItem(mi_documentation, "mi_docuModifyChanges");
  mi_docudeleteChange = addItem(mi_documentation, "mi_docudeleteChange");
  addSeparator(mi_documentation);
  mi_DocumentSetup = addItem(mi_documentation, "mi_DocumentSetup");

  // The OLE menu keeps its own captions in every language.
  mi_OLE = addMenu(mainMenuBar, "mi_OLE");
  mi_OLE->setTitle("&OLE");
  mi_OleStartExcel = addItem(mi_OLE, "mi_OleStartExcel", "Start Excel");
  mi_OleExportExcel = addItem(mi_OLE, "mi_OleExportExcel", "Export -> Excel");  // until Excel is started
  mi_OleImportExcel = addItem(mi_OLE, "mi_OleImportExcel", "Import <- Excel");
  mi_OleExportExcel->setProperty(kMenuWaitsProperty, true);
  mi_OleImportExcel->setProperty(kMenuWaitsProperty, true);
  mi_OlePrintoutExcel = addItem(mi_OLE, "mi_OlePrintoutExcel", "Printout -> Excel");

  mi_Help = addMenu(mainMenuBar, "mi_Help");
  mi_helphandbuch = addItem(mi_Help, "mi_helphandbuch");
  mi_HelpHilfebild = addItem(mi_Help, "mi_HelpHilfebild");
  mi_helpErrorMessages = addItem(mi_Help, "mi_helpErrorMessages");
  addSeparator(mi_Help);
  mi_helphistory = addItem(mi_Help, "mi_helphistory");
  mi_helpDemo = addItem(mi_Help, "mi_helpDemo");
  mi_helpDemo->setCheckable(true);
  // The check mark marks the default item; running the demonstration must not clear it.
  connect(mi_helpDemo, &QAction::toggled, mi_helpDemo, [a = mi_helpDemo](bool on) {
    if (!on) a->setChecked(true);
  });
  mi_helplanguage = addMenu(mi_Help, "mi_helplanguage");
  struct LanguageItem {
    QAction** field;
    const char* name;
    const char* caption;  // UTF-8
    int32_t language;
  };
  const LanguageItem languages[] = {
      {&mi_helplanguageDeutsch, "mi_helplanguageDeutsch", "&Deutsch", LangGerman},
      {&mi_helplanguageEnglish, "mi_helplanguageEnglish", "&English", LangEnglish},
      {&mi_helplanguageFrancais, "mi_helplanguageFrancais", "&Francais", LangFrench},
      {&mi_helplanguageItaliano, "mi_helplanguageItaliano", "&Italiano", LangItalian},
      {&mi_helplanguageSvensk, "mi_helplanguageSvensk", "&Svensk", LangSwedish},
      {&mi_helplanguagePortugues, "mi_helplanguagePortugues", "&Portugues", LangPortuguese},
      {&mi_helplanguageRoman, "mi_helplanguageRoman", "&Roman", LangRomanian},
      {&mi_helplanguageKorea, "mi_helplanguageKorea", "&Korea", LangKorean},
      {&mi_helplanguageEspa, "mi_helplanguageEspa", "&Español", LangSpanish},
      {&mi_helplanguageChinese, "mi_helplanguageChinese", "&Chinese", LangChinese},
  };
  for (const LanguageItem& l : languages) {
    *l.field = addItem(mi_helplanguage, l.name, QString::fromUtf8(l.caption));
    const int32_t language = l.language;
    SetMenuCommand(*l.field, [&form, language] { SetLanguage(form, language); });
  }
  addSeparator(mi_Help);
  mi_helpwww = addItem(mi_Help, "mi_helpwww");
  mi_helpSysInfo = addItem(mi_Help, "mi_helpSysInfo");
  mi_HelpAbout = addItem(mi_Help, "mi_HelpAbout");

  // Exit does what the window's close box does.
  SetMenuCommand(mi_fileexit, [&form] { form.close(); });
}

MainMenu& BuildMainMenu(MainWindow& form) {
  auto* menu = new MainMenu(form);
  form.setMenuBar(menu->mainMenuBar);
  ApplyMenuCaptions(form);
  return *menu;
}

MainMenu* MainMenuOf(MainWindow& form) { return form.findChild<MainMenu*>("mainMenuItems", Qt::FindDirectChildrenOnly); }

void SetMenuCommand(QAction* item, std::function<void()> command) {
  // An item runs one command: a new one takes the place of the one set before.
  QObject::disconnect(item, &QAction::triggered, item, nullptr);
  QObject::connect(item, &QAction::triggered, item, [command = std::move(command)] {
    // An engine stop ("Programm angehalten." has been shown) ends the command, not the program.
    try {
      command();
    } catch (const TableEngineHalt&) {
    }
  });
  item->setProperty(kMenuCommandProperty, true);
  if (!item->property(kMenuWaitsProperty).toBool()) item->setEnabled(true);
}

QString MenuCaptionText(const MenuCaption& c) { return QString::fromUtf8(MenuCaptionUtf8(c)); }

void ApplyMenuCaptions(MainWindow& form) {
  MainMenu* m = MainMenuOf(form);
  if (!m) return;
  const MenuTexts& t = menuTexts;
  const FamilyMenuTexts& f = familyMenuTexts;
  auto cap = MenuCaptionText;

  m->mi_file->setTitle(cap(t.MenuTextFile));
  m->mi_fileNew->setText(cap(t.MenuTextNew));
  m->mi_fileOpen->setText(cap(t.MenuTextOpen));
  m->mi_fileOpenTable->setText(cap(t.MenuTextOpen) + " (" + cap(t.MenuTextTable) + ")");
  m->mi_fileprint->setText(cap(t.MenuTextPrint));
  m->mi_fileprint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  m->mi_FileSave->setText(cap(t.MenuTextSave));
  m->mi_FileSaveAs->setText(cap(t.MenuTextSaveAs));
  m->mi_fileConfig->setText(cap(t.MenuTextSettings));
  m->mi_fileexit->setText(cap(t.MenuTextExit));
  m->mi_filePrinterSetup->setText(cap(t.MenuTextPrinterSetup));

  m->mi_Edit->setTitle(cap(t.MenuTextEdit));
  m->mi_EditText->setText(cap(t.MenuTextText));
  m->mi_EditQuick->setText(cap(t.MenuTextNew));
  m->mi_EditMaterial->setText(cap(t.MenuTextMaterial));
  m->mi_editAbmess->setText(cap(t.MenuTextRecalculation));
  m->mi_editanwendung->setText(cap(t.MenuTextApplication));
  m->mi_editvorauslegung->setText(cap(t.MenuTextPreDesign));

  m->mi_View->setTitle(cap(t.MenuTextView));
  m->mi_ViewStandard->setText(cap(t.MenuTextPrintout));
  m->mi_ViewQuick1->setText(cap(t.MenuTextQuick) + " &1");
  m->mi_viewQuick3->setText(cap(t.MenuTextQuick) + " &3");
  m->mi_viewfertigungszeichnung->setText(cap(t.MenuTextProductionDrawing));
  m->mi_viewfs->setText(cap(f.FamilyTextCharacteristic) + " F-s");
  m->mi_viewGoodman->setText(cap(f.FamilyTextGoodman));
  m->mi_viewhaighgoodman->setText("Haigh-" + cap(f.FamilyTextGoodman));
  m->mi_viewspannung->setTitle(cap(f.FamilyTextStress));
  m->mi_viewErrorMessages->setText(cap(t.MenuTextErrorMessages));  // the count comes with the next input

  m->mi_CAD->setTitle(cap(t.MenuTextCad));
  m->mi_cadworkingplan->setText(cap(t.MenuTextProductionDrawing));
  m->mi_caddiagrams->setText("...");
  m->mi_database->setTitle(cap(t.MenuTextDatabase));
  m->mi_dbfmaterial->setText(cap(t.MenuTextMaterial));

  m->mi_documentation->setTitle(cap(t.MenuTextDocument));
  m->mi_docdrawinginfo->setText(cap(t.MenuTextDrawingData));
  m->mi_docuShowChanges1->setText(cap(t.MenuTextChangesInfo));
  m->mi_docuPrintChanges->setText(cap(t.MenuTextChangesPrint));
  m->mi_docuNewChange->setText(cap(t.MenuTextChangeNew));
  m->mi_docuModifyChanges->setText(cap(t.MenuTextChangeEdit));
  m->mi_docudeleteChange->setText(cap(t.MenuTextChangeDelete));
  m->mi_DocumentSetup->setText(cap(t.MenuTextLinks));

  m->mi_Help->setTitle(cap(t.MenuTextHelp));
  m->mi_helphandbuch->setText(cap(t.MenuTextManual));
  m->mi_helpDemo->setText(cap(t.MenuTextDemo));
  m->mi_helpwww->setText(cap(t.MenuTextHomepage));
  m->mi_HelpHilfebild->setText(cap(t.MenuTextHelpPicture));
  m->mi_helpErrorMessages->setText(cap(t.MenuTextErrorMessages));
  m->mi_helplanguage->setTitle(cap(t.MenuTextMenu) + " " + cap(t.MenuTextLanguage));
  m->mi_helphistory->setText(dosToQString(programState.ProgName + " Info (www)"));
  m->mi_helpSysInfo->setText("System Info");
  m->mi_HelpAbout->setText(dosToQString(programState.ProgName));
  m->mi_Help->setDefaultAction(m->mi_helpDemo);
  m->mi_helpDemo->setChecked(true);

  // The text viewer's menus speak the main menu's language.
  ShowfileMenuCaptions& viewer = showfileMenuCaptions();
  viewer.File = MenuCaptionUtf8(t.MenuTextFile);
  viewer.Print = MenuCaptionUtf8(t.MenuTextPrint);
  viewer.Exit = MenuCaptionUtf8(t.MenuTextExit);
  viewer.Edit = MenuCaptionUtf8(t.MenuTextEdit);
  viewer.SelectAll = MenuCaptionUtf8(t.MenuTextSelectAll);
  viewer.Copy = MenuCaptionUtf8(t.MenuTextCopy);
}

void InstallQtTranslation(int32_t language) {
  static QTranslator* installed = nullptr;
  const char* locale = "de_DE";
  switch (language) {
    case LangEnglish: locale = "en_GB"; break;
    case LangFrench: locale = "fr_FR"; break;
    case LangItalian: locale = "it_IT"; break;
    case LangSwedish: locale = "sv_SE"; break;
    case LangPortuguese: locale = "pt_BR"; break;  // the Portuguese texts Qt has
    case LangRomanian: locale = "ro_RO"; break;
    case LangKorean: locale = "ko_KR"; break;
    case LangSpanish: locale = "es_ES"; break;
    case LangChinese: locale = "zh_CN"; break;
    default: break;
  }
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  auto* texts = new QTranslator(QCoreApplication::instance());
  if (texts->load(QLocale(QString::fromLatin1(locale)), "qtbase", "_",
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(texts)) {
    installed = texts;
  } else {
    delete texts;
  }
}

void SetLanguage(MainWindow& form, int32_t language) {
  desktopSettings.MenuLanguage = language;
  // Qt's own texts change with the menu's, and only when the menu changes.
  if (SetMenuTexts(language)) InstallQtTranslation(language);
  SetFamilyMenuTexts(language);
  ApplyMenuCaptions(form);
  UpdateFormCaption(form);
}

}  // namespace qorva
