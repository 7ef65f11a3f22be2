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

  QMenu* mi_file = nullptr;
  QAction* mi_fileNew = nullptr;
  QAction* mi_fileOpen = nullptr;
  QAction* mi_fileOpenTable = nullptr;
  QAction* mi_FileSave = nullptr;
  QAction* mi_FileSaveAs = nullptr;
  QAction* mi_fileprint = nullptr;
  QAction* mi_filePrinterSetup = nullptr;
  QAction* mi_fileConfig = nullptr;
  QAction* mi_file1 = nullptr;  // the recent files, hidden while empty
  QAction* mi_file2 = nullptr;
  QAction* mi_file3 = nullptr;
  QAction* mi_file4 = nullptr;
  QAction* N15 = nullptr;  // separator before Exit, shown with the recent files
  QAction* mi_fileexit = nullptr;

  QMenu* mi_Edit = nullptr;
  QAction* mi_EditQuick = nullptr;
  QAction* mi_EditText = nullptr;
  QAction* mi_EditMaterial = nullptr;
  QAction* mi_editanwendung = nullptr;
  QAction* mi_editAbmess = nullptr;
  QAction* mi_editvorauslegung = nullptr;

  QMenu* mi_View = nullptr;
  QAction* mi_ViewStandard = nullptr;
  QAction* mi_ViewQuick1 = nullptr;
  QAction* mi_viewQuick3 = nullptr;
  QAction* mi_viewfs = nullptr;
  QAction* mi_viewGoodman = nullptr;
  QAction* mi_viewhaighgoodman = nullptr;
  QMenu* mi_viewspannung = nullptr;
  QAction* mi_viewspannungrmt = nullptr;
  QAction* mi_viewspannungsigmat = nullptr;
  QAction* mi_viewfertigungszeichnung = nullptr;
  QAction* mi_viewErrorMessages = nullptr;

  QMenu* mi_CAD = nullptr;
  QAction* mi_cadworkingplan = nullptr;
  QAction* mi_caddiagrams = nullptr;

  QMenu* mi_database = nullptr;
  QAction* mi_dbfmaterial = nullptr;

  QMenu* mi_documentation = nullptr;
  QAction* mi_docdrawinginfo = nullptr;
  QAction* mi_docuShowChanges1 = nullptr;
  QAction* mi_docuPrintChanges = nullptr;
  QAction* mi_docuNewChange = nullptr;
  QAction* mi_docuModifyChanges = nullptr;
  QAction* mi_docudeleteChange = nullptr;
  QAction* mi_DocumentSetup = nullptr;

  QMenu* mi_OLE = nullptr;
  QAction* mi_OleStartExcel = nullptr;
  QAction* mi_OleExportExcel = nullptr;
  QAction* mi_OleImportExcel = nullptr;
  QAction* mi_OlePrintoutExcel = nullptr;

  QMenu* mi_Help = nullptr;
  QAction* mi_helphandbuch = nullptr;
  QAction* mi_HelpHilfebild = nullptr;
  QAction* mi_helpErrorMessages = nullptr;
  QAction* mi_helphistory = nullptr;
  QAction* mi_helpDemo = nullptr;
  QMenu* mi_helplanguage = nullptr;
  QAction* mi_helplanguageDeutsch = nullptr;
  QAction* mi_helplanguageEnglish = nullptr;
  QAction* mi_helplanguageFrancais = nullptr;
  QAction* mi_helplanguageItaliano = nullptr;
  QAction* mi_helplanguageSvensk = nullptr;
  QAction* mi_helplanguagePortugues = nullptr;
  QAction* mi_helplanguageRoman = nullptr;
  QAction* mi_helplanguageKorea = nullptr;
  QAction* mi_helplanguageEspa = nullptr;
  QAction* mi_helplanguageChinese = nullptr;
  QAction* mi_helpwww = nullptr;
  QAction* mi_helpSysInfo = nullptr;
  QAction* mi_HelpAbout = nullptr;

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
