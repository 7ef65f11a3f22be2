// springfile: save question, saving and the recent-file list.
#include "shell/springfile.h"

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/yesnoprompt.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "platform/sysname.h"
#include "spring/springdatafile.h"

namespace qorva {

Outcome AskSaveChanges(const Spring& s) {
  auto& k = programState;
  if (k.FileNameHasPath && k.ArchiveMode) {
    // A file named on the command line in archive mode is never written back.
    k.InputModified = false;
    return Outcome::Done;
  }
  if (!k.CurrentFileName.empty() && k.InputModified) {
    const std::string path = k.FileNameHasPath
                                 ? k.CurrentFileName
                                 : TrimAndAddSlash(k.DataDir) + k.CurrentFileName + "." + k.DataExt;
    k.ErrorFlag = false;
    const bool yes = AskYesNoCancel("Datei speichern (" + path + ") ?");
    if (k.ErrorFlag) return Outcome::Cancelled;
    if (yes) {
      // The input was not saved, so it stays marked.
      if (!SaveSpringFile(s, k.CurrentFileName)) {
        k.ErrorFlag = true;
        return Outcome::Failed;
      }
      k.InputModified = false;
      return Outcome::Done;
    }
    k.InputModified = false;
    return Outcome::Done;
  }
  if (k.InputModified) {
    k.ErrorFlag = false;
    const bool discard = AskYesNoCancel("Bisherige Eingaben verwerfen ?");
    if (!discard || k.ErrorFlag) {
      k.ErrorFlag = true;
      return Outcome::Cancelled;
    }
    k.InputModified = false;
  }
  return Outcome::Done;
}

bool SaveSpringFile(const Spring& s, const std::string& name) {
  desktopSettings.ConfirmOverwrite = false;
  const bool ok = WriteSpringFile(s, name);
  desktopSettings.ConfirmOverwrite = true;
  return ok && !programState.ErrorFlag;
}

std::string RecentFileEntry(const std::string& name) {
  return TrimAndAddSlash(programState.DataDir) + name + "." + programState.DataExt;
}

void PushRecentFile(const std::string& name) {
  auto& recent = desktopSettings.RecentFiles;
  const std::string full = RecentFileEntry(name);
  // An entry that moved up into place n is not compared again. Case counts as file lookups count it
  // ("\x9A" matches "\x81" as "U" matches "u").
  for (int32_t n = 1; n <= 4; ++n) {
    if (SameDosNameNoCase(recent[static_cast<size_t>(n)], full)) RemoveRecentFile(n);
  }
  for (size_t n = 4; n >= 2; --n) recent[n] = recent[n - 1];
  recent[1] = full;
}

void RemoveRecentFile(int32_t n) {
  if (n < 1 || n > 4) return;
  auto& recent = desktopSettings.RecentFiles;
  for (size_t m = static_cast<size_t>(n); m < 4; ++m) recent[m] = recent[m + 1];
  recent[4].clear();
}

std::string ShortenPath(const std::string& path) {
  if (path.size() < 50) return path;
  const size_t p1 = path.find_first_of("/\\");
  const size_t p2 = path.find_last_of("/\\");
  if (p1 == std::string::npos || p1 >= p2) return path;
  return path.substr(0, p1 + 1) + "..." + path.substr(p2);
}

bool DefaultSpringExists() {
  return FileCanOpen(TrimAndAddSlash(programState.DataDir) + kDefaultSpringName + "." + programState.DataExt);
}

bool ReadDefaultSpring(Spring& s) {
  if (!DefaultSpringExists()) return false;
  const bool read = ReadSpringFile(s, kDefaultSpringName);
  programState.CurrentFileName.clear();
  return read;
}

RecentOpen OpenRecentFileCore(Spring& s, int32_t n) {
  auto& k = programState;
  if (n < 1 || n > 4 || desktopSettings.RecentFiles[static_cast<size_t>(n)].empty()) return RecentOpen::Stopped;
  k.ErrorFlag = false;
  if (AskSaveChanges(s) != Outcome::Done) return RecentOpen::Stopped;
  const std::string path = desktopSettings.RecentFiles[static_cast<size_t>(n)];
  if (!FileCanOpen(path)) {
    RemoveRecentFile(n);
    ShowInfoBox("File " + path + " not found !");
    return RecentOpen::Missing;
  }
  const std::string oldName = k.CurrentFileName;
  const std::string oldDir = k.DataDir;
  const bool oldHasPath = k.FileNameHasPath;
  k.CurrentFileName = FileBaseName(path);
  k.DataDir = FileDir(path);
  if (!ReadSpringFile(s, path)) {
    // The reader keeps the spring as it was; the current file goes with it.
    k.CurrentFileName = oldName;
    k.DataDir = oldDir;
    k.FileNameHasPath = oldHasPath;
    return RecentOpen::Failed;
  }
  PushRecentFile(k.CurrentFileName);
  k.InputModified = false;
  return RecentOpen::Read;
}

}  // namespace qorva
