#include "graphics/ui/diagramlimitsdialog.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilstr.h"
#include "graphics/diagramstate.h"

namespace qorva {

namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setGeometry(x, y, 97, 24);
  return e;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y) {
  auto* b = new QPushButton(dosToQString(text), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, y, 105, 28);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

DiagramLimitsDialog::DiagramLimitsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DiagramLimitsDialog"));
  setModal(true);
  resize(488, 375);

  // The group box stands for the diagram area; the edits sit at its corners.
  limitsGroupBox = new QGroupBox(this);
  limitsGroupBox->setObjectName(QStringLiteral("limitsGroupBox"));
  limitsGroupBox->setGeometry(120, 40, 300, 220);
  limitsGroupBox->setEnabled(false);
  yAxisLabel = new QLabel(this);
  yAxisLabel->setObjectName(QStringLiteral("yAxisLabel"));
  yAxisLabel->setGeometry(10, 14, 200, 20);
  yMaxEdit = MakeEdit(this, "yMaxEdit", 12, 40);
  yMinEdit = MakeEdit(this, "yMinEdit", 12, 236);
  xMinEdit = MakeEdit(this, "xMinEdit", 72, 268);
  xMaxEdit = MakeEdit(this, "xMaxEdit", 372, 268);
  xAxisLabel = new QLabel(this);
  xAxisLabel->setObjectName(QStringLiteral("xAxisLabel"));
  xAxisLabel->setGeometry(372, 296, 110, 20);

  calculateButton = MakeButton(this, "calculateButton", "Calculate", 12, 330);
  okButton = MakeButton(this, "okButton", "OK", 130, 330);
  cancelButton = MakeButton(this, "cancelButton", "Abbrechen", 248, 330);
  helpButton = MakeButton(this, "helpButton", "&Hilfetext", 366, 330);
  okButton->setDefault(true);

  setTabOrder(calculateButton, yMaxEdit);
  setTabOrder(yMaxEdit, yMinEdit);
  setTabOrder(yMinEdit, xMinEdit);
  setTabOrder(xMinEdit, xMaxEdit);
  setTabOrder(xMaxEdit, okButton);
  setTabOrder(okButton, cancelButton);
  setTabOrder(cancelButton, helpButton);

  connect(calculateButton, &QPushButton::clicked, this, [this] { calculateButtonClicked(); });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancelButtonClicked(); });
  connect(helpButton, &QPushButton::clicked, this, [this] { helpButtonClicked(); });

  ScaleCenterForm(this);
  setWindowTitle(dosToQString(programState.ProgName));
  // The last confirmed limits (0, 0, 1, 1 on first use).
  const auto& e = diagramState.DiagramEnteredLimits;
  xMinEdit->setText(dosToQString(RealStr3(e[0])));
  yMinEdit->setText(dosToQString(RealStr3(e[1])));
  xMaxEdit->setText(dosToQString(RealStr3(e[2])));
  yMaxEdit->setText(dosToQString(RealStr3(e[3])));
  calculateButton->setFocus();
}

void SetProposedLimits(DiagramLimitsDialog& form, long double xmin, long double ymin, long double xmax,
                       long double ymax) {
  form.ProposedXMin = xmin;
  form.ProposedYMin = ymin;
  form.ProposedXMax = xmax;
  form.ProposedYMax = ymax;
}

void DiagramLimitsDialog::calculateButtonClicked() {
  xMinEdit->setText(dosToQString(RealStr3(ProposedXMin)));
  yMinEdit->setText(dosToQString(RealStr3(ProposedYMin)));
  xMaxEdit->setText(dosToQString(RealStr3(ProposedXMax)));
  yMaxEdit->setText(dosToQString(RealStr3(ProposedYMax)));
}

void DiagramLimitsDialog::okButtonClicked() {
  auto& e = diagramState.DiagramEnteredLimits;
  e[0] = StrToReal(qStringToDos(xMinEdit->text()));
  e[1] = StrToReal(qStringToDos(yMinEdit->text()));
  e[2] = StrToReal(qStringToDos(xMaxEdit->text()));
  e[3] = StrToReal(qStringToDos(yMaxEdit->text()));
  accept();
}

void DiagramLimitsDialog::cancelButtonClicked() {
  programState.ErrorFlag = true;
  QDialog::reject();
}

void DiagramLimitsDialog::helpButtonClicked() {
  ShowHelpText(1950, "", 1);
  programState.ErrorFlag = false;
}

void DiagramLimitsDialog::reject() { QDialog::reject(); }

void DiagramLimitsDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    cancelButtonClicked();
    return;
  }
  QDialog::keyPressEvent(event);
}

void RunDiagramLimitsDialog(const DiagramLimitsRequest& request) {
  DiagramLimitsDialog form(GraphForm());
  SetProposedLimits(form, request.xmin, request.ymin, request.xmax, request.ymax);
  form.xAxisLabel->setText(dosToQString(request.xTitle));
  form.yAxisLabel->setText(dosToQString(request.yTitle));
  form.setWindowTitle(dosToQString(request.title));
  form.exec();
}

void InstallDiagramLimitsDialog(Services& s) { s.DiagramLimitsDialog = RunDiagramLimitsDialog; }

}  // namespace qorva
