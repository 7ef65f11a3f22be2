#include "foundation/ui/textdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qorva {

Tin_textdialog::Tin_textdialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("in_textdialog", "Eingabe", false, Label1);
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

void Tin_textdialog::setNumberCheck(NumberCheck check, std::function<void(const QString&)> showRejection,
                                    std::function<void()> beep) {
  check_ = std::move(check);
  showRejection_ = std::move(showRejection);
  beep_ = std::move(beep);
}

void Tin_textdialog::enterPressed() { tryAccept(); }
void Tin_textdialog::okPressed() { tryAccept(); }

void Tin_textdialog::tryAccept() {
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
