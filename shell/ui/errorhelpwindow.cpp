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
  Label_meldung = label("Label_meldung", "Fehlermeldung");
  Label_ursache = label("Label_ursache", "Ursache");
  Label_abhilfe = label("Label_abhilfe", "Abhilfe");
  Edit_meldung = new QLineEdit(this);
  Edit_meldung->setObjectName("Edit_meldung");
  Edit_meldung->setReadOnly(true);
  Memo_ursache = MakeMemo(this, "Memo_ursache");
  Memo_abhilfe = MakeMemo(this, "Memo_abhilfe");
  grid->addWidget(Label_meldung, 0, 0);
  grid->addWidget(Edit_meldung, 1, 0);
  grid->addWidget(Label_ursache, 2, 0);
  grid->addWidget(Memo_ursache, 3, 0);
  grid->addWidget(Label_abhilfe, 4, 0);
  grid->addWidget(Memo_abhilfe, 5, 0);
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

  connect(Memo_ursache, &QPlainTextEdit::textChanged, this, [this] { ErrorHelpModified = true; });
  connect(Memo_abhilfe, &QPlainTextEdit::textChanged, this, [this] { ErrorHelpModified = true; });
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(kErrorHelpTopic, "", 1); });
  ScaleCenterForm(this);
  ErrorHelpModified = false;
}

void ErrorHelpWindow::SetTexts(const std::string& message, const std::string& cause, const std::string& remedy) {
  Edit_meldung->setText(dosToQString(message));
  Edit_meldung->setCursorPosition(0);
  Memo_ursache->setPlainText(dosToQString(cause));
  Memo_abhilfe->setPlainText(dosToQString(remedy));
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
    } else if (save && !SaveErrorHelp(qStringToDos(Edit_meldung->text()), qStringToDos(Memo_ursache->toPlainText()),
                                      qStringToDos(Memo_abhilfe->toPlainText()))) {
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
