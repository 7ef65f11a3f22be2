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
  edit(Edit_ventrixPath, "Edit_ventrixPath", "", 2080);  // no folder until the user sets one
  button(Button_ventrixpath, "Button_ventrixpath", "...");
  pathRow->addWidget(Edit_ventrixPath, 1);
  pathRow->addWidget(Button_ventrixpath);
  form->addRow("VENTRIX Programmverzeichnis", pathRow);
  column->addLayout(form);

  auto* groups = new QHBoxLayout;
  groups->addWidget(group(RadioGroup_outcode, "Ausgabeformat",
                          {"HP-GL Laserjet (HPL)", "Postscript (PS)", "HP-GL Plotter (PLT)", "HP-GL/2 (PL2)",
                           "Aristo (ART)"},
                          2090));
  groups->addWidget(group(RadioGroup_d, "Ausgabeschnittstelle", {"seriell", "parallel", "Datei"}, 2120));
  column->addLayout(groups);
  RadioGroup_outcode[0]->setChecked(true);
  RadioGroup_d[1]->setChecked(true);

  auto* values = new QFormLayout;
  edit(Edit_com, "Edit_com", "1", 2120);
  values->addRow("COM", Edit_com);
  edit(Edit_lpt, "Edit_lpt", "1", 2120);
  values->addRow("LPT", Edit_lpt);
  auto* outRow = new QHBoxLayout;
  edit(Edit_outdir, "Edit_outdir", programState.TempDir, 2130);
  button(Button_outDir, "Button_outDir", "Dir...");
  button(Button_tempdir, "Button_tempdir", "<");
  outRow->addWidget(Edit_outdir, 1);
  outRow->addWidget(Button_outDir);
  outRow->addWidget(Button_tempdir);
  values->addRow("Ausgabeordner", outRow);
  auto* scaleRow = new QHBoxLayout;
  edit(Edit_scale, "Edit_scale", "1", 2140);
  scaleRow->addWidget(Edit_scale);
  scaleRow->addWidget(new QLabel(": 1", this));
  CheckBox_scale = new QCheckBox(QString::fromUtf8("Maßstab anpassen ?"), this);
  CheckBox_scale->setObjectName("CheckBox_scale");
  scaleRow->addWidget(CheckBox_scale);
  values->addRow(QString::fromUtf8("Maßstab"), scaleRow);
  CheckBox_rotate = new QCheckBox("Plot um 90 Grad drehen ?", this);
  CheckBox_rotate->setObjectName("CheckBox_rotate");
  values->addRow("", CheckBox_rotate);
  edit(Edit_xnull, "Edit_xnull", "0", 2150);
  values->addRow("Nullpunktverschiebung in x-Richtung", Edit_xnull);
  edit(Edit_ynull, "Edit_ynull", "0", 2150);
  values->addRow("Nullpunktverschiebung in y-Richtung", Edit_ynull);
  edit(textWidthFactorEdit, "textWidthFactorEdit", "1", 2160);
  values->addRow("Textbreitenfaktor", textWidthFactorEdit);
  ComboBox_psfont = new QComboBox(this);
  ComboBox_psfont->setObjectName("ComboBox_psfont");
  ComboBox_psfont->setEditable(true);
  for (std::string_view f : PostscriptFonts) ComboBox_psfont->addItem(QString::fromUtf8(f.data(), static_cast<int>(f.size())));
  ComboBox_psfont->setCurrentIndex(-1);
  ComboBox_psfont->setEditText("");
  values->addRow("Postscript-Zeichensatz", ComboBox_psfont);
  if (programState.HelpLevel > 0) {
    CheckBox_scale->setToolTip(QString::fromStdString(HelpTextStr(2140)));
    CheckBox_rotate->setToolTip(QString::fromStdString(HelpTextStr(2145)));
    ComboBox_psfont->setToolTip(QString::fromStdString(HelpTextStr(2280)));
  }
  column->addLayout(values);

  column->addWidget(new QLabel("Command Line:", this));
  Label_commandline = new QLabel(this);
  Label_commandline->setObjectName("Label_commandline");
  Label_commandline->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(Label_commandline);

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

  connect(CheckBox_scale, &QCheckBox::clicked, this, [this] { BuildCommandLine(); });
  connect(CheckBox_rotate, &QCheckBox::clicked, this, [this] { BuildCommandLine(); });
  connect(ComboBox_psfont, &QComboBox::currentTextChanged, this, [this] { BuildCommandLine(); });
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, [this] {
    cancelled_ = true;
    reject();
  });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(kWindowTopic, "", 1); });
  connect(Button_ventrixpath, &QPushButton::clicked, this, [this] {
    FileDialogRequest r;
    r.title = "VENTRIX";
    r.startDir = SysName(FileDir(Text(Edit_ventrixPath)));
    std::string chosen;
    if (auto file = prompter().openFile(r); file && !file->empty() && ChosenFileName(*file, chosen))
      Edit_ventrixPath->setText(dosToQString(chosen));
  });
  connect(Button_outDir, &QPushButton::clicked, this, [this] {
    std::string dir;
    AskDirectory(Text(Edit_outdir), dir);
    if (programState.ErrorFlag) {
      programState.ErrorFlag = false;
      return;
    }
    Edit_outdir->setText(dosToQString(dir));
  });
  connect(Button_tempdir, &QPushButton::clicked, this, [this] { Edit_outdir->setText(dosToQString(programState.TempDir)); });

  ScaleCenterForm(this);
  building_ = false;
  BuildCommandLine();
}

