// datafolder: the program's data folder and the user's copies of changed shipped files.
#include "foundation/datafolder.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "platform/sysname.h"

namespace qorva {

Datafolder datafolder;

void InitDatafolder() { datafolder = Datafolder{}; }

namespace {

namespace fs = std::filesystem;

std::string DosPath(const fs::path& p) {
  std::string dos;
  return DosNameFromPath(p.lexically_normal(), dos) ? RemoveTrailingSlash(dos) : std::string();
}

bool IsFile(const std::string& name) {
  struct stat st {};
  return SysStat(name, st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

// p lies in folder (both absolute and normal).
bool Within(const fs::path& p, const fs::path& folder) {
  auto f = folder.begin(), q = p.begin();
  for (; f != folder.end() && !f->empty(); ++f, ++q)
    if (q == p.end() || *q != *f) return false;
  return true;
}

}  // namespace

std::string FindShippedFolder(const std::string& stem) {
  std::error_code ec;
  const fs::path self = fs::weakly_canonical(fs::read_symlink("/proc/self/exe", ec), ec);
  if (self.empty()) return "";
  // Installed: <prefix>/bin/<program> and <prefix>/share/<stem>.
  const fs::path installed = self.parent_path().parent_path() / "share" / stem;
  if (IsFolder(installed)) return DosPath(installed);
#if defined(QORVA_BUILD_TREE) && defined(QORVA_SOURCE_DATA)
  // A program of the build tree reads the files of the tree it was built from.
  const fs::path build = fs::weakly_canonical(QORVA_BUILD_TREE, ec);
  if (!ec && Within(self, build) && IsFolder(QORVA_SOURCE_DATA)) return DosPath(QORVA_SOURCE_DATA);
#endif
  return "";
}

std::string FindUserCopyFolder(const std::string& stem) {
  std::string base;
  if (SysEnvName("XDG_DATA_HOME", base) && !base.empty() && base[0] == '/') return TrimAndAddSlash(base) + stem;
  if (SysEnvName("HOME", base) && !base.empty() && base[0] == '/') return TrimAndAddSlash(base) + ".local/share/" + stem;
  return "";
}

void LocateDataFolders(const std::string& stem) {
  if (datafolder.Shipped.empty()) datafolder.Shipped = FindShippedFolder(stem);
  if (datafolder.UserCopies.empty()) datafolder.UserCopies = FindUserCopyFolder(stem);
}

bool IsShippedFolder(const std::string& dir) {
  if (datafolder.Shipped.empty() || dir.find_first_not_of(' ') == std::string::npos) return false;
  std::error_code ec, ec2;
  const fs::path a = fs::weakly_canonical(SysPath(RemoveTrailingSlash(dir)), ec);
  const fs::path b = fs::weakly_canonical(SysPath(datafolder.Shipped), ec2);
  return !ec && !ec2 && a == b;
}

std::string DataFileToRead(const std::string& dir, const std::string& name) {
  if (IsShippedFolder(dir) && !datafolder.UserCopies.empty()) {
    const std::string copy = ResolveFileCase(TrimAndAddSlash(datafolder.UserCopies) + name);
    if (IsFile(copy)) return copy;
  }
  return TrimAndAddSlash(dir) + name;
}

std::string DataFileToChange(const std::string& dir, const std::string& name) {
  if (!IsShippedFolder(dir)) return TrimAndAddSlash(dir) + name;
  const std::string shipped = ResolveFileCase(TrimAndAddSlash(dir) + name);
  if (datafolder.UserCopies.empty()) {
    ReportError("Datei " + shipped + " kann nicht ge\x84ndert werden: kein Ordner f\x81r eigene Kopien (HOME)");
    programState.ErrorFlag = true;
    return "";
  }
  const std::string copy = ResolveFileCase(TrimAndAddSlash(datafolder.UserCopies) + name);
  if (IsFile(copy)) return copy;
  std::error_code ec;
  fs::create_directories(SysPath(datafolder.UserCopies), ec);
  if (ec || !CopyFileTo(shipped, copy)) {
    ReportError("Datei " + shipped + " kann nicht nach " + datafolder.UserCopies + " kopiert werden !");
    programState.ErrorFlag = true;
    return "";
  }
  // An installed file is read-only; its copy is the user's to change.
  struct stat st {};
  if (SysStat(copy, st) == 0) SysChmod(copy, (st.st_mode & 07777) | S_IRUSR | S_IWUSR);
  return copy;
}

}  // namespace qorva
