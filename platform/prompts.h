#pragma once
// The one door through which the program asks the user something or tells him something.
// The window installs a Qt implementation, the command-line modes a batch one that never blocks,
// the tests a scripted one. Texts at this seam are UTF-8; the callers convert their DOS texts first.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qorva {

enum class YesNoCancel { Yes, No, Cancel };

// What a file or folder dialog starts from.
struct FileDialogRequest {
  std::string title;
  std::string startDir;   // folder the dialog opens in
  std::string fileName;   // preset name (save dialogs)
  std::string filter;     // "*.qva" style patterns separated by ";"
  std::string filterName; // shown description of the filter
};

// How a number dialog judges what was typed before it closes: accepted, or the message (UTF-8) it
// shows with a beep and the text its edit shows when it asks again.
struct NumberVerdict {
  bool accepted = true;
  std::string message;
  std::string nextText;
};
using NumberCheck = std::function<NumberVerdict(const std::string& typed)>;

class Prompter {
 public:
  virtual ~Prompter() = default;

  // Choice among entries; preselect and result are 0-based. nullopt = cancelled.
  virtual std::optional<int> choice(const std::string& prompt, const std::vector<std::string>& entries,
                                    int preselect) = 0;
  // Yes/no radio question with a preset answer. nullopt = cancelled.
  virtual std::optional<bool> yesNo(const std::string& prompt, bool presetYes) = 0;
  // Message box with Yes, No and Cancel buttons.
  virtual YesNoCancel yesNoCancel(const std::string& caption, const std::string& text) = 0;
  // One line of text with a preset; maxLength <= 0 means unlimited. nullopt = cancelled.
  virtual std::optional<std::string> text(const std::string& prompt, int maxLength, const std::string& preset) = 0;
  // A number typed as text: the dialog keeps asking until check accepts the text or the user cancels.
  // Prompters that cannot judge in the dialog return the text; the caller judges it again anyway.
  virtual std::optional<std::string> number(const std::string& prompt, int maxLength, const std::string& preset,
                                            const NumberCheck& check) {
    (void)check;
    return text(prompt, maxLength, preset);
  }
  // Message box with an OK button; the caption names the kind ("Fehler : ", "Hilfe", "Meldung:");
  // an empty caption stands for the application's title.
  virtual void message(const std::string& caption, const std::string& text) = 0;
  // Modal window showing fixed lines of text.
  virtual void textScreen(const std::string& caption, const std::vector<std::string>& lines) = 0;
  virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> directory(const FileDialogRequest& request) = 0;
  // Audible hint for rejected input.
  virtual void beep() = 0;
  // The application's title (the window title is the shell's); the hourglass or the arrow cursor.
  virtual void appTitle(const std::string& title) { (void)title; }
  virtual void waitCursor(bool wait) { (void)wait; }
  // False where nobody can answer (batch runs): loops that retry after a shown failure give up.
  virtual bool canAnswer() const { return true; }
};

// The installed implementation; a batch prompter until something else is installed.
Prompter& prompter();
// Installs p and returns the previous one (nullptr restores the batch prompter).
std::unique_ptr<Prompter> installPrompter(std::unique_ptr<Prompter> p);

}  // namespace qorva
