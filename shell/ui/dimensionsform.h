#pragma once
// dimensionsform: the dimensions form DimensionsForm: outer, inner and bending diameter, band thickness and
// width of the spring it is opened over, in the current length unit.

#include "shell/ui/inputforms.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qorva {

struct Spring;

class DimensionsForm : public InputForm {
  Q_OBJECT

 public:
  explicit DimensionsForm(Spring& s, QWidget* parent = nullptr);

  // The form's own steps, also for tests that drive it through its controls.
  void FillFields();
  void Button_dnClick();
  void Button_tClick();
  void Button_bClick();
  void Button_metricClick();
  void okButtonClicked();
  void calculateButtonClicked();

  QLabel* Label_de = nullptr;
  QLineEdit* Edit_de = nullptr;
  QLabel* Label_deu = nullptr;
  QLabel* Label_di = nullptr;
  QLineEdit* Edit_di = nullptr;
  QLabel* Label_diu = nullptr;
  QLabel* Label_dn = nullptr;
  QLineEdit* Edit_dn = nullptr;
  QLabel* Label_dnu = nullptr;
  QLabel* Label_t = nullptr;
  QLineEdit* Edit_t = nullptr;
  QLabel* Label_tu = nullptr;
  QLabel* Label_b = nullptr;
  QLineEdit* Edit_b = nullptr;
  QLabel* Label_bu = nullptr;
  QPushButton* Button_dn = nullptr;
  QPushButton* Button_t = nullptr;
  QPushButton* Button_b = nullptr;
  QPushButton* Button_metric = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPushButton* helpPictureButton = nullptr;
  QPushButton* calculateButton = nullptr;

 private:
  // The fields into the spring; true when a value changed.
  bool ReadFields();

  Spring& spring_;
  NumberField de_, di_, dn_, t_, b_;
};

// Shows the dimensions form of s modally over owner, ErrorFlag cleared first. Afterwards ErrorFlag
// tells whether Cancel or Esc ended it. Done after OK, Cancelled otherwise (also the close box).
Outcome ShowDimensionsForm(Spring& s, QWidget* owner);

}  // namespace qorva
