#include "foundation/ui/choiceradiodialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qorva {

ChoiceRadioDialog::ChoiceRadioDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("ChoiceRadioDialog", "Auswahl", true, promptLabel);
  choiceRadioGroup = new QGroupBox(this);
  choiceRadioGroup->setObjectName(QStringLiteral("choiceRadioGroup"));
  choiceRadioGroup->setFixedWidth(401);
  new QVBoxLayout(choiceRadioGroup);
  group_ = new QButtonGroup(this);
  layout->addWidget(choiceRadioGroup);
  layout->addStretch(1);
  layout->addLayout(makeButtons("okButton", "cancelButton"));
  okButton = okButton_;
  cancelButton = cancelButton_;
  helpTextButton = helpTextButton_;
  helpPictureButton = helpPictureButton_;
  resize(444, 328);
  previewKeys();
}

void ChoiceRadioDialog::setItems(const QStringList& items) {
  entries_ = items;
  for (QAbstractButton* b : group_->buttons()) {
    group_->removeButton(b);
    delete b;
  }
  for (int i = 0; i < entries_.size(); ++i) {
    auto* b = new QRadioButton(entries_[i], choiceRadioGroup);
    b->installEventFilter(this);  // the dialog sees the keys first here too
    group_->addButton(b, i);
    choiceRadioGroup->layout()->addWidget(b);
  }
  choiceRadioGroup->setFixedHeight(static_cast<int>((entries_.size() + 1) * 25));
}

void ChoiceRadioDialog::setItemIndex(int index) {
  if (QAbstractButton* b = group_->button(index)) {
    b->setChecked(true);
    b->setFocus();
  }
}

int ChoiceRadioDialog::itemIndex() const { return group_->checkedId(); }

}  // namespace qorva
