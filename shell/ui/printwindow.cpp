// printwindow: the print window.
#include "shell/ui/printwindow.h"

#include "foundation/filecheck.h"
#include "foundation/utilfile.h"

#include "platform/prompts.h"

#include "platform/sysname.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/textprompt.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilstr.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsstate.h"
#include "graphics/ui/graphicswindow.h"
#include "shell/helptopic.h"
#include "shell/printpreset.h"
#include "shell/ui/printerinfowindow.h"
#include "xbase/access/tableaccess.h"

namespace qorva {

namespace {

constexpr uint16_t kWindowTopic = 1030;
constexpr uint16_t kPresetTopic = 1040;

std::string Text(const QLineEdit* e) { return qStringToDos(e->text()); }

}  // namespace

PrintWindow::PrintWindow(QWidget* parent) : QDialog(parent), printer_(QPrinter::HighResolution) {
  setObjectName("PrintWindow");
  setWindowTitle("Ausdruck");
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto edit = [this, form](QLineEdit*& field, const char* name, const char* caption) {
    field = new QLineEdit(this);
    field->setObjectName(name);
    form->addRow(QString::fromUtf8(caption), field);
  };
  edit(scaleXEdit, "scaleXEdit", "Maßstab x");
  edit(scaleYEdit, "scaleYEdit", "Maßstab y");
  edit(originXEdit, "originXEdit", "Ursprung x");
  edit(originYEdit, "originYEdit", "Ursprung y");
  borderCheckBox = new QCheckBox("Umrandung", this);
  borderCheckBox->setObjectName("borderCheckBox");
  fitDrawingCheckBox = new QCheckBox("anpassen", this);
  fitDrawingCheckBox->setObjectName("fitDrawingCheckBox");
  form->addRow("", borderCheckBox);
  form->addRow("", fitDrawingCheckBox);
  column->addLayout(form);
  auto group = [this](QRadioButton** items, const char* title, std::initializer_list<const char*> captions) {
    auto* box = new QGroupBox(QString::fromUtf8(title), this);
    auto* lay = new QVBoxLayout(box);
    int i = 0;
    for (const char* c : captions) lay->addWidget(items[i++] = new QRadioButton(QString::fromUtf8(c), box));
    return box;
  };
  auto* groups = new QHBoxLayout;
  groups->addWidget(group(colorModeRadioGroup, "Schattierung", {"Monochrom", "Color / Graustufen"}));
  groups->addWidget(group(orientationRadioGroup, "Ausdruck", {"Hochformat", "Querformat"}));
  column->addLayout(groups);
  auto* printerRow = new QHBoxLayout;
  printerNameLabel = new QLabel(this);
  printerNameLabel->setObjectName("printerNameLabel");
  choosePrinterButton = new QPushButton("Drucker...", this);
  choosePrinterButton->setObjectName("choosePrinterButton");
  printerRow->addWidget(printerNameLabel, 1);
  printerRow->addWidget(choosePrinterButton);
  column->addLayout(printerRow);
  auto* buttons = new QHBoxLayout;
  auto button = [this, buttons](QPushButton*& field, const char* name, const char* caption) {
    field = AddDialogButton(this, buttons, name, QString::fromUtf8(caption));
  };
  button(loadPresetButton, "loadPresetButton", "Datenbank");
  button(savePresetButton, "savePresetButton", "Ü&bernehmen Datenbank");
  buttons->addStretch(1);
  button(okButton, "okButton", "OK");
  button(cancelButton, "cancelButton", "Abbrechen");
  button(helpButton, "helpButton", "&Hilfe");
  okButton->setDefault(true);
  column->addLayout(buttons);

  connect(loadPresetButton, &QPushButton::clicked, this, [this] { loadPresetButtonClicked(); });
  connect(savePresetButton, &QPushButton::clicked, this, [this] { savePresetButtonClicked(); });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] {
    programState.ErrorFlag = true;
    reject();
  });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(kWindowTopic, "", 1); });
  connect(choosePrinterButton, &QPushButton::clicked, this, [this] {
    QPrintDialog dialog(&printer_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    showPrinter();
    orientationRadioGroup[printer_.pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0]->setChecked(true);
  });

  ScaleCenterForm(this);
  PrintSettings& w = printSettings;
  bool portrait = w.PrintOrientation == 1;
  switch (w.SheetFormat) {
    case 0:
    case 1:
    case 3:
      w.PrintScaleX = w.DefaultPrintScaleX;
      w.PrintScaleY = w.DefaultPrintScaleY;
      w.PrintOriginX = w.DefaultPrintOriginX;
      w.PrintOriginY = w.DefaultPrintOriginY;
      w.PrintBorder = w.DefaultPrintBorder;
      break;
    case 2:  // an A4 portrait frame: true to scale on A4 paper
      w.PrintScaleX = 1.0;
      w.PrintScaleY = 1.0;
      w.PrintOriginX = 0;
      w.PrintOriginY = 0;
      w.PrintBorder = false;
      portrait = true;
      break;
    default:
      break;
  }
  scaleXEdit->setText(dosToQString(RealStr3(w.PrintScaleX)));
  scaleYEdit->setText(dosToQString(RealStr3(w.PrintScaleY)));
  originXEdit->setText(QString::number(w.PrintOriginX));
  originYEdit->setText(QString::number(w.PrintOriginY));
  borderCheckBox->setChecked(w.PrintBorder);
  colorModeRadioGroup[programState.PrintColorMode == 1 ? 0 : 1]->setChecked(true);
  orientationRadioGroup[portrait ? 0 : 1]->setChecked(true);
  printer_.setPageOrientation(portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
}

void PrintWindow::showPrinter() {
  const QString name = printer_.printerName().isEmpty() ? QString("PDF") : printer_.printerName();
  printerNameLabel->setText(name.rightJustified(40));
}

void PrintWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (SetupMode) return;
  showPrinter();
  printer_.setDocName(dosToQString(programState.CurrentFileName));
}

