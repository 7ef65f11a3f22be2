// plotprogramwindow: the plot program's command-line window.
#include "shell/ui/plotprogramwindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "graphics/plotcommand.h"
#include "platform/prompts.h"
#include "platform/sysname.h"
#include "shell/help.h"
#include "shell/postscriptfonts.h"

namespace qorva {

namespace {

constexpr uint16_t kWindowTopic = 2055;

std::string Text(const QLineEdit* e) { return qStringToDos(e->text()); }

int Checked(QRadioButton* const* group, int n) {
  for (int i = 0; i < n; ++i)
    if (group[i]->isChecked()) return i;
  return 0;
}

// A field that holds no number counts as 0.
long double Number(const QLineEdit* e) {
  long double v = 0;
  return TryStrToReal(Text(e), v) ? v : 0;
}

}  // namespace

PlotProgramWindow::PlotProgramWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("PlotProgramWindow");
  setWindowTitle("VENTRIX");
  auto* column = new QVBoxLayout(this);
  auto edit = [this](QLineEdit*& field, const char* name, const std::string& start, uint16_t hint) {
    field = new QLineEdit(dosToQString(start), this);
    field->setObjectName(name);
    if (programState.HelpLevel > 0) field->setToolTip(QString::fromStdString(HelpTextStr(hint)));
    connect(field, &QLineEdit::textChanged, this, [this] { BuildCommandLine(); });
  };
  auto button = [this](QPushButton*& field, const char* name, const char* caption) {
    field = new QPushButton(QString::fromUtf8(caption), this);
    field->setObjectName(name);
    field->setAutoDefault(false);
  };
  auto group = [this](QRadioButton** items, const char* title, std::initializer_list<const char*> captions,
                      uint16_t hint) {
    auto* box = new QGroupBox(QString::fromUtf8(title), this);
    auto* lay = new QVBoxLayout(box);
    int i = 0;
    for (const char* c : captions) {
      items[i] = new QRadioButton(QString::fromUtf8(c), box);
      if (programState.HelpLevel > 0) items[i]->setToolTip(QString::fromStdString(HelpTextStr(hint)));
      connect(items[i], &QRadioButton::clicked, this, [this] { BuildCommandLine(); });
      lay->addWidget(items[i++]);
    }
    return box;
  };

  auto* form = new QFormLayout;
  auto* pathRow = new QHBoxLayout;
  edit(plotProgramPathEdit, "plotProgramPathEdit", "", 2080);  // no folder until the user sets one
  button(plotProgramBrowseButton, "plotProgramBrowseButton", "...");
  pathRow->addWidget(plotProgramPathEdit, 1);
  pathRow->addWidget(plotProgramBrowseButton);
  form->addRow("VENTRIX Programmverzeichnis", pathRow);
  column->addLayout(form);

  auto* groups = new QHBoxLayout;
  groups->addWidget(group(outputFormatRadioGroup, "Ausgabeformat",
                          {"HP-GL Laserjet (HPL)", "Postscript (PS)", "HP-GL Plotter (PLT)", "HP-GL/2 (PL2)",
                           "Aristo (ART)"},
                          2090));
  groups->addWidget(group(outputInterfaceRadioGroup, "Ausgabeschnittstelle", {"seriell", "parallel", "Datei"}, 2120));
  column->addLayout(groups);
  outputFormatRadioGroup[0]->setChecked(true);
  outputInterfaceRadioGroup[1]->setChecked(true);

