#pragma once
// choicelistdialog (window part): the list dialog of the choice prompt, used from 8 entries on.

#include "foundation/ui/promptdialog.h"

class QLabel;
class QListWidget;

namespace qorva {

class ChoiceListDialog : public PromptDialog {
  Q_OBJECT
 public:
  explicit ChoiceListDialog(QWidget* parent = nullptr);

  QPushButton* okButton;
  QListWidget* choiceList;
  QPushButton* cancelButton;
  QLabel* promptLabel;
  QPushButton* helpTextButton;
  QPushButton* helpPictureButton;

 protected:
  // Enter anywhere is OK, and OK whatever a help text left in ErrorFlag.
  void enterPressed() override;
};

}  // namespace qorva
