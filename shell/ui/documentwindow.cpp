// documentwindow: the document window.
#include "shell/ui/documentwindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "shell/documentcommands.h"
#include "shell/help.h"
#include "spring/spring.h"

namespace qorva {

namespace {

// The file chosen in an open dialog that starts at the edit's value goes into the edit. The links
// are program texts (the DOS code page, as the spring file keeps them); the edits show them in Qt's.
void chooseInto(QLineEdit* edit, const char* filter) {
  std::string result;
  AskOpenFile(qStringToDos(edit->text()), filter, result);
  if (programState.ErrorFlag) {
    programState.ErrorFlag = false;  // nothing chosen: the edit stays as it was
    return;
  }
  edit->setText(dosToQString(result));
}

}  // namespace

DocumentWindow::DocumentWindow(DocumentLinkList& documents, QWidget* parent) : QDialog(parent), documents_(documents) {
  setObjectName("DocumentWindow");
  auto* column = new QVBoxLayout(this);
  auto button = [this](const QString& text, const QString& name) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  const QString progHint = QString::fromStdString(HelpTextStr(2710));
  const QString fileHint = QString::fromStdString(HelpTextStr(2720));
  for (int i = 1; i <= DocumentLinkCount; ++i) {
    const QString n = QString::number(i);
    auto* box = new QGroupBox(this);
    box->setObjectName("GroupBox" + n);
    GroupBox[i] = box;
    Label_prog[i] = new QLabel("Program " + n, box);
    Label_prog[i]->setObjectName("Label_prog" + n);
    Label_prog[i]->setToolTip(progHint);
    Label_file[i] = new QLabel("File " + n, box);
    Label_file[i]->setObjectName("Label_file" + n);
    Label_file[i]->setToolTip(fileHint);
    Edit_prog[i] = new QLineEdit(box);
    Edit_prog[i]->setObjectName("Edit_prog" + n);
    Edit_file[i] = new QLineEdit(box);
    Edit_file[i]->setObjectName("Edit_file" + n);
    Button_prog[i] = button("...", "Button_prog" + n);
    Button_file[i] = button("...", "Button_file" + n);
    Button[i] = button("Exec Prog", "Button" + n);
    ButtonF[i] = button("Exec File", "Button" + n + "f");
    auto* grid = new QGridLayout(box);
    grid->addWidget(Label_prog[i], 0, 0);
    grid->addWidget(Edit_prog[i], 0, 1);
    grid->addWidget(Button_prog[i], 0, 2);
    grid->addWidget(Button[i], 0, 3);
    grid->addWidget(Label_file[i], 1, 0);
    grid->addWidget(Edit_file[i], 1, 1);
    grid->addWidget(Button_file[i], 1, 2);
    grid->addWidget(ButtonF[i], 1, 3);
    // The program and file names take the room; they show a whole path of 50 characters.
    grid->setColumnStretch(1, 1);
    for (QLineEdit* e : {Edit_prog[i], Edit_file[i]}) e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 50);
    column->addWidget(box);
    QLineEdit* prog = Edit_prog[i];
    QLineEdit* file = Edit_file[i];
    connect(Button_prog[i], &QPushButton::clicked, this, [prog] { chooseInto(prog, "*.exe"); });
    connect(Button_file[i], &QPushButton::clicked, this, [file] { chooseInto(file, "*.*"); });
    connect(Button[i], &QPushButton::clicked, this,
            [prog, file] { ExecDocumentProgram(qStringToDos(prog->text()), qStringToDos(file->text())); });
    connect(ButtonF[i], &QPushButton::clicked, this, [file] { ExecDocumentFile(qStringToDos(file->text())); });
  }
  okButton = button("OK", "okButton");
  okButton->setDefault(true);
  cancelButton = button("Abbrechen", "cancelButton");  // Esc rejects the dialog, as Cancel does
  helpButton = button("&Hilfetext", "helpButton");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  buttons->addWidget(helpButton);
  column->addLayout(buttons);
  connect(okButton, &QPushButton::clicked, this, [this] { ok(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(2730, "", 1); });

  std::string title;
  SetAppTitle(title);
  setWindowTitle("Document Links  -  " + QString::fromStdString(title));
  ScaleCenterForm(this);
}

void DocumentWindow::ShowLinks() {
  for (int i = 1; i <= DocumentLinkCount; ++i) {
    Edit_prog[i]->setText(dosToQString(documents_.DocumentLinks[i].Program));
    Edit_file[i]->setText(dosToQString(documents_.DocumentLinks[i].File));
  }
}

void DocumentWindow::ok() {
  for (int i = 1; i <= DocumentLinkCount; ++i) {
    documents_.DocumentLinks[i].Program = qStringToDos(Edit_prog[i]->text());
    documents_.DocumentLinks[i].File = qStringToDos(Edit_file[i]->text());
  }
  accept();
}

void DocumentWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    cancel();
    return;
  }
  QDialog::keyPressEvent(e);
}

void DocumentWindow::cancel() { reject(); }

Outcome EditDocumentLinks(DocumentLinkList& documents) {
  DocumentWindow form(documents, GraphForm());
  form.ShowLinks();
  return form.exec() == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

}  // namespace qorva