  auto* values = new QFormLayout;
  edit(serialPortEdit, "serialPortEdit", "1", 2120);
  values->addRow("COM", serialPortEdit);
  edit(parallelPortEdit, "parallelPortEdit", "1", 2120);
  values->addRow("LPT", parallelPortEdit);
  auto* outRow = new QHBoxLayout;
  edit(outputFolderEdit, "outputFolderEdit", programState.TempDir, 2130);
  button(outputFolderBrowseButton, "outputFolderBrowseButton", "Dir...");
  button(tempFolderButton, "tempFolderButton", "<");
  outRow->addWidget(outputFolderEdit, 1);
  outRow->addWidget(outputFolderBrowseButton);
  outRow->addWidget(tempFolderButton);
  values->addRow("Ausgabeordner", outRow);
  auto* scaleRow = new QHBoxLayout;
  edit(scaleEdit, "scaleEdit", "1", 2140);
  scaleRow->addWidget(scaleEdit);
  scaleRow->addWidget(new QLabel(": 1", this));
  autoScaleCheckBox = new QCheckBox(QString::fromUtf8("Maßstab anpassen ?"), this);
  autoScaleCheckBox->setObjectName("autoScaleCheckBox");
  scaleRow->addWidget(autoScaleCheckBox);
  values->addRow(QString::fromUtf8("Maßstab"), scaleRow);
  rotatePlotCheckBox = new QCheckBox("Plot um 90 Grad drehen ?", this);
  rotatePlotCheckBox->setObjectName("rotatePlotCheckBox");
  values->addRow("", rotatePlotCheckBox);
  edit(originShiftXEdit, "originShiftXEdit", "0", 2150);
  values->addRow("Nullpunktverschiebung in x-Richtung", originShiftXEdit);
  edit(originShiftYEdit, "originShiftYEdit", "0", 2150);
  values->addRow("Nullpunktverschiebung in y-Richtung", originShiftYEdit);
  edit(textWidthFactorEdit, "textWidthFactorEdit", "1", 2160);
  values->addRow("Textbreitenfaktor", textWidthFactorEdit);
  postscriptFontComboBox = new QComboBox(this);
  postscriptFontComboBox->setObjectName("postscriptFontComboBox");
  postscriptFontComboBox->setEditable(true);
  for (std::string_view f : PostscriptFonts) postscriptFontComboBox->addItem(QString::fromUtf8(f.data(), static_cast<int>(f.size())));
  postscriptFontComboBox->setCurrentIndex(-1);
  postscriptFontComboBox->setEditText("");
  values->addRow("Postscript-Zeichensatz", postscriptFontComboBox);
  if (programState.HelpLevel > 0) {
    autoScaleCheckBox->setToolTip(QString::fromStdString(HelpTextStr(2140)));
    rotatePlotCheckBox->setToolTip(QString::fromStdString(HelpTextStr(2145)));
    postscriptFontComboBox->setToolTip(QString::fromStdString(HelpTextStr(2280)));
  }
  column->addLayout(values);

  column->addWidget(new QLabel("Command Line:", this));
  commandLineLabel = new QLabel(this);
  commandLineLabel->setObjectName("commandLineLabel");
  commandLineLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(commandLineLabel);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  button(okButton, "okButton", "OK");
  button(cancelButton, "cancelButton", "Abbrechen");
  button(helpButton, "helpButton", "&Hilfe");
  okButton->setDefault(true);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  buttons->addWidget(helpButton);
  column->addLayout(buttons);

  connect(autoScaleCheckBox, &QCheckBox::clicked, this, [this] { BuildCommandLine(); });
  connect(rotatePlotCheckBox, &QCheckBox::clicked, this, [this] { BuildCommandLine(); });
  connect(postscriptFontComboBox, &QComboBox::currentTextChanged, this, [this] { BuildCommandLine(); });
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, [this] {
    cancelled_ = true;
    reject();
  });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(kWindowTopic, "", 1); });
  connect(plotProgramBrowseButton, &QPushButton::clicked, this, [this] {
    FileDialogRequest r;
    r.title = "VENTRIX";
    r.startDir = SysName(FileDir(Text(plotProgramPathEdit)));
    std::string chosen;
    if (auto file = prompter().openFile(r); file && !file->empty() && ChosenFileName(*file, chosen))
      plotProgramPathEdit->setText(dosToQString(chosen));
  });
  connect(outputFolderBrowseButton, &QPushButton::clicked, this, [this] {
    std::string dir;
    AskDirectory(Text(outputFolderEdit), dir);
    if (programState.ErrorFlag) {
      programState.ErrorFlag = false;
      return;
    }
    outputFolderEdit->setText(dosToQString(dir));
  });
  connect(tempFolderButton, &QPushButton::clicked, this, [this] { outputFolderEdit->setText(dosToQString(programState.TempDir)); });

  ScaleCenterForm(this);
  building_ = false;
  BuildCommandLine();
}

