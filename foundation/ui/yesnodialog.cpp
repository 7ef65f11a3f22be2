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
  QVBoxLayout* layout = makeColumn("YesNoDialog", "Eingabe", true, Label1);
  Label1->setMinimumSize(250, 33);
  RadioGroup_janein = new QGroupBox(dosToQString("Auswahl"), this);
  RadioGroup_janein->setObjectName(QStringLiteral("RadioGroup_janein"));
  RadioGroup_janein->setFixedSize(249, 77);
  auto* items = new QVBoxLayout(RadioGroup_janein);
  Item_ja = new QRadioButton(dosToQString("&Ja"), RadioGroup_janein);
  Item_nein = new QRadioButton(dosToQString("&Nein"), RadioGroup_janein);
  items->addWidget(Item_ja);
  items->addWidget(Item_nein);
  layout->addWidget(RadioGroup_janein);
  layout->addStretch(1);
  layout->addLayout(makeButtons("Button_ok", "button_cancel"));
  Button_ok = okButton_;
  button_cancel = cancelButton_;
  Button_hilfetext = helpTextButton_;
  Button_hilfebild = helpPictureButton_;
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
