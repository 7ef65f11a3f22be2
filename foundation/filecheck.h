#pragma once
// filecheck: the checked steps of writing a text file (reported in German words), the check of an
// output file name with the question before an existing file is overwritten, the choosers of the
// spring data file to save or read, the general file and folder choosers and the existence check.
// Messages go through ReportError (shown only while ShowErrors is set); every failure sets ErrorFlag
// unless said otherwise. Whether an existing file is asked for is desktopSettings.ConfirmOverwrite.

#include <string>

#include "foundation/utilfile.h"

namespace qorva {

// Creates the assigned f for writing; failure: "Diskette/Platte voll" (101) or "file write error".
void RewriteChecked(TextFile& f);
// Writes s without a line end, only while ErrorFlag is clear.
void WriteTextChecked(TextFile& f, const std::string& s);
// Closes f; failure: "Diskette/Platte voll" (101) or "Fehler beim Schließen einer Datei".
void CloseChecked(TextFile& f);
// Opens the file for reading and closes it again; failure: "Datei <name> nicht gefunden oder kein
// Zugriffsrecht !".
void FileMustExist(const std::string& fileName);
// Before a file of that name is written: refuses a name part with more than one ".", asks before an
// existing file is overwritten (unless the name holds "aktuell"), and tries the creation the writer
// will do. Leaves no file behind and changes none: an existing file stays until it is replaced.
void CheckOutputFile(const std::string& fileName);
// Resolves the spring data file (or another output in the data-file manner) to write in fullName;
// an empty name asks with a save dialog in DataDir.
void AskSaveFile(const std::string& name, std::string& fullName);
// Resolves the spring data file to read in fullName; an empty name asks with an open dialog.
void AskReadFile(const std::string& name, std::string& fullName);
// Open dialog in dir for filter ("*.ext"): dir := the chosen file's folder (with its separator),
// name := its name without folder and extension. Nothing chosen: name := "" and ErrorFlag.
void AskOpenFileMode(std::string& dir, const std::string& filter, std::string& name);
// Open dialog in the folder of fileName: result := the chosen file with its full path; nothing
// chosen: result := fileName and ErrorFlag.
void AskOpenFile(const std::string& fileName, const std::string& filter, std::string& result);
// Picks a folder (starting in dir when it can be entered): result := the folder without its final
// separator, or dir when cancelled. Sets no flag.
void AskDirectory(const std::string& dir, std::string& result);
// The DOS name of a file or folder a dialog answered (the system's UTF-8 name, converted exactly).
// A name with characters the program cannot hold is reported ("Ungültiger Dateiname ...") and
// gives false: the caller takes it as no choice. Every chooser here starts in the exact system name
// of its folder and answers through this.
bool ChosenFileName(const std::string& chosen, std::string& dosName);
// Creates f, reporting each failure ("Schreibschutz entfernen !", "Programmdiskette einlegen !",
// "I/O-Error <code>") and trying again once the user has seen it. Where no one sees the failure
// (ShowErrors false, or a prompter that cannot answer) and after a bounded number of tries it gives
// up with ErrorFlag set.
void RewriteRetry(TextFile& f);

}  // namespace qorva