void PrintWindow::loadPresetButtonClicked() {
  if (!OpenPrintPresetTable()) return;
  DbfSetTitles("Printout", "");
  // A preset picked before is where the browse starts, while the table still holds it.
  if (printSettings.PrintPresetNo > 0 && printSettings.PrintPresetNo <= DbfRecCount()) DbfGoto(printSettings.PrintPresetNo);
  SetHelpTopic(kPresetTopic);
  DbfBrowse("", 0);
  if (!programState.ErrorFlag && DbfRecCount() > 0 && DbfRecNo() >= 1) {
    printSettings.PrintPresetNo = static_cast<uint16_t>(DbfRecNo());
    const PrintPreset p = ReadPrintPreset();
    scaleXEdit->setText(dosToQString(p.scaleX));
    scaleYEdit->setText(dosToQString(p.scaleY));
    originXEdit->setText(dosToQString(p.originX));
    originYEdit->setText(dosToQString(p.originY));
    orientationRadioGroup[p.landscape ? 1 : 0]->setChecked(true);
    colorModeRadioGroup[p.monochrome ? 0 : 1]->setChecked(true);
    fitDrawingCheckBox->setChecked(p.fit);
    borderCheckBox->setChecked(p.border);
  }
  DbfCloseTable();
  programState.ErrorFlag = false;
}

void PrintWindow::savePresetButtonClicked() {
  if (!OpenPrintPresetTable()) return;
  std::string name;
  AskText("Name", 25, name);
  if (!programState.ErrorFlag) {
    PrintPreset p;
    p.name = name;
    p.scaleX = Text(scaleXEdit);
    p.scaleY = Text(scaleYEdit);
    p.originX = Text(originXEdit);
    p.originY = Text(originYEdit);
    p.landscape = orientationRadioGroup[1]->isChecked();
    p.monochrome = colorModeRadioGroup[0]->isChecked();
    p.fit = fitDrawingCheckBox->isChecked();
    p.border = borderCheckBox->isChecked();
    AppendPrintPreset(p);
  }
  DbfCloseTable();
}

void PrintWindow::okButtonClicked() {
  programState.ErrorFlag = false;
  PrintSettings& w = printSettings;
  w.PrintScaleX = static_cast<double>(StrToReal(Text(scaleXEdit)));
  w.PrintScaleY = static_cast<double>(StrToReal(Text(scaleYEdit)));
  w.PrintOriginX = StrToInt0(Text(originXEdit));
  w.PrintOriginY = StrToInt0(Text(originYEdit));
  w.PrintBorder = borderCheckBox->isChecked();
  programState.PrintColorMode = colorModeRadioGroup[0]->isChecked() ? 1 : 2;
  const bool landscape = orientationRadioGroup[1]->isChecked();
  printer_.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer_.setColorMode(programState.PrintColorMode == 1 ? QPrinter::GrayScale : QPrinter::Color);
  if (SetupMode) {
    // The printer's facts need no print job: nothing is sent to the printer.
    PrinterInfoWindow info(printer_, this);
    info.exec();
  } else {
    if (fitDrawingCheckBox->isChecked()) {
      RestoreLimit();
      ResetZoom();
      ReSetWindow();
      ClearViewPort();
    }
    // Without a printer the page goes into a PDF file the user names.
    if (printer_.printerName().isEmpty() && printer_.outputFileName().isEmpty() && !AskPdfFile()) return;
    if (FKwengra) FKwengra->FormPaint();
    if (!PrintDisplayList(printer_)) {
      outcome_ = Outcome::Failed;
      accept();
      return;
    }
  }
  outcome_ = Outcome::Done;
  accept();
}

bool PrintWindow::AskPdfFile() {
  FileDialogRequest request;
  request.title = "PDF";
  request.startDir = SysName(RemoveTrailingSlash(programState.DataDir.empty() ? programState.StartDir : programState.DataDir));
  const std::string name = programState.CurrentFileName.empty() ? programState.ProgStem : FileBaseName(programState.CurrentFileName);
  request.fileName = SysName(name) + ".pdf";
  request.filter = "*.pdf";
  request.filterName = "PDF";
  const std::optional<std::string> chosen = prompter().saveFile(request);
  std::string file;
  if (!chosen || chosen->empty() || !ChosenFileName(*chosen, file)) {
    programState.ErrorFlag = true;
    return false;
  }
  if (LowerStr(FileExtOf(FileNameOf(file))) != "pdf") file += ".pdf";
  // An existing file is replaced only when the user says so, as for every output.
  CheckOutputFile(file);
  if (programState.ErrorFlag) return false;
  printer_.setOutputFormat(QPrinter::PdfFormat);
  printer_.setOutputFileName(QString::fromStdString(SysName(file)));
  return true;
}

Outcome ShowPrintWindow(QWidget* parent, bool setupMode) {
  PrintWindow form(parent);
  form.SetupMode = setupMode;
  form.exec();
  return form.outcome();
}

}  // namespace qorva
