// printinf: the printer information window.
#include "shell/ui/printinf.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "foundation/ui/dialogparts.h"
#include "foundation/ui/fmxutil2.h"

namespace qorva {

TForm_printerinfo::TForm_printerinfo(QPrinter& printer, QWidget* parent) : QDialog(parent) {
  setObjectName("Form_printerinfo");
  setWindowTitle("Printer Info");
  auto* column = new QVBoxLayout(this);
  StringGrid1 = new QTableWidget(this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setColumnCount(2);
  StringGrid1->horizontalHeader()->hide();
  StringGrid1->verticalHeader()->hide();
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  column->addWidget(StringGrid1);
  Button_ok = AddOkRow(this, column, "Button_ok");

  const int dpi = printer.resolution();
  const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  const QRect pixels = printer.pageLayout().paintRectPixels(dpi);
  const QRect paper = printer.pageLayout().fullRectPixels(dpi);
  const QStringList fonts = QFontDatabase::families();
  const QList<QPair<QString, QString>> rows = {
      {"Name", printer.printerName().isEmpty() ? QString("PDF") : printer.printerName()},
      {"Treiberversion", "?"},
      {"Technologie", "Rasterdrucker"},
      {"Druckbreite (mm)", QString::number(std::lround(paint.width()))},
      {QString::fromUtf8("Druckhöhe (mm)"), QString::number(std::lround(paint.height()))},
      {"Breite (Pixel)", QString::number(pixels.width())},
      {QString::fromUtf8("Höhe (Pixel)"), QString::number(pixels.height())},
      {"Linker Seitenoffset (Pixel)", QString::number(pixels.left() - paper.left())},
      {"Oberer Seitenoffset (Pixel)", QString::number(pixels.top() - paper.top())},
      {"DPI (horizontal)", QString::number(dpi)},
      {"DPI (vertikal)", QString::number(dpi)},
      {"Pinsel", "?"},
      {"Stifte", "?"},
      {"Markierer", "?"},
      {"Farben", printer.colorMode() == QPrinter::Color ? QString::number(16777216) : QString::number(2)},
      {"Schriften", QString::number(fonts.size())},
  };
  StringGrid1->setRowCount(static_cast<int>(rows.size() + fonts.size()));
  int r = 0;
  for (const auto& [caption, value] : rows) {
    StringGrid1->setItem(r, 0, new QTableWidgetItem(caption));
    StringGrid1->setItem(r++, 1, new QTableWidgetItem(value));
  }
  for (const QString& f : fonts) StringGrid1->setItem(r++, 1, new QTableWidgetItem(f));
  StringGrid1->resizeColumnsToContents();
  resize(420, 480);
  ScaleCenterForm(this);
}

}  // namespace qorva
