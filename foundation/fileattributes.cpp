#include "foundation/fileattributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

bool isFolder(const std::string& p) {
  struct stat st{};
  return SysStat(p, st) == 0 && S_ISDIR(st.st_mode);
}

// The folder a name stands for: "" is the current folder, a trailing separator is dropped.
std::string folderPath(const std::string& dir) {
  std::string d = RemoveTrailingSlash(TrimAndAddSlash(dir));
  return d.empty() ? "." : ResolveFileCase(d);
}

}  // namespace

int32_t FileGetAttr(const std::string& name) {
  std::string p = ResolveFileCase(name);
  struct stat st{};
  if (p.empty() || SysStat(p, st) != 0) return -1;
  int32_t a = 0;
  if (S_ISDIR(st.st_mode)) {
    a |= faDirectory;
  } else {
    a |= faArchive;
  }
  if (SysAccess(p, W_OK) != 0) a |= faReadOnly;
  std::string base = RemoveTrailingSlash(p);
  base = base.substr(FileDir(base).size());
  if (!base.empty() && base[0] == '.' && base != "." && base != "..") a |= faHidden;
  return a;
}

bool HasAttr(const std::string& name, uint16_t mask) {
  int32_t a = FileGetAttr(name);
  if (a < 0) a = 0xFFFF;
  return (a & mask) == mask;
}

bool DirWritable(const std::string& dir) {
  std::string folder = TrimAndAddSlash(dir);
  // A unique name: a fixed one could be a link planted by someone else, or a file of our own.
  std::string tmpl = folder + "x.$$$XXXXXX";
  int fd = SysMakeTemp(tmpl, O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  if (SysUnlink(tmpl) != 0) programState.ErrorFlag = true;
  return true;
}

bool DirExists(const std::string& dir) { return isFolder(folderPath(dir)); }

bool DirCanEnter(const std::string& dir) {
  std::string d = RemoveTrailingSlash(dir);
  if (d.empty()) return false;
  d = ResolveFileCase(d);
  return isFolder(d) && SysAccess(d, X_OK) == 0;
}

}  // namespace qorva
