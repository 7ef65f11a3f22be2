#pragma once
// axbnav: the navigator bar over a grid's dataset. Its Delete button is a toggle: on a record
// marked deleted it restores the record, on any other it marks it deleted.

#include <QToolButton>
#include <QWidget>

namespace qorva {

class TXbGrid;

class TXbNavigator : public QWidget {
  Q_OBJECT
 public:
  enum Button { First, Prior, Next, Last, Insert, Delete, Refresh, ButtonCount };
  explicit TXbNavigator(TXbGrid* grid, QWidget* parent = nullptr);

  bool ConfirmDelete = true;
  bool ConfirmRestore = false;
  QToolButton* button(Button b) const { return buttons_[b]; }
  void click(Button b);

 signals:
  void clicked(int button);

 private:
  TXbGrid* grid_;
  QToolButton* buttons_[ButtonCount] = {};
};

}  // namespace qorva
