// workdir: the run's private folder for work files.
#include "foundation/workdir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "foundation/kwenvar.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "platform/sysname.h"

namespace qorva {

Workdir workdir;

bool MakeWorkDir(const std::string& base) {
  if (!workdir.Dir.empty()) return true;
  std::string dir = AddBackslash(base);
  if (dir.empty()) dir = "./";
  std::string pattern = dir + "qorva-XXXXXX";
  if (!SysMakeTempDir(pattern)) return false;
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
}

std::string WorkFolder() { return AddBackslash(workdir.Dir.empty() ? kwenvar.TempDir : workdir.Dir); }

std::string WorkPath(const std::string& name) { return WorkFolder() + name; }

bool IsWorkFile(const std::string& path) {
  return !workdir.Dir.empty() && path.size() > workdir.Dir.size() && path.starts_with(workdir.Dir) &&
         path[workdir.Dir.size()] == '/';
}

std::string BatchResultFile(const std::string& ext) {
  std::string name = kwenvar.CurrentFileName + "." + ext;
  if (!workdir.ResultsInWorkDir || workdir.Dir.empty()) return name;
  // The file routines read "\" as a separator; the result's own name is the shell's to place.
  std::replace(name.begin(), name.end(), '\\', '_');
  return WorkPath(name);
}

std::string ShownFileName(const std::string& path) {
  if (workdir.Dir.empty()) return path;
  const std::string folder = AddBackslash(workdir.Dir);
  if (path.compare(0, folder.size(), folder) != 0) return path;
  std::string name = kwenvar.CurrentFileName.empty() ? kwenvar.ProgStem : kwenvar.CurrentFileName;
  // A spring named on the command line keeps its extension in the current name: "feder.qva" is
  // shown as "feder.txt", not "feder.qva.txt".
  if (!kwenvar.DataExt.empty() && UpperStr(FileExtOf(FileNameOf(name))) == UpperStr(kwenvar.DataExt))
    name = PathNoExt(name);
  const std::string ext = FileExtOf(FileNameOf(path));
  return ext.empty() ? name : name + "." + ext;
}

}  // namespace qorva
