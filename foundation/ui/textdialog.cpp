#include "foundation/ui/textdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qorva {

TextDialog::TextDialog(QWidget* parent) : PromptDialog(parent, HelpFlag::Clear) {
  QVBoxLayout* layout = makeColumn("TextDialog", "Eingabe", false, promptLabel);
  promptLabel->setMinimumSize(300, 33);
  inputEdit = new QLineEdit(this);
  inputEdit->setObjectName(QStringLiteral("inputEdit"));
  inputEdit->setMinimumWidth(305);
  layout->addWidget(inputEdit);
  layout->addStretch(1);
  layout->addLayout(makeButtons("okButton", "cancelButton"));
  okButton = okButton_;
  cancelButton = cancelButton_;
  helpTextButton = helpTextButton_;
  helpPictureButton = helpPictureButton_;
  resize(329, 185);
  inputEdit->setFocus();
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
    const NumberVerdict verdict = check_(inputEdit->text().toStdString());
    if (!verdict.accepted) {
      if (beep_) beep_();
      if (showRejection_) showRejection_(QString::fromStdString(verdict.message));
      inputEdit->setText(QString::fromStdString(verdict.nextText));
      inputEdit->selectAll();
      inputEdit->setFocus();
      return;
    }
  }
  accept();
}

}  // namespace qorva
