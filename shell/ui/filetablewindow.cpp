#include "shell/ui/filetablewindow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilfile.h"
#include "foundation/view3d.h"
#include "foundation/windowtext.h"
#include "graphics/graphicsdraw.h"
#include "shell/springfile.h"
#include "shell/spreadsheet.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/mainwindow.h"
#include "shell/menutexts.h"
#include "spring/springdatafile.h"

namespace qorva {

namespace {
constexpr uint16_t kFileTableHelpTopic = 3400;
}

FileSearchDialog::FileSearchDialog(QWidget* owner) : QDialog(owner) {
  setObjectName("FileSearchDialog");
  setWindowTitle("Search");
  searchLabel = new QLabel("Search for", this);
  searchLabel->setObjectName("searchLabel");
  searchTermEdit = new QLineEdit(this);
  searchTermEdit->setObjectName("searchTermEdit");
  searchButton = new QPushButton("Search", this);
  searchButton->setObjectName("searchButton");
  searchButton->setDefault(true);
  auto* row = new QHBoxLayout(this);
  row->addWidget(searchLabel);
  row->addWidget(searchTermEdit, 1);
  row->addWidget(searchButton);
  connect(searchButton, &QPushButton::clicked, this, &QDialog::accept);
  resize(360, 60);
}

FileTableWindow::FileTableWindow(QWidget* owner) : QDialog(owner) {
  setObjectName("FileTableWindow");
  mainMenuBar = new QMenuBar(this);
  mainMenuBar->setObjectName("mainMenuBar");
  fileMenu = mainMenuBar->addMenu(MenuCaptionText(menuTexts.MenuTextFile));
  fileMenu->setObjectName("fileMenu");
  fileExportExcelAction = fileMenu->addAction("Export Excel");
  fileExportExcelAction->setObjectName("fileExportExcelAction");
  fileExitAction = fileMenu->addAction(MenuCaptionText(menuTexts.MenuTextExit));
  fileExitAction->setObjectName("fileExitAction");
  editMenu = mainMenuBar->addMenu(MenuCaptionText(menuTexts.MenuTextEdit));
  editMenu->setObjectName("editMenu");
  editSearchAction = editMenu->addAction("Search");
  editSearchAction->setObjectName("editSearchAction");
  editSearchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  searchNextAction = editMenu->addAction("Search &Next");
  searchNextAction->setObjectName("searchNextAction");
  searchNextAction->setShortcut(QKeySequence(Qt::Key_F3));
  helpMenu = mainMenuBar->addMenu(MenuCaptionText(menuTexts.MenuTextHelp));
  helpMenu->setObjectName("helpMenu");
  helpTextAction = helpMenu->addAction(MenuCaptionText(menuTexts.MenuTextHelp));
  helpTextAction->setObjectName("helpTextAction");

  fileTable = new QTableWidget(this);
  fileTable->setObjectName("fileTable");
  fileTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fileTable->setSelectionMode(QAbstractItemView::SingleSelection);
  fileTable->verticalHeader()->setVisible(false);
  fileTable->verticalHeader()->setDefaultSectionSize(16);
  fileTable->horizontalHeader()->setDefaultSectionSize(48);
  fileTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  fileTable->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(mainMenuBar);
  layout->addWidget(fileTable);

  rows_ = {GridRow{"File", "Date"}};
  fillGrid();
  SetColWidth(0, 120);
  SetColWidth(1, 64);

  // A row is chosen by the user only: the cell that the grid makes current when it is shown or gets
  // the focus chooses nothing (see showEvent), a click on it does.
  connect(fileTable, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { cellSelected(row + 1); });
  connect(fileTable, &QTableWidget::cellClicked, this, [this](int row, int) { cellSelected(row + 1); });
  connect(fileTable, &QTableWidget::cellActivated, this, [this](int row, int) { cellSelected(row + 1); });
  connect(fileTable->horizontalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    const int col = fileTable->horizontalHeader()->logicalIndexAt(pos);
    if (col >= 0) SortGridByColumn(col);
  });
  connect(fileExitAction, &QAction::triggered, this, &FileTableWindow::reject);
  connect(fileExportExcelAction, &QAction::triggered, this, &FileTableWindow::ExportExcel);
  connect(editSearchAction, &QAction::triggered, this, &FileTableWindow::Search);
  connect(searchNextAction, &QAction::triggered, this, &FileTableWindow::SearchNext);
  connect(helpTextAction, &QAction::triggered, this, [] {
    ShowHelpText(kFileTableHelpTopic, "", 1);
    programState.ErrorFlag = false;
  });
  resize(900, 500);
  ScaleCenterForm(this);
}

void FileTableWindow::SetRows(GridRows rows) {
  rows_ = std::move(rows);
  if (rows_.empty()) rows_.emplace_back();
  fillGrid();
}

void FileTableWindow::SetColWidth(int32_t col, int32_t width) {
  if (col >= 0 && col < fileTable->columnCount()) fileTable->setColumnWidth(col, std::max(width, textWidth(col)));
}

int FileTableWindow::textWidth(int col) const {
  // The widest of the header and the cells, up to a limit: a long designation may be cut, a date or
  // a number never.
  constexpr int kWidest = 320;
  const int header = fileTable->horizontalHeader()->sectionSizeHint(col);
  // (QTableView hides sizeHintForColumn; the item view it derives from offers it.)
  return std::min(kWidest, std::max(header, static_cast<const QAbstractItemView*>(fileTable)->sizeHintForColumn(col)));
}

int32_t FileTableWindow::CurrentRow() const { return fileTable->currentRow() + 1; }

