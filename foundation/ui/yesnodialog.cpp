#include "foundation/ui/yesnodialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundation/ui/qttext.h"

namespace qorva {

// The help buttons leave ErrorFlag as the help left it.
YesNoDialog::YesNoDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::AsHelpLeftIt) {
  QVBoxLayout* layout = makeColumn("YesNoDialog", "Eingabe", true, promptLabel);
  promptLabel->setMinimumSize(250, 33);
  yesNoRadioGroup = new QGroupBox(dosToQString("Auswahl"), this);
  yesNoRadioGroup->setObjectName(QStringLiteral("yesNoRadioGroup"));
  yesNoRadioGroup->setFixedSize(249, 77);
  auto* items = new QVBoxLayout(yesNoRadioGroup);
  Item_ja = new QRadioButton(dosToQString("&Ja"), yesNoRadioGroup);
  Item_nein = new QRadioButton(dosToQString("&Nein"), yesNoRadioGroup);
  items->addWidget(Item_ja);
  items->addWidget(Item_nein);
  layout->addWidget(yesNoRadioGroup);
  layout->addStretch(1);
  layout->addLayout(makeButtons("okButton", "cancelButton"));
  okButton = okButton_;
  cancelButton = cancelButton_;
  helpTextButton = helpTextButton_;
  helpPictureButton = helpPictureButton_;
  setYes(true);
  resize(309, 233);
  previewKeys();
}

void YesNoDialog::setYes(bool yes) {
  QRadioButton* b = yes ? Item_ja : Item_nein;
  b->setChecked(true);
  b->setFocus();
}

bool YesNoDialog::yes() const { return Item_ja->isChecked(); }

}  // namespace qorva
