#pragma once
// printerinfowindow: the printer information window PrinterInfoWindow: a two-column list of what the current
// printer can do, then every font it can print with, one a row.

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace qorva {

// The rows of the window: caption and value of the printer as the print system reports it (for the
// PDF file, as Qt writes it), without the font rows.
QList<QPair<QString, QString>> PrinterInfoRows(QPrinter& printer);

class PrinterInfoWindow : public QDialog {
 public:
  explicit PrinterInfoWindow(QPrinter& printer, QWidget* parent = nullptr);

  QLabel* noPrinterLabel = nullptr;  // a plain sentence when there is no printer
  QTableWidget* printerInfoTable = nullptr;
  QPushButton* okButton = nullptr;
};

}  // namespace qorva
