#pragma once
// textdialog (window part): the text dialog of the text and number prompts. For a number it judges the
// typed text itself before it closes: a refused text is answered with a beep and an error box, and
// the dialog stays open with the text to ask next.

#include <functional>

#include "foundation/ui/promptdialog.h"
#include "platform/prompts.h"

class QLabel;
class QLineEdit;

namespace qorva {

class TextDialog : public PromptDialog {
  Q_OBJECT
 public:
  explicit TextDialog(QWidget* parent = nullptr);

  // check judges the typed text (UTF-8); showRejection shows a refusal's message; beep sounds first.
  void setNumberCheck(NumberCheck check, std::function<void(const QString&)> showRejection,
                      std::function<void()> beep);

  QLineEdit* inputEdit;
  QLabel* promptLabel;
  QPushButton* cancelButton;
  QPushButton* helpTextButton;
  QPushButton* helpPictureButton;
  QPushButton* okButton;

 protected:
  void enterPressed() override;
  void okPressed() override;

 private:
  void tryAccept();
  NumberCheck check_;
  std::function<void(const QString&)> showRejection_;
  std::function<void()> beep_;
};

}  // namespace qorva
