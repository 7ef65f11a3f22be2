#include "xbase/memorydataset.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

// The disk table's alias while it is read or written: its own name might be taken by another area.
constexpr const char* kDiskAlias = "XBVFILEDISK";

bool Sorted(LStatusType mode) { return mode == ASCENDING || mode == DESCENDING; }

// A memo field of a memory table is a number, so memo and number fields take each other's values.
char KindOf(char type) { return type == 'F' || type == 'M' ? 'N' : type; }

// A new number for each virtual file of the process: the clock in milliseconds, but never twice the
// same, so that files opened within one tick get different names.
std::string NextFileNumber() {
  static int64_t last = 0;
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now().time_since_epoch()).count();
  last = std::max(now, last + 1);
  return XbIntToText(last, 0);
}

// Field i of the area `to` takes its value from field map[i] of `from`, the field with the same
// name and a kind that can hold it (0: none; the field stays blank).
std::vector<uint8_t> FieldMap(const TDbfControlBlock& to, const TDbfControlBlock& from) {
  std::vector<uint8_t> map(static_cast<size_t>(to.FieldCount) + 1, 0);
  for (uint8_t i = 1; i <= to.FieldCount; ++i)
    for (uint8_t j = 1; j <= from.FieldCount; ++j)
      if (to.Fields[i].Name == from.Fields[j].Name && KindOf(to.Fields[i].Type) == KindOf(from.Fields[j].Type)) {
        map[i] = j;
        break;
      }
  return map;
}

struct FieldCopy {
  std::string text;
  long double real = 0;
  int64_t integer = 0;
  bool flag = false;
};

// The current record of area `from` into the record buffer of area `to`, deletion mark included;
// `to` is the current area afterwards. Nothing is written yet.
void CopyRecord(uint8_t from, uint8_t to, const std::vector<uint8_t>& map) {
  workAreas.CurrentArea = from;
  const TDbfControlBlock& src = *CurrentBlock();
  const bool deleted = Deleted();
  std::vector<FieldCopy> values(map.size());
  for (size_t i = 1; i < map.size(); ++i) {
    const uint8_t j = map[i];
    if (j == 0) continue;
    FieldCopy& v = values[i];
    switch (src.Fields[j].Type) {
      case 'C':
      case 'D': v.text = GetFieldText(j); break;
      case 'N':
      case 'F':
        v.real = GetFieldReal(j);
        v.integer = GetFieldInt(j);
        break;
      case 'M':
        v.integer = GetFieldMemo(j);
        v.real = static_cast<long double>(v.integer);
        break;
      case 'L': v.flag = GetFieldBool(j); break;
      default: break;
    }
  }
  workAreas.CurrentArea = to;
  const TDbfControlBlock& dst = *CurrentBlock();
  ClearRecord();
  SetDeletedFlag(deleted);
  for (size_t i = 1; i < map.size(); ++i) {
    if (map[i] == 0) continue;
    const auto n = static_cast<int32_t>(i);
    const FieldCopy& v = values[i];
    switch (dst.Fields[i].Type) {
      case 'C':
      case 'D': SetFieldText(n, v.text); break;
      case 'N':
      case 'F':
        if (dst.Fields[i].Dec > 0)
          SetFieldReal(n, v.real);
        else
          SetFieldInt(n, v.integer);
        break;
      case 'M': SetFieldMemo(n, static_cast<int32_t>(v.integer)); break;
      case 'L': SetFieldBool(n, v.flag); break;
      default: break;
    }
  }
}

// Steps a progress window of 100 steps through `count` records (shown for 100 records or more).
class RecordProgress {
 public:
  RecordProgress(bool show, int32_t count, const std::string& text) {
    if (!show || count < 100) return;
    every_ = count / 100;
    window_ = std::make_unique<TXbProgress100>();
    window_->Show(text);
  }
  ~RecordProgress() {
    if (window_) window_->Hide();
  }
  RecordProgress(const RecordProgress&) = delete;
  RecordProgress& operator=(const RecordProgress&) = delete;
  void Record() {
    if (window_ && ++done_ % every_ == 0) window_->Step();
  }

 private:
  std::unique_ptr<TXbProgress100> window_;
  int32_t every_ = 1;
  int32_t done_ = 0;
};

// A DBF table opened for reading or writing in the lowest free area; closed again, whatever
// happens, when it goes, and the area `back` selected. The first error is kept (code and context)
// so that it can be reported once everything is tidied up.
class DiskTable {
 public:
  explicit DiskTable(uint8_t back) : back_(back) {}
  ~DiskTable() {
    Close();
    workAreas.CurrentArea = back_;
  }
  DiskTable(const DiskTable&) = delete;
  DiskTable& operator=(const DiskTable&) = delete;

