// workdir: the run's private folder for work files.
#include "foundation/workdir.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "platform/sysname.h"

namespace qorva {

Workdir workdir;

namespace {

constexpr const char* kFolderPrefix = "qorva-";
// Held locked by the run that owns the folder, for as long as it runs; the lock goes with the
// process however it ends, so a folder whose mark nobody holds belongs to a run that died.
constexpr const char* kInUseMark = ".in-use";
int inUseFd = -1;

// A folder the sweep may take: a real folder of this user, left alone for more than a minute (a
// run that has just made its folder has not yet locked its mark).
bool OldFolderOfMine(const std::string& path, time_t now) {
  struct stat st{};
  return SysLstat(path, st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && now - st.st_mtime > 60;
}

// Removes the work folders that runs killed by a signal or a crash left in base.
void RemoveDeadWorkDirs(const std::string& base) {
  const time_t now = ::time(nullptr);
  const std::size_t len = std::char_traits<char>::length(kFolderPrefix) + 6;
  for (const std::string& name : SysListFolder(base)) {
    if (name.size() != len || !name.starts_with(kFolderPrefix)) continue;
    const std::string path = base + name;
    if (!OldFolderOfMine(path, now)) continue;
    const int fd = SysOpen(path + "/" + kInUseMark, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    std::error_code ec;
    if (fd < 0) {
      // No mark: an empty folder of a run that died before it marked its folder (or of an earlier
      // version). Anything else of that name is not ours to take.
      if (errno == ENOENT) std::filesystem::remove(SysPath(path), ec);
      continue;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) std::filesystem::remove_all(SysPath(path), ec);
    ::close(fd);
  }
}

}  // namespace

bool MakeWorkDir(const std::string& base) {
  if (!workdir.Dir.empty()) return true;
  std::string dir = TrimAndAddSlash(base);
  if (dir.empty()) dir = "./";
  RemoveDeadWorkDirs(dir);
  std::string pattern = dir + "qorva-XXXXXX";
  if (!SysMakeTempDir(pattern)) return false;
  inUseFd = SysOpen(pattern + "/" + kInUseMark, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (inUseFd >= 0) ::flock(inUseFd, LOCK_EX | LOCK_NB);
  // A relative folder would be lost when the current folder changes (a current folder without a
  // DOS name leaves it relative).
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(SysPath(pattern), ec);
  std::string dosFull;
  workdir.Dir = !ec && DosNameFromPath(full.lexically_normal(), dosFull) ? dosFull : pattern;
  return true;
}

void RemoveWorkDir() {
  if (workdir.Dir.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(SysPath(workdir.Dir), ec);
  workdir.Dir.clear();
  if (inUseFd >= 0) ::close(inUseFd);
  inUseFd = -1;
}

std::string WorkFolder() { return TrimAndAddSlash(workdir.Dir.empty() ? programState.TempDir : workdir.Dir); }

std::string WorkPath(const std::string& name) { return WorkFolder() + name; }

bool IsWorkFile(const std::string& path) {
  return !workdir.Dir.empty() && path.size() > workdir.Dir.size() && path.starts_with(workdir.Dir) &&
         path[workdir.Dir.size()] == '/';
}

std::string BatchResultFile(const std::string& ext) {
  std::string name = programState.CurrentFileName + "." + ext;
  if (!workdir.ResultsInWorkDir || workdir.Dir.empty()) return name;
  // The file routines read "\" as a separator; the result's own name is the shell's to place.
  std::replace(name.begin(), name.end(), '\\', '_');
  return WorkPath(name);
}

std::string ShownFileName(const std::string& path) {
  if (workdir.Dir.empty()) return path;
  const std::string folder = TrimAndAddSlash(workdir.Dir);
  if (path.compare(0, folder.size(), folder) != 0) return path;
  std::string name = programState.CurrentFileName.empty() ? programState.ProgStem : programState.CurrentFileName;
  // A spring named on the command line keeps its extension in the current name: "feder.qva" is
  // shown as "feder.txt", not "feder.qva.txt".
  if (!programState.DataExt.empty() && UpperStr(FileExtOf(FileNameOf(name))) == UpperStr(programState.DataExt))
    name = PathNoExt(name);
  const std::string ext = FileExtOf(FileNameOf(path));
  return ext.empty() ? name : name + "." + ext;
}

}  // namespace qorva