void PlotProgramWindow::SetCommandLine(const std::string& line) {
  CommandLine = line;
  commandLineLabel->setText(dosToQString(line));
}

void PlotProgramWindow::applyRules() {
  const int d = Checked(outputInterfaceRadioGroup, 3);
  serialPortEdit->setEnabled(d == 0);
  parallelPortEdit->setEnabled(d == 1);
  outputFolderEdit->setEnabled(d == 2);
  postscriptFontComboBox->setEnabled(Checked(outputFormatRadioGroup, 5) == 1);
  if (autoScaleCheckBox->isChecked() && scaleEdit->text() != "0") {
    const QSignalBlocker quiet(scaleEdit);
    scaleEdit->setText("0");
  }
  scaleEdit->setEnabled(!autoScaleCheckBox->isChecked());
}

void PlotProgramWindow::BuildCommandLine() {
  if (building_) return;
  applyRules();
  // The window passes the number fields as the user typed them (a scale of 100.25 stays 100.25)
  // and puts the rotation after the shifts and the text width; the fields count as numbers only
  // for the tests whether a switch is needed at all.
  const uint16_t format = static_cast<uint16_t>(Checked(outputFormatRadioGroup, 5) + 1);
  const uint16_t iface = static_cast<uint16_t>(Checked(outputInterfaceRadioGroup, 3) + 1);
  // Without a path: this window's program, "WVENTRIX", by its name.
  const std::string program = Text(plotProgramPathEdit);
  std::string line = ShellQuote(!program.empty() ? program : VentrixProgramName(1));
  line += " " + ShellQuote(VentrixWorkFileArg());
  line += " /C" + VentrixFormatCode(format);
  if (iface == 1 || iface == 3) line += " /D" + IntStr(iface);
  if (iface != 3) {
    const long double port = Number(iface == 1 ? serialPortEdit : parallelPortEdit);
    if (port != 1) line += " /P" + IntStr(static_cast<int64_t>(port) + 1);
  } else if (!TrimStr(Text(outputFolderEdit)).empty()) {
    line += " /F" + ShellQuote(TrimAndAddSlash(Text(outputFolderEdit)) + "ventrix");
  }
  const long double scale = Number(scaleEdit);
  if (scale == 0) {
    line += " " + ShellQuote("/M*");  // "*" would be a file pattern to the shell
  } else if (scale != 1) {
    line += " /M" + ShellQuote(Text(scaleEdit));
  }
  if (Number(originShiftXEdit) != 0) line += " /X" + ShellQuote(Text(originShiftXEdit));
  if (Number(originShiftYEdit) != 0) line += " /Y" + ShellQuote(Text(originShiftYEdit));
  if (Number(textWidthFactorEdit) != 1) line += " /B" + ShellQuote(Text(textWidthFactorEdit));
  if (rotatePlotCheckBox->isChecked()) line += " /R";
  if (format == 2) {
    const std::string font = qStringToDos(postscriptFontComboBox->currentText());
    line += " /T" + (font.empty() ? std::string() : ShellQuote(font));
  }
  SetCommandLine(line);
}

bool EditVentrixCommandLine(std::string& cmdLine) {
  PlotProgramWindow form(GraphForm() ? GraphForm() : QApplication::activeWindow());
  form.SetCommandLine(cmdLine);
  form.exec();
  if (form.Cancelled()) return false;
  cmdLine = form.CommandLine;
  return true;
}

}  // namespace qorva
