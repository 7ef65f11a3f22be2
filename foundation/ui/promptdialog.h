#pragma once
// promptdialog: what the prompt dialogs share: the row of buttons "OK", "Abbrechen", "&Hilfetext",
// "Hilfe&bild", cancelling (its button and Esc set ErrorFlag), the close box that counts as OK, the
// help buttons and the dialogs that see every key before their controls do.

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace qorva {

class PromptDialog : public QDialog {
  Q_OBJECT
 public:
  // What the help buttons leave in ErrorFlag, and who sees Enter and Esc first.
  enum class HelpFlag { Clear, AsHelpLeftIt };

  PromptDialog(QWidget* parent, HelpFlag helpFlag);

  // Sets ErrorFlag and closes.
  void reject() override;

 protected:
  // The button row in the order OK, Abbrechen, Hilfetext, Hilfebild with the given object names;
  // OK is the default button.
  QHBoxLayout* makeButtons(const char* okName, const char* cancelName);
  // Names and titles the dialog (a fixed size takes away the resize grip) and returns its column,
  // whose first row is the word-wrapped prompt line "promptLabel", handed back in `label`.
  QVBoxLayout* makeColumn(const char* objectName, const char* title, bool fixedSize, QLabel*& label);
  // Makes the dialog see Enter and Esc before its controls (call once every control exists).
  void previewKeys();
  // Enter seen by the dialog; the default closes as OK.
  virtual void enterPressed();
  // OK button.
  virtual void okPressed();
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* helpTextButton_ = nullptr;
  QPushButton* helpPictureButton_ = nullptr;

 private:
  void showHelp(uint16_t mode);
  HelpFlag helpFlag_;
};

}  // namespace qorva
