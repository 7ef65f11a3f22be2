// errorhelp: cause and remedy of the calculation's messages.
#include "shell/errorhelp.h"

#include <vector>

#include "foundation/datafolder.h"
#include "foundation/errorlist.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/choiceprompt.h"
#include "foundation/utilstr.h"
#include "platform/services.h"

namespace qorva {

const char* const NoErrorDescription = "keine Beschreibung dieser Fehlermeldung vorhanden.";


namespace {

// Help topics of the message list.
constexpr uint16_t kMessageListTopic = 1210;

// Reads one line; false at the end of the file.
bool NextLine(TextFile& f, std::string& line) {
  if (f.Eof()) return false;
  return f.ReadLn(line);
}

// A typed line break would split the record; it becomes a blank.
std::string OneLine(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    r += s[i] == '\r' || s[i] == '\n' ? ' ' : s[i];
  }
  return r;
}

const std::string& Message(uint16_t n) {
  static const std::string none;
  return n >= 1 && n <= MaxErrorMsgs ? errorList.ErrorMsgs[n] : none;
}

// The record of message n for a report; not found also when the file cannot be read.
ErrorHelpRecord LookUpForReport(uint16_t n, bool& readable) {
  TextFile f;  // a file of its own: a report is being written through the shared one
  f.Assign(ErrorHelpFileName());
  readable = f.Reset();
  if (!readable) return {};
  return ReadErrorHelpRecord(f, Message(n));
}

}  // namespace

std::string ErrorHelpFileName() { return DataFileToRead(programState.PltDir, LowerStr(programState.ProgStem) + ".err"); }

bool ErrorHelpKeyMatches(const std::string& line, const std::string& message) {
  return line.substr(0, ErrorHelpKeyLength) == message.substr(0, ErrorHelpKeyLength);
}

ErrorHelpRecord ReadErrorHelpRecord(TextFile& f, const std::string& message) {
  ErrorHelpRecord r;
  std::string line;
  while (NextLine(f, line)) {
    if (!ErrorHelpKeyMatches(line, message)) continue;
    if (f.Eof()) return r;  // the file's last line opens no record
    r.found = true;
    NextLine(f, r.cause);
    NextLine(f, r.remedy);
    return r;
  }
  return r;
}

namespace {

// Cause and remedy of a looked-up record as the reports take them.
std::string CauseOf(const ErrorHelpRecord& r, bool readable) {
  if (!readable) return "";
  return r.found ? r.cause : NoErrorDescription;
}

std::string RemedyOf(const ErrorHelpRecord& r) { return r.found ? r.remedy : std::string(); }

// Opens the error-help file for reading; a file that cannot be opened is told and sets ErrorFlag.
bool OpenErrorHelpFile(TextFile& f, const std::string& fileName) {
  f.Assign(fileName);
  if (f.Reset()) return true;
  FileMustExist(fileName);
  programState.ErrorFlag = true;
  return false;
}

}  // namespace

void GetErrorCause(uint16_t n, std::string& text) {
  if (programState.ErrorFlag) return;
  bool readable = false;
  const ErrorHelpRecord r = LookUpForReport(n, readable);
  text = CauseOf(r, readable);
}

void GetErrorRemedy(uint16_t n, std::string& text) {
  bool readable = false;
  text = RemedyOf(LookUpForReport(n, readable));
}

void GetErrorHelp(uint16_t n, std::string& cause, std::string& remedy) {
  // One reading of the file for both; a cause is kept while ErrorFlag is set.
  const bool keepCause = programState.ErrorFlag;
  bool readable = false;
  const ErrorHelpRecord r = LookUpForReport(n, readable);
  if (!keepCause) cause = CauseOf(r, readable);
  remedy = RemedyOf(r);
}

Outcome ShowErrorHelp(uint16_t n) {
  TextFile f;
  if (!OpenErrorHelpFile(f, ErrorHelpFileName())) return Outcome::Failed;
  const ErrorHelpRecord r = ReadErrorHelpRecord(f, Message(n));
  f.Close();
  if (programState.ErrorFlag) return Outcome::Failed;  // the file could not be read to its end
  if (!r.found) {
    ShowMessageCaption("Meldung", NoErrorDescription);
    return Outcome::Done;
  }
  const Outcome shown = services().ErrorHelpWindow(Message(n), r.cause, r.remedy).value_or(Outcome::Failed);
  // The message list ends on ErrorFlag.
  if (shown != Outcome::Done) programState.ErrorFlag = true;
  return shown;
}

bool SaveErrorHelp(const std::string& message, const std::string& cause, const std::string& remedy) {
  // Read whole first: the new file replaces the old one only once it is complete.
  std::vector<std::string> lines;
  const std::string source = ResolveFileCase(ErrorHelpFileName());
  {
    TextFile in;
    if (!OpenErrorHelpFile(in, source)) return false;
    std::string line;
    while (NextLine(in, line)) lines.push_back(line);
    in.Close();
    if (programState.ErrorFlag) return false;
  }
  size_t at = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (ErrorHelpKeyMatches(lines[i], message)) {
      at = i;
      break;
    }
  }
  if (at + 1 >= lines.size()) {
    ShowDosMessage(message + " not found.");
    return false;
  }
  lines[at + 1] = OneLine(cause);
  if (at + 2 < lines.size()) lines[at + 2] = OneLine(remedy);
  else lines.push_back(OneLine(remedy));  // a record cut short by the file's end is completed

  // The shipped file stays as installed: the change goes to the user's copy.
  const std::string target = ResolveFileCase(DataFileToChange(programState.PltDir, LowerStr(programState.ProgStem) + ".err"));
  if (programState.ErrorFlag) return false;
  TextFile out;
  out.Assign(target);
  RewriteChecked(out);
  if (programState.ErrorFlag) return false;
  for (const std::string& line : lines) out.WriteLn(line);
  CloseChecked(out);
  return !programState.ErrorFlag;
}

Outcome ShowCalcMessageList() {
  if (HasParam("/NOGUI") || programState.DemoRun) return Outcome::Done;
  const uint16_t count = errorList.ErrorCount;
  if (count == 0) {
    ShowInfoBox("Berechnung erfolgreich ohne Fehlermeldungen");
    return Outcome::Done;
  }
  programState.ErrorFlag = false;
  std::vector<std::string> entries(errorList.ErrorMsgs.begin() + 1, errorList.ErrorMsgs.begin() + 1 + count);
  entries.push_back("Weiter/zur\x81" "ck...");
  const uint16_t closing = count + 1;
  uint16_t selected = programState.HelpLevel >= 2 ? 1 : closing;
  for (;;) {
    SetPromptHelp(kMessageListTopic);
    if (!AskChoice("Berechnungsmodul meldet Warnungen oder Fehler, siehe Ursache und Abhilfe.", entries, selected) ||
        programState.ErrorFlag)
      return Outcome::Cancelled;
    if (selected == closing) return Outcome::Done;
    const Outcome shown = ShowErrorHelp(selected);
    if (shown != Outcome::Done) return shown;
    if (++selected == closing) return Outcome::Done;  // the last message's help has been seen
  }
}

}  // namespace qorva