void PlotProgramWindow::SetCommandLine(const std::string& line) {
  CommandLine = line;
  Label_commandline->setText(dosToQString(line));
}

void PlotProgramWindow::applyRules() {
  const int d = Checked(RadioGroup_d, 3);
  Edit_com->setEnabled(d == 0);
  Edit_lpt->setEnabled(d == 1);
  Edit_outdir->setEnabled(d == 2);
  ComboBox_psfont->setEnabled(Checked(RadioGroup_outcode, 5) == 1);
  if (CheckBox_scale->isChecked() && Edit_scale->text() != "0") {
    const QSignalBlocker quiet(Edit_scale);
    Edit_scale->setText("0");
  }
  Edit_scale->setEnabled(!CheckBox_scale->isChecked());
}

void PlotProgramWindow::BuildCommandLine() {
  if (building_) return;
  applyRules();
  // The window passes the number fields as the user typed them (a scale of 100.25 stays 100.25)
  // and puts the rotation after the shifts and the text width; the fields count as numbers only
  // for the tests whether a switch is needed at all.
  const uint16_t format = static_cast<uint16_t>(Checked(RadioGroup_outcode, 5) + 1);
  const uint16_t iface = static_cast<uint16_t>(Checked(RadioGroup_d, 3) + 1);
  // Without a path: this window's program, "WVENTRIX", by its name.
  const std::string program = Text(Edit_ventrixPath);
  std::string line = ShellQuote(!program.empty() ? program : VentrixProgramName(1));
  line += " " + ShellQuote(VentrixWorkFileArg());
  line += " /C" + VentrixFormatCode(format);
  if (iface == 1 || iface == 3) line += " /D" + IntStr(iface);
  if (iface != 3) {
    const long double port = Number(iface == 1 ? Edit_com : Edit_lpt);
    if (port != 1) line += " /P" + IntStr(static_cast<int64_t>(port) + 1);
  } else if (!TrimStr(Text(Edit_outdir)).empty()) {
    line += " /F" + ShellQuote(AddBackslash(Text(Edit_outdir)) + "ventrix");
  }
  const long double scale = Number(Edit_scale);
  if (scale == 0) {
    line += " " + ShellQuote("/M*");  // "*" would be a file pattern to the shell
  } else if (scale != 1) {
    line += " /M" + ShellQuote(Text(Edit_scale));
  }
  if (Number(Edit_xnull) != 0) line += " /X" + ShellQuote(Text(Edit_xnull));
  if (Number(Edit_ynull) != 0) line += " /Y" + ShellQuote(Text(Edit_ynull));
  if (Number(textWidthFactorEdit) != 1) line += " /B" + ShellQuote(Text(textWidthFactorEdit));
  if (CheckBox_rotate->isChecked()) line += " /R";
  if (format == 2) {
    const std::string font = qStringToDos(ComboBox_psfont->currentText());
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
