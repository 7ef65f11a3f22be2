#include "foundation/ui/choicelistdialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/programstate.h"

namespace qorva {

ChoiceListDialog::ChoiceListDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("ChoiceListDialog", "Auswahl", true, Label1);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setMinimumSize(385, 161);
  layout->addWidget(ListBox1, 1);
  layout->addLayout(makeButtons("button_ok", "button_cancel"));
  button_ok = okButton_;
  button_cancel = cancelButton_;
  Button_hilfetext = helpTextButton_;
  Button_hilfebild = helpPictureButton_;
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { okPressed(); });
  resize(440, 316);
  ListBox1->setFocus();
  previewKeys();
}

void ChoiceListDialog::enterPressed() {
  programState.ErrorFlag = false;
  accept();
}

}  // namespace qorva