void FileTableWindow::fillGrid() {
  const QSignalBlocker quiet(fileTable);
  const int32_t current = CurrentRow();
  const int currentCol = std::max(0, fileTable->currentColumn());
  int columns = 0;
  for (const GridRow& r : rows_) columns = std::max(columns, static_cast<int>(r.size()));
  fileTable->setColumnCount(columns);
  fileTable->setRowCount(static_cast<int>(rows_.size()) - 1);
  QStringList header;
  for (int c = 0; c < columns; ++c)
    header << (c < static_cast<int>(rows_[0].size()) ? QString::fromStdString(rows_[0][static_cast<size_t>(c)]) : "");
  fileTable->setHorizontalHeaderLabels(header);
  for (size_t r = 1; r < rows_.size(); ++r) {
    for (int c = 0; c < columns; ++c) {
      const GridRow& row = rows_[r];
      const QString text = c < static_cast<int>(row.size()) ? QString::fromStdString(row[static_cast<size_t>(c)]) : "";
      fileTable->setItem(static_cast<int>(r) - 1, c, new QTableWidgetItem(text));
    }
  }
  for (int c = 0; c < columns; ++c) fileTable->setColumnWidth(c, std::max(fileTable->columnWidth(c), textWidth(c)));
  if (current > 0 && current < static_cast<int32_t>(rows_.size())) fileTable->setCurrentCell(current - 1, currentCol);
}

void FileTableWindow::setCurrentQuietly(int32_t row) {
  const QSignalBlocker quiet(fileTable);
  if (row > 0 && row < static_cast<int32_t>(rows_.size()))
    fileTable->setCurrentCell(row - 1, std::max(0, fileTable->currentColumn()));
}

void FileTableWindow::cellSelected(int32_t row) {
  if (row <= 0 || row == ChosenRow) return;
  ChosenRow = row;
  programState.ErrorFlag = false;
  accept();
}

void FileTableWindow::showEvent(QShowEvent* event) {
  // Without a data folder (a file named on the command line) the table lists the current folder.
  const std::string folder = programState.DataDir.empty() ? TrimAndAddSlash(CurrentDirString()) : programState.DataDir;
  setWindowTitle(dosToQString(programState.ProgName + "  " + folder));
  // The table shows again on the row the user chose; before any choice on the first row, set quietly
  // so that the focus does not make it a choice.
  setCurrentQuietly(ChosenRow > 0 ? ChosenRow : 1);
  QDialog::showEvent(event);
}

void FileTableWindow::reject() {
  programState.ErrorFlag = true;
  QDialog::reject();
}

void FileTableWindow::SortGridByColumn(int32_t col) {
  const int32_t former = CurrentRow();
  const std::vector<int32_t> order = qorva::SortGridByColumn(rows_, col);
  fillGrid();  // quietly, the cursor on the same row number
  const int32_t row = FindSortedRow(order, former);
  // Moving the cursor with its record is a selection: another row number chooses that row.
  if (row > 0) fileTable->setCurrentCell(row - 1, std::max(0, fileTable->currentColumn()));
}

bool FileTableWindow::FindNextMatch() {
  int32_t col = 0;
  int32_t row = 0;
  if (!qorva::FindNextMatch(rows_, SearchText, SearchRow, col, row)) return false;
  fileTable->setCurrentCell(row - 1, col);
  return true;
}

void FileTableWindow::Search() {
  FileSearchDialog box(this);
  box.searchTermEdit->setText(QString::fromStdString(SearchText));
  box.exec();  // closing the box otherwise searches as well
  SearchText = box.searchTermEdit->text().toStdString();
  SearchRow = 0;
  if (!FindNextMatch()) ShowDosMessage(Utf8ToDos(SearchText) + " not found.");
}

void FileTableWindow::SearchNext() {
  SearchRow = CurrentRow();
  if (!FindNextMatch()) ShowDosMessage(Utf8ToDos(SearchText) + " not found.");
}

void FileTableWindow::ExportExcel() { ExportGridToExcel(rows_); }

Outcome OpenFileTable(MainWindow& form) {
  programState.ErrorFlag = false;
  if (const Outcome saved = AskSaveChanges(form.spring()); saved != Outcome::Done) return saved;
  view3d.Edit3DAngles = false;

  // Filling the table reads every file into a value of its own: the spring the user has open, its
  // file name and its drawing stay until a row is chosen.
  FileTableWindow table(&form);
  const std::string folder = TrimAndAddSlash(programState.DataDir);
  const std::string title = DosToUtf8(programState.ProgTitle) + " -> ";
  table.SetRows(ReadFileTable(folder, [&](const std::string& name) { SetFormCaption(form, title + name); }));
  // The scan's progress ends with it: while the table is open the caption names the open spring.
  UpdateFormCaption(form);
  table.SetColWidth(2, 90);
  table.SetColWidth(12, 120);

  Outcome outcome = Outcome::Cancelled;
  while (true) {
    if (table.exec() != QDialog::Accepted || table.ChosenRow <= 0) break;
    const std::string name = FileTableFileName(folder, table.Rows()[static_cast<size_t>(table.ChosenRow)][0]);
    if (!ReadSpringFile(form.spring(), folder + name)) {  // told by the read; the command ends
      outcome = Outcome::Failed;
      break;
    }
    outcome = Outcome::Done;
    const size_t dot = name.rfind('.');
    programState.CurrentFileName = dot == std::string::npos ? name : name.substr(0, dot);
    programState.InputModified = false;
    ApplyMenuCaptions(form);
    UpdateAfterInput(form);
    UpdateFormCaption(form);
  }
  UpdateFormCaption(form);
  return outcome;
}

}  // namespace qorva
