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
  fileMenu = addMenu(mainMenuBar, "fileMenu");
  fileNewAction = addItem(fileMenu, "fileNewAction");
  fileNewAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  fileOpenAction = addItem(fileMenu, "fileOpenAction");
  fileOpenAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  fileOpenTableAction = addItem(fileMenu, "fileOpenTableAction");
  fileSaveAction = addItem(fileMenu, "fileSaveAction");
  fileSaveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  fileSaveAsAction = addItem(fileMenu, "fileSaveAsAction");
  addSeparator(fileMenu, "N4");
  filePrintAction = addItem(fileMenu, "filePrintAction");
  filePrintAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  filePrinterSetupAction = addItem(fileMenu, "filePrinterSetupAction");
  addSeparator(fileMenu, "N3");
  fileSettingsAction = addItem(fileMenu, "fileSettingsAction");
  addSeparator(fileMenu);
  QAction** recent[] = {&recentFileAction1, &recentFileAction2, &recentFileAction3, &recentFileAction4};
  const Qt::Key fkeys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
  for (int n = 0; n < 4; ++n) {
    const std::string name = "recentFileAction" + std::to_string(n + 1);
    QAction* a = addItem(fileMenu, name.c_str(), QString("&%1").arg(n + 1));
    a->setShortcut(QKeySequence(Qt::SHIFT | fkeys[n]));
    a->setVisible(false);
    *recent[n] = a;
  }
  recentFilesSeparator = addSeparator(fileMenu, "recentFilesSeparator");
  recentFilesSeparator->setVisible(false);
  fileExitAction = addItem(fileMenu, "fileExitAction");

  editMenu = addMenu(mainMenuBar, "editMenu");
  editInputSequenceAction = addItem(editMenu, "editInputSequenceAction");
  editDrawingTextAction = addItem(editMenu, "editDrawingTextAction");
  addSeparator(editMenu);
  editMaterialAction = addItem(editMenu, "editMaterialAction");
  editApplicationAction = addItem(editMenu, "editApplicationAction");
  editDimensionsAction = addItem(editMenu, "editDimensionsAction");
  editPreDesignAction = addItem(editMenu, "editPreDesignAction");

  viewMenu = addMenu(mainMenuBar, "viewMenu");
  viewPrintoutAction = addItem(viewMenu, "viewPrintoutAction");
  addSeparator(viewMenu);
  viewQuick1Action = addItem(viewMenu, "viewQuick1Action");
  viewQuick3Action = addItem(viewMenu, "viewQuick3Action");
  viewForceTravelAction = addItem(viewMenu, "viewForceTravelAction");
  viewGoodmanAction = addItem(viewMenu, "viewGoodmanAction");
  viewHaighGoodmanAction = addItem(viewMenu, "viewHaighGoodmanAction");
  stressMenu = addMenu(viewMenu, "stressMenu");
  tensileStrengthDiagramAction = addItem(stressMenu, "tensileStrengthDiagramAction", "Rm = f (t)");
  bendingStressDiagramAction = addItem(stressMenu, "bendingStressDiagramAction", "Sigma b = f (t)");
  addSeparator(viewMenu);
  viewProductionDrawingAction = addItem(viewMenu, "viewProductionDrawingAction");
  addSeparator(viewMenu);
  viewErrorMessagesAction = addItem(viewMenu, "viewErrorMessagesAction");
  viewErrorMessagesAction->setProperty(kMenuWaitsProperty, true);  // enabled only with messages

  cadMenu = addMenu(mainMenuBar, "cadMenu");
  cadProductionDrawingAction = addItem(cadMenu, "cadProductionDrawingAction");
  cadChooseViewAction = addItem(cadMenu, "cadChooseViewAction");

  databaseMenu = addMenu(mainMenuBar, "databaseMenu");
  databaseMaterialAction = addItem(databaseMenu, "databaseMaterialAction");

  documentMenu = addMenu(mainMenuBar, "documentMenu");
  documentDrawingDataAction = addItem(documentMenu, "documentDrawingDataAction");
  addSeparator(documentMenu);
  documentShowChangesAction = addItem(documentMenu, "documentShowChangesAction");
  documentPrintChangesAction = addItem(documentMenu, "documentPrintChangesAction");
  documentNewChangeAction = addItem(documentMenu, "documentNewChangeAction");
  documentEditLastChangeAction = addItem(documentMenu, "documentEditLastChangeAction");
  documentDeleteLastChangeAction = addItem(documentMenu, "documentDeleteLastChangeAction");
  addSeparator(documentMenu);
  documentLinksAction = addItem(documentMenu, "documentLinksAction");

  // The OLE menu keeps its own captions in every language.
  excelMenu = addMenu(mainMenuBar, "excelMenu");
  excelMenu->setTitle("&OLE");
  excelStartAction = addItem(excelMenu, "excelStartAction", "Start Excel");
  excelExportAction = addItem(excelMenu, "excelExportAction", "Export -> Excel");  // until Excel is started
  excelImportAction = addItem(excelMenu, "excelImportAction", "Import <- Excel");
  excelExportAction->setProperty(kMenuWaitsProperty, true);
  excelImportAction->setProperty(kMenuWaitsProperty, true);
  excelPrintoutAction = addItem(excelMenu, "excelPrintoutAction", "Printout -> Excel");

  helpMenu = addMenu(mainMenuBar, "helpMenu");
  helpManualAction = addItem(helpMenu, "helpManualAction");
  helpPictureAction = addItem(helpMenu, "helpPictureAction");
  helpErrorMessagesAction = addItem(helpMenu, "helpErrorMessagesAction");
  addSeparator(helpMenu);
  helpProgramPageAction = addItem(helpMenu, "helpProgramPageAction");
  helpDemoAction = addItem(helpMenu, "helpDemoAction");
  helpDemoAction->setCheckable(true);
  // The check mark marks the default item; running the demonstration must not clear it.
  connect(helpDemoAction, &QAction::toggled, helpDemoAction, [a = helpDemoAction](bool on) {
    if (!on) a->setChecked(true);
  });
  languageMenu = addMenu(helpMenu, "languageMenu");
  struct LanguageItem {
    QAction** field;
    const char* name;
    const char* caption;  // UTF-8
    int32_t language;
  };
  const LanguageItem languages[] = {
      {&languageGermanAction, "languageGermanAction", "&Deutsch", LangGerman},
      {&languageEnglishAction, "languageEnglishAction", "&English", LangEnglish},
      {&languageFrenchAction, "languageFrenchAction", "&Francais", LangFrench},
      {&languageItalianAction, "languageItalianAction", "&Italiano", LangItalian},
      {&languageSwedishAction, "languageSwedishAction", "&Svensk", LangSwedish},
      {&languagePortugueseAction, "languagePortugueseAction", "&Portugues", LangPortuguese},
      {&languageRomanianAction, "languageRomanianAction", "&Roman", LangRomanian},
      {&languageKoreanAction, "languageKoreanAction", "&Korea", LangKorean},
      {&languageSpanishAction, "languageSpanishAction", "&Español", LangSpanish},
      {&languageChineseAction, "languageChineseAction", "&Chinese", LangChinese},
  };
  for (const LanguageItem& l : languages) {
    *l.field = addItem(languageMenu, l.name, QString::fromUtf8(l.caption));
    const int32_t language = l.language;
    SetMenuCommand(*l.field, [&form, language] { SetLanguage(form, language); });
  }
  addSeparator(helpMenu);
  helpHomepageAction = addItem(helpMenu, "helpHomepageAction");
  helpSystemInfoAction = addItem(helpMenu, "helpSystemInfoAction");
  helpAboutAction = addItem(helpMenu, "helpAboutAction");

  // Exit does what the window's close box does.
  SetMenuCommand(fileExitAction, [&form] { form.close(); });
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

  m->fileMenu->setTitle(cap(t.MenuTextFile));
  m->fileNewAction->setText(cap(t.MenuTextNew));
  m->fileOpenAction->setText(cap(t.MenuTextOpen));
  m->fileOpenTableAction->setText(cap(t.MenuTextOpen) + " (" + cap(t.MenuTextTable) + ")");
  m->filePrintAction->setText(cap(t.MenuTextPrint));
  m->filePrintAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  m->fileSaveAction->setText(cap(t.MenuTextSave));
  m->fileSaveAsAction->setText(cap(t.MenuTextSaveAs));
  m->fileSettingsAction->setText(cap(t.MenuTextSettings));
  m->fileExitAction->setText(cap(t.MenuTextExit));
  m->filePrinterSetupAction->setText(cap(t.MenuTextPrinterSetup));

  m->editMenu->setTitle(cap(t.MenuTextEdit));
  m->editDrawingTextAction->setText(cap(t.MenuTextText));
  m->editInputSequenceAction->setText(cap(t.MenuTextNew));
  m->editMaterialAction->setText(cap(t.MenuTextMaterial));
  m->editDimensionsAction->setText(cap(t.MenuTextRecalculation));
  m->editApplicationAction->setText(cap(t.MenuTextApplication));
  m->editPreDesignAction->setText(cap(t.MenuTextPreDesign));

  m->viewMenu->setTitle(cap(t.MenuTextView));
  m->viewPrintoutAction->setText(cap(t.MenuTextPrintout));
  m->viewQuick1Action->setText(cap(t.MenuTextQuick) + " &1");
  m->viewQuick3Action->setText(cap(t.MenuTextQuick) + " &3");
  m->viewProductionDrawingAction->setText(cap(t.MenuTextProductionDrawing));
  m->viewForceTravelAction->setText(cap(f.FamilyTextCharacteristic) + " F-s");
  m->viewGoodmanAction->setText(cap(f.FamilyTextGoodman));
  m->viewHaighGoodmanAction->setText("Haigh-" + cap(f.FamilyTextGoodman));
  m->stressMenu->setTitle(cap(f.FamilyTextStress));
  m->viewErrorMessagesAction->setText(cap(t.MenuTextErrorMessages));  // the count comes with the next input

  m->cadMenu->setTitle(cap(t.MenuTextCad));
  m->cadProductionDrawingAction->setText(cap(t.MenuTextProductionDrawing));
  m->cadChooseViewAction->setText("...");
  m->databaseMenu->setTitle(cap(t.MenuTextDatabase));
  m->databaseMaterialAction->setText(cap(t.MenuTextMaterial));

  m->documentMenu->setTitle(cap(t.MenuTextDocument));
  m->documentDrawingDataAction->setText(cap(t.MenuTextDrawingData));
  m->documentShowChangesAction->setText(cap(t.MenuTextChangesInfo));
  m->documentPrintChangesAction->setText(cap(t.MenuTextChangesPrint));
  m->documentNewChangeAction->setText(cap(t.MenuTextChangeNew));
  m->documentEditLastChangeAction->setText(cap(t.MenuTextChangeEdit));
  m->documentDeleteLastChangeAction->setText(cap(t.MenuTextChangeDelete));
  m->documentLinksAction->setText(cap(t.MenuTextLinks));

  m->helpMenu->setTitle(cap(t.MenuTextHelp));
  m->helpManualAction->setText(cap(t.MenuTextManual));
  m->helpDemoAction->setText(cap(t.MenuTextDemo));
  m->helpHomepageAction->setText(cap(t.MenuTextHomepage));
  m->helpPictureAction->setText(cap(t.MenuTextHelpPicture));
  m->helpErrorMessagesAction->setText(cap(t.MenuTextErrorMessages));
  m->languageMenu->setTitle(cap(t.MenuTextMenu) + " " + cap(t.MenuTextLanguage));
  m->helpProgramPageAction->setText(dosToQString(programState.ProgName + " Info (www)"));
  m->helpSystemInfoAction->setText("System Info");
  m->helpAboutAction->setText(dosToQString(programState.ProgName));
  m->helpMenu->setDefaultAction(m->helpDemoAction);
  m->helpDemoAction->setChecked(true);

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
