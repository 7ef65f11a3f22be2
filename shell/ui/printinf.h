#pragma once
// printinf: the printer information window TForm_printerinfo: a two-column list of what the current
// printer can do, then every font it can print with, one a row.

#include <QDialog>

class QPrinter;
class QPushButton;
class QTableWidget;

namespace qorva {

class TForm_printerinfo : public QDialog {
 public:
  explicit TForm_printerinfo(QPrinter& printer, QWidget* parent = nullptr);

  QTableWidget* StringGrid1 = nullptr;
  QPushButton* Button_ok = nullptr;
};

}  // namespace qorva
