// inputforms: the drawing-text form, the input sequence and the input forms' common behaviour.
#include "shell/ui/inputforms.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <optional>

#include "drawings/springviews.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "platform/prompts.h"
#include "platform/services.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/applicationform.h"
#include "shell/ui/dimensionsform.h"
#include "shell/ui/predesignform.h"
#include "shell/menutexts.h"
#include "spring/calculation.h"
#include "spring/materialrecord.h"
#include "spring/spring.h"

namespace qorva {

// ---- InputForm ----

InputForm::InputForm(QWidget* parent) : QDialog(parent) { setModal(true); }

void InputForm::Cancel() {
  programState.ErrorFlag = true;
  done(QDialog::Rejected);
}

void InputForm::reject() { done(QDialog::Rejected); }

void InputForm::keyPressEvent(QKeyEvent* event) {
  // Qt would send Esc to reject(), the close box's way out; here Esc is Cancel.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    Cancel();
    return;
  }
  QDialog::keyPressEvent(event);
}

void InputForm::ShowHelp(uint16_t topic, uint16_t mode, bool bringToFront) {
  ShowHelpText(topic, "", mode);
  programState.ErrorFlag = false;
  if (bringToFront) BringToFront();
}

void InputForm::BringToFront() {
  raise();
  activateWindow();
}

void InputForm::Calculate(Spring& s, const std::function<void()>& readFields,
                           const std::function<void()>& calculate) {
  programState.ErrorFlag = false;
  readFields();
  programState.InputModified = true;
  calculate();
  RedrawCurrentView(s);
  BringToFront();
}

QHBoxLayout* InputForm::ButtonRow(std::initializer_list<QPushButton*> left, QPushButton* calc) {
  auto* row = new QHBoxLayout;
  for (QPushButton* b : left) row->addWidget(b);
  row->addStretch(1);
  row->addWidget(calc);
  return row;
}

void InputForm::SetHint(uint16_t topic, std::initializer_list<QWidget*> controls) {
  const QString hint = QString::fromStdString(services().ReadHelpText(topic).value_or(""));
  for (QWidget* w : controls) w->setToolTip(hint);
}

QLabel* InputForm::NewLabel(const char* name, const std::string& caption) {
  auto* l = new QLabel(dosToQString(caption), this);
  l->setObjectName(name);
  return l;
}

QLineEdit* InputForm::NewNumberEdit(const char* name) {
  auto* e = new QLineEdit(this);
  e->setObjectName(name);
  e->setMaximumWidth(110);
  return e;
}

QPushButton* InputForm::NewButton(const char* name, const char* caption) {
  return MakeDialogButton(this, name, QString::fromLatin1(caption));
}

QPushButton* InputForm::NewHelpButton(const char* name, const char* caption, uint16_t topic, uint16_t mode,
                                       bool bringToFront) {
  QPushButton* b = NewButton(name, caption);
  connect(b, &QPushButton::clicked, this, [this, topic, mode, bringToFront] { ShowHelp(topic, mode, bringToFront); });
  return b;
}

// ---- NumberField ----

namespace {
std::string LengthText(long double mm) { return LengthStr(mm); }
long double LengthValue(const std::string& s) { return StrToLength(s); }
std::string ForceText(long double n) { return ForceStr(n); }
long double ForceValue(const std::string& s) { return StrToForce(s); }
std::string TemperatureText(long double c) { return TempStr(c); }
long double TemperatureValue(const std::string& s) { return StrToTemp(s); }
std::string PlainText(long double x) { return RealStr3(x); }
long double PlainValue(const std::string& s) { return StrToReal(s); }
}  // namespace

NumberField NumberField::Length(QLineEdit* edit) { return NumberField(edit, LengthText, LengthValue); }
NumberField NumberField::Force(QLineEdit* edit) { return NumberField(edit, ForceText, ForceValue); }
NumberField NumberField::Temperature(QLineEdit* edit) { return NumberField(edit, TemperatureText, TemperatureValue); }
NumberField NumberField::Plain(QLineEdit* edit) { return NumberField(edit, PlainText, PlainValue); }

void NumberField::Fill(long double value) {
  shownValue_ = value;
  shownText_ = dosToQString(format_(value));
  edit_->setText(shownText_);
}

long double NumberField::Value() const {
  if (edit_->text() == shownText_) return shownValue_;
  return parse_(qStringToDos(edit_->text()));
}

void NumberField::CopyFrom(const NumberField& other) {
  shownValue_ = other.Value();
  shownText_ = other.edit_->text();
  edit_->setText(shownText_);
}

bool NumberField::ReadInto(long double& variable) const {
  const long double v = Value();
  // A value that is no number and stays no number is unchanged too.
  const bool changed = !(v == variable || (std::isnan(v) && std::isnan(variable)));
  variable = v;
  return changed;
}

// ---- DrawingTextsForm ----

