#include "foundation/utilfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/machinefacts.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "platform/sysname.h"

namespace qorva {

TextFile ShareTextFile;

namespace {

constexpr std::size_t kReadChunk = 65536;
constexpr std::size_t kWriteChunk = 16384;
// A rewrite goes to a temporary file that nobody reads before it is complete: it holds back more,
// which spares most of the system calls of a large file (a drawing of many megabytes).
constexpr std::size_t kRewriteChunk = 262144;

bool isSep(char c) { return c == '/' || c == '\\'; }

// "X:" at the start of a name read from a stored file.
bool hasDrive(const std::string& s) {
  return s.size() >= 2 && s[1] == ':' &&
         ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

// Index just past the folder part (0 when there is none).
std::size_t nameStart(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (isSep(path[i - 1])) return i;
  return hasDrive(path) ? 2 : 0;
}

std::string trimBlanks(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

int openErrorCode(int err) {
  switch (err) {
    case ENOENT: return io::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return io::PathNotFound;
    case EMFILE:
    case ENFILE: return io::TooManyOpenFiles;
    case EROFS: return io::WriteProtected;
    case ENOSPC:
    case EDQUOT: return io::WriteError;
    case ENXIO:
    case ENODEV: return io::DriveNotReady;
    default: return io::AccessDenied;
  }
}

bool isDirectory(const std::string& p) {
  struct stat st{};
  return SysStat(p, st) == 0 && S_ISDIR(st.st_mode);
}

bool existsNoFollow(const std::string& p) {
  struct stat st{};
  return SysLstat(p, st) == 0;
}

void closeFd(int fd) {
  if (fd >= 0) ::close(fd);
}

// Writes every byte, retrying interrupted and partial writes.
bool writeFully(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

// Names of a folder's entries (not "." and ".."), sorted by bytes; names the program cannot hold
// are left out.
std::vector<std::string> listFolder(const std::string& dir) { return SysListFolder(dir); }

// DOS masks: "*.*" matches every name, also names without a dot; case does not count.
bool maskMatches(const std::string& mask, const std::string& name) {
  return DosMaskMatches(mask == "*.*" ? "*" : mask, name);
}

// The permissions a new file gets from open(..., 0666): the process's umask taken away.
mode_t newFileMode() {
  static const mode_t mode = [] {
    mode_t mask = 022;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "Umask:", 6) != 0) continue;
        mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
        break;
      }
      std::fclose(f);
    }
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

constexpr const char* kTempPrefix = ".qorva~";

// Removes the temporary files of runs that died in dir: those no open file holds (the writer of a
// temporary file holds it locked until it is renamed or removed) and that are older than a minute
// (a writer's file is young in the moments it is not yet, or no longer, locked).
void removeDeadTemps(const std::string& dir) {
  const time_t now = ::time(nullptr);
  const size_t len = std::strlen(kTempPrefix) + 6;
  for (const std::string& name : SysListFolder(dir)) {
    if (name.size() != len || name.rfind(kTempPrefix, 0) != 0) continue;
    const std::string path = dir + name;
    const int fd = SysOpen(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    struct stat a{}, b{};
    if (::fstat(fd, &a) == 0 && S_ISREG(a.st_mode) && now - a.st_mtime > 60 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        SysLstat(path, b) == 0 && a.st_ino == b.st_ino && a.st_dev == b.st_dev)
      SysUnlink(path);
    ::close(fd);
  }
}

// Unique temporary file in the folder of target, created exclusively; -1 when none can be created.
// The name is short whatever the target's: a name that just fits would not fit with a suffix.
int createTempBeside(const std::string& target, std::string& temp, int& err) {
  removeDeadTemps(FileDir(target));
  temp = FileDir(target) + kTempPrefix + "XXXXXX";
  int fd = SysMakeTemp(temp, O_CLOEXEC);
  if (fd < 0) {
    err = errno;
    temp.clear();
    return -1;
  }
  ::flock(fd, LOCK_EX | LOCK_NB);  // in use: other runs' sweeps leave it alone
  ::fchmod(fd, newFileMode());
  return fd;
}

// The file a rewrite replaces: a link is followed, so the link stays and its target gets the text.
// "" for a link to a file whose name the program cannot hold: replacing the link instead would
// leave its target unchanged behind a link that is gone.
std::string rewriteTarget(const std::string& name) {
  struct stat st{};
  if (SysLstat(name, st) == 0 && S_ISLNK(st.st_mode)) {
    std::string real;
    if (SysRealPath(name, real)) return real;
    if (errno == EILSEQ) return "";
  }
  return name;
}

// Makes the rename of a finished file survive a crash of the machine; failures here change nothing.
void syncFolderOf(const std::string& path) {
  std::string dir = FileDir(path);
  int fd = SysOpen(dir.empty() ? std::string(".") : dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TextFile

TextFile::~TextFile() {
  // Runs at program end too, when the settings may be gone: no flags are touched here.
  if (mode_ == Mode::Write && !temp_.empty()) {
    Discard();
  } else if (IsOpen()) {
    if (mode_ != Mode::Read && !failed_) writeFully(fd_, buf_.data(), buf_.size());
    closeFd(fd_);
  }
}

void TextFile::resetState() {
  fd_ = -1;
  mode_ = Mode::Closed;
  temp_.clear();
  buf_.clear();
  pos_ = 0;
  unsynced_ = 0;
  atEnd_ = false;
  failed_ = false;
  sync_ = true;
}

bool TextFile::fail(int code) {
  ioResult_ = code;
  failed_ = true;
  programState.ErrorFlag = true;
  return false;
}

bool TextFile::openFailed(int err) {
  ioResult_ = openErrorCode(err);
  return false;
}

void TextFile::Assign(const std::string& name) {
  if (IsOpen()) Close();
  name_ = name;
  target_.clear();
  ioResult_ = io::Ok;
}

bool TextFile::Reset() { return openExisting(O_RDONLY, Mode::Read); }

bool TextFile::Rewrite() {
  if (IsOpen()) Close();
  if (name_.empty()) {
    ioResult_ = io::NotAssigned;
    return false;
  }
  target_ = rewriteTarget(ResolveFileCase(name_));
  if (target_.empty()) return openFailed(EACCES);
  struct stat st{};
  bool exists = SysStat(target_, st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return openFailed(EISDIR);
  int fd = -1;
  std::string temp;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe: there is nothing to keep and nowhere to rename to.
    fd = SysOpen(target_, O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return openFailed(errno);
  } else {
    // A write-protected file stays protected although its folder would let us replace it.
    if (exists && !ReplaceableFile(target_)) return openFailed(EACCES);
    int err = 0;
    fd = createTempBeside(target_, temp, err);
    if (fd < 0) return openFailed(err);
    // The new file keeps the permissions of the one it replaces.
    if (exists) ::fchmod(fd, st.st_mode & 07777);
  }
  resetState();
  fd_ = fd;
  temp_ = temp;
  mode_ = Mode::Write;
  ioResult_ = io::Ok;
  return true;
}

bool TextFile::RewriteScratch() {
  if (!Rewrite()) return false;
  sync_ = false;
  return true;
}

bool TextFile::Append() { return openExisting(O_WRONLY | O_APPEND, Mode::Append); }

// Reading and appending work on the file itself, found whatever the case of its name.
bool TextFile::openExisting(int flags, Mode mode) {
  if (IsOpen()) Close();
  if (name_.empty()) {
    ioResult_ = io::NotAssigned;
    return false;
  }
  target_ = ResolveFileCase(name_);
  if (isDirectory(target_)) return openFailed(EISDIR);
  int fd = SysOpen(target_, flags | O_CLOEXEC);
  if (fd < 0) return openFailed(errno);
  resetState();
  fd_ = fd;
  mode_ = mode;
  ioResult_ = io::Ok;
  return true;
}

bool TextFile::writeAll(const char* p, std::size_t n) {
  if (!writeFully(fd_, p, n)) {
    int err = errno;
    return fail(err == EROFS ? io::WriteProtected : io::WriteError);
  }
  return true;
}

bool TextFile::Flush() {
  if (mode_ != Mode::Write && mode_ != Mode::Append) {
    if (mode_ == Mode::Read) return true;
    return fail(io::NotOpen);
  }
  if (failed_) {
    buf_.clear();
    ioResult_ = io::WriteError;
    programState.ErrorFlag = true;
    return false;
  }
  bool ok = writeAll(buf_.data(), buf_.size());
  unsynced_ += buf_.size();
  buf_.clear();
  if (ok) ioResult_ = io::Ok;
  // A rewrite that is synced at its close has the disk start on what it holds now, a large part at
  // a time, so that the close waits for the last part only. Advice: a failure changes nothing.
  if (ok && sync_ && !temp_.empty() && unsynced_ >= kRewriteChunk && !IsWorkFile(target_)) {
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
    unsynced_ = 0;
  }
  return ok;
}

bool TextFile::Write(std::string_view s) {
  if (mode_ != Mode::Write && mode_ != Mode::Append)
    return fail(mode_ == Mode::Closed ? io::NotOpen : io::NotOpenForOutput);
  if (failed_) {
    // The file is already lost; keep reporting without writing further.
    ioResult_ = io::WriteError;
    programState.ErrorFlag = true;
    return false;
  }
  buf_.append(s.data(), s.size());
  if (buf_.size() >= (temp_.empty() ? kWriteChunk : kRewriteChunk)) return Flush();
  ioResult_ = io::Ok;
  return true;
}

bool TextFile::WriteLn(std::string_view s) {
  bool ok = Write(s);
  return Write("\r\n") && ok;
}

bool TextFile::Close() {
  if (mode_ == Mode::Closed) {
    ioResult_ = io::NotOpen;
    return false;
  }
  bool ok = true;
  if (mode_ == Mode::Write || mode_ == Mode::Append) {
    ok = Flush();
    if (ok && !temp_.empty() && sync_ && IsWorkFile(target_)) sync_ = false;  // it goes at the end of the run
    if (ok && !temp_.empty() && sync_ && ::fsync(fd_) != 0) ok = fail(io::WriteError);
  }
  if (::close(fd_) != 0 && mode_ != Mode::Read && ok) ok = fail(io::WriteError);
  fd_ = -1;
  if (!temp_.empty()) {
    if (ok && SysRename(temp_, target_) != 0) ok = fail(openErrorCode(errno));
    if (ok) {
      if (sync_) syncFolderOf(target_);
    } else {
      SysUnlink(temp_);
    }
  }
  resetState();
  if (ok) ioResult_ = io::Ok;
  return ok;
}

void TextFile::Discard() {
  if (mode_ == Mode::Closed) return;
  closeFd(fd_);
  if (!temp_.empty()) SysUnlink(temp_);
  resetState();
}

bool TextFile::fill() {
  if (pos_ < buf_.size()) return true;
  buf_.resize(kReadChunk);
  pos_ = 0;
  for (;;) {
    ssize_t r = ::read(fd_, buf_.data(), kReadChunk);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      buf_.clear();
      return fail(io::ReadError);
    }
    buf_.resize(static_cast<std::size_t>(r));
    if (r == 0) atEnd_ = true;
    return r > 0;
  }
}

int TextFile::peekByte() {
  if (atEnd_) return -1;
  if (pos_ >= buf_.size() && !fill()) return failed_ && !atEnd_ ? -2 : -1;
  unsigned char c = static_cast<unsigned char>(buf_[pos_]);
  if (c == 0x1A) {  // DOS end-of-file mark
    atEnd_ = true;
    return -1;
  }
  return c;
}

int TextFile::getByte() {
  int c = peekByte();
  if (c >= 0) ++pos_;
  return c;
}

bool TextFile::Eof() {
  if (mode_ != Mode::Read) return true;
  return peekByte() < 0;
}

bool TextFile::ReadLn(std::string& s) {
  s.clear();
  if (mode_ != Mode::Read) return fail(mode_ == Mode::Closed ? io::NotOpen : io::NotOpenForInput);
  for (;;) {
    if (pos_ >= buf_.size() && !atEnd_ && !fill()) {
      if (!atEnd_) return false;  // read error, flag already set
      break;
    }
    if (atEnd_) break;
    // Take the run up to the next line end or end-of-file mark in one step.
    const char* begin = buf_.data() + pos_;
    std::size_t avail = buf_.size() - pos_;
    std::size_t n = 0;
    while (n < avail && begin[n] != '\n' && begin[n] != '\x1A') ++n;
    if (n > MaxLineLength - s.size()) {
      // No line of ours is this long: the file is damaged (or a device without line ends, which
      // would never end), and nothing further of it is read.
      s.append(begin, MaxLineLength - s.size());
      atEnd_ = true;
      buf_.clear();
      pos_ = 0;
      return fail(io::LineTooLong);
    }
    s.append(begin, n);
    pos_ += n;
    if (n < avail) {
      if (begin[n] == '\n') {
        ++pos_;
      } else {
        atEnd_ = true;
      }
      break;
    }
  }
  if (!s.empty() && s.back() == '\r') s.pop_back();
  ioResult_ = io::Ok;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Line routines of the shared text file

void ReadLine(std::string& s) { ShareTextFile.ReadLn(s); }

void ReadCharLine(char& c) {
  std::string s;
  ReadLine(s);
  c = s.empty() ? ' ' : s[0];
}

void ReadInt(int32_t& i) {
  std::string s;
  ReadLine(s);
  i = StrToInt0(s);
}

void ReadWord(uint16_t& w) {
  int32_t i = 0;
  ReadInt(i);
  w = static_cast<uint16_t>(i);
}

void ReadLong(int32_t& i) { ReadInt(i); }

void ReadReal(long double& x) {
  std::string s;
  ReadLine(s);
  std::replace(s.begin(), s.end(), ',', '.');
  x = StrToReal(s);
}

void ReadDouble(double& x) {
  long double v = 0;
  ReadReal(v);
  x = static_cast<double>(v);
}

void ReadBool(bool& b) {
  std::string s;
  ReadLine(s);
  if (!programState.ErrorFlag) b = UpperStr(s) == "TRUE";
}

void ReadBoolDefTrue(bool& b) {
  std::string s;
  ReadLine(s);
  if (!programState.ErrorFlag) b = UpperStr(s) != "FALSE";
}

void ReadFields4(std::string& f1, std::string& f2, std::string& f3, std::string& f4) {
  std::string line;
  ReadLine(line);
  std::string* fields[4] = {&f1, &f2, &f3, &f4};
  std::size_t start = 0;
  for (std::string* f : fields) {
    std::size_t bar = start <= line.size() ? line.find('|', start) : std::string::npos;
    if (bar == std::string::npos) {
      // This field and the ones after it lack their bar.
      f->clear();
      start = line.size() + 1;
      continue;
    }
    *f = line.substr(start, bar - start);
    start = bar + 1;
  }
}

void WriteLine(const std::string& s) { ShareTextFile.WriteLn(s); }

void WriteStr(const std::string& s) { WriteLine(s); }

void WriteText(const std::string& s) {
  if (ShareTextFile.Write(s)) ShareTextFile.Flush();
}

void WriteInt(int32_t i) { WriteLine(IntStr(i)); }

void WriteReal(long double x) {
  // Whole values below 1 (0, -2, ...) are written short; only those: 1 keeps its decimals.
  if (x < 1 && std::fabs(x - std::nearbyint(x)) < 1e-10L) {
    WriteLine(RealStr3Dot(x));
  } else {
    WriteLine(RealStrDecDot(7, x));
  }
}

void WriteBool(bool b) { WriteLine(b ? "TRUE" : "FALSE"); }

void WriteFields4(const std::string& f1, const std::string& f2, const std::string& f3,
                  const std::string& f4) {
  WriteLine(f1 + "|" + f2 + "|" + f3 + "|" + f4 + "|");
}

void WriteFields6(const std::string& f1, const std::string& f2, const std::string& f3,
                  const std::string& f4, const std::string& f5, const std::string& f6) {
  WriteLine(f1 + "|" + f2 + "|" + f3 + "|" + f4 + "|" + f5 + "|" + f6 + "|");
}

void WriteFields8(const std::string& f1, const std::string& f2, const std::string& f3,
                  const std::string& f4, const std::string& f5, const std::string& f6,
                  const std::string& f7, const std::string& f8) {
  WriteLine(f1 + "|" + f2 + "|" + f3 + "|" + f4 + "|" + f5 + "|" + f6 + "|" + f7 + "|" + f8 + "|");
}

void WriteFileHeader(const std::array<std::string, 4>& titleLines) {
  const std::string rule(65, '-');
  std::string version;
  FileVersionStr("", version);  // the running program's own version
  WriteLine(rule);
  WriteLine(programState.ProgTitle + "   V " + version);
  WriteLine("Version " + programState.ProgVersion);
  WriteLine(rule);
  for (std::size_t i = 1; i <= 3; ++i) WriteLine(titleLines[i]);
}

void AssignText(TextFile& f, const std::string& name) { f.Assign(name); }

void CloseText(TextFile& f) {
  if (!f.Close()) programState.ErrorFlag = true;
}

// ---------------------------------------------------------------------------------------------
// Paths

namespace {

// Every folder name takes a separator, whatever character it ends in ("x-", "..", "Ma\xE1"):
// leaving it out would glue the next name onto the folder's; "C:" is a folder name here too.
// Only a file mask ("*") stays as it is.
bool takesSeparator(char ch) { return ch != '*'; }

}  // namespace

std::string TrimAndAddSlash(const std::string& path) {
  std::string t = TrimStr(path);
  if (t.empty() || isSep(t.back()) || !takesSeparator(t.back())) return t;
  return t + "/";
}


std::string RemoveTrailingSlash(const std::string& path) {
  if (path.size() > 1 && isSep(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

std::string FileDir(const std::string& path) { return path.substr(0, nameStart(path)); }

std::string FileNameOf(const std::string& path) { return path.substr(nameStart(path)); }


std::string FileBaseName(const std::string& path) {
  std::string name = path.substr(nameStart(path));
  // A dot at the end is no extension dot, nor is the dot of a hidden file's name.
  std::size_t dot = name.size() > 1 ? name.rfind('.', name.size() - 2) : std::string::npos;
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string FileNameNoExt(const std::string& path) {
  std::string name = path.substr(nameStart(path));
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string PathNoExt(const std::string& path) { return FileDir(path) + FileNameNoExt(path); }

std::string FileExtOf(const std::string& name) {
  std::string n = name.substr(nameStart(name));
  std::size_t dot = n.size() > 1 ? n.find('.', 1) : std::string::npos;
  return dot == std::string::npos ? "" : n.substr(dot + 1);
}

std::string ShortenDots(const std::string& s, int32_t width) {
  if (width >= 0 && s.size() <= static_cast<std::size_t>(width)) return s;
  // k + 1 characters of the end; below width 6 k is negative and both parts are empty.
  const int64_t k = static_cast<int64_t>(width) / 2 - 3;
  const std::size_t head = static_cast<std::size_t>(std::clamp<int64_t>(k, 0, static_cast<int64_t>(s.size())));
  const std::size_t tail =
      static_cast<std::size_t>(std::clamp<int64_t>(k + 1, 0, static_cast<int64_t>(s.size())));
  return s.substr(0, head) + " ... " + s.substr(s.size() - tail);
}

void TrimInPlace(std::string& s) { s = TrimStr(s); }

std::string ResolveFileCase(const std::string& path) {
  if (path.empty() || existsNoFollow(path)) return path;
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  if (existsNoFollow(p)) return p;
  // Walk the components; keep each that exists, else take a case-insensitive match of its folder.
  std::string done;
  std::size_t i = 0;
  if (p[0] == '/') {
    done = "/";
    i = 1;
  }
  while (i <= p.size()) {
    std::size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string comp = p.substr(i, j - i);
    if (!comp.empty()) {
      std::string cand = done + comp;
      if (!existsNoFollow(cand) && comp != "." && comp != "..") {
        for (const std::string& n : listFolder(done)) {
          if (SameDosNameNoCase(n, comp)) {
            cand = done + n;
            break;
          }
        }
        if (!existsNoFollow(cand)) return p;  // no such file in any case
      }
      done = cand;
    }
    if (j < p.size()) done += '/';
    i = j + 1;
  }
  return done;
}

// ---------------------------------------------------------------------------------------------
// Files

bool FileCanOpen(const std::string& name) {
  if (trimBlanks(name).empty()) return false;
  std::string p = ResolveFileCase(name);
  if (isDirectory(p)) return false;
  int fd = SysOpen(p, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool ReplaceableFile(const std::string& path) {
  struct stat st {};
  if (SysStat(path, st) != 0) return errno == ENOENT;
  if (S_ISDIR(st.st_mode)) return false;
  if (!S_ISREG(st.st_mode)) return true;  // a device or a pipe is written as it is
  // Root may write anything: a file nobody may write is protected all the same.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return SysAccess(path, W_OK, AT_EACCESS) == 0;
}

bool EraseFile(const std::string& name) {
  if (!FileCanOpen(name)) return false;
  return SysUnlink(ResolveFileCase(name)) == 0;
}

void DeleteFiles(const std::string& dir, const std::string& mask) {
  std::string full = dir + mask;
  std::string folder = FileDir(full);
  std::string pattern = full.substr(folder.size());
  std::string base = ResolveFileCase(folder);
  if (!base.empty() && !isSep(base.back())) base += '/';
  for (const std::string& n : listFolder(base)) {
    if (maskMatches(pattern, n)) SysUnlink(base + n);  // folders fail and are passed over
  }
}

namespace {

// Copies src to the file dest through a temporary file beside dest. Returns false on failure;
// nothing is left behind then and an existing dest is unchanged.
// literal: dest is taken as written (no other case, no "\" read as a separator).
bool copyBytes(const std::string& src, const std::string& dest, std::size_t block, bool literal = false) {
  std::string from = ResolveFileCase(src);
  if (isDirectory(from) || isDirectory(dest)) return false;
  int in = SysOpen(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st{};
  ::fstat(in, &st);
  std::string target = rewriteTarget(literal ? dest : ResolveFileCase(dest));
  if (target.empty()) {
    ::close(in);
    return false;
  }
  std::string temp;
  int out = -1;
  struct stat dst{};
  if (SysStat(target, dst) == 0 && !S_ISREG(dst.st_mode)) {
    out = SysOpen(target, O_WRONLY | O_TRUNC | O_CLOEXEC);  // a device or a pipe
  } else if (!ReplaceableFile(target)) {
    out = -1;
  } else {
    int err = 0;
    out = createTempBeside(target, temp, err);
    if (out >= 0) ::fchmod(out, st.st_mode & 07777);
  }
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::vector<char> buf(block);
  bool ok = true;
  for (;;) {
    ssize_t r = ::read(in, buf.data(), buf.size());
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      ok = false;
      break;
    }
    if (r == 0) break;
    if (!writeFully(out, buf.data(), static_cast<std::size_t>(r))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (!temp.empty()) {
    if (ok && !IsWorkFile(target) && ::fsync(out) != 0) ok = false;  // a work file goes at the end of the run
    if (::close(out) != 0) ok = false;
    if (ok && SysRename(temp, target) != 0) ok = false;
    if (!ok) SysUnlink(temp);
  } else if (::close(out) != 0) {
    ok = false;
  }
  return ok;
}

}  // namespace

bool CopyFileTo(const std::string& src, const std::string& dest) {
  std::string target = dest;
  std::string name = src.substr(nameStart(src));
  if (trimBlanks(target).empty()) {
    target = name;  // the current folder
  } else if (isSep(target.back()) || isDirectory(ResolveFileCase(target))) {
    target = TrimAndAddSlash(ResolveFileCase(target)) + name;
  }
  return copyBytes(src, target, 8192);
}

bool CopyFileAs(const std::string& src, const std::string& dest) { return copyBytes(src, dest, 8192, true); }

void CopyFileBlocks(const std::string& src, const std::string& dest) {
  if (!copyBytes(src, dest, 2048)) programState.ErrorFlag = true;
}

void CopyFileIfExists(const std::string& srcFile, const std::string& destFile) {
  if (FileCanOpen(srcFile)) CopyFileTo(srcFile, TrimAndAddSlash(FileDir(destFile)));
}

void CopyFilesByMask(const std::string& mask, const std::string& srcDir, const std::string& destDir) {
  // The folders get a separator whatever their last character: the names are composed here.
  std::string s = TrimAndAddSlash(srcDir);
  std::string d = TrimAndAddSlash(destDir);
  bool any = false;
  for (const std::string& n : listFolder(ResolveFileCase(s))) {
    if (!maskMatches(mask, n)) continue;
    any = true;
    CopyFileIfExists(s + n, d + n);
  }
  programState.ErrorFlag = !any;
}

}  // namespace qorva
