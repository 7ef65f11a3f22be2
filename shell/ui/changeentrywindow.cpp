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
  label(Label_aenderung, "Label_aenderung", dosToQString("\x8Enderungstext"));
  edit(Edit_aenderung, "Edit_aenderung", 20);
  label(Label_datum, "Label_datum", "Datum");
  edit(Edit_datum, "Edit_datum", 10);
  edit(Edit_bearbeiter, "Edit_bearbeiter", 5);
  label(Label_bearbeiter, "Label_bearbeiter", "Bearbeiter");
  label(Label_beschreibung, "Label_beschreibung", "Beschreibung");
  button(okButton, "okButton", "OK");
  button(cancelButton, "cancelButton", "Abbrechen");
  button(helpButton, "helpButton", "&Hilfe");
  Memo_beschreibung = new QPlainTextEdit(this);
  Memo_beschreibung->setObjectName("Memo_beschreibung");
  button(Button_datum, "Button_datum", dosToQString("<" + DateStr()));

  grid->addWidget(Label_aenderung, 0, 0);
  grid->addWidget(Edit_aenderung, 0, 1, 1, 2);
  grid->addWidget(Label_datum, 1, 0);
  grid->addWidget(Edit_datum, 1, 1);
  grid->addWidget(Button_datum, 1, 2);
  grid->addWidget(Label_bearbeiter, 2, 0);
  grid->addWidget(Edit_bearbeiter, 2, 1);
  grid->addWidget(Label_beschreibung, 3, 0);
  grid->addWidget(Memo_beschreibung, 4, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  buttons->addWidget(helpButton);
  grid->addLayout(buttons, 5, 0, 1, 3);
  okButton->setDefault(true);

  // The memo holds at most 255 characters, as the record does.
  connect(Memo_beschreibung, &QPlainTextEdit::textChanged, this, [this] {
    const QString t = Memo_beschreibung->toPlainText();
    if (t.size() > 255) Memo_beschreibung->setPlainText(t.left(255));
  });
  connect(Button_datum, &QPushButton::clicked, this, [this] { Edit_datum->setText(dosToQString(DateStr())); });
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
  Edit_aenderung->setText(dosToQString(r.ChangeIndex));
  Edit_datum->setText(dosToQString(r.Date));
  Edit_bearbeiter->setText(dosToQString(r.Editor));
  Memo_beschreibung->setPlainText(dosToQString(r.Description));
}

void ChangeEntryWindow::ok() {
  programState.ErrorFlag = false;
  StoreChangeEntry(drawing_, RecordNo, qStringToDos(Edit_aenderung->text()), qStringToDos(Edit_datum->text()),
                   qStringToDos(Edit_bearbeiter->text()), qStringToDos(Memo_beschreibung->toPlainText()));
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
