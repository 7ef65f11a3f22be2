#pragma once
// plotprogramwindow: the plot program's command-line window PlotProgramWindow. The user composes the line from
// the output format, the interface, scale, rotation, origin shift, text width and PostScript font;
// every change of a control builds the line anew with the CAD kernel's builder (quoted paths, the
// kernel's DXF work file). OK and the close box keep the line, Abbrechen drops it.

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qorva {

class PlotProgramWindow : public QDialog {
 public:
  explicit PlotProgramWindow(QWidget* parent = nullptr);

  // The line being composed; a preset stays until the first change of a control.
  std::string CommandLine;
  void SetCommandLine(const std::string& line);
  // Builds CommandLine from the controls and shows it.
  void BuildCommandLine();
  // True once the user pressed Abbrechen.
  bool Cancelled() const { return cancelled_; }

  QLineEdit* Edit_ventrixPath = nullptr;
  QPushButton* Button_ventrixpath = nullptr;
  QRadioButton* RadioGroup_outcode[5] = {};
  QRadioButton* RadioGroup_d[3] = {};
  QLineEdit* Edit_com = nullptr;
  QLineEdit* Edit_lpt = nullptr;
  QLineEdit* Edit_outdir = nullptr;
  QPushButton* Button_outDir = nullptr;
  QPushButton* Button_tempdir = nullptr;
  QLineEdit* Edit_scale = nullptr;
  QCheckBox* CheckBox_scale = nullptr;
  QCheckBox* CheckBox_rotate = nullptr;
  QLineEdit* Edit_xnull = nullptr;
  QLineEdit* Edit_ynull = nullptr;
  QLineEdit* textWidthFactorEdit = nullptr;
  QComboBox* ComboBox_psfont = nullptr;
  QLabel* Label_commandline = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;

 private:
  void applyRules();
  bool building_ = true;  // while the controls receive their start values
  bool cancelled_ = false;
};

// The shell's plot-program window: true when closed with OK or the close box (cmdLine then holds
// the new line), false when cancelled (cmdLine unchanged). It cannot fail.
bool EditVentrixCommandLine(std::string& cmdLine);

}  // namespace qorva
