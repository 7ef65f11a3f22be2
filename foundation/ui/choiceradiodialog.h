#pragma once
// choiceradiodialog (window part): the radio dialog of the choice prompt, used below 8 entries.

#include <QStringList>

#include "foundation/ui/promptdialog.h"

class QButtonGroup;
class QGroupBox;
class QLabel;

namespace qorva {

class ChoiceRadioDialog : public PromptDialog {
  Q_OBJECT
 public:
  explicit ChoiceRadioDialog(QWidget* parent = nullptr);

  // The entries become the radio buttons of RadioGroup1, which is (count + 1) * 25 pixels high.
  void setItems(const QStringList& items);
  void setItemIndex(int index);
  int itemIndex() const;  // -1 when none is checked

  QPushButton* button_cancel;
  QLabel* Label1;
  QPushButton* Button_hilfetext;
  QPushButton* Button_hilfebild;
  QGroupBox* RadioGroup1;
  QPushButton* Button_ok;

 private:
  QStringList entries_;  // what the radio buttons show, kept with the form
  QButtonGroup* group_;
};

}  // namespace qorva
