#pragma once
// browsewindow: the table browse window BrowseWindow. It shows the table that the table-access layer holds
// open (tableHost.Table) in a grid with its navigator: the user picks a record, searches, sorts by
// a right-clicked column title, edits, appends, packs, imports records from another table or a
// delimited file, exports the table as delimited text or HTML and prints it. Modes 1, 4 and 5 only
// choose a record; every other mode edits.
//
// The window reads and writes the table through a dataset of its own on the same file; when it
// closes, the access layer reopens its table, so it sees every change, and stands on the record
// chosen by OK. Engine failures end the action they happened in, never the program.

#include <QDialog>
#include <functional>
#include <string>

#include "xbase/filedataset.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace qorva {

class DataGrid;
class DataGridModel;
class DataNavigator;

class BrowseWindow : public QDialog {
 public:
  explicit BrowseWindow(QWidget* parent = nullptr);
  ~BrowseWindow() override;

  // Prepares the window for the access layer's open table and mode; false when the table cannot be
  // shown (told to the user).
  bool Prepare(const std::string& option, uint16_t mode);
  // The outcome once the window has closed: OK (the record and column chosen), Cancel, or neither.
  enum class Outcome { None, Ok, Cancel };
  Outcome outcome() const { return outcome_; }
  int32_t ChosenRecNo() const { return chosenRecNo_; }
  int32_t ChosenColumn() const { return chosenColumn_; }

  // The window's commands, also for tests that drive it.
  void okButtonClicked();
  void cancelButtonClicked();
  void searchButtonClicked();
  void searchNextButtonClicked();
  void XbGrid1DepressTitle(int fieldIndex);
  void recordNumberEditChanged();
  void fileExportHtmlTriggered();
  void fileSaveAsDelimitedTriggered();
  void fileAppendTableTriggered();
  void fileAppendDelimitedTriggered();
  void filePrintTriggered();
  void editAppendRecordTriggered();
  void editPackTriggered();

  TXbDbf xbdbf;
  DataGrid* XbGrid1 = nullptr;
  DataNavigator* XbNavigator1 = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* searchButton = nullptr;
  QPushButton* searchNextButton = nullptr;
  QLineEdit* recordNumberEdit = nullptr;
  QLabel* recordCountLabel = nullptr;
  QLabel* firstTitleLabel = nullptr;
  QLabel* secondTitleLabel = nullptr;
  QLabel* fileNameLabel = nullptr;
  QMenuBar* mainMenuBar = nullptr;
  QMenu* fileMenu = nullptr;
  QMenu* editMenu = nullptr;
  QAction* fileExportHtmlAction = nullptr;
  QAction* fileSaveAsDelimitedAction = nullptr;
  QAction* fileAppendTableAction = nullptr;
  QAction* fileAppendDelimitedAction = nullptr;
  QAction* fileAppendSeparator = nullptr;
  QAction* filePrintAction = nullptr;
  QAction* fileExitAction = nullptr;
  QAction* editAppendRecordAction = nullptr;
  QAction* editPackAction = nullptr;
  QAction* viewSearchAction = nullptr;
  QAction* viewSearchNextAction = nullptr;
  QAction* helpTableAction = nullptr;
  QAction* helpDatabaseAction = nullptr;
  QAction* helpPictureAction = nullptr;
  QAction* helpFileNameAction = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  // Widens the window to show every column of the table, within the screen.
  void fitToColumns();
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenu();
  void showRecord();
  void reload();
  // Searches for the stored term from the top or after the current record, then with "," as ".".
  void runSearch(bool fromTop);
  void appendFrom(const std::string& title, const std::string& filter,
                  const std::function<void(const std::string&)>& append);
  std::string peekWin(int32_t field, int32_t n);
  std::string peekDos(int32_t field, int32_t n);
  bool askFile(bool save, const std::string& title, const std::string& filter, const std::string& preset,
               std::string& file);

  DataGridModel* model_ = nullptr;
  bool pickAndClose_ = false;
  bool editMode_ = false;
  bool filling_ = false;
  Outcome outcome_ = Outcome::None;
  int32_t chosenRecNo_ = 0;
  int32_t chosenColumn_ = 1;
};

// The search term, kept from one search and one browse to the next (DOS text).
std::string& BrowseSearchTerm();

// One modal use of the browse window over the access layer's table (the shell's DbfBrowseWindow).
void ShowTableBrowseWindow(const std::string& option, uint16_t mode);

}  // namespace qorva