  bool Open(const std::string& command, uint16_t mode) {
    Select(0);
    if (Failed()) return false;
    area_ = SelectedArea();
    const uint16_t keep = workAreas.OpenModeOverride;
    workAreas.OpenModeOverride = mode;
    USE(command);
    workAreas.OpenModeOverride = keep;
    if (!CurrentBlock() && engineState.XbErrorCode == 0) engineState.XbErrorCode = 2;
    return !Failed();
  }
  // Closing completes a written table: its failure counts.
  bool Close() {
    if (area_ == 0) return code_ == 0;
    workAreas.CurrentArea = area_;
    area_ = 0;
    if (CurrentBlock()) {
      engineState.XbErrorCode = 0;
      CloseArea();
      Failed();
    }
    return code_ == 0;
  }
  // Takes an error the engine has just set; true when there is one.
  bool Failed() {
    if (engineState.XbErrorCode == 0) return false;
    if (code_ == 0) {
      code_ = engineState.XbErrorCode;
      context_ = XbTakeErrorContext();
    }
    engineState.XbErrorCode = 0;
    return true;
  }
  uint8_t Area() const { return area_; }
  uint16_t Code() const { return code_; }
  const std::string& Context() const { return context_; }

 private:
  uint8_t back_;
  uint8_t area_ = 0;
  uint16_t code_ = 0;
  std::string context_;
};

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

TXbMemoryDataSet::~TXbMemoryDataSet() {
  try {
    Close();
  } catch (...) {
    // a failing write-back at destruction has been reported by the engine
  }
  // The area must not outlive the buffer it points at.
  try {
    CloseVirtualFile();
  } catch (...) {
  }
}

void TXbMemoryDataSet::SetDbfFileName(const std::string& name) {
  if (!Active()) {
    TXbDataSet::SetDbfFileName(name);
    return;
  }
  // The open contents stay; they now differ from the file named.
  std::string n = Trim(name);
  if (!n.empty() && n.back() != '.') {
    const size_t slash = n.find_last_of('/');
    const size_t dot = n.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) n += ".DBF";
  }
  dbfFileName_ = n;
  s_SetModified();
}

bool TXbMemoryDataSet::FieldTable(std::vector<TDbfFieldEntry>& fields) const {
  fields.clear();
  if (DbfFields.empty()) {
    XbMessageBox("FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen", "", 0);
    return false;
  }
  for (const std::string& line : DbfFields) {
    if (std::count(line.begin(), line.end(), ',') != 3) return false;
    TXbFieldLine f;
    if (!ParseFieldDef(line, f)) return false;
    if (f.Type == 'X') continue;
    if (f.Type == 'M') {
      // No memo file goes with a memory table: the block number is kept as a number.
      f.Type = 'N';
      f.Len = 10;
      f.Dec = 0;
    }
    if (fields.size() == 255) return false;
    TDbfFieldEntry e;
    e.Name = f.Name;
    e.Type = f.Type;
    e.Len = static_cast<uint8_t>(f.Len);
    e.Dec = static_cast<uint8_t>(f.Dec);
    fields.push_back(e);
  }
  return !fields.empty();
}

bool TXbMemoryDataSet::s_OpenArea() {
  movedFrom_ = movedTo_ = 0;
  vfileModified_ = false;
  std::vector<TDbfFieldEntry> fields;
  if (!FieldTable(fields)) return false;
  TDbfControlBlock probe;
  probe.Fields.assign(1, TDbfFieldEntry{});
  probe.Fields.insert(probe.Fields.end(), fields.begin(), fields.end());
  const uint32_t size = RecordSize(probe);
  buffer_.assign(size, 0);
  {
    XbQuietErrors quiet;
    engineState.XbErrorCode = 0;
    const std::string order = appendMode_ == DESCENDING ? " DESCENDING" : appendMode_ == ASCENDING ? " ASCENDING" : "";
    USE("*" + NextFileNumber() + "* VIRTUAL FILE" + order, buffer_.data(), size);
    if (engineState.XbErrorCode == 0 && CurrentBlock()) AddStru(fields);
    if (engineState.XbErrorCode != 0 || !CurrentBlock()) {
      const uint16_t code = engineState.XbErrorCode;
      CloseVirtualFile();
      engineState.XbErrorCode = code;
      return false;
    }
  }
  try {
    if (AfterOpen()) return true;
  } catch (...) {
    CloseVirtualFile();
    throw;
  }
  const uint16_t code = engineState.XbErrorCode;
  CloseVirtualFile();
  engineState.XbErrorCode = code;
  return false;
}

