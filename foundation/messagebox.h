#pragma once
// messagebox: the program's message boxes (error, notice, information, with caption, plain), the help
// topic of the next prompt with the shell service that shows help, the window title, the wait cursor and the
// question for the user's data folder at start. All texts are DOS code page 437; they reach the
// prompter converted to UTF-8.

#include <cstdint>
#include <functional>
#include <string>

namespace qorva {

struct MessageBox {
  // Topic of the help buttons of the next prompt or window; kept until the next SetPromptHelp.
  uint16_t HelpTopic = 0;
  // Shows help for topic (0 = HelpTopic) in mode 0 (text and picture), 1 (text) or 2 (picture).
  // The shell installs it; until then help buttons show nothing.
};

extern MessageBox messageBox;

// Clears HelpTopic; the installed help service stays.
void InitMessageBox();

// Help topic for the help buttons of the next prompt.
void SetPromptHelp(uint16_t topic);
// Shows help through the shell service ShowHelpText (topic 0 means HelpTopic); the text is not used.
// Without the service the user is told that help is not available.
void ShowHelpText(uint16_t topic, const std::string& text, uint16_t mode);

// Message box with OK: caption "Fehler : " for kind 12, "Hilfe" for kind 3, "Meldung:" otherwise.
void ShowMessageKind(const std::string& text, int32_t kind);
void ShowErrorBox(const std::string& text);   // kind 12
void ShowNoticeBox(const std::string& text);  // kind 11
void ShowInfoBox(const std::string& text);    // kind 0
// The error box while ShowErrors is set, nothing otherwise. Sets no flag: every file and I/O routine
// reports through it, so that a file named on the command line is processed without boxes.
void ReportError(const std::string& text);
void ShowMessageCaption(const std::string& caption, const std::string& text);
// Plain message box under the application's title.
void ShowDosMessage(const std::string& text);
// Status notice the program does not display.
void SilentMessage(const std::string& text);

// Composes the window title from ProgTitle, CurrentFileName and DataExt, makes it the application's
// title, sets the arrow cursor and returns it (UTF-8, for the main window) in title.
void SetAppTitle(std::string& title);
void WaitCursor();
void ArrowCursor();
void EndWaitCursor();  // the same as ArrowCursor

// Asks for the user's data folder, a plain folder name below DefaultDataDir (no separators, no "..",
// no drive), and makes DefaultDataDir the current folder. True when a usable folder was given:
// DataDir then holds it. A cancelled or refused answer sets ErrorFlag and returns false (a refused
// one is reported) and leaves DataDir alone; the caller decides whether the program goes on.
bool UserLogin();

}  // namespace qorva
