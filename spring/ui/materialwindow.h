#pragma once
// materialwindow: the material window. The user chooses the strip material (a preferred material of the
// material table, any of them, or typed values of another material), the tolerance standard of the
// strip and its surface, for the spring the window is given. The shell opens it from Edit > Material
// with the spring's t and b; OK leaves ErrorFlag clear and the choices in the spring, Cancel sets it
// and reloads the material the spring had when the window opened.

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qorva {

struct Spring;

class MaterialWindow : public QDialog {
 public:
  MaterialWindow(Spring& s, long double t, long double b, QWidget* parent = nullptr);

  // The window's own steps, also for tests that drive it through its controls.
  void FormShow();
  void materialSourceRadioGroupClicked(int index);
  void materialComboBoxChanged();
  // A key typed on the material list: two digits in a row choose the row of that number (from 1).
  // True when the key was a digit.
  bool materialComboBoxKeyPressed(int key);
  void materialTableButtonClicked();
  void toleranceStandardComboBoxChanged();
  void okButtonClicked();
  void cancelButtonClicked();

  QRadioButton* materialSourceRadioGroup[3] = {};
  QComboBox* materialComboBox = nullptr;
  QPushButton* materialTableButton = nullptr;
  QGroupBox* materialValuesGroupBox = nullptr;
  QLineEdit* materialNameEdit = nullptr;
  QLineEdit* elasticModulusEdit = nullptr;
  QLineEdit* densityEdit = nullptr;
  QLineEdit* tensileStrengthEdit = nullptr;
  QLineEdit* permissibleStressEdit = nullptr;
  QComboBox* toleranceStandardComboBox = nullptr;
  QLabel* thicknessToleranceLabel = nullptr;
  QLabel* widthToleranceLabel = nullptr;
  QLineEdit* thicknessToleranceEdit = nullptr;
  QLineEdit* widthToleranceEdit = nullptr;
  QRadioButton* surfaceRadioGroup[4] = {};
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;  // Esc and the close box are Cancel

 private:
  int materialSource() const;
  void FillMaterialList();
  void ShowMaterialValues();
  void ShowTypedMaterial();
  void ShowTolerances();
  void StoreChoices();
  void EnableSource(int source);

  Spring& spring_;
  long double thickness_;
  long double width_;
  uint16_t shownMaterial_ = 0;
  bool shown_ = false;
  QString typedRow_;  // the digits typed on the list so far
};

// Edit > Material: shows the window modally for the spring s at its t and b. True after OK.
bool EditMaterial(Spring& s, QWidget* parent);

}  // namespace qorva
