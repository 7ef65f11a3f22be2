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

  QLineEdit* plotProgramPathEdit = nullptr;
  QPushButton* plotProgramBrowseButton = nullptr;
  QRadioButton* outputFormatRadioGroup[5] = {};
  QRadioButton* outputInterfaceRadioGroup[3] = {};
  QLineEdit* serialPortEdit = nullptr;
  QLineEdit* parallelPortEdit = nullptr;
  QLineEdit* outputFolderEdit = nullptr;
  QPushButton* outputFolderBrowseButton = nullptr;
  QPushButton* tempFolderButton = nullptr;
  QLineEdit* scaleEdit = nullptr;
  QCheckBox* autoScaleCheckBox = nullptr;
  QCheckBox* rotatePlotCheckBox = nullptr;
  QLineEdit* originShiftXEdit = nullptr;
  QLineEdit* originShiftYEdit = nullptr;
  QLineEdit* textWidthFactorEdit = nullptr;
  QComboBox* postscriptFontComboBox = nullptr;
  QLabel* commandLineLabel = nullptr;
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
