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
  Label_F2 = NewLabel("Label_F2", std::string("Federkraft") + " F2");
  Edit_F2 = NewNumberEdit("Edit_F2");
  Label_f2u = NewLabel("Label_f2u", "");
  Label_sh = NewLabel("Label_sh", std::string("Federweg") + " s max");
  Edit_sh = NewNumberEdit("Edit_sh");
  Label_shu = NewLabel("Label_shu", "");
  Label_b_t = NewLabel("Label_b_t", "b / t");
  Edit_b_t = NewNumberEdit("Edit_b_t");
  Button_b_t = NewButton("Button_b_t", "<");
  Label_sigz_sig2 = NewLabel("Label_sigz_sig2", "Sigmaz / Sigma2");
  Edit_sigz_sig2 = NewNumberEdit("Edit_sigz_sig2");
  Button_sigz_sig2 = NewButton("Button_sigz_sig2", "<");
  grid->addWidget(Label_F2, 0, 0);
  grid->addWidget(Edit_F2, 0, 1);
  grid->addWidget(Label_f2u, 0, 2);
  grid->addWidget(Label_sh, 1, 0);
  grid->addWidget(Edit_sh, 1, 1);
  grid->addWidget(Label_shu, 1, 2);
  grid->addWidget(Label_b_t, 2, 0);
  grid->addWidget(Edit_b_t, 2, 1);
  grid->addWidget(Button_b_t, 2, 3);
  grid->addWidget(Label_sigz_sig2, 3, 0);
  grid->addWidget(Edit_sigz_sig2, 3, 1);
  grid->addWidget(Button_sigz_sig2, 3, 3);
  Button_metric = NewButton("Button_metric", "mm <--> inch");
  grid->addWidget(Button_metric, 4, 1, 1, 3);

  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  helpButton = NewHelpButton("helpButton", "&Hilfetext", 1000, 1, false);
  helpPictureButton = NewHelpButton("helpPictureButton", "?", 5020, 2, true);
  calculateButton = NewButton("calculateButton", "Calc");
  auto* buttons = ButtonRow({okButton, cancelButton, helpButton, helpPictureButton}, calculateButton);
  grid->addLayout(buttons, 5, 0, 1, 4);

  force_ = NumberField::Force(Edit_F2);
  travel_ = NumberField::Length(Edit_sh);
  widthRatio_ = NumberField::Plain(Edit_b_t);
  stressRatio_ = NumberField::Plain(Edit_sigz_sig2);
  SetHint(5110, {Label_F2, Edit_F2});
  SetHint(5120, {Label_sh, Edit_sh});
  SetHint(5130, {Label_b_t, Edit_b_t});
  SetHint(5140, {Label_sigz_sig2, Edit_sigz_sig2});

  connect(Button_b_t, &QPushButton::clicked, this, [this] { Button_b_tClick(); });
  connect(Button_sigz_sig2, &QPushButton::clicked, this, [this] { Button_sigz_sig2Click(); });
  connect(Button_metric, &QPushButton::clicked, this, [this] { Button_metricClick(); });
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
  Label_f2u->setText(dosToQString(ForceUnit()));
  Label_shu->setText(dosToQString(LengthUnit()));
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

void PredesignForm::Button_b_tClick() { Edit_b_t->setText("100"); }

void PredesignForm::Button_sigz_sig2Click() { Edit_sigz_sig2->setText(dosToQString(RealStr3(1.05L))); }

void PredesignForm::Button_metricClick() {
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
