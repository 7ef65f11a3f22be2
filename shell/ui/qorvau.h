#pragma once
// The program's main window.

#include <QMainWindow>

namespace qorva {

class Thh : public QMainWindow {
  Q_OBJECT
 public:
  explicit Thh(QWidget* parent = nullptr);
  ~Thh() override;
};

}  // namespace qorva
