#pragma once
// errorhelp: cause and remedy of the calculation's messages, kept in the error-help file
// "<progstem>.err" in PltDir (DOS code page, no header). The file is a sequence of records of three
// lines: the message, its cause ("Ursache"), its remedy ("Abhilfe"). A record belongs to a message
// when their first 14 characters agree; every line of the file is tried in order, so the first line
// of any kind that agrees wins, and a line that agrees but is the file's last counts as no match.
//
// The list of messages after a calculation, the lookups for the reports and the rewrite of one
// record live here, without Qt; the window that shows a record is the service ErrorHelpWindow.

#include <cstdint>
#include <string>

#include "foundation/utilfile.h"
#include "platform/services.h"

namespace qorva {

// Characters of a message that name its record.
constexpr size_t ErrorHelpKeyLength = 14;

// "keine Beschreibung dieser Fehlermeldung vorhanden."
extern const char* const NoErrorDescription;

// TrimAndAddSlash(PltDir) + ProgStem in lower case + ".err"; the user's copy once the user changed the
// shipped file (datafolder.h).
std::string ErrorHelpFileName();

// Whether a line of the file names the record of message: the first 14 characters agree (a shorter
// text is compared whole), exactly and case-sensitively.
bool ErrorHelpKeyMatches(const std::string& line, const std::string& message);

// One record as looked up in an open file.
struct ErrorHelpRecord {
  bool found = false;  // a line agreed and was not the last
  std::string cause;
  std::string remedy;
};
// Reads f from its current position to the record of message.
ErrorHelpRecord ReadErrorHelpRecord(TextFile& f, const std::string& message);

// Cause of message n (1-based in errorList.ErrorMsgs) for a report: empty when the file cannot be read,
// NoErrorDescription when no record matches; unchanged while ErrorFlag is set.
void GetErrorCause(uint16_t n, std::string& text);
// Remedy of message n: empty when the file cannot be read or no record matches.
void GetErrorRemedy(uint16_t n, std::string& text);
// Both, as the report writer asks for them.
void GetErrorHelp(uint16_t n, std::string& cause, std::string& remedy);

// Looks message n up and shows it with cause and remedy in the service ErrorHelpWindow. A missing
// file or window is reported, sets ErrorFlag and fails; a message without record is told, leaves
// ErrorFlag clear and is done; otherwise the window's outcome, with ErrorFlag set unless it is Done.
Outcome ShowErrorHelp(uint16_t n);

// Replaces cause and remedy of the record of message (all DOS texts; line breaks become blanks, so
// every record stays three lines). The file is rewritten whole and replaces the old one only when
// complete. A message without record is told ("<message> not found.") and nothing is written.
// False, with ErrorFlag set where a file failed, when nothing was saved.
bool SaveErrorHelp(const std::string& message, const std::string& cause, const std::string& remedy);

// The messages of the last calculation, offered one after another with their cause and remedy;
// "Berechnung erfolgreich ohne Fehlermeldungen" when there are none. Shows nothing while the demo
// runs or with "/NOGUI" among the program's parameters. Cancelled when the user cancelled the list
// or a message's window, Failed when a message's cause and remedy could not be shown (told to the
// user); ErrorFlag is left set in both cases.
Outcome ShowCalcMessageList();

}  // namespace qorva
