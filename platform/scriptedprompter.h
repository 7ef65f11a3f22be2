#pragma once
// Prompter for tests: answers come from a script given in advance, every question and
// message is recorded. A question that finds no scripted answer throws, so a test that
// asks more than it expected fails loudly instead of hanging.

#include <deque>
#include <stdexcept>
#include <variant>

#include "platform/prompts.h"

namespace qorva {

struct Cancel {};  // a scripted "Abbrechen" / Esc

// One scripted answer: an index (choice), a bool (yes/no), a YesNoCancel, a text or path, or Cancel.
using ScriptedAnswer = std::variant<Cancel, int, bool, YesNoCancel, std::string>;

enum class AskKind { Choice, YesNo, YesNoCancel, Text, Message, TextScreen, OpenFile, SaveFile, Directory, Beep,
                     AppTitle };

// What the program asked or showed.
struct AskRecord {
  AskKind kind;
  std::string caption;               // message caption, dialog title
  std::string text;                  // prompt or message text
  std::vector<std::string> entries;  // choice entries, text-screen lines
  std::string preset;                // text preset, file request start folder
  int preselect = 0;                 // choice preselection, text maximum length
};

class ScriptAnswerMissing : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScriptedPrompter : public Prompter {
 public:
  ScriptedPrompter() = default;
  explicit ScriptedPrompter(std::deque<ScriptedAnswer> answers) : answers_(std::move(answers)) {}

  void push(ScriptedAnswer a) { answers_.push_back(std::move(a)); }
  const std::vector<AskRecord>& asked() const { return asked_; }
  size_t pending() const { return answers_.size(); }
  void clear() { asked_.clear(); answers_.clear(); }

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
  void beep() override;
  // Recorded (the title in text); it asks nothing.
  void appTitle(const std::string& title) override;

 private:
  ScriptedAnswer next(const AskRecord& rec);
  std::optional<std::string> fileAnswer(AskKind kind, const FileDialogRequest& r);
  std::deque<ScriptedAnswer> answers_;
  std::vector<AskRecord> asked_;
};

}  // namespace qorva
