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

  QLabel* Label1;
  QGroupBox* RadioGroup_janein;
  QRadioButton* Item_ja;
  QRadioButton* Item_nein;
  QPushButton* button_cancel;
  QPushButton* Button_hilfetext;
  QPushButton* Button_hilfebild;
  QPushButton* Button_ok;
};

}  // namespace qorva
