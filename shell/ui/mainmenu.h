#pragma once
// mainmenu: the menu bar of the main window with one field per item (the object names are the
// item names), its captions in the current menu language, and the language commands of the Help
// menu. An item whose command is not wired is disabled, never a silent no-op: a command module
// wires its items with SetMenuCommand.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "shell/menutexts.h"

class QAction;
class QMenu;
class QMenuBar;

namespace qorva {

class MainWindow;

class MainMenu : public QObject {
  Q_OBJECT
 public:
  explicit MainMenu(MainWindow& form);

  QMenuBar* mainMenuBar = nullptr;

  QMenu* fileMenu = nullptr;
  QAction* fileNewAction = nullptr;
  QAction* fileOpenAction = nullptr;
  QAction* fileOpenTableAction = nullptr;
  QAction* fileSaveAction = nullptr;
  QAction* fileSaveAsAction = nullptr;
  QAction* filePrintAction = nullptr;
  QAction* filePrinterSetupAction = nullptr;
  QAction* fileSettingsAction = nullptr;
  QAction* recentFileAction1 = nullptr;  // the recent files, hidden while empty
  QAction* recentFileAction2 = nullptr;
  QAction* recentFileAction3 = nullptr;
  QAction* recentFileAction4 = nullptr;
  QAction* recentFilesSeparator = nullptr;  // separator before Exit, shown with the recent files
  QAction* fileExitAction = nullptr;

  QMenu* editMenu = nullptr;
  QAction* editInputSequenceAction = nullptr;
  QAction* editDrawingTextAction = nullptr;
  QAction* editMaterialAction = nullptr;
  QAction* editApplicationAction = nullptr;
  QAction* editDimensionsAction = nullptr;
  QAction* editPreDesignAction = nullptr;

  QMenu* viewMenu = nullptr;
  QAction* viewPrintoutAction = nullptr;
  QAction* viewQuick1Action = nullptr;
  QAction* viewQuick3Action = nullptr;
  QAction* viewForceTravelAction = nullptr;
  QAction* viewGoodmanAction = nullptr;
  QAction* viewHaighGoodmanAction = nullptr;
  QMenu* stressMenu = nullptr;
  QAction* tensileStrengthDiagramAction = nullptr;
  QAction* bendingStressDiagramAction = nullptr;
  QAction* viewProductionDrawingAction = nullptr;
  QAction* viewErrorMessagesAction = nullptr;

  QMenu* cadMenu = nullptr;
  QAction* cadProductionDrawingAction = nullptr;
  QAction* cadChooseViewAction = nullptr;

  QMenu* databaseMenu = nullptr;
  QAction* databaseMaterialAction = nullptr;

  QMenu* documentMenu = nullptr;
  QAction* documentDrawingDataAction = nullptr;
  QAction* documentShowChangesAction = nullptr;
  QAction* documentPrintChangesAction = nullptr;
  QAction* documentNewChangeAction = nullptr;
  QAction* documentEditLastChangeAction = nullptr;
  QAction* documentDeleteLastChangeAction = nullptr;
  QAction* documentLinksAction = nullptr;

  QMenu* excelMenu = nullptr;
  QAction* excelStartAction = nullptr;
  QAction* excelExportAction = nullptr;
  QAction* excelImportAction = nullptr;
  QAction* excelPrintoutAction = nullptr;

  QMenu* helpMenu = nullptr;
  QAction* helpManualAction = nullptr;
  QAction* helpPictureAction = nullptr;
  QAction* helpErrorMessagesAction = nullptr;
  QAction* helpProgramPageAction = nullptr;
  QAction* helpDemoAction = nullptr;
  QMenu* languageMenu = nullptr;
  QAction* languageGermanAction = nullptr;
  QAction* languageEnglishAction = nullptr;
  QAction* languageFrenchAction = nullptr;
  QAction* languageItalianAction = nullptr;
  QAction* languageSwedishAction = nullptr;
  QAction* languagePortugueseAction = nullptr;
  QAction* languageRomanianAction = nullptr;
  QAction* languageKoreanAction = nullptr;
  QAction* languageSpanishAction = nullptr;
  QAction* languageChineseAction = nullptr;
  QAction* helpHomepageAction = nullptr;
  QAction* helpSystemInfoAction = nullptr;
  QAction* helpAboutAction = nullptr;

 private:
  QMenu* addMenu(QWidget* parent, const char* name);
  QAction* addItem(QMenu* menu, const char* name, const QString& fixedCaption = QString());
  QAction* addSeparator(QMenu* menu, const char* name = nullptr);
};

// Creates the menu bar of the form with every item (disabled until its command is wired, apart
// from Exit and the language items) and sets the captions of the current language.
MainMenu& BuildMainMenu(MainWindow& form);

// The menu of a form built by BuildMainMenu, or null.
MainMenu* MainMenuOf(MainWindow& form);

// Wires a command to an item (in place of one wired before) and enables it; the item then carries
// kMenuCommandProperty. Items that carry kMenuWaitsProperty (error messages, Excel export and
// import) stay as they are: their occasion enables them.
void SetMenuCommand(QAction* item, std::function<void()> command);
inline constexpr const char* kMenuCommandProperty = "menuCommand";
inline constexpr const char* kMenuWaitsProperty = "menuWaits";

// A caption at the window boundary.
QString MenuCaptionText(const MenuCaption& c);

// Sets the captions of the main window's items from the current texts. The recent files, the OLE
// menu, the stress submenu's two items and the language items keep their own captions.
void ApplyMenuCaptions(MainWindow& form);

// MenuLanguage := language, loads its texts and puts them on the menu. A number without a set
// changes only MenuLanguage.
void SetLanguage(MainWindow& form, int32_t language);
// Qt's own buttons and dialogs (Yes, No, Cancel, the file and print dialogs) in the menu language
// (0: the program's German); a language Qt has no texts for gets Qt's English.
void InstallQtTranslation(int32_t language);

}  // namespace qorva
