// changeentrywindow: the change entry window.
#include "shell/ui/changeentrywindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilstr.h"
#include "shell/drawingchanges.h"
#include "spring/spring.h"

namespace qorva {

ChangeEntryWindow::ChangeEntryWindow(DrawingData& drawing, QWidget* parent) : QDialog(parent), drawing_(drawing) {
  setObjectName("ChangeEntryWindow");
  auto* grid = new QGridLayout(this);
  auto label = [this](QLabel*& l, const char* name, const QString& text) {
    l = new QLabel(text, this);
    l->setObjectName(name);
  };
  auto edit = [this](QLineEdit*& e, const char* name, int maxLength) {
    e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
  };
  auto button = [this](QPushButton*& b, const char* name, const QString& text) {
    b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
  };
  label(changeIndexLabel, "changeIndexLabel", dosToQString("\x8Enderungstext"));
  edit(changeIndexEdit, "changeIndexEdit", 20);
  label(dateLabel, "dateLabel", "Datum");
  edit(dateEdit, "dateEdit", 10);
  edit(editorNameEdit, "editorNameEdit", 5);
  label(editorNameLabel, "editorNameLabel", "Bearbeiter");
  label(descriptionLabel, "descriptionLabel", "Beschreibung");
  button(okButton, "okButton", "OK");
  button(cancelButton, "cancelButton", "Abbrechen");
  button(helpButton, "helpButton", "&Hilfe");
  descriptionTextEdit = new QPlainTextEdit(this);
  descriptionTextEdit->setObjectName("descriptionTextEdit");
  button(todayButton, "todayButton", dosToQString("<" + DateStr()));

  grid->addWidget(changeIndexLabel, 0, 0);
  grid->addWidget(changeIndexEdit, 0, 1, 1, 2);
  grid->addWidget(dateLabel, 1, 0);
  grid->addWidget(dateEdit, 1, 1);
  grid->addWidget(todayButton, 1, 2);
  grid->addWidget(editorNameLabel, 2, 0);
  grid->addWidget(editorNameEdit, 2, 1);
  grid->addWidget(descriptionLabel, 3, 0);
  grid->addWidget(descriptionTextEdit, 4, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  buttons->addWidget(helpButton);
  grid->addLayout(buttons, 5, 0, 1, 3);
  okButton->setDefault(true);

  // The memo holds at most 255 characters, as the record does.
  connect(descriptionTextEdit, &QPlainTextEdit::textChanged, this, [this] {
    const QString t = descriptionTextEdit->toPlainText();
    if (t.size() > 255) descriptionTextEdit->setPlainText(t.left(255));
  });
  connect(todayButton, &QPushButton::clicked, this, [this] { dateEdit->setText(dosToQString(DateStr())); });
  connect(okButton, &QPushButton::clicked, this, [this] { ok(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
  connect(helpButton, &QPushButton::clicked, this, [] { ShowHelpText(3000, "", 1); });
  ScaleCenterForm(this);
}

void ChangeEntryWindow::ShowRecord(uint16_t n) {
  RecordNo = n;
  setWindowTitle(dosToQString("\x8Enderung " + IntStr(n)));
  if (n < 1 || n > MaxChangeRecords) return;
  const ChangeRecord& r = drawing_.ChangeRecords[n];
  changeIndexEdit->setText(dosToQString(r.ChangeIndex));
  dateEdit->setText(dosToQString(r.Date));
  editorNameEdit->setText(dosToQString(r.Editor));
  descriptionTextEdit->setPlainText(dosToQString(r.Description));
}

void ChangeEntryWindow::ok() {
  programState.ErrorFlag = false;
  StoreChangeEntry(drawing_, RecordNo, qStringToDos(changeIndexEdit->text()), qStringToDos(dateEdit->text()),
                   qStringToDos(editorNameEdit->text()), qStringToDos(descriptionTextEdit->toPlainText()));
  accept();
}

void ChangeEntryWindow::cancel() {
  programState.ErrorFlag = true;
  reject();
}

Outcome EditChangeEntry(DrawingData& drawing, uint16_t n) {
  ChangeEntryWindow form(drawing, GraphForm());
  form.ShowRecord(n);
  return form.exec() == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

}  // namespace qorva
