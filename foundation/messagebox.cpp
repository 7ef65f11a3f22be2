// messagebox: message boxes, help topic, window title, cursor and the user's data folder.
#include "foundation/messagebox.h"

#include <filesystem>
#include <system_error>

#include "foundation/programstate.h"
#include "foundation/textprompt.h"
#include "foundation/utilfile.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "platform/prompts.h"
#include "platform/sysname.h"
#include "platform/services.h"

namespace qorva {

MessageBox messageBox;

void InitMessageBox() { messageBox.HelpTopic = 0; }

void SetPromptHelp(uint16_t topic) { messageBox.HelpTopic = topic; }

void ShowHelpText(uint16_t topic, const std::string& /*text*/, uint16_t mode) {
  if (topic == 0) topic = messageBox.HelpTopic;
  services().ShowHelpText(topic, mode);
}

void ShowMessageKind(const std::string& text, int32_t kind) {
  const char* caption = kind == 12 ? "Fehler : " : kind == 3 ? "Hilfe" : "Meldung:";
  prompter().message(caption, DosToUtf8(text));
}

void ShowErrorBox(const std::string& text) { ShowMessageKind(text, 12); }
void ShowNoticeBox(const std::string& text) { ShowMessageKind(text, 11); }
void ShowInfoBox(const std::string& text) { ShowMessageKind(text, 0); }

void ReportError(const std::string& text) {
  if (programState.ShowErrors) ShowMessageKind(text, 12);
}

void ShowMessageCaption(const std::string& caption, const std::string& text) {
  prompter().message(DosToUtf8(caption), DosToUtf8(text));
}

void ShowDosMessage(const std::string& text) { prompter().message("", DosToUtf8(text)); }

void SilentMessage(const std::string& /*text*/) {}

void SetAppTitle(std::string& title) {
  std::string t = DosToUtf8(programState.ProgTitle);
  const std::string& name = programState.CurrentFileName;
  if (!name.empty()) {
    t += "  -  " + DosToUtf8(name);
    // Only a dot in the file name itself is an extension, not one in a folder name.
    if (FileNameOf(name).find('.') == std::string::npos) t += "." + DosToUtf8(programState.DataExt);
  }
  prompter().appTitle(t);
  ArrowCursor();
  title = t;
}

void WaitCursor() { prompter().waitCursor(true); }
void ArrowCursor() { prompter().waitCursor(false); }
void EndWaitCursor() { ArrowCursor(); }

namespace {
// A folder name of its own below the default data folder: no way up, across or onto another drive.
bool PlainFolderName(const std::string& s) {
  if (s.empty() || s == "." || s == "..") return false;
  if (s.size() >= 2 && s[1] == ':') return false;
  return s.find_first_of("/\\") == std::string::npos;
}
}  // namespace

bool UserLogin() {
  std::string answer = programState.DemoRun ? "MOLVA" : "";
  SetPromptHelp(1120);
  AskText("Passwort (User) eingeben ...", 8, answer);
  if (programState.ErrorFlag) return false;

  std::error_code ec;
  const std::string base = RemoveTrailingSlash(desktopSettings.DefaultDataDir);
  std::filesystem::current_path(SysPath(base.empty() ? std::string(".") : base), ec);
  const bool inDefault = !ec;
  if (!inDefault) ReportError("Invalid Directory " + desktopSettings.DefaultDataDir);

  // A folder found only beside wherever the program happens to stand is no folder of the default one.
  if (inDefault && PlainFolderName(answer) && std::filesystem::is_directory(SysPath(answer), ec)) {
    programState.DataDir = answer;
    return true;
  }
  ReportError("Ung\x81ltiges Passwort " + answer + " !");
  programState.ErrorFlag = true;
  return false;
}

}  // namespace qorva
