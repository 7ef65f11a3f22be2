#include "foundation/ui/promptdialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/qttext.h"

namespace qorva {

PromptDialog::PromptDialog(QWidget* parent, HelpFlag helpFlag) : QDialog(parent), helpFlag_(helpFlag) {
  setModal(true);
}

void PromptDialog::reject() {
  programState.ErrorFlag = true;
  QDialog::reject();
}

QHBoxLayout* PromptDialog::makeButtons(const char* okName, const char* cancelName) {
  auto* row = new QHBoxLayout;
  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QString::fromLatin1(okName));
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  cancelButton_->setObjectName(QString::fromLatin1(cancelName));
  helpTextButton_ = new QPushButton(QStringLiteral("&Hilfetext"), this);
  helpTextButton_->setObjectName(QStringLiteral("helpTextButton"));
  helpPictureButton_ = new QPushButton(QStringLiteral("Hilfe&bild"), this);
  helpPictureButton_->setObjectName(QStringLiteral("helpPictureButton"));
  for (QPushButton* b : {okButton_, cancelButton_, helpTextButton_, helpPictureButton_}) row->addWidget(b);
  connect(okButton_, &QPushButton::clicked, this, [this] { okPressed(); });
  connect(cancelButton_, &QPushButton::clicked, this, &PromptDialog::reject);
  connect(helpTextButton_, &QPushButton::clicked, this, [this] { showHelp(1); });
  connect(helpPictureButton_, &QPushButton::clicked, this, [this] { showHelp(2); });
  return row;
}

QVBoxLayout* PromptDialog::makeColumn(const char* objectName, const char* title, bool fixedSize, QLabel*& label) {
  setObjectName(QString::fromLatin1(objectName));
  setWindowTitle(dosToQString(title));
  if (fixedSize) setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  auto* layout = new QVBoxLayout(this);
  label = new QLabel(this);
  label->setObjectName(QStringLiteral("promptLabel"));
  label->setWordWrap(true);
  layout->addWidget(label);
  return layout;
}

void PromptDialog::previewKeys() {
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void PromptDialog::enterPressed() { accept(); }

void PromptDialog::okPressed() { accept(); }

bool PromptDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      enterPressed();
      return true;
    }
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void PromptDialog::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    enterPressed();
    return;
  }
  QDialog::keyPressEvent(event);  // Esc rejects
}

void PromptDialog::closeEvent(QCloseEvent* event) {
  // The close box leaves ErrorFlag alone and keeps what the dialog shows, as OK does.
  if (isVisible()) done(QDialog::Accepted);
  event->accept();
}

void PromptDialog::showHelp(uint16_t mode) {
  ShowHelpText(messageBox.HelpTopic, "", mode);
  if (helpFlag_ == HelpFlag::Clear) programState.ErrorFlag = false;
  raise();
  activateWindow();
}

}  // namespace qorva
