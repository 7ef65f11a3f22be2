#pragma once
// predesignform: the pre-design form PredesignForm: the wanted force and travel, the width-thickness ratio
// and the stress ratio, from which the pre-design derives the strip and the coil.

#include "shell/ui/inputforms.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qorva {

struct Spring;

class PredesignForm : public InputForm {
  Q_OBJECT

 public:
  explicit PredesignForm(Spring& s, QWidget* parent = nullptr);

  // The form's own steps, also for tests that drive it through its controls.
  // Force and travel in the current units, and the two ratios: those of the spring once it has a
  // thickness and a stress, else the stored ones.
  void FillFields();
  void Button_b_tClick();
  void Button_sigz_sig2Click();
  void Button_metricClick();
  void okButtonClicked();
  void calculateButtonClicked();

  QLabel* Label_F2 = nullptr;
  QLineEdit* Edit_F2 = nullptr;
  QLabel* Label_f2u = nullptr;
  QLabel* Label_sh = nullptr;
  QLineEdit* Edit_sh = nullptr;
  QLabel* Label_shu = nullptr;
  QLabel* Label_b_t = nullptr;
  QLineEdit* Edit_b_t = nullptr;
  QLabel* Label_sigz_sig2 = nullptr;
  QLineEdit* Edit_sigz_sig2 = nullptr;
  QPushButton* Button_b_t = nullptr;
  QPushButton* Button_sigz_sig2 = nullptr;
  QPushButton* Button_metric = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPushButton* helpPictureButton = nullptr;
  QPushButton* calculateButton = nullptr;

 private:
  // The fields into the spring; true when a value changed.
  bool ReadFields();
  void FillUnitFields();

  Spring& spring_;
  NumberField force_, travel_, widthRatio_, stressRatio_;
};

// Shows the pre-design form of s modally over owner, ErrorFlag cleared first. OK runs the
// pre-design. Afterwards ErrorFlag tells whether Cancel or Esc ended it. Done after OK, Cancelled
// otherwise (also the close box).
Outcome ShowPreDesignForm(Spring& s, QWidget* owner);

}  // namespace qorva