DrawingTextsForm::DrawingTextsForm(QWidget* parent) : InputForm(parent) {
  setObjectName("DrawingTextsForm");
  setWindowTitle(dosToQString(programState.ProgTitle));
  auto* grid = new QGridLayout(this);
  int row = 0;
  auto line = [&](QLabel*& label, const char* labelName, const std::string& caption, QLineEdit*& edit,
                  const char* editName, int maxLength) {
    label = NewLabel(labelName, caption);
    edit = new QLineEdit(this);
    edit->setObjectName(editName);
    edit->setMaxLength(maxLength);
    edit->setMinimumWidth(maxLength > 30 ? 420 : 220);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    ++row;
  };
  line(drawingNameLabel, "drawingNameLabel", "Zeichnungsname", drawingNameEdit, "drawingNameEdit", 25);
  line(drawingName2Label, "drawingName2Label", std::string("Zeichnungsname") + " 2", drawingName2Edit,
       "drawingName2Edit", 30);
  line(drawingNumberLabel, "drawingNumberLabel", "Zeichnungsnummer", drawingNumberEdit, "drawingNumberEdit", 18);
  line(remarkLine1Label, "remarkLine1Label", std::string("Zeile") + " 1", remarkLine1Edit, "remarkLine1Edit", 65);
  line(remarkLine2Label, "remarkLine2Label", std::string("Zeile") + " 2", remarkLine2Edit, "remarkLine2Edit", 65);

  auto* buttons = new QHBoxLayout;
  okButton = NewButton("okButton", "OK");
  okButton->setDefault(true);
  cancelButton = NewButton("cancelButton", "Abbrechen");
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  grid->addLayout(buttons, row, 0, 1, 2);

  connect(okButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
  resize(sizeHint());  // the design size that ScaleCenterForm scales
  ScaleCenterForm(this);
}

Outcome EditDrawingText(Spring& s) {
  DrawingTextsForm form(nullptr);
  FamilyData& g = s.family;
  form.drawingNameEdit->setText(dosToQString(g.DrawingName));
  form.drawingName2Edit->setText(dosToQString(g.DrawingName2));
  form.drawingNumberEdit->setText(dosToQString(g.DrawingNumber));
  form.remarkLine1Edit->setText(dosToQString(s.TitleLines[2]));
  form.remarkLine2Edit->setText(dosToQString(s.TitleLines[3]));
  form.exec();
  if (programState.ErrorFlag) return Outcome::Cancelled;
  g.DrawingName = qStringToDos(form.drawingNameEdit->text());
  g.DrawingName2 = qStringToDos(form.drawingName2Edit->text());
  g.DrawingNumber = qStringToDos(form.drawingNumberEdit->text());
  s.TitleLines[1] = g.DrawingName + "  " + "Zeichn.Nr." + ": " + g.DrawingNumber;
  s.TitleLines[2] = qStringToDos(form.remarkLine1Edit->text());
  s.TitleLines[3] = qStringToDos(form.remarkLine2Edit->text());
  return Outcome::Done;
}

// ---- The input sequence ----

InputSteps DefaultInputSteps(Spring& spring, QWidget* owner) {
  InputSteps s;
  s.drawingText = [&spring] { return EditDrawingText(spring); };
  s.selectMaterial = [&spring] { SelectMaterial(spring.family, 1); };
  s.application = [&spring, owner] { ShowApplicationForm(spring, owner); };
  s.preDesign = [&spring, owner] { ShowPreDesignForm(spring, owner); };
  s.dimensions = [&spring, owner] { ShowDimensionsForm(spring, owner); };
  return s;
}

Outcome InputSequence(MainWindow& form) { return InputSequence(form.spring(), DefaultInputSteps(form.spring(), &form)); }

namespace {

// A cancelled step after the first: the spring is calculated as it stands and the sequence ends.
bool StepCancelled(Spring& s) {
  if (!programState.ErrorFlag) return false;
  programState.ErrorFlag = false;
  CalcSpring(s);
  return true;
}

// Pre-design (1) or recalculation (2), offered with the menu captions of the current language; 0
// when cancelled (ErrorFlag set). The entries go to the prompter in the captions' own characters,
// which the DOS code page would turn into "?" for the Korean and Chinese menus.
uint16_t AskPreDesignOrRecalculation() {
  const std::string preDesign = MenuCaptionUtf8(menuTexts.MenuTextPreDesign);
  const std::string recalculation = MenuCaptionUtf8(menuTexts.MenuTextRecalculation);
  SetPromptHelp(9000);  // its own help text and picture, not those of the material table before it
  const std::optional<int> chosen = prompter().choice("", {preDesign, recalculation}, 0);
  if (!chosen || (*chosen != 0 && *chosen != 1)) {
    programState.ErrorFlag = true;
    return 0;
  }
  return static_cast<uint16_t>(*chosen + 1);
}

}  // namespace

Outcome InputSequence(Spring& s, const InputSteps& steps) {
  if (steps.drawingText() != Outcome::Done) return Outcome::Cancelled;
  steps.selectMaterial();
  if (StepCancelled(s)) return Outcome::Done;
  steps.application();
  if (StepCancelled(s)) return Outcome::Done;
  const uint16_t choice = AskPreDesignOrRecalculation();
  if (StepCancelled(s)) return Outcome::Done;
  if (choice == 1) steps.preDesign();
  else steps.dimensions();
  if (StepCancelled(s)) return Outcome::Done;
  CalcSpring(s);
  programState.InputModified = true;
  ShowCalcMessages();
  return Outcome::Done;
}

}  // namespace qorva