bool TXbMemoryDataSet::AfterOpen() {
  // The key function reads the record through the dataset's fields.
  fieldDefs_ = XbiFieldDefs();
  s_SelectArea("AfterOpen");
  if (Sorted(appendMode_)) Set_VFileMode_To(appendMode_);
  Set_VFileKey_To([this] { return KeyOfCurrent(); });
  // Records read from disk go in sorted in the sorted modes, else in the file's order.
  if (PopulateFromDisk && !ReadFromDisk()) {
    fieldDefs_.clear();
    return false;
  }
  s_SelectArea("AfterOpen");
  if (appendMode_ == LIFO || appendMode_ == INSERTION) Set_VFileMode_To(appendMode_);
  return engineState.XbErrorCode == 0;
}

void TXbMemoryDataSet::CloseVirtualFile() {
  movedFrom_ = movedTo_ = 0;
  TXbDataSet::XbiClose();
  buffer_.clear();
  buffer_.shrink_to_fit();
}

uint16_t TXbMemoryDataSet::XbiClose() {
  if (SaveToDisk && vfileModified_ && area_ != 0 && AreaBlock(area_)) {
    try {
      WriteToDisk();
    } catch (...) {
      CloseVirtualFile();
      throw;
    }
  }
  CloseVirtualFile();
  return XbiOk;
}

std::string TXbMemoryDataSet::KeyOfCurrent() {
  s_SelectArea("DoOnKeymake");
  if (!KeyMaker) return SField(1);
  // The engine's record shown in the active buffer while KeyMaker reads it.
  struct Keep {
    TXbRecordBuffer& active;
    TXbRecordBuffer saved;
    ~Keep() { active = std::move(saved); }
  } keep{active_, active_};
  RecordToBuffer(active_);
  return KeyMaker();
}

void TXbMemoryDataSet::SetAppendMode(LStatusType mode) {
  if (mode < FIFO || mode > DESCENDING) return;
  appendMode_ = mode;
  if (!Active()) return;
  CheckBrowseMode();
  s_SelectArea("SetAppendMode");
  if (!Sorted(mode)) {
    Set_VFileMode_To(mode);
    return;
  }
  Set_VFileKey_To([this] { return KeyOfCurrent(); });
  SortVFile(mode);
  ResyncFromEngine();
}

uint16_t TXbMemoryDataSet::XbiGotoBookmark(TXbBookmark b) {
  if (movedFrom_ != 0) {
    if (b == movedFrom_) b = movedTo_;
    movedFrom_ = movedTo_ = 0;
  }
  return TXbDataSet::XbiGotoBookmark(b);
}

bool TXbMemoryDataSet::s_AppendWithLock() {
  s_SelectArea("Insert");
  // A record appended at the end goes to the end, also when records are inserted.
  struct Mode {
    bool once;
    ~Mode() {
      if (once) Set_VFileMode_To(INSERTION);
    }
  } fifo{appendMode_ == INSERTION && Eof()};
  if (fifo.once) Set_VFileMode_To(FIFO);
  engineState.XbErrorCode = 0;
  qorva::Append();
  const bool ok = engineState.XbErrorCode == 0;
  MoveOffInvisible();
  if (ok) s_SetModified();
  return ok;
}

bool TXbMemoryDataSet::s_ReplaceWithLock() {
  s_SelectArea("Post");
  const int32_t from = qorva::RecNo();
  engineState.XbErrorCode = 0;
  qorva::Replace();
  const bool ok = engineState.XbErrorCode == 0;
  if (ok && Sorted(appendMode_) && qorva::RecNo() != from) {
    movedFrom_ = from;
    movedTo_ = qorva::RecNo();
  }
  MoveOffInvisible();
  if (ok) s_SetModified();
  return ok;
}

bool TXbMemoryDataSet::s_DeleteWithLock() {
  s_SelectArea("Delete");
  engineState.XbErrorCode = 0;
  DeleteRec();
  const bool ok = engineState.XbErrorCode == 0;
  MoveOffInvisible();
  if (ok) s_SetModified();
  return ok;
}

bool TXbMemoryDataSet::s_RestoreWithLock() {
  s_SelectArea("Restore");
  engineState.XbErrorCode = 0;
  RecallRec();
  const bool ok = engineState.XbErrorCode == 0;
  if (ok) s_SetModified();
  return ok;
}

bool TXbMemoryDataSet::ReadFromDisk() {
  if (dbfFileName_.empty() || !XbFileExists(dbfFileName_)) return true;
  const bool open = Active();
  if (open) CheckBrowseMode();
  s_SelectArea("ReadFromDisk");
  const bool ok = ReadRecords();
  if (open) ResyncFromEngine();
  return ok;
}

