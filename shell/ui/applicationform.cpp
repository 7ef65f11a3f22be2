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

  loadTypeRadioGroup = new RadioGroup(dosToQString("Art der Beanspruchung"),
                                       {dosToQString("statisch oder quasistatisch"), dosToQString("dynamisch")}, this);
  loadTypeRadioGroup->setObjectName("loadTypeRadioGroup");
  grid->addWidget(loadTypeRadioGroup, 0, 0, 1, 4);

  temperatureLabel = NewLabel("temperatureLabel", "Betriebstemperatur");
  temperatureEdit = NewNumberEdit("temperatureEdit");
  temperatureUnitLabel = NewLabel("temperatureUnitLabel", TempUnit());
  roomTemperatureButton = NewButton("roomTemperatureButton", "<");
  loadFrequencyLabel = NewLabel("loadFrequencyLabel", "Lastspielfrequenz");
  loadFrequencyEdit = NewNumberEdit("loadFrequencyEdit");
  loadFrequencyUnitLabel = NewLabel("loadFrequencyUnitLabel", "1/s");
  grid->addWidget(temperatureLabel, 1, 0);
  grid->addWidget(temperatureEdit, 1, 1);
  grid->addWidget(temperatureUnitLabel, 1, 2);
  grid->addWidget(roomTemperatureButton, 1, 3);
  grid->addWidget(loadFrequencyLabel, 2, 0);
  grid->addWidget(loadFrequencyEdit, 2, 1);
  grid->addWidget(loadFrequencyUnitLabel, 2, 2);

  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  helpTextButton = NewHelpButton("helpTextButton", "?", 9020, 1, true);
  calculateButton = NewButton("calculateButton", "Calc");
  auto* buttons = ButtonRow({okButton, cancelButton, helpTextButton}, calculateButton);
  grid->addLayout(buttons, 3, 0, 1, 4);

  temperature_ = NumberField::Temperature(temperatureEdit);
  frequency_ = NumberField::Plain(loadFrequencyEdit);

  if (programState.HelpLevel > 0) {
    SetHint(5270, {loadTypeRadioGroup});
    SetHint(5350, {temperatureLabel, temperatureEdit});
    SetHint(5280, {loadFrequencyLabel, loadFrequencyEdit});
  }

  connect(loadTypeRadioGroup->Group(), &QButtonGroup::idClicked, this, [this] { loadTypeRadioGroupClicked(); });
  connect(roomTemperatureButton, &QPushButton::clicked, this, [this] { roomTemperatureButtonClicked(); });
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
  loadTypeRadioGroup->SetItemIndex(g.LoadType - 1);
  loadTypeRadioGroupClicked();
  temperatureUnitLabel->setText(dosToQString(TempUnit()));
  temperature_.Fill(g.OperatingTemperature);
  frequency_.Fill(g.LoadFrequency);
}

void ApplicationForm::loadTypeRadioGroupClicked() { loadFrequencyEdit->setEnabled(loadTypeRadioGroup->ItemIndex() == 1); }

void ApplicationForm::roomTemperatureButtonClicked() { temperatureEdit->setText(dosToQString(TempStr(20))); }

void ApplicationForm::ReadFields() {
  FamilyData& g = spring_.family;
  g.LoadType = static_cast<uint16_t>(loadTypeRadioGroup->ItemIndex() + 1);
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
