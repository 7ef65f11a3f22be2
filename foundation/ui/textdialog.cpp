#include "foundation/ui/textdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qorva {

TextDialog::TextDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("TextDialog", "Eingabe", false, Label1);
  Label1->setMinimumSize(300, 33);
  EditEinText = new QLineEdit(this);
  EditEinText->setObjectName(QStringLiteral("EditEinText"));
  EditEinText->setMinimumWidth(305);
  layout->addWidget(EditEinText);
  layout->addStretch(1);
  layout->addLayout(makeButtons("Button_ok", "Button_Cancel"));
  Button_ok = okButton_;
  Button_Cancel = cancelButton_;
  Button_hilfetext = helpTextButton_;
  Button_hilfebild = helpPictureButton_;
  resize(329, 185);
  EditEinText->setFocus();
  previewKeys();
}

void TextDialog::setNumberCheck(NumberCheck check, std::function<void(const QString&)> showRejection,
                                    std::function<void()> beep) {
  check_ = std::move(check);
  showRejection_ = std::move(showRejection);
  beep_ = std::move(beep);
}

void TextDialog::enterPressed() { tryAccept(); }
void TextDialog::okPressed() { tryAccept(); }

void TextDialog::tryAccept() {
  if (check_) {
    const NumberVerdict verdict = check_(EditEinText->text().toStdString());
    if (!verdict.accepted) {
      if (beep_) beep_();
      if (showRejection_) showRejection_(QString::fromStdString(verdict.message));
      EditEinText->setText(QString::fromStdString(verdict.nextText));
      EditEinText->selectAll();
      EditEinText->setFocus();
      return;
    }
  }
  accept();
}

}  // namespace qorva
