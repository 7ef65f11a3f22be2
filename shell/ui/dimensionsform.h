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
  void bendingDiameterFromInnerButtonClicked();
  void standardThicknessButtonClicked();
  void standardWidthButtonClicked();
  void unitSystemButtonClicked();
  void okButtonClicked();
  void calculateButtonClicked();

  QLabel* outerDiameterLabel = nullptr;
  QLineEdit* outerDiameterEdit = nullptr;
  QLabel* outerDiameterUnitLabel = nullptr;
  QLabel* innerDiameterLabel = nullptr;
  QLineEdit* innerDiameterEdit = nullptr;
  QLabel* innerDiameterUnitLabel = nullptr;
  QLabel* bendingDiameterLabel = nullptr;
  QLineEdit* bendingDiameterEdit = nullptr;
  QLabel* bendingDiameterUnitLabel = nullptr;
  QLabel* thicknessLabel = nullptr;
  QLineEdit* thicknessEdit = nullptr;
  QLabel* thicknessUnitLabel = nullptr;
  QLabel* widthLabel = nullptr;
  QLineEdit* widthEdit = nullptr;
  QLabel* widthUnitLabel = nullptr;
  QPushButton* bendingDiameterFromInnerButton = nullptr;
  QPushButton* standardThicknessButton = nullptr;
  QPushButton* standardWidthButton = nullptr;
  QPushButton* unitSystemButton = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPushButton* helpPictureButton = nullptr;
  QPushButton* calculateButton = nullptr;

 private:
  // The fields into the spring; true when a value changed.
  bool ReadFields();

  Spring& spring_;
  NumberField outerDiameter_, innerDiameter_, bendingDiameter_, thickness_, width_;
};

// Shows the dimensions form of s modally over owner, ErrorFlag cleared first. Afterwards ErrorFlag
// tells whether Cancel or Esc ended it. Done after OK, Cancelled otherwise (also the close box).
Outcome ShowDimensionsForm(Spring& s, QWidget* owner);

}  // namespace qorva
