#pragma once
// qtprompter: the prompter of the window. Questions in the prompt dialogs (choicelistdialog, choiceradiodialog, yesnodialog,
// textdialog), messages in message boxes without an owner window, the text screen, Qt's file dialogs,
// the application title and the wait cursor.

#include <QString>

#include "platform/prompts.h"

class QWidget;

namespace qorva {

// The room a window frame takes beside its title (icon, three buttons, margins) for a title font of
// height h: a message box is at least that much wider than its title.
constexpr int TitleFrameReserve(int h) { return 9 * h; }

class QtPrompter : public Prompter {
 public:
  std::optional<int> choice(const std::string& prompt, const std::vector<std::string>& entries,
                            int preselect) override;
  std::optional<bool> yesNo(const std::string& prompt, bool presetYes) override;
  YesNoCancel yesNoCancel(const std::string& caption, const std::string& text) override;
  std::optional<std::string> text(const std::string& prompt, int maxLength, const std::string& preset) override;
  std::optional<std::string> number(const std::string& prompt, int maxLength, const std::string& preset,
                                    const NumberCheck& check) override;
  void message(const std::string& caption, const std::string& text) override;
  void textScreen(const std::string& caption, const std::vector<std::string>& lines) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  std::optional<std::string> directory(const FileDialogRequest& request) override;
  void beep() override;
  void appTitle(const std::string& title) override;
  void waitCursor(bool wait) override;

  // The title that captionless messages carry (the program name until SetAppTitle runs).
  QString appTitle() const;

 private:
  std::optional<std::string> askText(const std::string& prompt, int maxLength, const std::string& preset,
                                     const NumberCheck* check);
  QString appTitle_;
  bool waiting_ = false;
};

// Lists choices from this many entries on, below it shows radio buttons.
constexpr int kListChoiceFrom = 8;

}  // namespace qorva
