// applicationform: the application form.
#include "shell/ui/applicationform.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "drawings/springviews.h"
#include "foundation/programstate.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilstr.h"
#include "shell/ui/settingswindow.h"
#include "spring/calculation.h"
#include "spring/spring.h"

namespace qorva {

ApplicationForm::ApplicationForm(Spring& s, QWidget* parent) : InputForm(parent), spring_(s) {
  setObjectName("ApplicationForm");
  setWindowTitle(dosToQString(programState.ProgName + " " + "Anwendung"));
  auto* grid = new QGridLayout(this);

  RadioGroup_statdyn = new RadioGroup(dosToQString("Art der Beanspruchung"),
                                       {dosToQString("statisch oder quasistatisch"), dosToQString("dynamisch")}, this);
  RadioGroup_statdyn->setObjectName("RadioGroup_statdyn");
  grid->addWidget(RadioGroup_statdyn, 0, 0, 1, 4);

  Label_temperatur = NewLabel("Label_temperatur", "Betriebstemperatur");
  Edit_temperatur = NewNumberEdit("Edit_temperatur");
  Label_tempu = NewLabel("Label_tempu", TempUnit());
  Button_temp = NewButton("Button_temp", "<");
  Label_freq = NewLabel("Label_freq", "Lastspielfrequenz");
  Edit_freq = NewNumberEdit("Edit_freq");
  Label1 = NewLabel("Label1", "1/s");
  grid->addWidget(Label_temperatur, 1, 0);
  grid->addWidget(Edit_temperatur, 1, 1);
  grid->addWidget(Label_tempu, 1, 2);
  grid->addWidget(Button_temp, 1, 3);
  grid->addWidget(Label_freq, 2, 0);
  grid->addWidget(Edit_freq, 2, 1);
  grid->addWidget(Label1, 2, 2);

  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  helpTextButton = NewHelpButton("helpTextButton", "?", 9020, 1, true);
  calculateButton = NewButton("calculateButton", "Calc");
  auto* buttons = ButtonRow({okButton, cancelButton, helpTextButton}, calculateButton);
  grid->addLayout(buttons, 3, 0, 1, 4);

  temperature_ = NumberField::Temperature(Edit_temperatur);
  frequency_ = NumberField::Plain(Edit_freq);

  if (programState.HelpLevel > 0) {
    SetHint(5270, {RadioGroup_statdyn});
    SetHint(5350, {Label_temperatur, Edit_temperatur});
    SetHint(5280, {Label_freq, Edit_freq});
  }

  connect(RadioGroup_statdyn->Group(), &QButtonGroup::idClicked, this, [this] { RadioGroup_statdynClick(); });
  connect(Button_temp, &QPushButton::clicked, this, [this] { Button_tempClick(); });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(calculateButton, &QPushButton::clicked, this, [this] { calculateButtonClicked(); });
  resize(sizeHint());  // the design size that ScaleCenterForm scales
  ScaleCenterForm(this);
}

void ApplicationForm::showEvent(QShowEvent* event) {
  // Filled when shown by its caller, not again when the window system shows it once more.
  if (!event->spontaneous()) FormShow();
  InputForm::showEvent(event);
}

void ApplicationForm::FormShow() {
  const FamilyData& g = spring_.family;
  RadioGroup_statdyn->SetItemIndex(g.LoadType - 1);
  RadioGroup_statdynClick();
  Label_tempu->setText(dosToQString(TempUnit()));
  temperature_.Fill(g.OperatingTemperature);
  frequency_.Fill(g.LoadFrequency);
}

void ApplicationForm::RadioGroup_statdynClick() { Edit_freq->setEnabled(RadioGroup_statdyn->ItemIndex() == 1); }

void ApplicationForm::Button_tempClick() { Edit_temperatur->setText(dosToQString(TempStr(20))); }

void ApplicationForm::ReadFields() {
  FamilyData& g = spring_.family;
  g.LoadType = static_cast<uint16_t>(RadioGroup_statdyn->ItemIndex() + 1);
  temperature_.ReadInto(g.OperatingTemperature);
  // Read also while disabled: a static load keeps the frequency it had.
  frequency_.ReadInto(g.LoadFrequency);
}

void ApplicationForm::okButtonClicked() {
  programState.ErrorFlag = false;
  ReadFields();
  done(QDialog::Accepted);
}

void ApplicationForm::calculateButtonClicked() { Calculate(spring_, [this] { ReadFields(); }, [this] { CalcSpring(spring_); }); }

Outcome ShowApplicationForm(Spring& s, QWidget* owner) {
  programState.ErrorFlag = false;
  ApplicationForm form(s, owner);
  return form.exec() == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

}  // namespace qorva
