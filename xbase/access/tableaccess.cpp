// tableaccess: the table-access layer over the table host.
#include "xbase/access/tableaccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <type_traits>
#include <vector>

#include "foundation/datafolder.h"
#include "foundation/errorlist.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "xbase/access/tablehost.h"
#include "xbase/enginestate.h"
#include "platform/sysname.h"

namespace qorva {

TableAccess tableAccess;

void InitTableAccess() { tableAccess = TableAccess{}; }

namespace {

BrowseHost& host() { return tableHost.Table; }

// The engine interrupts its caller on some failures (the index unit raises them). The layer shows
// them as it shows every other engine failure, and its caller goes on: nothing escapes to it.
template <class F>
auto Guarded(F&& command) -> decltype(command()) {
  try {
    return command();
  } catch (EXbaseError&) {
    const uint16_t code = engineState.XbErrorCode != 0 ? engineState.XbErrorCode : 254;
    XbTakeErrorContext();
    engineState.XbErrorCode = 0;
    ReportError("Fehler : Database #" + IntStr(code));
    programState.ErrorFlag = true;
    if constexpr (!std::is_void_v<decltype(command())>) return {};
  }
}


// Creates a file of a name nobody else uses in dir, writes a line into it and removes it again.
// A fixed probe name could meet (and destroy) a file of that name, or another program's probe.
bool ProbeFolderWritable(const std::string& dir) {
  std::string tmpl = TrimAndAddSlash(dir) + "DBFCHK_XXXXXX";
  int fd = SysMakeTemp(tmpl, O_CLOEXEC);
  if (fd < 0) return false;
  static const char line[] = "DBF Write Check\r\n";
  bool ok = true;
  size_t done = 0;
  while (done < sizeof line - 1) {
    const ssize_t w = ::write(fd, line + done, sizeof line - 1 - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(w);
  }
  if (::close(fd) != 0) ok = false;
  if (SysUnlink(tmpl) != 0) ok = false;
  return ok;
}

bool FolderWritable(const std::string& dir) {
  return tableAccess.FolderWritable ? tableAccess.FolderWritable(dir) : ProbeFolderWritable(dir);
}

// Copies the table file source (an existing file) and its memo file, if it has one, into the run's
// work folder. Returns the copy's path, or "" after telling the user what could not be copied.
std::string CopyTableToTemp(const std::string& source) {
  const std::string tempDir = WorkFolder();
  const std::string name = FileNameOf(source);
  const std::string dest = tempDir + name;
  std::vector<std::string> files{source};
  const std::string stem = PathNoExt(source);
  for (const char* ext : {".dbt", ".fpt"}) {
    const std::string memo = ResolveFileCase(stem + ext);
    if (FileCanOpen(memo)) files.push_back(memo);
  }
  for (const std::string& f : files) {
    const std::string target = tempDir + FileNameOf(f);
    struct stat a {}, b {};
    const bool same = SysStat(f, a) == 0 && SysStat(target, b) == 0 && a.st_dev == b.st_dev &&
                      a.st_ino == b.st_ino;
    if (same || TrimStr(tempDir).empty() || !CopyFileTo(f, target)) {
      ReportError("Datei " + f + " kann nicht nach " + tempDir + " kopiert werden !");
      programState.ErrorFlag = true;
      return "";
    }
    // The copy is the user's to change: it keeps the source's permissions, made writable.
    if (SysStat(f, a) == 0) SysChmod(target, (a.st_mode & 07777) | S_IRUSR | S_IWUSR);
  }
  return dest;
}

// A shipped table and its memo file copied to the user's copies (datafolder.h), where its changes
// stay. Returns the copy's path, or "" after telling the user what could not be copied.
std::string CopyTableToUserCopies(const std::string& source) {
  const std::string dir = FileDir(source);
  std::vector<std::string> names{FileNameOf(source)};
  for (const char* ext : {".dbt", ".fpt"}) {
    const std::string memo = ResolveFileCase(PathNoExt(source) + ext);
    if (FileCanOpen(memo)) names.push_back(FileNameOf(memo));
  }
  std::string table;
  for (const std::string& name : names) {
    const std::string copy = DataFileToChange(dir, name);
    if (copy.empty()) return "";
    if (table.empty()) table = copy;
  }
  return table;
}

// Whether the table at source can be changed where it is: its folder takes new files and the file
// may be written (a file without any write bit counts as read-only for root too).
bool WritableInPlace(const std::string& source, const std::string& folder) {
  if (!FolderWritable(folder.empty() ? "." : folder)) return false;
  struct stat st {};
  return SysStat(source, st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
         SysAccess(source, W_OK) == 0;
}

// A table opened for reading only is copied to the work folder once it is to be changed; the copy
// takes its place with the same record and order. False when no copy could be made (told).
bool MakeTableWritable() {
  if (!host().ReadOnly()) return true;
  const std::string source = host().FileName();
  // A table the program ships keeps the user's changes in the user's own copy; any other table
  // that cannot be written where it is is changed in a copy for this run.
  std::string path = IsShippedFolder(FileDir(source)) ? CopyTableToUserCopies(source) : CopyTableToTemp(source);
  if (path.empty()) return false;
  if (!host().Reopen(path, false)) {
    // Back to the table as it was, for reading.
    const bool flag = programState.ErrorFlag;
    host().OpenFile(source, true);
    programState.ErrorFlag = flag;
    return false;
  }
  return true;
}

}  // namespace

void DbfOpenTable(const std::string& name, void* /*buffer*/, int32_t /*size*/) {
  std::string table = TrimStr(name);
  if (FileNameOf(table).find('.') == std::string::npos) table += ".dbf";
  // A table the program ships is read from the user's copy once the user has changed it.
  const std::string file = DataFileToRead(programState.DbfDir, table);
  FileMustExist(file);
  if (programState.ErrorFlag) return;
  const std::string source = ResolveFileCase(file);
  // A table that cannot be changed where it is (a read-only file or folder, a full disk) is read
  // where it is; it is copied only when something is to be written to it. A shipped table is
  // never written where it is.
  const bool copy = source != ResolveFileCase(TrimAndAddSlash(programState.DbfDir) + table);
  const bool shipped = !copy && IsShippedFolder(FileDir(source));
  const bool readOnly = shipped || !WritableInPlace(source, copy ? FileDir(source) : programState.DbfDir);
  Guarded([&] { host().OpenFile(source, readOnly); });
}

void DbfOpenFile(const std::string& path) { Guarded([&] { host().OpenFile(path); }); }

void DbfCloseTable() { Guarded([&] { host().CloseFile(); }); }

void DbfSetTitles(const std::string& title1, const std::string& title2) {
  Guarded([&] { host().SetTitles(DosToWin(title1), DosToWin(title2)); });
}

void DbfBrowse(const std::string& option, uint16_t mode) {
  // Choosing a record reads the table; every other mode may change it.
  const bool choose = mode == 1 || mode == 4 || mode == 5;
  Guarded([&] {
    if (!choose && !MakeTableWritable()) {
      programState.ErrorFlag = true;
      return;
    }
    host().Browse(option, mode);
  });
}

void DbfGoto(int32_t n) {
  const int32_t count = DbfRecCount();
  if (n > count) {
    AddErrorMsg("DBF #" + IntStr(n) + " not found.");
    n = count;
  }
  DbfGoChecked(n);
}

void DbfGoChecked(int32_t n) {
  if (n < 1 || n > DbfRecCount()) n = 1;
  Guarded([&] { host().Go(n); });
}

void DbfFirst() { Guarded([&] { host().First(); }); }
void DbfSkip(int32_t n) { Guarded([&] { host().Skip(n); }); }
bool DbfEof() { return host().Eof(); }
int32_t DbfRecNo() { return host().RecNo(); }
int32_t DbfRecCount() { return Guarded([&] { return host().RecordCount(); }); }

void DbfFieldName(int32_t n, std::string& name) { Guarded([&] { name = host().FieldName(n); }); }
void DbfGetFieldStr(int32_t n, std::string& s) { Guarded([&] { s = host().SField(n); }); }
bool DbfGetFieldBool(const std::string& name) { return Guarded([&] { return host().GetFieldBool(name); }); }
void DbfSetFieldStr(const std::string& name, const std::string& value) {
  Guarded([&] {
    if (MakeTableWritable()) host().SetFieldStr(name, value);
  });
}
void DbfSetFieldInt(const std::string& name, int64_t value) {
  Guarded([&] {
    if (MakeTableWritable()) host().SetFieldInt(name, value);
  });
}
void DbfSetFieldFloat(const std::string& name, long double value) {
  Guarded([&] {
    if (MakeTableWritable()) host().SetFieldFloat(name, value);
  });
}
void DbfSetFieldBool(const std::string& name, bool value) {
  Guarded([&] {
    if (MakeTableWritable()) host().SetFieldBool(name, value);
  });
}
bool DbfAppendRec() { return Guarded([&] { return MakeTableWritable() && host().AppendRecLocked(); }); }
bool DbfDeleted() { return Guarded([&] { return host().Deleted(); }); }
void DbfShowDeleted() { host().ShowDeleted(); }

void DbfIndexOn(const std::string& key, const std::string& indexFile) {
  Guarded([&] { host().IndexOn(key, indexFile); });
}

void DbfTempPath(const std::string& name, std::string& path) { path = WorkPath(name); }

void DbfIndexOnTemp(const std::string& key, const std::string& name) {
  std::string path;
  DbfTempPath(name, path);
  Guarded([&] {
    if (host().IndexOn(key, path)) host().SetIndexTo(path);
  });
}

void DbfNoOp() {}

}  // namespace qorva
