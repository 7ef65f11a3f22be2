// filecheck: checked text-file steps, the output-name check and the file choosers.
#include "foundation/filecheck.h"

#include "foundation/fileattributes.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/yesnoprompt.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "platform/prompts.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

const char* const kDiskFull = "Diskette/Platte voll";
const char* const kArchiveRefusal = "File- und User- Befehle sind im Archivierungsmodus nicht m\x94glich.";

// A failing creation is shown and retried this often at most, even while someone confirms each try.
constexpr int kRewriteTries = 10;

std::string InvalidNameText(const std::string& fileName) {
  return "Ung\x81ltiger Dateiname \"" + fileName + "\" !";
}

// A name the program cannot hold is shown as near as the display allows.
std::string UnusableNameText(const std::string& sysName) {
  return InvalidNameText(Utf8ToDos(sysName)) +
         " Der Name enth\x84lt Zeichen, die das Programm nicht verwenden kann.";
}

bool HasDot(const std::string& s) { return s.find('.') != std::string::npos; }

// In archive mode a file named on the command line may not be replaced by another; otherwise the
// command-line name is used up by this choice.
bool RefusedInArchiveMode(bool exceptAktuell, const std::string& name) {
  if (programState.FileNameHasPath && programState.ArchiveMode && !(exceptAktuell && name == "aktuell")) {
    ReportError(kArchiveRefusal);
    programState.ErrorFlag = true;
    return true;
  }
  programState.FileNameHasPath = false;
  return false;
}

std::string DataFileName(const std::string& name) {
  return TrimAndAddSlash(programState.DataDir) + name + "." + programState.DataExt;
}

}  // namespace

void RewriteChecked(TextFile& f) {
  if (f.Rewrite()) return;
  ReportError(f.IoResult() == io::WriteError ? kDiskFull : "file write error");
  programState.ErrorFlag = true;
}

void WriteTextChecked(TextFile& f, const std::string& s) {
  if (programState.ErrorFlag) return;
  // Written out at once, so that the first failing write is the one reported.
  if (f.Write(s) && f.Flush()) return;
  switch (f.IoResult()) {
    case io::ReadError:
      ReportError("Lesefehler");
      break;
    case io::WriteError:
      ReportError(kDiskFull);
      break;
    case io::LineTooLong:
      ReportError("Falsches numerisches Format");
      break;
    default:
      ReportError("Fehler bei Zugriff auf Diskette/Platte");
      break;
  }
  programState.ErrorFlag = true;
}

void CloseChecked(TextFile& f) {
  // A write that already failed was reported by its own step; the close only keeps the old file.
  const bool reported = f.Failed();
  if (f.Close()) return;
  if (!reported) ReportError(f.IoResult() == io::WriteError ? kDiskFull : "Fehler beim Schlie\xE1" "en einer Datei");
  programState.ErrorFlag = true;
}

void FileMustExist(const std::string& fileName) {
  if (FileCanOpen(fileName)) return;
  ReportError("Datei " + TrimStr(fileName) + " nicht gefunden oder kein Zugriffsrecht !");
  programState.ErrorFlag = true;
}

void CheckOutputFile(const std::string& fileName) {
  if (CountChar('.', FileNameOf(fileName)) > 1) {
    ShowDosMessage(fileName + " not allowed (too many dots)!");
    programState.ErrorFlag = true;
    return;
  }
  if (FileCanOpen(fileName) && fileName.find("aktuell") == std::string::npos && desktopSettings.ConfirmOverwrite) {
    SetPromptHelp(3055);
    if (!AskYesNoCancel(fileName + " existiert bereits.   \x81" "berschreiben ?")) programState.ErrorFlag = true;
  }
  if (programState.ErrorFlag) return;
  // Try the creation exactly as the writer will do it (a new file beside the old one), then drop it:
  // an existing file stays until its replacement has been written completely.
  TextFile probe;
  probe.Assign(fileName);
  if (!probe.Rewrite()) {
    ReportError(InvalidNameText(fileName));
    programState.ErrorFlag = true;
    return;
  }
  probe.Discard();
}

