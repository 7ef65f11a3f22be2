#include "platform/sysname.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/codepage.h"

namespace qorva {

namespace {

bool holdsNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// The system name of a DOS name for a call; false (errno ENOENT) for a name no file can have.
bool callName(const std::string& dosName, std::string& sys) {
  if (holdsNul(dosName)) {
    errno = ENOENT;
    return false;
  }
  sys = SysName(dosName);
  return true;
}

// Upper and lower case of the code page's accented letters that have both.
constexpr unsigned char kCasePairs[][2] = {
    {0x84, 0x8E},  // ä Ä
    {0x94, 0x99},  // ö Ö
    {0x81, 0x9A},  // ü Ü
    {0x82, 0x90},  // é É
    {0x86, 0x8F},  // å Å
    {0x91, 0x92},  // æ Æ
    {0x87, 0x80},  // ç Ç
    {0xA4, 0xA5},  // ñ Ñ
};

}  // namespace

std::string SysName(std::string_view dosName) {
  std::string out;
  out.reserve(dosName.size());
  for (char c : dosName) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x80) {
      out += c;
    } else {
      AppendUtf8(out, Cp437ToUnicode(b));
    }
  }
  return out;
}

bool DosNameFromSys(std::string_view sysName, std::string& dosName) {
  dosName.clear();
  std::string out;
  out.reserve(sysName.size());
  size_t pos = 0;
  while (pos < sysName.size()) {
    const auto b = static_cast<uint8_t>(sysName[pos]);
    if (b == 0) return false;
    if (b < 0x80) {
      out += sysName[pos++];
      continue;
    }
    char32_t cp = 0;
    if (!NextUtf8(sysName, pos, cp)) return false;
    // Only the code page's characters from 0x80 on: an ASCII code point can only come here
    // from a decoder that accepts what it must not, and would then stand for another name.
    const int dos = cp < 0x80 ? -1 : UnicodeToCp437(cp);
    if (dos < 0x80) return false;
    out += static_cast<char>(dos);
  }
  dosName = std::move(out);
  return true;
}

std::filesystem::path SysPath(std::string_view dosName) { return std::filesystem::path(SysName(dosName)); }

bool DosNameFromPath(const std::filesystem::path& path, std::string& dosName) {
  return DosNameFromSys(path.native(), dosName);
}

char FoldDosNameChar(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  const auto b = static_cast<unsigned char>(c);
  for (const auto& pair : kCasePairs)
    if (b == pair[1]) return static_cast<char>(pair[0]);
  return c;
}

bool SameDosNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldDosNameChar(a[i]) != FoldDosNameChar(b[i])) return false;
  return true;
}

bool DosMaskMatches(std::string_view mask, std::string_view name) {
  size_t mi = 0, ni = 0, star = std::string_view::npos, resume = 0;
  while (ni < name.size()) {
    if (mi < mask.size() && mask[mi] == '*') {
      star = mi++;
      resume = ni;
    } else if (mi < mask.size() && (mask[mi] == '?' || FoldDosNameChar(mask[mi]) == FoldDosNameChar(name[ni]))) {
      ++mi;
      ++ni;
    } else if (star != std::string_view::npos) {
      mi = star + 1;
      ni = ++resume;
    } else {
      return false;
    }
  }
  while (mi < mask.size() && mask[mi] == '*') ++mi;
  return mi == mask.size();
}

int SysOpen(const std::string& dosName, int flags, mode_t mode) {
  std::string sys;
  return callName(dosName, sys) ? ::open(sys.c_str(), flags, mode) : -1;
}

int SysStat(const std::string& dosName, struct stat& st) {
  std::string sys;
  return callName(dosName, sys) ? ::stat(sys.c_str(), &st) : -1;
}

int SysLstat(const std::string& dosName, struct stat& st) {
  std::string sys;
  return callName(dosName, sys) ? ::lstat(sys.c_str(), &st) : -1;
}

int SysAccess(const std::string& dosName, int mode, int flags) {
  std::string sys;
  return callName(dosName, sys) ? ::faccessat(AT_FDCWD, sys.c_str(), mode, flags) : -1;
}

int SysChmod(const std::string& dosName, mode_t mode) {
  std::string sys;
  return callName(dosName, sys) ? ::chmod(sys.c_str(), mode) : -1;
}

int SysRename(const std::string& from, const std::string& to) {
  std::string a, b;
  if (!callName(from, a) || !callName(to, b)) return -1;
  return ::rename(a.c_str(), b.c_str());
}

int SysUnlink(const std::string& dosName) {
  std::string sys;
  return callName(dosName, sys) ? ::unlink(sys.c_str()) : -1;
}

std::FILE* SysFopen(const std::string& dosName, const char* mode) {
  std::string sys;
  return callName(dosName, sys) ? std::fopen(sys.c_str(), mode) : nullptr;
}

int SysMakeTemp(std::string& dosTemplate, int flags, int suffixLength) {
  std::string sys;
  if (suffixLength < 0 || static_cast<size_t>(suffixLength) + 6 > dosTemplate.size() ||
      !callName(dosTemplate, sys)) {
    errno = EINVAL;
    return -1;
  }
  // The six X become ASCII: they are copied back to the same place before the suffix.
  const size_t sysSuffix = SysName(dosTemplate.substr(dosTemplate.size() - static_cast<size_t>(suffixLength))).size();
  const int fd = ::mkostemps(sys.data(), static_cast<int>(sysSuffix), flags);
  if (fd < 0) return -1;
  const size_t dosAt = dosTemplate.size() - static_cast<size_t>(suffixLength) - 6;
  dosTemplate.replace(dosAt, 6, sys, sys.size() - sysSuffix - 6, 6);
  return fd;
}

bool SysMakeTempDir(std::string& dosTemplate) {
  std::string sys;
  if (dosTemplate.size() < 6 || !callName(dosTemplate, sys)) return false;
  if (!::mkdtemp(sys.data())) return false;
  dosTemplate.replace(dosTemplate.size() - 6, 6, sys, sys.size() - 6, 6);
  return true;
}

bool SysRealPath(const std::string& dosName, std::string& real) {
  real.clear();
  std::string sys;
  if (!callName(dosName, sys)) return false;
  char* r = ::realpath(sys.c_str(), nullptr);
  if (!r) return false;
  const bool ok = DosNameFromSys(r, real);
  std::free(r);
  if (!ok) errno = EILSEQ;
  return ok;
}

std::vector<std::string> SysListFolder(const std::string& dosFolder) {
  std::vector<std::string> names;
  std::string sys;
  if (!callName(dosFolder.empty() ? std::string(".") : dosFolder, sys)) return names;
  DIR* d = ::opendir(sys.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    const std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    std::string dos;
    if (DosNameFromSys(n, dos)) names.push_back(std::move(dos));
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool SysEnvName(const char* variable, std::string& dosName) {
  dosName.clear();
  const char* v = std::getenv(variable);
  if (!v || !*v) return false;
  return DosNameFromSys(v, dosName);
}

}  // namespace qorva
