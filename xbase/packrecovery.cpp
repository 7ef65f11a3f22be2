#include "xbase/packrecovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/sysname.h"
#include "xbase/enginestate.h"

namespace qorva {

PackRecovery packRecovery;

int XbPackStep(int step) { return packRecovery.PackStep ? packRecovery.PackStep(step) : 0; }

namespace {

constexpr const char* kJournalHead = "PACK\n";
constexpr const char* kJournalReady = "READY\n";

std::string journalName(const std::string& table) { return XbForceExt(table, "$PJ"); }

// The second name of an old file while a pack runs: "$PD" for the table, "$PM" for the memo file.
std::string backupName(const std::string& file, size_t index) { return XbForceExt(file, index == 0 ? "$PD" : "$PM"); }

void syncFolder(const std::string& file) {
  std::string dir, name, ext;
  XbFSplit(file, dir, name, ext);
  int fd = SysOpen(dir.empty() ? std::string(".") : dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

int syncFile(const std::string& file) {
  int fd = SysOpen(file, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int err = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return err;
}

// Copies from to a new file to (where a hard link cannot be made): 0 or the system's error.
int copyFile(const std::string& from, const std::string& to) {
  int in = SysOpen(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat st {};
  ::fstat(in, &st);
  int out = SysOpen(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) {
    int err = errno;
    ::close(in);
    return err;
  }
  char buf[65536];
  int err = 0;
  int64_t at = 0;
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    if ((err = XbWriteAt(out, at, buf, static_cast<size_t>(n))) != 0) break;
    at += n;
  }
  if (err == 0 && ::fsync(out) != 0) err = errno;
  ::close(out);
  ::close(in);
  if (err != 0) SysUnlink(to);
  return err;
}

// Takes the lock of the journal file fd; false when another program holds it or the name no
// longer stands for this file (its pack ended in the meantime).
bool lockJournal(int fd, const std::string& name) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  struct stat a {}, b {};
  if (::fstat(fd, &a) != 0 || SysStat(name, b) != 0 || a.st_ino != b.st_ino || a.st_dev != b.st_dev) {
    ::flock(fd, LOCK_UN);
    return false;
  }
  return true;
}

std::string readAll(int fd) {
  std::string s;
  char buf[4096];
  int64_t at = 0;
  for (;;) {
    int64_t n = XbReadAt(fd, at, buf, sizeof buf);
    if (n <= 0) break;
    s.append(buf, static_cast<size_t>(n));
    at += n;
  }
  return s;
}

// Puts back the old files a journal lists when it is complete; true when nothing is left to do.
bool undoJournal(const std::string& text) {
  if (text.size() < std::strlen(kJournalReady) ||
      text.compare(text.size() - std::strlen(kJournalReady), std::string::npos, kJournalReady) != 0)
    return true;  // written only in part: no file was changed yet
  bool ok = true;
  std::string last;
  size_t at = std::strlen(kJournalHead);
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string backup = line.substr(0, tab), file = line.substr(tab + 1);
    last = file;
    struct stat st {}, now {};
    if (SysStat(backup, st) != 0) continue;  // already put back
    if (SysStat(file, now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev) {
      SysUnlink(backup);  // the file was never replaced
      continue;
    }
    if (SysRename(backup, file) != 0) ok = false;
  }
  if (ok && !last.empty()) syncFolder(last);
  return ok;
}

// The second names of a dead pack's old files, once nobody holds them.
void removeBackups(const std::string& table) {
  for (size_t i = 0; i < 2; ++i) {
    const std::string backup = backupName(table, i);
    int fd = SysOpen(backup, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) SysUnlink(backup);
    ::close(fd);
  }
}

}  // namespace

void XbHoldTemp(int fd) {
  if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
}

void XbRemoveIfUnheld(const std::string& path) {
  int fd = SysOpen(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  // A writer's file is young in the moments it is not yet, or no longer, held.
  struct stat a {}, b {};
  if (::fstat(fd, &a) == 0 && S_ISREG(a.st_mode) && ::time(nullptr) - a.st_mtime > 60 &&
      ::flock(fd, LOCK_EX | LOCK_NB) == 0 && SysLstat(path, b) == 0 && a.st_ino == b.st_ino && a.st_dev == b.st_dev)
    SysUnlink(path);
  ::close(fd);
}

void XbRecoverTable(const std::string& table) {
  std::string dir, name, ext;
  XbFSplit(table, dir, name, ext);
  const std::string journal = journalName(table);
  struct stat st {};
  if (SysStat(journal, st) == 0) {
    int fd = SysOpen(journal, O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    if (!lockJournal(fd, journal)) {
      ::close(fd);
      return;  // a pack runs (or just ended): its files are its own
    }
    const bool done = undoJournal(readAll(fd));
    if (done) {
      removeBackups(table);
      SysUnlink(journal);
      syncFolder(table);
    }
    ::close(fd);
    if (!done) return;
  } else {
    removeBackups(table);
  }
  // Temporary files of this table's pack and of its memo file's pack; index files being built.
  const std::string mine = "XBP" + name;
  for (const std::string& f : SysListFolder(dir)) {
    std::string fd, fn, fe;
    XbFSplit(f, fd, fn, fe);
    const bool packTemp = f.size() == mine.size() + 6 && f.compare(0, mine.size(), mine) == 0;
    const bool indexTemp = f.size() == 10 && f.compare(0, 4, ".XBN") == 0;
    const bool memoTemp = SameDosNameNoCase(fn, name) && (fe == ".$$$" || fe == ".$$B");
    if (packTemp || indexTemp || memoTemp) XbRemoveIfUnheld(dir + f);
  }
}

// ---- The journal of one pack ----------------------------------------------------------------

TPackJournal::~TPackJournal() {
  if (fd_ >= 0) Undo();
}

void TPackJournal::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  files_.clear();
}

uint16_t TPackJournal::Begin(const std::vector<std::string>& files) {
  if (files.empty()) return 0;
  name_ = journalName(files[0]);
  fd_ = SysOpen(name_, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return XbIoCode(errno);
  if (!lockJournal(fd_, name_)) {
    ::close(fd_);
    fd_ = -1;
    return 33;
  }
  // A journal left by a pack that died is finished first.
  const std::string left = readAll(fd_);
  if (!left.empty() && !undoJournal(left)) {
    Close();
    return 5;
  }
  std::string text = kJournalHead;
  auto fail = [&](int err) -> uint16_t {
    for (const auto& f : files_) SysUnlink(f.first);
    SysUnlink(name_);
    Close();
    return XbIoCode(err ? err : EIO);
  };
  if (::ftruncate(fd_, 0) != 0) return fail(errno);
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string backup = backupName(files[i], i);
    SysUnlink(backup);
    if (::link(SysName(files[i]).c_str(), SysName(backup).c_str()) != 0) {
      if (int err = copyFile(files[i], backup); err != 0) return fail(err);
    }
    files_.emplace_back(backup, files[i]);
    text += backup + "\t" + files[i] + "\n";
  }
  text += kJournalReady;
  if (XbWriteAt(fd_, 0, text.data(), text.size()) != 0) return fail(errno);
  if (::fsync(fd_) != 0) return fail(errno);
  syncFolder(name_);
  if (int err = XbPackStep(1); err != 0) return fail(err);
  return 0;
}

uint16_t TPackJournal::Commit() {
  if (fd_ < 0) return 0;
  for (const auto& f : files_)
    if (int err = syncFile(f.second); err != 0) return XbIoCode(err);
  syncFolder(name_);
  if (int err = XbPackStep(4); err != 0) return XbIoCode(err);
  // The step: from here on the new files are the table.
  if (SysUnlink(name_) != 0) return XbIoCode(errno);
  syncFolder(name_);
  XbPackStep(5);
  for (const auto& f : files_) SysUnlink(f.first);
  Close();
  return 0;
}

bool TPackJournal::Undo() {
  if (fd_ < 0) return true;
  const bool ok = undoJournal(readAll(fd_));
  if (ok) {
    SysUnlink(name_);
    syncFolder(name_);
  }
  Close();
  return ok;
}

}  // namespace qorva
