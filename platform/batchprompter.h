#pragma once
// Prompter of the command-line modes: nothing blocks, every question counts as cancelled,
// messages go to the error stream so that a batch run leaves a trace of what went wrong.

#include <iosfwd>

#include "platform/prompts.h"

namespace qorva {

class BatchPrompter : public Prompter {
 public:
  explicit BatchPrompter(std::ostream* log = nullptr);  // nullptr: standard error

  std::optional<int> choice(const std::string& prompt, const std::vector<std::string>& entries,
                            int preselect) override;
  std::optional<bool> yesNo(const std::string& prompt, bool presetYes) override;
  YesNoCancel yesNoCancel(const std::string& caption, const std::string& text) override;
  std::optional<std::string> text(const std::string& prompt, int maxLength, const std::string& preset) override;
  void message(const std::string& caption, const std::string& text) override;
  void textScreen(const std::string& caption, const std::vector<std::string>& lines) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  std::optional<std::string> directory(const FileDialogRequest& request) override;
  void beep() override {}
  // Nobody answers a batch run: retries after a failure give up at once.
  bool canAnswer() const override { return false; }

 private:
  void note(const std::string& what, const std::string& text);
  std::ostream* log_;
};

}  // namespace qorva
