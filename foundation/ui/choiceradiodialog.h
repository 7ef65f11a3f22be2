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

  // The entries become the radio buttons of choiceRadioGroup, which is (count + 1) * 25 pixels high.
  void setItems(const QStringList& items);
  void setItemIndex(int index);
  int itemIndex() const;  // -1 when none is checked

  QPushButton* cancelButton;
  QLabel* promptLabel;
  QPushButton* helpTextButton;
  QPushButton* helpPictureButton;
  QGroupBox* choiceRadioGroup;
  QPushButton* okButton;

 private:
  QStringList entries_;  // what the radio buttons show, kept with the form
  QButtonGroup* group_;
};

}  // namespace qorva
