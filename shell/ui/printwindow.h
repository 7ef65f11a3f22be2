#pragma once
// printwindow: the print window PrintWindow ("Ausdruck") of graphics printouts: scale, origin,
// border, colour mode, orientation and printer, and named presets kept in "printout.dbf". OK prints
// what the main window shows; in setup mode it shows the printer information instead.

#include <QDialog>
#include <QPrinter>

#include "platform/services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qorva {

class PrintWindow : public QDialog {
 public:
  explicit PrintWindow(QWidget* parent = nullptr);

  bool SetupMode = false;
  // The printer the window prints on (tests make it a PDF file).
  QPrinter& printer() { return printer_; }
  // How the window ended: Done once printed (or the printer information shown), Failed when the
  // printer could not be opened, Cancelled otherwise.
  Outcome outcome() const { return outcome_; }

  void loadPresetButtonClicked();
  void savePresetButtonClicked();
  void okButtonClicked();

  QLineEdit* scaleXEdit = nullptr;
  QLineEdit* scaleYEdit = nullptr;
  QLineEdit* originXEdit = nullptr;
  QLineEdit* originYEdit = nullptr;
  QCheckBox* borderCheckBox = nullptr;
  QCheckBox* fitDrawingCheckBox = nullptr;
  QRadioButton* colorModeRadioGroup[2] = {};
  QRadioButton* orientationRadioGroup[2] = {};
  QLabel* printerNameLabel = nullptr;
  QPushButton* choosePrinterButton = nullptr;
  QPushButton* loadPresetButton = nullptr;
  QPushButton* savePresetButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showPrinter();
  // Without a printer: the PDF file the page goes into, from the save dialog; false when cancelled.
  bool AskPdfFile();
  QPrinter printer_;
  Outcome outcome_ = Outcome::Cancelled;
};

// File > Print and File > Printer Setup: the window created, shown modally and freed; its outcome.
Outcome ShowPrintWindow(QWidget* parent, bool setupMode);

}  // namespace qorva
