// dimensionsform: the dimensions form.
#include "shell/ui/dimensionsform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "drawings/springviews.h"
#include "foundation/programstate.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilstr.h"
#include "spring/calculation.h"
#include "spring/spring.h"
#include "spring/striptolerances.h"

namespace qorva {

DimensionsForm::DimensionsForm(Spring& s, QWidget* parent) : InputForm(parent), spring_(s) {
  setObjectName("DimensionsForm");
  setWindowTitle(dosToQString(programState.ProgName));
  auto* grid = new QGridLayout(this);
  int row = 0;
  auto line = [&](QLabel*& label, const char* labelName, const std::string& caption, QLineEdit*& edit,
                  const char* editName, QLabel*& unit, const char* unitName, NumberField& field, uint16_t hint) {
    label = NewLabel(labelName, caption);
    edit = NewNumberEdit(editName);
    unit = NewLabel(unitName, "");
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(unit, row, 2);
    field = NumberField::Length(edit);
    SetHint(hint, {label, edit});
    ++row;
  };
  line(outerDiameterLabel, "outerDiameterLabel", std::string("Au\xE1" "endurchmesser") + " De", outerDiameterEdit, "outerDiameterEdit", outerDiameterUnitLabel,
       "outerDiameterUnitLabel", outerDiameter_, 5040);
  line(innerDiameterLabel, "innerDiameterLabel", std::string("Innendurchmesser") + " Di", innerDiameterEdit, "innerDiameterEdit", innerDiameterUnitLabel, "innerDiameterUnitLabel",
       innerDiameter_, 5050);
  line(bendingDiameterLabel, "bendingDiameterLabel", std::string("Durchmesser") + " Dn", bendingDiameterEdit, "bendingDiameterEdit", bendingDiameterUnitLabel, "bendingDiameterUnitLabel", bendingDiameter_,
       5060);
  line(thicknessLabel, "thicknessLabel", std::string("Dicke") + " t", thicknessEdit, "thicknessEdit", thicknessUnitLabel, "thicknessUnitLabel", thickness_, 5030);
  line(widthLabel, "widthLabel", std::string("Breite") + " b", widthEdit, "widthEdit", widthUnitLabel, "widthUnitLabel", width_, 5020);
  bendingDiameterFromInnerButton = NewButton("bendingDiameterFromInnerButton", "<");
  standardThicknessButton = NewButton("standardThicknessButton", "< ISO");
  standardWidthButton = NewButton("standardWidthButton", "< ISO");
  grid->addWidget(bendingDiameterFromInnerButton, 2, 3);
  grid->addWidget(standardThicknessButton, 3, 3);
  grid->addWidget(standardWidthButton, 4, 3);
  unitSystemButton = NewButton("unitSystemButton", "mm <--> inch");
  grid->addWidget(unitSystemButton, row++, 1, 1, 3);

  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  helpButton = NewHelpButton("helpButton", "&Hilfetext", 1000, 1, false);
  helpPictureButton = NewHelpButton("helpPictureButton", "?", 5020, 2, true);
  calculateButton = NewButton("calculateButton", "Calc");
  auto* buttons = ButtonRow({okButton, cancelButton, helpButton, helpPictureButton}, calculateButton);
  grid->addLayout(buttons, row, 0, 1, 4);

  connect(bendingDiameterFromInnerButton, &QPushButton::clicked, this, [this] { bendingDiameterFromInnerButtonClicked(); });
  connect(standardThicknessButton, &QPushButton::clicked, this, [this] { standardThicknessButtonClicked(); });
  connect(standardWidthButton, &QPushButton::clicked, this, [this] { standardWidthButtonClicked(); });
  connect(unitSystemButton, &QPushButton::clicked, this, [this] { unitSystemButtonClicked(); });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(calculateButton, &QPushButton::clicked, this, [this] { calculateButtonClicked(); });
  FillFields();
  resize(sizeHint());  // the design size that ScaleCenterForm scales
  ScaleCenterForm(this);
}

void DimensionsForm::FillFields() {
  const ProductData& q = spring_.product;
  const FamilyData& g = spring_.family;
  outerDiameter_.Fill(q.OuterDiameter);
  innerDiameter_.Fill(q.InnerDiameter);
  bendingDiameter_.Fill(q.BendingDiameter);
  thickness_.Fill(g.BandThickness);
  width_.Fill(g.BandWidth);
  const QString unit = dosToQString(LengthUnit());
  for (QLabel* l : {outerDiameterUnitLabel, innerDiameterUnitLabel, bendingDiameterUnitLabel, thicknessUnitLabel, widthUnitLabel}) l->setText(unit);
}

bool DimensionsForm::ReadFields() {
  ProductData& q = spring_.product;
  FamilyData& g = spring_.family;
  bool changed = outerDiameter_.ReadInto(q.OuterDiameter);
  changed |= innerDiameter_.ReadInto(q.InnerDiameter);
  changed |= bendingDiameter_.ReadInto(q.BendingDiameter);
  changed |= thickness_.ReadInto(g.BandThickness);
  changed |= width_.ReadInto(g.BandWidth);
  return changed;
}

void DimensionsForm::bendingDiameterFromInnerButtonClicked() { bendingDiameter_.CopyFrom(innerDiameter_); }

void DimensionsForm::standardThicknessButtonClicked() { thicknessEdit->setText(dosToQString(LengthStr(StandardThickness(0, thickness_.Value())))); }

// From 99 % of the entry: a width up to about 1 % above a standard width falls back to it.
void DimensionsForm::standardWidthButtonClicked() {
  widthEdit->setText(dosToQString(LengthStr(StandardWidth(0, 0.99L * width_.Value()))));
}

void DimensionsForm::unitSystemButtonClicked() {
  // The switch reads the fields into the spring, so what it read counts as a change of the input.
  if (ReadFields()) programState.InputModified = true;
  ToggleUnitSystem();
  FillFields();
}

void DimensionsForm::okButtonClicked() {
  programState.ErrorFlag = false;
  ReadFields();
  done(QDialog::Accepted);
}

void DimensionsForm::calculateButtonClicked() {
  Calculate(spring_, [this] { ReadFields(); }, [this] { CalcSpring(spring_); });
  programState.ErrorFlag = false;
}

Outcome ShowDimensionsForm(Spring& s, QWidget* owner) {
  programState.ErrorFlag = false;
  DimensionsForm form(s, owner);
  return form.exec() == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

}  // namespace qorva
