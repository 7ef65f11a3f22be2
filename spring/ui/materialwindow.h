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
  void RadioGroup_dbClick(int index);
  void ComboBox_dbChange();
  // A key typed on the material list: two digits in a row choose the row of that number (from 1).
  // True when the key was a digit.
  bool ComboBox_dbKey(int key);
  void Button_yebwstClick();
  void ComboBox_toltwChange();
  void okButtonClicked();
  void cancelButtonClicked();

  QRadioButton* RadioGroup_db[3] = {};
  QComboBox* ComboBox_db = nullptr;
  QPushButton* Button_yebwst = nullptr;
  QGroupBox* GroupBox_wst = nullptr;
  QLineEdit* Edit_name = nullptr;
  QLineEdit* Edit_emodul = nullptr;
  QLineEdit* Edit_dichte = nullptr;
  QLineEdit* Edit_rm = nullptr;
  QLineEdit* Edit_sigmaz = nullptr;
  QComboBox* ComboBox_toltw = nullptr;
  QLabel* Label_tolt = nullptr;
  QLabel* Label_tolw = nullptr;
  QLineEdit* Edit_tolt = nullptr;
  QLineEdit* Edit_tolw = nullptr;
  QRadioButton* RadioGroup_oberflach[4] = {};
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
  long double t_;
  long double b_;
  uint16_t shownMaterial_ = 0;
  bool shown_ = false;
  QString typedRow_;  // the digits typed on the list so far
};

// Edit > Material: shows the window modally for the spring s at its t and b. True after OK.
bool EditMaterial(Spring& s, QWidget* parent);

}  // namespace qorva
