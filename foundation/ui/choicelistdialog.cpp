#include "foundation/ui/choicelistdialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/programstate.h"

namespace qorva {

ChoiceListDialog::ChoiceListDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("ChoiceListDialog", "Auswahl", true, promptLabel);
  choiceList = new QListWidget(this);
  choiceList->setObjectName(QStringLiteral("choiceList"));
  choiceList->setMinimumSize(385, 161);
  layout->addWidget(choiceList, 1);
  layout->addLayout(makeButtons("okButton", "cancelButton"));
  okButton = okButton_;
  cancelButton = cancelButton_;
  helpTextButton = helpTextButton_;
  helpPictureButton = helpPictureButton_;
  connect(choiceList, &QListWidget::itemDoubleClicked, this, [this] { okPressed(); });
  resize(440, 316);
  choiceList->setFocus();
  previewKeys();
}

void ChoiceListDialog::enterPressed() {
  programState.ErrorFlag = false;
  accept();
}

}  // namespace qorva
