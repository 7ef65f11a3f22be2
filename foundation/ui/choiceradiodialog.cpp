#include "foundation/ui/choiceradiodialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qorva {

ChoiceRadioDialog::ChoiceRadioDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("ChoiceRadioDialog", "Auswahl", true, Label1);
  RadioGroup1 = new QGroupBox(this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setFixedWidth(401);
  new QVBoxLayout(RadioGroup1);
  group_ = new QButtonGroup(this);
  layout->addWidget(RadioGroup1);
  layout->addStretch(1);
  layout->addLayout(makeButtons("Button_ok", "button_cancel"));
  Button_ok = okButton_;
  button_cancel = cancelButton_;
  Button_hilfetext = helpTextButton_;
  Button_hilfebild = helpPictureButton_;
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
    auto* b = new QRadioButton(entries_[i], RadioGroup1);
    b->installEventFilter(this);  // the dialog sees the keys first here too
    group_->addButton(b, i);
    RadioGroup1->layout()->addWidget(b);
  }
  RadioGroup1->setFixedHeight(static_cast<int>((entries_.size() + 1) * 25));
}

void ChoiceRadioDialog::setItemIndex(int index) {
  if (QAbstractButton* b = group_->button(index)) {
    b->setChecked(true);
    b->setFocus();
  }
}

int ChoiceRadioDialog::itemIndex() const { return group_->checkedId(); }

}  // namespace qorva
