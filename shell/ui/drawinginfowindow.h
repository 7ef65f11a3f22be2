#pragma once
// drawinginfowindow: the drawing information window DrawingInfoWindow: the title-block fields (DIN 6771 or
// ISO 7200 layout, by TitleBlockType), the drawing texts and on which frames they appear.
// The grids keep the first row for headings and the first column for row labels, so cell (row r,
// column c) of a grid is the field in title-block row r.

#include <QDialog>

#include "platform/services.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qorva {

struct DrawingData;

class DrawingInfoWindow : public QDialog {
  Q_OBJECT

 public:
  explicit DrawingInfoWindow(DrawingData& drawing, QWidget* parent = nullptr);

  QLabel* replacesLabel = nullptr;
  QLabel* replacedByLabel = nullptr;
  QLineEdit* replacesEdit = nullptr;
  QLineEdit* replacedByEdit = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  QTableWidget* titleBlockTable = nullptr;  // title-block rows: date, name
  QPushButton* drawnDateButton = nullptr;       // today's date into rows 1 to 4 (DIN 6771)
  QPushButton* checkedDateButton = nullptr;
  QPushButton* standardDateButton = nullptr;
  QPushButton* releaseDateButton = nullptr;
  QTableWidget* drawingTextsTable = nullptr;  // drawing texts: x, y, h, phi, text
  QComboBox* drawingTextModeComboBox = nullptr;
  QTableWidget* documentFieldsTable = nullptr;  // the ISO 7200 document fields

  // The text of a cell (row, column), empty when the cell has none.
  static QString Cell(QTableWidget* grid, int row, int col);
  static void SetCell(QTableWidget* grid, int row, int col, const QString& text);

 private:
  void ok();
  void cancel();

  DrawingData& drawing_;
};

// Edits the title-block fields and drawing texts of drawing modally. OK stores them, clears
// ErrorFlag and gives Done; Cancel sets ErrorFlag, closing by the title bar leaves it as it was:
// both store nothing and give Cancelled.
Outcome EditDrawingInfo(DrawingData& drawing);

}  // namespace qorva
