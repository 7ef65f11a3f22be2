#pragma once
// errorhelpwindow: the window ErrorHelpWindow that shows one calculation message with its cause and remedy. The
// user may rewrite cause and remedy; OK then asks whether to save them into the error-help file.
// The close box neither asks nor saves.

#include <QDialog>
#include <string>

#include "platform/services.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qorva {

class ErrorHelpWindow : public QDialog {
 public:
  explicit ErrorHelpWindow(QWidget* parent = nullptr);

  // Fills the fields with DOS texts.
  void SetTexts(const std::string& message, const std::string& cause, const std::string& remedy);
  void okButtonClicked();
  // How the window ended: Cancelled when the user cancelled the save question, Failed when the
  // edit could not be saved (told to the user), else Done (also for the close box).
  Outcome outcome() const { return outcome_; }

  QLabel* messageLabel = nullptr;
  QLabel* causeLabel = nullptr;
  QLabel* remedyLabel = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPlainTextEdit* causeTextEdit = nullptr;
  QPlainTextEdit* remedyTextEdit = nullptr;
  QLineEdit* messageEdit = nullptr;
  bool ErrorHelpModified = false;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Outcome outcome_ = Outcome::Done;
};

// Shows message, cause and remedy (DOS texts) modally over the main window; the window's outcome.
Outcome ShowErrorHelpWindow(const std::string& message, const std::string& cause, const std::string& remedy);
}  // namespace qorva
