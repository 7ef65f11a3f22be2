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
  line(Label_de, "Label_de", std::string("Au\xE1" "endurchmesser") + " De", Edit_de, "Edit_de", Label_deu,
       "Label_deu", de_, 5040);
  line(Label_di, "Label_di", std::string("Innendurchmesser") + " Di", Edit_di, "Edit_di", Label_diu, "Label_diu",
       di_, 5050);
  line(Label_dn, "Label_dn", std::string("Durchmesser") + " Dn", Edit_dn, "Edit_dn", Label_dnu, "Label_dnu", dn_,
       5060);
  line(Label_t, "Label_t", std::string("Dicke") + " t", Edit_t, "Edit_t", Label_tu, "Label_tu", t_, 5030);
  line(Label_b, "Label_b", std::string("Breite") + " b", Edit_b, "Edit_b", Label_bu, "Label_bu", b_, 5020);
  Button_dn = NewButton("Button_dn", "<");
  Button_t = NewButton("Button_t", "< ISO");
  Button_b = NewButton("Button_b", "< ISO");
  grid->addWidget(Button_dn, 2, 3);
  grid->addWidget(Button_t, 3, 3);
  grid->addWidget(Button_b, 4, 3);
  Button_metric = NewButton("Button_metric", "mm <--> inch");
  grid->addWidget(Button_metric, row++, 1, 1, 3);

  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  helpButton = NewHelpButton("helpButton", "&Hilfetext", 1000, 1, false);
  helpPictureButton = NewHelpButton("helpPictureButton", "?", 5020, 2, true);
  calculateButton = NewButton("calculateButton", "Calc");
  auto* buttons = ButtonRow({okButton, cancelButton, helpButton, helpPictureButton}, calculateButton);
  grid->addLayout(buttons, row, 0, 1, 4);

  connect(Button_dn, &QPushButton::clicked, this, [this] { Button_dnClick(); });
  connect(Button_t, &QPushButton::clicked, this, [this] { Button_tClick(); });
  connect(Button_b, &QPushButton::clicked, this, [this] { Button_bClick(); });
  connect(Button_metric, &QPushButton::clicked, this, [this] { Button_metricClick(); });
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
  de_.Fill(q.OuterDiameter);
  di_.Fill(q.InnerDiameter);
  dn_.Fill(q.BendingDiameter);
  t_.Fill(g.BandThickness);
  b_.Fill(g.BandWidth);
  const QString unit = dosToQString(LengthUnit());
  for (QLabel* l : {Label_deu, Label_diu, Label_dnu, Label_tu, Label_bu}) l->setText(unit);
}

bool DimensionsForm::ReadFields() {
  ProductData& q = spring_.product;
  FamilyData& g = spring_.family;
  bool changed = de_.ReadInto(q.OuterDiameter);
  changed |= di_.ReadInto(q.InnerDiameter);
  changed |= dn_.ReadInto(q.BendingDiameter);
  changed |= t_.ReadInto(g.BandThickness);
  changed |= b_.ReadInto(g.BandWidth);
  return changed;
}

void DimensionsForm::Button_dnClick() { dn_.CopyFrom(di_); }

void DimensionsForm::Button_tClick() { Edit_t->setText(dosToQString(LengthStr(StandardThickness(0, t_.Value())))); }

// From 99 % of the entry: a width up to about 1 % above a standard width falls back to it.
void DimensionsForm::Button_bClick() {
  Edit_b->setText(dosToQString(LengthStr(StandardWidth(0, 0.99L * b_.Value()))));
}

void DimensionsForm::Button_metricClick() {
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
