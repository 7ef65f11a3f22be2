#pragma once
// inputforms: the drawing-text form DrawingTextsForm with EditDrawingText, the input sequence for a new
// spring, and what the four input forms share: OK, Cancel, Esc and the close box, the help buttons,
// and number fields that give back the exact value they showed while the user leaves them alone.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/services.h"

class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qorva {

class MainWindow;
struct Spring;

// The common behaviour of the input forms. cancelButton and Esc set ErrorFlag and close the form;
// the close box only closes it (nothing read, ErrorFlag left as it was), so the caller goes on as
// after OK.
class InputForm : public QDialog {
  Q_OBJECT

 public:
  explicit InputForm(QWidget* parent);

  // cancelButton and Esc.
  void Cancel();
  // The close box: closes without reading and without cancelling.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // A help button: topic in mode 1 (text) or 2 (picture); ErrorFlag cleared afterwards and, when
  // asked, the form brought to the front again.
  void ShowHelp(uint16_t topic, uint16_t mode, bool bringToFront);
  void BringToFront();
  // Calc: the fields into the spring s (a change of the input, whatever the user does with the
  // form afterwards), the calculation of s, its current view redrawn and the form in front again.
  void Calculate(Spring& s, const std::function<void()>& readFields, const std::function<void()>& calculate);
  // OK, Cancel and the help buttons on the left, Calc alone on the right.
  static QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> left, QPushButton* calc);
  // The hint of help topic topic on the controls (the shell's help-text service).
  static void SetHint(uint16_t topic, std::initializer_list<QWidget*> controls);
  // The forms' controls, named as their members: a label with a caption in the program's text, an
  // edit field for a number, a button that Enter does not press, and a help button that shows
  // ShowHelp(topic, mode, bringToFront).
  QLabel* NewLabel(const char* name, const std::string& caption);
  QLineEdit* NewNumberEdit(const char* name);
  QPushButton* NewButton(const char* name, const char* caption);
  QPushButton* NewHelpButton(const char* name, const char* caption, uint16_t topic, uint16_t mode, bool bringToFront);
};

// A number shown in an edit field in the current units. While the text is what the field was filled
// with, reading gives back the exact value shown, so opening a form and leaving it with OK (or
// switching units there and back) never rounds a value to the digits on the screen. Typed text is
// read with the unit parser; text that is no number reads as 0.
class NumberField {
 public:
  using Format = std::string (*)(long double);
  using Parse = long double (*)(const std::string&);

  NumberField() = default;
  NumberField(QLineEdit* edit, Format format, Parse parse) : edit_(edit), format_(format), parse_(parse) {}
  // The fields of the input forms: lengths, forces and temperatures in the current units, and plain
  // numbers (frequencies, ratios) with three decimals.
  static NumberField Length(QLineEdit* edit);
  static NumberField Force(QLineEdit* edit);
  static NumberField Temperature(QLineEdit* edit);
  static NumberField Plain(QLineEdit* edit);

  void Fill(long double value);
  long double Value() const;
  // This field := the text of other and the value it stands for.
  void CopyFrom(const NumberField& other);
  // Reads the field into variable; true when that changed it.
  bool ReadInto(long double& variable) const;

 private:
  QLineEdit* edit_ = nullptr;
  Format format_ = nullptr;
  Parse parse_ = nullptr;
  QString shownText_;
  long double shownValue_ = 0;
};

// The drawing texts: names, number and the two free lines of the title block. OK only closes; the
// caller reads the fields (also after the close box).
class DrawingTextsForm : public InputForm {
  Q_OBJECT

 public:
  explicit DrawingTextsForm(QWidget* parent = nullptr);

  QLabel* drawingNameLabel = nullptr;
  QLabel* drawingName2Label = nullptr;
  QLabel* drawingNumberLabel = nullptr;
  QLabel* remarkLine1Label = nullptr;
  QLabel* remarkLine2Label = nullptr;
  QLineEdit* drawingNameEdit = nullptr;   // 25 characters
  QLineEdit* drawingName2Edit = nullptr;  // 30
  QLineEdit* drawingNumberEdit = nullptr;     // 18
  QLineEdit* remarkLine1Edit = nullptr;     // 65
  QLineEdit* remarkLine2Edit = nullptr;     // 65
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

// Shows DrawingTextsForm with the drawing texts of s; unless ErrorFlag is set afterwards (Cancel, Esc),
// the texts are taken over and TitleLines[1] becomes name and number: Done, else Cancelled (nothing
// taken). ErrorFlag is not cleared first: the callers do that, and a caller that leaves it set gets
// Cancelled.
Outcome EditDrawingText(Spring& s);

// The steps of the input sequence; the defaults show the program's forms over the main window, on
// the given spring.
struct InputSteps {
  std::function<Outcome()> drawingText;  // EditDrawingText
  std::function<void()> selectMaterial;  // SelectMaterial(1)
  std::function<void()> application;     // ApplicationForm
  std::function<void()> preDesign;       // PredesignForm
  std::function<void()> dimensions;      // DimensionsForm
};
InputSteps DefaultInputSteps(Spring& s, QWidget* owner);

// A new spring: drawing texts, material, application, the choice between pre-design and
// recalculation, that form, then the calculation and its messages. A cancelled first step ends it
// with ErrorFlag set and nothing calculated: Cancelled. A later cancelled step clears ErrorFlag,
// calculates the spring as it stands and ends: Done, as the full path is. Only the full path marks
// the input as changed. The window's version shows the forms over the window, on its spring.
Outcome InputSequence(MainWindow& form);
Outcome InputSequence(Spring& s, const InputSteps& steps);

}  // namespace qorva