bool TXbMemoryDataSet::ReadRecords() {
  const uint8_t memory = area_;
  // Records already there make the contents differ from the file, whatever it holds.
  const bool hadRecords = RecCount() > 0;
  uint16_t code = 0;
  std::string context;
  {
    XbQuietErrors quiet;
    DiskTable disk(memory);
    // Read only, and nobody shut out: a table only read from may be in use or write-protected.
    if (disk.Open(dbfFileName_ + " ALIAS " + kDiskAlias, XbModeReadOnlyDenyNone)) {
      const std::vector<uint8_t> map = FieldMap(*AreaBlock(memory), *AreaBlock(disk.Area()));
      workAreas.CurrentArea = disk.Area();
      const int32_t count = RecCount();
      RecordProgress progress(ShowProgress, count, "Reading from disk...");
      for (int32_t n = 1; n <= count; ++n) {
        workAreas.CurrentArea = disk.Area();
        GO(n);
        if (disk.Failed()) break;
        if (hideDeleted_ && qorva::Deleted()) continue;
        CopyRecord(disk.Area(), memory, map);
        qorva::Append();
        if (disk.Failed()) break;
        progress.Record();
      }
    }
    disk.Close();
    workAreas.CurrentArea = memory;
    GoTop();
    disk.Failed();
    code = disk.Code();
    context = disk.Context();
  }
  if (code != 0) {
    // Reported now that the areas are as they were.
    XbSetError(code, context);
    return false;
  }
  vfileModified_ = hadRecords;
  return true;
}

bool TXbMemoryDataSet::WriteToDisk() {
  if (dbfFileName_.empty()) return false;
  if (Active()) CheckBrowseMode();
  s_SelectArea("WriteToDisk");
  std::vector<TDbfFieldEntry> fields;
  if (!FieldTable(fields)) return false;
  // The disk file itself, also when its name differs in case from DbfFileName.
  const std::string target = XbResolveFileName(dbfFileName_);
  std::string dir, base, ext;
  XbFSplit(target, dir, base, ext);
  std::string tmpl = dir + "XBP" + base + "XXXXXX.DBF";
  const int fd = SysMakeTemp(tmpl, 0, 4);
  if (fd < 0) {
    XbSetError(XbIoCode(errno), "Fehler beim Schreiben von " + target + " [WriteToDisk]");
    return false;
  }
  ::close(fd);
  const std::string temp(tmpl);
  const int32_t at = qorva::RecNo();
  bool ok = WriteRecords(temp, fields);
  uint16_t code = ok ? 0 : engineState.XbErrorCode;
  std::string context = ok ? std::string() : XbTakeErrorContext();
  s_SelectArea("WriteToDisk");
  GoIfValid(at);
  if (Active() && !IsEmpty()) CursorToActive();
  if (ok) {
    // The new table takes the old one's place (and its permissions) only once it is complete.
    struct stat old {};
    if (SysStat(target, old) == 0) {
      SysChmod(temp, old.st_mode & 07777);
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      SysChmod(temp, 0666 & ~mask);
    }
    const int tfd = SysOpen(temp, O_RDONLY);
    if (tfd < 0 || ::fsync(tfd) != 0 || SysRename(temp, target) != 0) {
      ok = false;
      code = XbIoCode(errno);
      context = "Fehler beim Schreiben von " + target + " [WriteToDisk]";
    }
    if (tfd >= 0) ::close(tfd);
  }
  if (!ok) {
    SysUnlink(temp);
    XbSetError(code != 0 ? code : 1401, context);
    return false;
  }
  vfileModified_ = false;
  return true;
}

bool TXbMemoryDataSet::WriteRecords(const std::string& tempName, const std::vector<TDbfFieldEntry>& fields) {
  const uint8_t memory = area_;
  std::vector<TDbfFieldEntry> defs(1);
  defs.insert(defs.end(), fields.begin(), fields.end());
  XbQuietErrors quiet;
  DiskTable disk(memory);
  {
    TDbfControlBlock created;
    CreateDBF(created, tempName, static_cast<uint16_t>(fields.size()), defs);
  }
  // Nobody else knows the new table: it is held alone, so no record waits for a lock.
  if (!disk.Failed() && disk.Open(tempName + " EXCLUSIVE ALIAS " + kDiskAlias, 0xFFFF)) {
    const std::vector<uint8_t> map = FieldMap(*AreaBlock(disk.Area()), *AreaBlock(memory));
    workAreas.CurrentArea = memory;
    const int32_t count = RecCount();
    RecordProgress progress(ShowProgress, count, "Writing to disk...");
    for (int32_t n = 1; n <= count; ++n) {
      workAreas.CurrentArea = memory;
      GO(n);
      if (disk.Failed()) break;
      if (hideDeleted_ && qorva::Deleted()) continue;
      CopyRecord(memory, disk.Area(), map);
      qorva::Append();
      if (disk.Failed()) break;
      progress.Record();
    }
  }
  const bool ok = disk.Close();
  engineState.XbErrorCode = disk.Code();
  if (!ok) engineState.XbErrorContext = disk.Context();
  return ok;
}

}  // namespace qorva
