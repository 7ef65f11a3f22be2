// predesignform: the pre-design form.
#include "shell/ui/predesignform.h"

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

namespace qorva {

PredesignForm::PredesignForm(Spring& s, QWidget* parent) : InputForm(parent), spring_(s) {
  setObjectName("PredesignForm");
  setWindowTitle(dosToQString(programState.ProgName));
  auto* grid = new QGridLayout(this);
  forceLabel = NewLabel("forceLabel", std::string("Federkraft") + " F2");
  forceEdit = NewNumberEdit("forceEdit");
  forceUnitLabel = NewLabel("forceUnitLabel", "");
  travelLabel = NewLabel("travelLabel", std::string("Federweg") + " s max");
  travelEdit = NewNumberEdit("travelEdit");
  travelUnitLabel = NewLabel("travelUnitLabel", "");
  widthThicknessRatioLabel = NewLabel("widthThicknessRatioLabel", "b / t");
  widthThicknessRatioEdit = NewNumberEdit("widthThicknessRatioEdit");
  defaultWidthThicknessRatioButton = NewButton("defaultWidthThicknessRatioButton", "<");
  stressRatioLabel = NewLabel("stressRatioLabel", "Sigmaz / Sigma2");
  stressRatioEdit = NewNumberEdit("stressRatioEdit");
  defaultStressRatioButton = NewButton("defaultStressRatioButton", "<");
  grid->addWidget(forceLabel, 0, 0);
  grid->addWidget(forceEdit, 0, 1);
  grid->addWidget(forceUnitLabel, 0, 2);
  grid->addWidget(travelLabel, 1, 0);
  grid->addWidget(travelEdit, 1, 1);
  grid->addWidget(travelUnitLabel, 1, 2);
  grid->addWidget(widthThicknessRatioLabel, 2, 0);
  grid->addWidget(widthThicknessRatioEdit, 2, 1);
  grid->addWidget(defaultWidthThicknessRatioButton, 2, 3);
  grid->addWidget(stressRatioLabel, 3, 0);
  grid->addWidget(stressRatioEdit, 3, 1);
  grid->addWidget(defaultStressRatioButton, 3, 3);
  unitSystemButton = NewButton("unitSystemButton", "mm <--> inch");
  grid->addWidget(unitSystemButton, 4, 1, 1, 3);

  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  helpButton = NewHelpButton("helpButton", "&Hilfetext", 1000, 1, false);
  helpPictureButton = NewHelpButton("helpPictureButton", "?", 5020, 2, true);
  calculateButton = NewButton("calculateButton", "Calc");
  auto* buttons = ButtonRow({okButton, cancelButton, helpButton, helpPictureButton}, calculateButton);
  grid->addLayout(buttons, 5, 0, 1, 4);

  force_ = NumberField::Force(forceEdit);
  travel_ = NumberField::Length(travelEdit);
  widthRatio_ = NumberField::Plain(widthThicknessRatioEdit);
  stressRatio_ = NumberField::Plain(stressRatioEdit);
  SetHint(5110, {forceLabel, forceEdit});
  SetHint(5120, {travelLabel, travelEdit});
  SetHint(5130, {widthThicknessRatioLabel, widthThicknessRatioEdit});
  SetHint(5140, {stressRatioLabel, stressRatioEdit});

  connect(defaultWidthThicknessRatioButton, &QPushButton::clicked, this, [this] { defaultWidthThicknessRatioButtonClicked(); });
  connect(defaultStressRatioButton, &QPushButton::clicked, this, [this] { defaultStressRatioButtonClicked(); });
  connect(unitSystemButton, &QPushButton::clicked, this, [this] { unitSystemButtonClicked(); });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(calculateButton, &QPushButton::clicked, this, [this] { calculateButtonClicked(); });
  FillFields();
  resize(sizeHint());  // the design size that ScaleCenterForm scales
  ScaleCenterForm(this);
}

void PredesignForm::FillUnitFields() {
  force_.Fill(spring_.product.Force2);
  travel_.Fill(spring_.product.Travel2);
  forceUnitLabel->setText(dosToQString(ForceUnit()));
  travelUnitLabel->setText(dosToQString(LengthUnit()));
}

void PredesignForm::FillFields() {
  const ProductData& q = spring_.product;
  const FamilyData& g = spring_.family;
  FillUnitFields();
  widthRatio_.Fill(g.BandThickness > 0 ? g.BandWidth / g.BandThickness : q.WidthThicknessRatio);
  stressRatio_.Fill(g.Stress2 > 0 ? g.PermissibleStress / g.Stress2 : q.StressRatio);
}

bool PredesignForm::ReadFields() {
  ProductData& q = spring_.product;
  bool changed = force_.ReadInto(q.Force2);
  changed |= travel_.ReadInto(q.Travel2);
  changed |= widthRatio_.ReadInto(q.WidthThicknessRatio);
  changed |= stressRatio_.ReadInto(q.StressRatio);
  return changed;
}

void PredesignForm::defaultWidthThicknessRatioButtonClicked() { widthThicknessRatioEdit->setText("100"); }

void PredesignForm::defaultStressRatioButtonClicked() { stressRatioEdit->setText(dosToQString(RealStr3(1.05L))); }

void PredesignForm::unitSystemButtonClicked() {
  // The switch reads the fields into the spring, so what it read counts as a change of the input.
  if (ReadFields()) programState.InputModified = true;
  ToggleUnitSystem();
  // The ratios have no unit: they keep what the user typed, not the ratios of the spring.
  FillUnitFields();
}

void PredesignForm::okButtonClicked() {
  programState.ErrorFlag = false;
  ReadFields();
  PreDesign(spring_);
  done(QDialog::Accepted);
}

void PredesignForm::calculateButtonClicked() {
  // The fields hold what the user wants (force, travel, ratios): they stay as typed, so that OK
  // designs from them again and not from the results of this design (a travel of 500 that the
  // whole-millimetre strip length makes 499.9).
  Calculate(spring_, [this] { ReadFields(); }, [this] { PreDesign(spring_); });
  programState.ErrorFlag = false;
}

Outcome ShowPreDesignForm(Spring& s, QWidget* owner) {
  programState.ErrorFlag = false;
  PredesignForm form(s, owner);
  return form.exec() == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

}  // namespace qorva
