#pragma once
// diagramlimitsdialog: the diagram limits dialog. Shows diagramState.DiagramEnteredLimits, offers the proposed
// limits through "Calculate", stores the typed limits on OK and sets programState.ErrorFlag on cancel.

#include <QDialog>

#include <string>

#include "graphics/diagrams.h"
#include "platform/services.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qorva {

class DiagramLimitsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DiagramLimitsDialog(QWidget* parent = nullptr);

  QGroupBox* limitsGroupBox;
  QLineEdit* yMaxEdit;
  QLineEdit* yMinEdit;
  QLineEdit* xMinEdit;
  QLineEdit* xMaxEdit;
  QLabel* yAxisLabel;
  QLabel* xAxisLabel;
  QPushButton* okButton;
  QPushButton* cancelButton;
  QPushButton* helpButton;
  QPushButton* calculateButton;

  long double ProposedXMin = 0.0L;
  long double ProposedYMin = 0.0L;
  long double ProposedXMax = 1.0L;
  long double ProposedYMax = 1.0L;

  void calculateButtonClicked();
  void okButtonClicked();
  void cancelButtonClicked();
  void helpButtonClicked();

 public slots:
  // The window's close button: neither OK nor Cancel, the entered limits stay as they were.
  void reject() override;

 protected:
  // Esc is Cancel.
  void keyPressEvent(QKeyEvent* event) override;
};

void SetProposedLimits(DiagramLimitsDialog& form, long double xmin, long double ymin, long double xmax,
                       long double ymax);
// Shows the dialog modally for one DiagramAxes call (the hook of diagrams).
void RunDiagramLimitsDialog(const DiagramLimitsRequest& request);
// Puts RunDiagramLimitsDialog into s as the diagrams' limits dialog.
void InstallDiagramLimitsDialog(Services& s);

}  // namespace qorva
