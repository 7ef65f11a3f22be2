#pragma once
// The window of the table of spring files (FileTableWindow) with its search box (FileSearchDialog), and
// File > Open (Table), which fills it and loads the spring of each row the user chooses while the
// table stays open.

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/services.h"
#include "shell/filetable.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QMenu;
class QPushButton;
class QTableWidget;

namespace qorva {

class MainWindow;

class FileSearchDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FileSearchDialog(QWidget* owner);
  QLineEdit* searchTermEdit = nullptr;
  QLabel* searchLabel = nullptr;
  QPushButton* searchButton = nullptr;
};

class FileTableWindow : public QDialog {
  Q_OBJECT
 public:
  explicit FileTableWindow(QWidget* owner);

  QTableWidget* fileTable = nullptr;
  QMenuBar* mainMenuBar = nullptr;
  QMenu* fileMenu = nullptr;
  QAction* fileExportExcelAction = nullptr;
  QAction* fileExitAction = nullptr;
  QMenu* editMenu = nullptr;
  QAction* editSearchAction = nullptr;
  QAction* searchNextAction = nullptr;
  QMenu* helpMenu = nullptr;
  QAction* helpTextAction = nullptr;

  std::string SearchText;
  int32_t SearchRow = 0;
  int32_t ChosenRow = 0;  // 0: none; the caller reads it
  int32_t Kind = 0;       // 0: the table of spring files

  // The grid's texts: row 0 the header, then the data rows. The caller sets them, and the widths.
  void SetRows(GridRows rows);
  const GridRows& Rows() const { return rows_; }
  // A column's width, never narrower than its texts (up to a limit).
  void SetColWidth(int32_t col, int32_t width);
  // The grid's current row as the table numbers it (1 = first data row, 0 none).
  int32_t CurrentRow() const;

  void SortGridByColumn(int32_t col);
  // Searches after SearchRow; moves the current cell to the match.
  bool FindNextMatch();
  void Search();      // Edit > Search: asks for the text, searches from the top
  void SearchNext();  // Edit > Search Next: from below the current row
  void ExportExcel();

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;  // the close box, Esc and Exit: the user leaves the table

 private:
  void fillGrid();
  int textWidth(int col) const;
  void setCurrentQuietly(int32_t row);
  void cellSelected(int32_t row);
  GridRows rows_;
};

// File > Open (Table): the save question, then the table, where each chosen row is read into the
// main window until the user leaves the table. Done when a spring was read; Cancelled when the save
// question stopped it or the user left the table without choosing; Failed when the save or a chosen
// file's read failed (told to the user; the command ends there).
Outcome OpenFileTable(MainWindow& form);

}  // namespace qorva
