#pragma once
// datanavigator: the navigator bar over a grid's dataset. Its Delete button is a toggle: on a record
// marked deleted it restores the record, on any other it marks it deleted. "+" begins a new record
// (a row of its own until posted; left untouched it is dropped), Edit, Post and Cancel edit the
// current one.

#include <QToolButton>
#include <QWidget>

namespace qorva {

class DataGrid;

class DataNavigator : public QWidget {
  Q_OBJECT
 public:
  enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, ButtonCount };
  explicit DataNavigator(DataGrid* grid, QWidget* parent = nullptr);

  bool ConfirmDelete = true;
  bool ConfirmRestore = false;
  QToolButton* button(Button b) const { return buttons_[b]; }
  void click(Button b);
  // Enables the buttons the dataset's state allows (Post and Cancel only while editing).
  void updateButtons();

 signals:
  void clicked(int button);

 private:
  DataGrid* grid_;
  QToolButton* buttons_[ButtonCount] = {};
};

}  // namespace qorva