void AskSaveFile(const std::string& name, std::string& fullName) {
  // Saving the file named on the command line under its own name keeps it the current path: its
  // name already holds the extension.
  const bool sameCommandLineFile = programState.FileNameHasPath && HasDot(name) && name == programState.CurrentFileName;
  if (RefusedInArchiveMode(true, name)) return;
  if (sameCommandLineFile) programState.FileNameHasPath = true;
  if (name.empty()) {
    if (programState.DemoRun) programState.CurrentFileName = "demo";
    FileDialogRequest request;
    request.startDir = SysName(TrimAndAddSlash(programState.DataDir));
    request.fileName = SysName(programState.CurrentFileName);
    request.filter = SysName("*." + programState.DataExt);
    request.filterName = request.filter;
    const std::optional<std::string> chosen = prompter().saveFile(request);
    std::string chosenName;
    std::string path;
    if (chosen && !chosen->empty() && ChosenFileName(*chosen, path)) {
      chosenName = FileNameNoExt(path);
      if (!chosenName.empty()) programState.DataDir = FileDir(path);
    }
    if (chosenName.empty()) programState.ErrorFlag = true;
    ArrowCursor();
    if (programState.ErrorFlag) return;
    fullName = DataFileName(chosenName);
    CheckOutputFile(fullName);
    if (!programState.ErrorFlag) programState.CurrentFileName = chosenName;
    return;
  }
  fullName = HasDot(name) ? name : DataFileName(name);
  CheckOutputFile(fullName);
}

void AskReadFile(const std::string& name, std::string& fullName) {
  if (RefusedInArchiveMode(false, name)) return;
  std::string base = name;
  if (name.empty()) {
    AskOpenFileMode(programState.DataDir, "*." + programState.DataExt, base);
    if (programState.ErrorFlag) return;
  }
  if (!name.empty() && HasDot(name)) {
    fullName = name;
  } else {
    programState.CurrentFileName = base;
    fullName = programState.DataDir.empty() ? base + "." + programState.DataExt : DataFileName(base);
  }
  FileMustExist(fullName);
  if (programState.ErrorFlag) {
    if (fullName != name) programState.CurrentFileName.clear();
    return;
  }
  SilentMessage("Datei " + fullName + " wird eingelesen");
}

void AskOpenFileMode(std::string& dir, const std::string& filter, std::string& name) {
  FileDialogRequest request;
  request.startDir = SysName(RemoveTrailingSlash(dir));
  request.filter = SysName(filter);
  request.filterName = request.filter;
  const std::optional<std::string> chosen = prompter().openFile(request);
  std::string path;
  if (!chosen || chosen->empty() || !ChosenFileName(*chosen, path)) {
    name.clear();
    programState.ErrorFlag = true;
    return;
  }
  dir = FileDir(path);
  name = FileBaseName(path);
}

void AskOpenFile(const std::string& fileName, const std::string& filter, std::string& result) {
  FileDialogRequest request;
  request.startDir = SysName(RemoveTrailingSlash(TrimStr(FileDir(fileName))));
  request.filter = SysName(filter);
  request.filterName = request.filter;
  const std::optional<std::string> chosen = prompter().openFile(request);
  std::string path;
  if (!chosen || chosen->empty() || !ChosenFileName(*chosen, path)) {
    result = fileName;
    programState.ErrorFlag = true;
    return;
  }
  result = path;
}

void AskDirectory(const std::string& dir, std::string& result) {
  FileDialogRequest request;
  if (DirCanEnter(dir)) request.startDir = SysName(dir);
  const std::optional<std::string> chosen = prompter().directory(request);
  std::string path;
  if (!chosen || chosen->empty() || !ChosenFileName(*chosen, path)) {
    result = dir;
    return;
  }
  result = RemoveTrailingSlash(path);
}

bool ChosenFileName(const std::string& chosen, std::string& dosName) {
  if (DosNameFromSys(chosen, dosName)) return true;
  ReportError(UnusableNameText(chosen));
  return false;
}

void RewriteRetry(TextFile& f) {
  for (int tries = 1;; ++tries) {
    if (f.Rewrite()) return;
    const int code = f.IoResult();
    if (code == io::WriteProtected) {
      ReportError("Schreibschutz entfernen !");
    } else if (code == io::DriveNotReady) {
      ReportError("Programmdiskette einlegen !");
    } else {
      ReportError("I/O-Error " + IntStr(code));
    }
    // Trying again only makes sense once someone has seen the failure and could mend it.
    if (!programState.ShowErrors || !prompter().canAnswer() || tries >= kRewriteTries) {
      programState.ErrorFlag = true;
      return;
    }
  }
}

}  // namespace qorva
