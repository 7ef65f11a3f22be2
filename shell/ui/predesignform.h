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
  void defaultWidthThicknessRatioButtonClicked();
  void defaultStressRatioButtonClicked();
  void unitSystemButtonClicked();
  void okButtonClicked();
  void calculateButtonClicked();

  QLabel* forceLabel = nullptr;
  QLineEdit* forceEdit = nullptr;
  QLabel* forceUnitLabel = nullptr;
  QLabel* travelLabel = nullptr;
  QLineEdit* travelEdit = nullptr;
  QLabel* travelUnitLabel = nullptr;
  QLabel* widthThicknessRatioLabel = nullptr;
  QLineEdit* widthThicknessRatioEdit = nullptr;
  QLabel* stressRatioLabel = nullptr;
  QLineEdit* stressRatioEdit = nullptr;
  QPushButton* defaultWidthThicknessRatioButton = nullptr;
  QPushButton* defaultStressRatioButton = nullptr;
  QPushButton* unitSystemButton = nullptr;
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
