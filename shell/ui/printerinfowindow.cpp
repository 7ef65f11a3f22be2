// printerinfowindow: the printer information window.
#include "shell/ui/printerinfowindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"

namespace qorva {

QList<QPair<QString, QString>> PrinterInfoRows(QPrinter& printer) {
  const int dpi = printer.resolution();
  const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  const QRect pixels = printer.pageLayout().paintRectPixels(dpi);
  const QRect paper = printer.pageLayout().fullRectPixels(dpi);
  const bool file = printer.printerName().isEmpty();
  // What the print system (CUPS) tells of the printer; a PDF file is written by Qt itself.
  const QPrinterInfo info = file ? QPrinterInfo() : QPrinterInfo::printerInfo(printer.printerName());
  QString name = file ? QString::fromUtf8("PDF-Datei") : printer.printerName();
  if (!file && !info.description().isEmpty() && info.description() != name) name += " (" + info.description() + ")";
  QString driver = file ? QString::fromUtf8("Qt-PDF-Ausgabe ") + qVersion() : info.makeAndModel();
  if (driver.isEmpty()) driver = QString::fromUtf8("vom Drucksystem nicht gemeldet");
  const bool colour = file ? printer.colorMode() == QPrinter::Color
                           : info.supportedColorModes().contains(QPrinter::Color) && printer.colorMode() == QPrinter::Color;
  return {
      {"Name", name},
      {"Treiberversion", driver},
      {"Technologie", file ? "Metafile" : "Rasterdrucker"},
      {"Druckbreite (mm)", QString::number(std::lround(paint.width()))},
      {QString::fromUtf8("Druckhöhe (mm)"), QString::number(std::lround(paint.height()))},
      {"Breite (Pixel)", QString::number(pixels.width())},
      {QString::fromUtf8("Höhe (Pixel)"), QString::number(pixels.height())},
      {"Linker Seitenoffset (Pixel)", QString::number(pixels.left() - paper.left())},
      {"Oberer Seitenoffset (Pixel)", QString::number(pixels.top() - paper.top())},
      {"DPI (horizontal)", QString::number(dpi)},
      {"DPI (vertikal)", QString::number(dpi)},
      // Pages are drawn, not plotted: any pen and brush, no markers.
      {"Pinsel", "beliebig"},
      {"Stifte", "beliebig"},
      {"Markierer", "keine"},
      {"Farben", QString::number(colour ? 16777216 : 2)},
      {"Schriften", QString::number(QFontDatabase::families().size())},
  };
}

PrinterInfoWindow::PrinterInfoWindow(QPrinter& printer, QWidget* parent) : QDialog(parent) {
  setObjectName("PrinterInfoWindow");
  setWindowTitle("Printer Info");
  auto* column = new QVBoxLayout(this);
  noPrinterLabel = new QLabel(this);
  noPrinterLabel->setObjectName("noPrinterLabel");
  noPrinterLabel->setWordWrap(true);
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    noPrinterLabel->setText(
        QString::fromUtf8("Es ist kein Drucker eingerichtet. Ausdrucke werden in eine PDF-Datei geschrieben."));
  } else if (printer.printerName().isEmpty()) {
    noPrinterLabel->setText(QString::fromUtf8("Ausgabe in eine PDF-Datei, nicht auf einen Drucker."));
  } else {
    noPrinterLabel->hide();
  }
  column->addWidget(noPrinterLabel);
  printerInfoTable = new QTableWidget(this);
  printerInfoTable->setObjectName("printerInfoTable");
  printerInfoTable->setColumnCount(2);
  printerInfoTable->horizontalHeader()->hide();
  printerInfoTable->horizontalHeader()->setStretchLastSection(true);
  printerInfoTable->verticalHeader()->hide();
  printerInfoTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  column->addWidget(printerInfoTable, 1);
  okButton = AddOkRow(this, column, "okButton");

  const QList<QPair<QString, QString>> rows = PrinterInfoRows(printer);
  const QStringList fonts = QFontDatabase::families();
  printerInfoTable->setRowCount(static_cast<int>(rows.size() + fonts.size()));
  int r = 0;
  for (const auto& [caption, value] : rows) {
    printerInfoTable->setItem(r, 0, new QTableWidgetItem(caption));
    printerInfoTable->setItem(r++, 1, new QTableWidgetItem(value));
  }
  for (const QString& f : fonts) printerInfoTable->setItem(r++, 1, new QTableWidgetItem(f));
  printerInfoTable->resizeColumnsToContents();
  resize(520, 560);
  ScaleCenterForm(this);
}

}  // namespace qorva
