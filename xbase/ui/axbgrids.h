#pragma once
// axbgrids: the data-aware grid. TXbGridModel shows a dataset as a table model: one column per
// field, one row per record, read a record at a time as the view asks for it (a table of any size
// opens at once); records marked deleted are drawn in their own colours; logical fields are check
// boxes. TXbGrid is the view: a right click on a column title depresses it and reports its field
// (the browse window sorts by it); Ctrl+Del restores a deleted record; space and Enter toggle a
// logical cell; clicks on the corner are reported; AutoAppend false keeps Down on the last row.
// An engine or dataset error inside a slot is shown and ends only that action.

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>
#include <functional>
#include <list>
#include <unordered_map>

#include "xbase/xbprimds.h"

namespace qorva {

// Runs an action that calls the engine; an engine stop or a dataset error is shown as a message
// and ends only the action. False when it ended so.
bool XbGuarded(const std::function<void()>& action);

struct TXbGridColors {
  QColor DeletedColor = Qt::red;
  QColor DeletedTextColor;  // invalid: the grid's text colour
};

class TXbGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TXbGridModel(TXbPrimDataset* dataset, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  TXbPrimDataset* dataset() const { return dataset_; }
  // The row of the dataset's active record, -1 when empty.
  int activeRow() const;
  // Moves the dataset to the record of row.
  void goToRow(int row);
  // Rebuilds the rows after the table changed (append, pack, order).
  void reload();
  // Drops the cached record of the active row (after an edit of it).
  void refreshActive();
  bool ReadOnly = false;
  TXbGridColors Colors;
  // Lets the program recolour a row (background, text).
  std::function<void(int row, QColor& background, QColor& text)> OnChangeColors;

 private:
  const TXbRecordBuffer* record(int row) const;
  TXbBookmark bookmarkOfRow(int row) const;

  TXbPrimDataset* dataset_;
  bool sequenced_ = true;
  int rows_ = 0;
  std::vector<TXbBookmark> order_;  // rows of a dataset that is not in physical order
  mutable std::unordered_map<int, std::list<std::pair<int, TXbRecordBuffer>>::iterator> cacheIndex_;
  mutable std::list<std::pair<int, TXbRecordBuffer>> cache_;
};

class TXbGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TXbGrid(QWidget* parent = nullptr);

  void setDataset(TXbGridModel* model);
  TXbGridModel* gridModel() const { return model_; }
  bool AutoAppend = true;
  bool DepressDisabled = false;
  bool ConfirmRestore = false;
  int depressedColumn() const { return depressed_; }  // the field index, -1 none
  // Toggles the logical cell at the current index.
  void toggleCurrent();

 signals:
  // The title of the column showing field fieldIndex was right-clicked.
  void depressTitle(int fieldIndex);
  void cornerLeftClick();
  void cornerRightClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  TXbGridModel* model_ = nullptr;
  int depressed_ = -1;
};

}  // namespace qorva
