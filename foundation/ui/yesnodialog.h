#pragma once
// yesnodialog (window part): the yes/no dialog.

#include "foundation/ui/promptdialog.h"

class QGroupBox;
class QLabel;
class QRadioButton;

namespace qorva {

class YesNoDialog : public PromptDialog {
  Q_OBJECT
 public:
  explicit YesNoDialog(QWidget* parent = nullptr);

  void setYes(bool yes);
  bool yes() const;  // the first item ("&Ja") is selected

  QLabel* promptLabel;
  QGroupBox* yesNoRadioGroup;
  QRadioButton* Item_ja;
  QRadioButton* Item_nein;
  QPushButton* cancelButton;
  QPushButton* helpTextButton;
  QPushButton* helpPictureButton;
  QPushButton* okButton;
};

}  // namespace qorva
