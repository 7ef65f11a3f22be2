// errorhelpwindow: the error-help window.
#include "shell/ui/errorhelpwindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/yesnoprompt.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "shell/errorhelp.h"

namespace qorva {

namespace {

constexpr uint16_t kErrorHelpTopic = 1970;

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(name);
  m->setTabChangesFocus(true);
  m->setMinimumSize(460, 70);
  return m;
}

}  // namespace

ErrorHelpWindow::ErrorHelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("ErrorHelpWindow");
  setWindowTitle("Fehlermeldung");
  auto* grid = new QGridLayout(this);
  auto label = [this](const char* name, const char* caption) {
    auto* l = new QLabel(QString::fromUtf8(caption), this);
    l->setObjectName(name);
    return l;
  };
  messageLabel = label("messageLabel", "Fehlermeldung");
  causeLabel = label("causeLabel", "Ursache");
  remedyLabel = label("remedyLabel", "Abhilfe");
  messageEdit = new QLineEdit(this);
  messageEdit->setObjectName("messageEdit");
  messageEdit->setReadOnly(true);
  causeTextEdit = MakeMemo(this, "causeTextEdit");
  remedyTextEdit = MakeMemo(this, "remedyTextEdit");
  grid->addWidget(messageLabel, 0, 0);
  grid->addWidget(messageEdit, 1, 0);
  grid->addWidget(causeLabel, 2, 0);
  grid->addWidget(causeTextEdit, 3, 0);
  grid->addWidget(remedyLabel, 4, 0);
  grid->addWidget(remedyTextEdit, 5, 0);
  auto* buttons = new QHBoxLayout;
  okButton = new QPushButton("OK", this);
  okButton->setObjectName("okButton");
  okButton->setDefault(true);
  helpButton = new QPushButton("&Hilfe", this);
  helpButton->setObjectName("helpButton");
  helpButton->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(helpButton);
  grid->addLayout(buttons, 6, 0);

  connect(causeTextEdit, &QPlainTextEdit::textChanged, this, [this] { ErrorHelpModified = true; });
  connect(remedyTextEdit, &QPlainTextEdit::textChanged, this, [this] { ErrorHelpModified = true; });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(kErrorHelpTopic, "", 1); });
  ScaleCenterForm(this);
  ErrorHelpModified = false;
}

void ErrorHelpWindow::SetTexts(const std::string& message, const std::string& cause, const std::string& remedy) {
  messageEdit->setText(dosToQString(message));
  messageEdit->setCursorPosition(0);
  causeTextEdit->setPlainText(dosToQString(cause));
  remedyTextEdit->setPlainText(dosToQString(remedy));
}

void ErrorHelpWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ErrorHelpModified = false;  // filling the memos before showing counted as a change
}

void ErrorHelpWindow::okButtonClicked() {
  outcome_ = Outcome::Done;
  if (ErrorHelpModified) {
    programState.ErrorFlag = false;
    const bool save = AskYesNoCancel("Save Changes ?");  // No closes, Cancel closes with ErrorFlag set
    if (programState.ErrorFlag) {
      outcome_ = Outcome::Cancelled;
    } else if (save && !SaveErrorHelp(qStringToDos(messageEdit->text()), qStringToDos(causeTextEdit->toPlainText()),
                                      qStringToDos(remedyTextEdit->toPlainText()))) {
      outcome_ = Outcome::Failed;
    }
  }
  accept();
}

Outcome ShowErrorHelpWindow(const std::string& message, const std::string& cause, const std::string& remedy) {
  ErrorHelpWindow form(GraphForm() ? GraphForm() : QApplication::activeWindow());
  form.SetTexts(message, cause, remedy);
  form.exec();
  return form.outcome();
}

}  // namespace qorva
