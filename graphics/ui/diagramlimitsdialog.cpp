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
  GroupBox1 = new QGroupBox(this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(120, 40, 300, 220);
  GroupBox1->setEnabled(false);
  Label_y = new QLabel(this);
  Label_y->setObjectName(QStringLiteral("Label_y"));
  Label_y->setGeometry(10, 14, 200, 20);
  Edit_ymax = MakeEdit(this, "Edit_ymax", 12, 40);
  Edit_ymin = MakeEdit(this, "Edit_ymin", 12, 236);
  Edit_xmin = MakeEdit(this, "Edit_xmin", 72, 268);
  Edit_xmax = MakeEdit(this, "Edit_xmax", 372, 268);
  Label_x = new QLabel(this);
  Label_x->setObjectName(QStringLiteral("Label_x"));
  Label_x->setGeometry(372, 296, 110, 20);

  Button_calc = MakeButton(this, "Button_calc", "Calculate", 12, 330);
  Button_ok = MakeButton(this, "Button_ok", "OK", 130, 330);
  Button_cancel = MakeButton(this, "Button_cancel", "Abbrechen", 248, 330);
  Button_help = MakeButton(this, "Button_help", "&Hilfetext", 366, 330);
  Button_ok->setDefault(true);

  setTabOrder(Button_calc, Edit_ymax);
  setTabOrder(Edit_ymax, Edit_ymin);
  setTabOrder(Edit_ymin, Edit_xmin);
  setTabOrder(Edit_xmin, Edit_xmax);
  setTabOrder(Edit_xmax, Button_ok);
  setTabOrder(Button_ok, Button_cancel);
  setTabOrder(Button_cancel, Button_help);

  connect(Button_calc, &QPushButton::clicked, this, [this] { Button_calcClick(); });
  connect(Button_ok, &QPushButton::clicked, this, [this] { Button_okClick(); });
  connect(Button_cancel, &QPushButton::clicked, this, [this] { Button_cancelClick(); });
  connect(Button_help, &QPushButton::clicked, this, [this] { Button_helpClick(); });

  ScaleCenterForm(this);
  setWindowTitle(dosToQString(programState.ProgName));
  // The last confirmed limits (0, 0, 1, 1 on first use).
  const auto& e = diagramState.DiagramEnteredLimits;
  Edit_xmin->setText(dosToQString(RealStr3(e[0])));
  Edit_ymin->setText(dosToQString(RealStr3(e[1])));
  Edit_xmax->setText(dosToQString(RealStr3(e[2])));
  Edit_ymax->setText(dosToQString(RealStr3(e[3])));
  Button_calc->setFocus();
}

void SetProposedLimits(DiagramLimitsDialog& form, long double xmin, long double ymin, long double xmax,
                       long double ymax) {
  form.ProposedXMin = xmin;
  form.ProposedYMin = ymin;
  form.ProposedXMax = xmax;
  form.ProposedYMax = ymax;
}

void DiagramLimitsDialog::Button_calcClick() {
  Edit_xmin->setText(dosToQString(RealStr3(ProposedXMin)));
  Edit_ymin->setText(dosToQString(RealStr3(ProposedYMin)));
  Edit_xmax->setText(dosToQString(RealStr3(ProposedXMax)));
  Edit_ymax->setText(dosToQString(RealStr3(ProposedYMax)));
}

void DiagramLimitsDialog::Button_okClick() {
  auto& e = diagramState.DiagramEnteredLimits;
  e[0] = StrToReal(qStringToDos(Edit_xmin->text()));
  e[1] = StrToReal(qStringToDos(Edit_ymin->text()));
  e[2] = StrToReal(qStringToDos(Edit_xmax->text()));
  e[3] = StrToReal(qStringToDos(Edit_ymax->text()));
  accept();
}

void DiagramLimitsDialog::Button_cancelClick() {
  programState.ErrorFlag = true;
  QDialog::reject();
}

void DiagramLimitsDialog::Button_helpClick() {
  ShowHelpText(1950, "", 1);
  programState.ErrorFlag = false;
}

void DiagramLimitsDialog::reject() { QDialog::reject(); }

void DiagramLimitsDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    Button_cancelClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

void RunDiagramLimitsDialog(const DiagramLimitsRequest& request) {
  DiagramLimitsDialog form(GraphForm());
  SetProposedLimits(form, request.xmin, request.ymin, request.xmax, request.ymax);
  form.Label_x->setText(dosToQString(request.xTitle));
  form.Label_y->setText(dosToQString(request.yTitle));
  form.setWindowTitle(dosToQString(request.title));
  form.exec();
}

void InstallDiagramLimitsDialog(Services& s) { s.DiagramLimitsDialog = RunDiagramLimitsDialog; }

}  // namespace qorva
