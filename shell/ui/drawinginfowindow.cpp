// drawinginfowindow: the drawing information window.
#include "shell/ui/drawinginfowindow.h"

#include <QComboBox>
#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "shell/drawingchanges.h"
#include "shell/help.h"
#include "spring/spring.h"

namespace qorva {

namespace {

// A grid whose row 0 and column 0 hold headings and labels that cannot be edited.
QTableWidget* makeGrid(QWidget* parent, const char* name, int cols, int rows) {
  auto* g = new QTableWidget(rows, cols, parent);
  g->setObjectName(name);
  g->horizontalHeader()->hide();
  g->verticalHeader()->hide();
  return g;
}

// The grid opens showing its columns whole and up to `rows` rows (all when 0) without scrolling;
// widths of its columns 1.. at least those given in characters; the last column takes what is left.
void fitGrid(QTableWidget* grid, int rows, std::initializer_list<int> minChars) {
  grid->resizeColumnsToContents();
  grid->resizeRowsToContents();
  const int ch = grid->fontMetrics().averageCharWidth();
  int col = 1;
  for (int chars : minChars) {
    if (col < grid->columnCount()) grid->setColumnWidth(col, std::max(grid->columnWidth(col), chars * ch));
    ++col;
  }
  grid->horizontalHeader()->setStretchLastSection(true);
  const int shown = rows > 0 ? std::min(rows, grid->rowCount()) : grid->rowCount();
  int height = 2 * grid->frameWidth();
  for (int r = 0; r < shown; ++r) height += grid->rowHeight(r);
  int width = 2 * grid->frameWidth();
  for (int c = 0; c < grid->columnCount(); ++c) width += grid->columnWidth(c);
  if (shown < grid->rowCount()) width += grid->verticalScrollBar()->sizeHint().width();
  else grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setMinimumSize(width, height);
  // A grid shown whole keeps its height; the room the window gains goes to the one that scrolls.
  if (shown == grid->rowCount()) grid->setMaximumHeight(height);
}

void setFixed(QTableWidget* grid, int row, int col, const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  grid->setItem(row, col, item);
}

}  // namespace

QString DrawingInfoWindow::Cell(QTableWidget* grid, int row, int col) {
  const QTableWidgetItem* item = grid->item(row, col);
  return item ? item->text() : QString();
}

void DrawingInfoWindow::SetCell(QTableWidget* grid, int row, int col, const QString& text) {
  if (QTableWidgetItem* item = grid->item(row, col)) {
    item->setText(text);
  } else {
    grid->setItem(row, col, new QTableWidgetItem(text));
  }
}

DrawingInfoWindow::DrawingInfoWindow(DrawingData& drawing, QWidget* parent) : QDialog(parent), drawing_(drawing) {
  setObjectName("DrawingInfoWindow");
  const bool din = DinTitleBlock();
  auto* column = new QVBoxLayout(this);
  auto button = [this](QPushButton*& b, const char* name, const QString& text) {
    b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
  };

  replacesLabel = new QLabel(dosToQString("Ersatz f\x81r"), this);
  replacesLabel->setObjectName("replacesLabel");
  replacedByLabel = new QLabel("Ersetzt durch", this);
  replacedByLabel->setObjectName("replacedByLabel");
  replacesEdit = new QLineEdit(this);
  replacesEdit->setObjectName("replacesEdit");
  replacesEdit->setMaxLength(15);
  replacedByEdit = new QLineEdit(this);
  replacedByEdit->setObjectName("replacedByEdit");
  replacedByEdit->setMaxLength(15);
  button(okButton, "okButton", "OK");
  button(cancelButton, "cancelButton", "Abbrechen");
  button(helpButton, "helpButton", "&Hilfe");
  okButton->setDefault(true);

  // Title-block rows.
  titleBlockTable = makeGrid(this, "titleBlockTable", 3, din ? 5 : 4);
  setFixed(titleBlockTable, 0, 1, din ? "Datum" : " (Datum)");
  setFixed(titleBlockTable, 0, 2, "Name");
  const std::array<std::string, 5> dates = {"", drawing_.TitleDrawnDate, drawing_.TitleCheckedDate,
                                            drawing_.TitleStandardDate, drawing_.TitleRow4Date};
  const std::array<std::string, 5> names = {"", drawing_.TitleDrawnBy, drawing_.TitleCheckedBy,
                                            drawing_.TitleStandardBy, drawing_.TitleRow4Name};
  const std::array<std::string, 5> labels =
      din ? std::array<std::string, 5>{"", "Bearb.", "Gepr.", "Norm", cadSettings.ReleaseField}
          : std::array<std::string, 5>{"", "Erstellt durch", "Genehmigt von", "Technische Referenz", ""};
  for (int r = 1; r < titleBlockTable->rowCount(); ++r) {
    setFixed(titleBlockTable, r, 0, dosToQString(labels[r]));
    SetCell(titleBlockTable, r, 1, dosToQString(dates[r]));
    SetCell(titleBlockTable, r, 2, dosToQString(names[r]));
  }

  QPushButton** dateButtons[] = {&drawnDateButton, &checkedDateButton, &standardDateButton, &releaseDateButton};
  const char* dateNames[] = {"drawnDateButton", "checkedDateButton", "standardDateButton", "releaseDateButton"};
  auto* dateColumn = new QVBoxLayout;
  for (int i = 0; i < 4; ++i) {
    button(*dateButtons[i], dateNames[i], dosToQString("< " + DateStr()));
    const int row = i + 1;
    connect(*dateButtons[i], &QPushButton::clicked, this,
            [this, row] { SetCell(titleBlockTable, row, 1, dosToQString(DateStr())); });
    dateColumn->addWidget(*dateButtons[i]);
    (*dateButtons[i])->setVisible(din);
  }

  // The ISO 7200 document fields.
  documentFieldsTable = makeGrid(this, "documentFieldsTable", 2, 4);
  const char* isoLabels[] = {"Verantwortl. Abt.", "Dokumentenart", "Dokumentenstatus"};
  const std::string* isoFields[] = {&drawing_.TitleDepartment, &drawing_.TitleDocType, &drawing_.TitleDocStatus};
  for (int r = 1; r <= 3; ++r) {
    setFixed(documentFieldsTable, r, 0, isoLabels[r - 1]);
    SetCell(documentFieldsTable, r, 1, dosToQString(*isoFields[r - 1]));
  }
  documentFieldsTable->setVisible(!din);

  // Drawing texts.
  drawingTextsTable = makeGrid(this, "drawingTextsTable", 6, MaxDrawingTexts + 1);
  const char* heads[] = {"x", "y", "h", "phi", "Text"};
  for (int c = 1; c <= 5; ++c) setFixed(drawingTextsTable, 0, c, heads[c - 1]);
  for (int r = 1; r <= MaxDrawingTexts; ++r) {
    setFixed(drawingTextsTable, r, 0, QString::number(r));
    for (int c = 1; c <= 5; ++c) SetCell(drawingTextsTable, r, c, QString());
  }
  for (int r = 1; r <= std::min<int>(drawing_.DrawingTextCount, MaxDrawingTexts); ++r) {
    const DrawingTextRecord& t = drawing_.DrawingTexts[static_cast<std::size_t>(r)];
    SetCell(drawingTextsTable, r, 1, dosToQString(RealStr3(t.x)));
    SetCell(drawingTextsTable, r, 2, dosToQString(RealStr3(t.y)));
    SetCell(drawingTextsTable, r, 3, dosToQString(RealStr3(t.h)));
    SetCell(drawingTextsTable, r, 4, dosToQString(RealStr3(t.phi)));
    SetCell(drawingTextsTable, r, 5, dosToQString(t.Text));
  }
  drawingTextModeComboBox = new QComboBox(this);
  drawingTextModeComboBox->setObjectName("drawingTextModeComboBox");
  drawingTextModeComboBox->addItems({"A4", "A3", "A4+A3", "-"});
  drawingTextModeComboBox->setToolTip(QString::fromStdString(HelpTextStr(3020)));
  connect(drawingTextModeComboBox, &QComboBox::currentIndexChanged, this,
          [this](int i) { drawingTextsTable->setVisible(i != 3); });
  drawingTextModeComboBox->setCurrentIndex(std::clamp(drawing_.DrawingTextMode, 0, 3));
  drawingTextsTable->setVisible(drawingTextModeComboBox->currentIndex() != 3);

  replacesLabel->setVisible(din);
  replacedByLabel->setVisible(din);
  replacesEdit->setVisible(din);
  replacedByEdit->setVisible(din);
  replacesEdit->setText(dosToQString(drawing_.TitleReplaces));
  replacedByEdit->setText(dosToQString(drawing_.TitleReplacedBy));

  fitGrid(titleBlockTable, 0, {12, 20});
  fitGrid(documentFieldsTable, 0, {30});
  fitGrid(drawingTextsTable, 11, {7, 7, 5, 5, 40});  // the headings and ten texts
  auto* top = new QHBoxLayout;
  top->addWidget(titleBlockTable, 1);
  top->addLayout(dateColumn);
  column->addLayout(top);
  column->addWidget(documentFieldsTable);
  auto* replace = new QGridLayout;
  replace->addWidget(replacesLabel, 0, 0);
  replace->addWidget(replacesEdit, 0, 1);
  replace->addWidget(replacedByLabel, 1, 0);
  replace->addWidget(replacedByEdit, 1, 1);
  column->addLayout(replace);
  column->addWidget(drawingTextModeComboBox);
  column->addWidget(drawingTextsTable, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  buttons->addWidget(helpButton);
  column->addLayout(buttons);

  connect(okButton, &QPushButton::clicked, this, [this] { ok(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(3010, "", 1); });
  setWindowTitle(dosToQString(std::string("Zeichnungsinfo") + (din ? " DIN 6771" : " ISO 7200")));
  ScaleCenterForm(this);
}

void DrawingInfoWindow::ok() {
  programState.ErrorFlag = false;
  DrawingInfoInput in;
  in.replaces = qStringToDos(replacesEdit->text());
  in.replacedBy = qStringToDos(replacedByEdit->text());
  for (int r = 1; r <= 4; ++r) {
    if (r < titleBlockTable->rowCount()) {
      in.rowDate[static_cast<std::size_t>(r)] = qStringToDos(Cell(titleBlockTable, r, 1));
      in.rowName[static_cast<std::size_t>(r)] = qStringToDos(Cell(titleBlockTable, r, 2));
    }
  }
  for (int r = 1; r <= MaxDrawingTexts; ++r) {
    std::array<std::string, 5> row;
    for (int c = 1; c <= 5; ++c) row[static_cast<std::size_t>(c - 1)] = qStringToDos(Cell(drawingTextsTable, r, c));
    in.texts.push_back(row);
  }
  in.mode = drawingTextModeComboBox->currentIndex();
  for (int r = 1; r <= 3; ++r) in.iso[static_cast<std::size_t>(r - 1)] = qStringToDos(Cell(documentFieldsTable, r, 1));
  StoreDrawingInfo(drawing_, in);
  accept();
}

void DrawingInfoWindow::cancel() {
  programState.ErrorFlag = true;
  reject();
}

Outcome EditDrawingInfo(DrawingData& drawing) {
  DrawingInfoWindow form(drawing, GraphForm());
  return form.exec() == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

}  // namespace qorva
