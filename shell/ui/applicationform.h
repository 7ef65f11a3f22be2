#pragma once
// applicationform: the application form ApplicationForm: kind of loading, load-cycle frequency and operating
// temperature of the spring it is opened over.

#include "shell/ui/inputforms.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qorva {

class RadioGroup;
struct Spring;

class ApplicationForm : public InputForm {
  Q_OBJECT

 public:
  explicit ApplicationForm(Spring& s, QWidget* parent = nullptr);

  // The form's own steps, also for tests that drive it through its controls.
  void FormShow();
  void loadTypeRadioGroupClicked();
  void roomTemperatureButtonClicked();
  void okButtonClicked();
  void calculateButtonClicked();

  RadioGroup* loadTypeRadioGroup = nullptr;  // item 0 static or quasi-static, 1 dynamic
  QLabel* temperatureLabel = nullptr;
  QLineEdit* temperatureEdit = nullptr;
  QLabel* temperatureUnitLabel = nullptr;
  QLabel* loadFrequencyLabel = nullptr;
  QLineEdit* loadFrequencyEdit = nullptr;
  QLabel* loadFrequencyUnitLabel = nullptr;
  QPushButton* roomTemperatureButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpTextButton = nullptr;
  QPushButton* calculateButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The fields into the spring.
  void ReadFields();

  Spring& spring_;
  NumberField temperature_;
  NumberField frequency_;
};

// Shows the application form of s modally over owner, ErrorFlag cleared first. Afterwards ErrorFlag
// tells whether Cancel or Esc ended it. Done after OK, Cancelled otherwise (also the close box).
Outcome ShowApplicationForm(Spring& s, QWidget* owner);

}  // namespace qorva
