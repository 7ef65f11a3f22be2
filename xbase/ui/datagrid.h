#pragma once
// datagrid: the data-aware grid. DataGridModel shows a dataset as a table model: one column per
// field, one row per record, read a record at a time as the view asks for it (a table of any size
// opens at once); records marked deleted are drawn in their own colours; logical fields are check
// boxes. DataGrid is the view: a right click on a column title depresses it and reports its field
// (the browse window sorts by it); Ctrl+Del restores a deleted record; space and Enter toggle a
// logical cell; clicks on the corner are reported; AutoAppend false keeps Down on the last row.
// Logical fields are drawn in one of the BooleanBox styles with their own true and false texts;
// date cells are typed through the engine's date mask; a stored column layout (the older text
// form) sets the columns. While the dataset inserts a record it shows as an extra last row.
// An engine or dataset error inside a slot is shown and ends only that action.

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <unordered_map>

#include "xbase/datasetmodel.h"

namespace qorva {

// Runs an action that calls the engine; an engine stop or a dataset error is shown as a message
// and ends only the action. False when it ended so.
bool XbGuarded(const std::function<void()>& action);

struct DataGridColors {
  QColor DeletedColor = Qt::red;
  QColor DeletedTextColor;  // invalid: the grid's text colour
};

// How logical fields are drawn.
enum class TXbBooleanBox { bbCheckBox, bbCheckMark, bbText, bbFillBox, bbFillBoxRed, bbRButton, bbRButtonRed, bbDot,
                           bbDotRed };

// The edit mask of date cells in the engine's date format ("00/00/0000; " and the like).
QString XbDateEditMask();

// One column of a stored layout; unset items keep the grid's own.
struct TXbColumn {
  QString FieldName;
  std::optional<QColor> Color;
  std::optional<int> Width;
  std::optional<QFont> Font;
  std::optional<QColor> FontColor;
  std::optional<Qt::Alignment> Alignment;
  bool ReadOnly = false;
  std::optional<QColor> TitleColor;
  std::optional<QString> TitleCaption;
  std::optional<Qt::Alignment> TitleAlignment;
  std::optional<QFont> TitleFont;
};

// Reads a stored column layout: lines "key=value" (cvColumn, cvWidthStr, cvFontStr, ...). A line
// without a known key is a column index; a column index that is no number is refused (false,
// nothing read).
bool ReadSavedColumns(const std::vector<std::string>& lines, std::vector<TXbColumn>& columns);

class DataGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit DataGridModel(TXbDatasetModel* dataset, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  TXbDatasetModel* dataset() const { return dataset_; }
  // The row of the dataset's active record, -1 when empty.
  int activeRow() const;
  // Moves the dataset to the record of row.
  void goToRow(int row);
  // Rebuilds the rows after the table changed (append, pack, order).
  void reload();
  // Drops the cached record of the active row (after an edit of it).
  void refreshActive();
  bool ReadOnly = false;
  DataGridColors Colors;
  // Lets the program recolour a row (background, text).
  std::function<void(int row, QColor& background, QColor& text)> OnChangeColors;
  // The texts a logical field shows for true and false: "Ja;Nein"; without, "True" and "False".
  void setDisplayValues(int field, const QString& values);
  QString trueText(int field) const;
  QString falseText(int field) const;
  // The columns of a stored layout, by field (colours, fonts, alignment, read-only, titles).
  void setColumns(const std::vector<TXbColumn>& columns);
  const TXbColumn* columnOf(int field) const;
  // The extra row of a record being inserted, -1 when none.
  int insertRow() const;

 private:
  const TXbRecordBuffer* record(int row) const;
  TXbBookmark bookmarkOfRow(int row) const;

  TXbDatasetModel* dataset_;
  std::map<int, std::pair<QString, QString>> boolTexts_;
  std::vector<TXbColumn> columns_;
  bool sequenced_ = true;
  int rows_ = 0;
  std::vector<TXbBookmark> order_;  // rows of a dataset that is not in physical order
  mutable std::unordered_map<int, std::list<std::pair<int, TXbRecordBuffer>>::iterator> cacheIndex_;
  mutable std::list<std::pair<int, TXbRecordBuffer>> cache_;
};

class DataGrid : public QTableView {
  Q_OBJECT
 public:
  explicit DataGrid(QWidget* parent = nullptr);

  void setDataset(DataGridModel* model);
  DataGridModel* gridModel() const { return model_; }
  bool AutoAppend = true;
  bool DepressDisabled() const { return depressDisabled_; }
  // Switching it resets the depressed title first.
  void setDepressDisabled(bool disabled);
  bool ConfirmRestore = false;
  TXbBooleanBox booleanBox() const { return booleanBox_; }
  void setBooleanBox(TXbBooleanBox box);
  // Applies a stored column layout: the columns in their order, the other fields hidden.
  void setSavedColumns(const std::vector<std::string>& lines);
  const std::vector<TXbColumn>& columns() const { return columns_; }
  // Rebuilds the rows after the dataset's state changed (an insert begun, posted or dropped) and
  // puts the current cell on the active record.
  void resync();
  int depressedColumn() const { return depressed_; }  // the field index, -1 none
  // Toggles the logical cell at the current index.
  void toggleCurrent();
  // Closes a cell editor still open, its text taken into the record when keep is set.
  void endEdit(bool keep);

 signals:
  // The title of the column showing field fieldIndex was right-clicked.
  void depressTitle(int fieldIndex);
  void cornerLeftClick();
  void cornerRightClick();
  // The dataset, its active record or its state may have changed (the navigator follows).
  void activeChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void applyColumns();

  DataGridModel* model_ = nullptr;
  int depressed_ = -1;
  bool depressDisabled_ = false;
  TXbBooleanBox booleanBox_ = TXbBooleanBox::bbCheckBox;
  std::vector<TXbColumn> columns_;
};

// Draws logical cells in the grid's BooleanBox style, toggles them on a click, and gives date
// cells the date mask.
class DataGridDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit DataGridDelegate(DataGrid* grid);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

 private:
  DataGrid* grid_;
};

}  // namespace qorva
