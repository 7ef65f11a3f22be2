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
    box->setObjectName("linkGroupBox" + n);
    linkGroupBox[i] = box;
    programLabel[i] = new QLabel("Program " + n, box);
    programLabel[i]->setObjectName("programLabel" + n);
    programLabel[i]->setToolTip(progHint);
    fileLabel[i] = new QLabel("File " + n, box);
    fileLabel[i]->setObjectName("fileLabel" + n);
    fileLabel[i]->setToolTip(fileHint);
    programEdit[i] = new QLineEdit(box);
    programEdit[i]->setObjectName("programEdit" + n);
    fileEdit[i] = new QLineEdit(box);
    fileEdit[i]->setObjectName("fileEdit" + n);
    programBrowseButton[i] = button("...", "programBrowseButton" + n);
    fileBrowseButton[i] = button("...", "fileBrowseButton" + n);
    runProgramButton[i] = button("Exec Prog", "runProgramButton" + n);
    openFileButton[i] = button("Exec File", "openFileButton" + n);
    auto* grid = new QGridLayout(box);
    grid->addWidget(programLabel[i], 0, 0);
    grid->addWidget(programEdit[i], 0, 1);
    grid->addWidget(programBrowseButton[i], 0, 2);
    grid->addWidget(runProgramButton[i], 0, 3);
    grid->addWidget(fileLabel[i], 1, 0);
    grid->addWidget(fileEdit[i], 1, 1);
    grid->addWidget(fileBrowseButton[i], 1, 2);
    grid->addWidget(openFileButton[i], 1, 3);
    // The program and file names take the room; they show a whole path of 50 characters.
    grid->setColumnStretch(1, 1);
    for (QLineEdit* e : {programEdit[i], fileEdit[i]}) e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 50);
    column->addWidget(box);
    QLineEdit* prog = programEdit[i];
    QLineEdit* file = fileEdit[i];
    connect(programBrowseButton[i], &QPushButton::clicked, this, [prog] { chooseInto(prog, "*.exe"); });
    connect(fileBrowseButton[i], &QPushButton::clicked, this, [file] { chooseInto(file, "*.*"); });
    connect(runProgramButton[i], &QPushButton::clicked, this,
            [prog, file] { ExecDocumentProgram(qStringToDos(prog->text()), qStringToDos(file->text())); });
    connect(openFileButton[i], &QPushButton::clicked, this, [file] { ExecDocumentFile(qStringToDos(file->text())); });
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
    programEdit[i]->setText(dosToQString(documents_.DocumentLinks[i].Program));
    fileEdit[i]->setText(dosToQString(documents_.DocumentLinks[i].File));
  }
}

void DocumentWindow::ok() {
  for (int i = 1; i <= DocumentLinkCount; ++i) {
    documents_.DocumentLinks[i].Program = qStringToDos(programEdit[i]->text());
    documents_.DocumentLinks[i].File = qStringToDos(fileEdit[i]->text());
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
