#include "xbase/workareas.h"

#include <fcntl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "xbase/nationaldates.h"

namespace qorva {

WorkAreas workAreas;

namespace {

std::string decimal(int64_t v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

TIndexHooks& ix() { return engineState.IndexHooks; }

// Takes the index's read semaphore for the length of a walk (only while an index controls the
// order); released also when the walk ends with an error.
class ReadBracket {
 public:
  explicit ReadBracket(bool active) : on_(active && ix().SetReadSemaphoreProc) {
    if (on_) ix().SetReadSemaphoreProc(true);
  }
  ~ReadBracket() { release(); }
  void release() {
    if (!on_) return;
    on_ = false;
    try {
      ix().SetReadSemaphoreProc(false);
    } catch (...) {
      // The walk's own error is the one that counts.
    }
  }
  ReadBracket(const ReadBracket&) = delete;
  ReadBracket& operator=(const ReadBracket&) = delete;

 private:
  bool on_;
};

bool hidden(const TDbfControlBlock& cb) {
  if (!cb.IgnoreDeleted) return false;
  if (cb.IsVirtual) return cb.RecordBuffer != nullptr && cb.RecordBuffer[0] != 0;
  return !cb.RawRecord.empty() && cb.RawRecord[0] == '*';
}

// Reads record n and rebuilds the binary record, each field when first asked for; false when the
// read failed. The fields of the record left are never wanted: a failed read keeps that record,
// still able to decode them.
bool readRec(TDbfControlBlock& cb, int32_t n) {
  engineState.XbErrorCode = 0;
  const bool waiting = cb.AnyUndecoded;
  cb.AnyUndecoded = false;
  GetDbfRecord(cb, n);
  if (engineState.XbErrorCode != 0) {
    cb.AnyUndecoded = waiting;
    return false;
  }
  RawToBinaryOnDemand(cb);
  return true;
}

void clearBuffers(TDbfControlBlock& cb) {
  if (cb.IsVirtual) {
    if (cb.RecordBuffer) std::memset(cb.RecordBuffer, 0, cb.RecordBufferSize);
    return;
  }
  cb.RawRecord.assign(cb.RecLen, ' ');
  RawToBinary(cb, cb.RecordBuffer);
}

void toPhantom(TDbfControlBlock& cb, bool bof) {
  clearBuffers(cb);
  cb.RecNo = cb.RecCount + 1;
  cb.AtEof = true;
  if (bof) cb.AtBof = true;
}

std::string fieldNoContext(const std::string& routine, int32_t n) {
  return "Ung\xFCltige Feldnr. [" + routine + "(" + decimal(n) + ")]";
}

// The field entry n of the current area, or nullptr after reporting.
const TDbfFieldEntry* fieldOf(const char* routine, int32_t n) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) {
    CheckArea(std::string(routine) + "()");
    return nullptr;
  }
  if (n < 1 || n > cb->FieldCount) {
    XbSetError(220, fieldNoContext(routine, n));
    return nullptr;
  }
  return &cb->Fields[static_cast<size_t>(n)];
}

// Slot of field n when its type is A or B, else nullptr after reporting (no slot without a record
// buffer). The way every field read and write of a well-formed call takes is kept short; the
// reporting is left to slotOfChecked.
template <char A, char B>
[[gnu::noinline, gnu::cold]] uint8_t* slotOfChecked(const char* routine, int32_t n) {
  const TDbfFieldEntry* f = fieldOf(routine, n);
  if (!f) return nullptr;
  if (f->Type != A && f->Type != B) {
    XbSetError(211, "Feldtyp " + std::string(1, f->Type) + " [" + routine + "(" + decimal(n) + ")]");
    return nullptr;
  }
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb->RecordBuffer) return nullptr;
  DecodeField(*cb, static_cast<size_t>(n));
  return cb->RecordBuffer + BinaryFieldOffset(*cb, static_cast<uint8_t>(n));
}

template <char A, char B = A>
inline uint8_t* slotOf(const char* routine, int32_t n, const TDbfFieldEntry** field = nullptr) {
  TDbfControlBlock* cb = CurrentBlock();
  if (cb && n >= 1 && n <= cb->FieldCount && cb->RecordBuffer) {
    const TDbfFieldEntry& f = cb->Fields[static_cast<size_t>(n)];
    if (f.Type == A || f.Type == B) {
      if (field) *field = &f;
      DecodeField(*cb, static_cast<size_t>(n));
      return cb->RecordBuffer + BinaryFieldOffset(*cb, static_cast<uint8_t>(n));
    }
  }
  uint8_t* p = slotOfChecked<A, B>(routine, n);
  if (p && field) *field = &CurrentBlock()->Fields[static_cast<size_t>(n)];
  return p;
}

// Stored bytes of field n of the current record when its type is A or B and it is still waiting
// to be decoded (TDbfControlBlock::DecodedIn): the getters read it from there and leave the binary
// record alone. nullptr otherwise, the getter then takes the binary record's slot.
template <char A, char B = A>
inline const uint8_t* waitingStored(int32_t n, const TDbfFieldEntry*& field) {
  const TDbfControlBlock* cb = CurrentBlock();
  if (!cb || n < 1 || n > cb->FieldCount) return nullptr;
  const auto i = static_cast<size_t>(n);
  if (!FieldWaiting(*cb, i)) return nullptr;
  const TDbfFieldEntry& f = cb->Fields[i];
  if ((f.Type != A && f.Type != B) || static_cast<size_t>(f.Offset) + f.Len > cb->RawRecord.size()) return nullptr;
  field = &f;
  return cb->RawRecord.data() + f.Offset;
}

// Field n of the current binary record was given a value (see TDbfControlBlock::Assigned).
void markAssigned(int32_t n) {
  TDbfControlBlock* cb = CurrentBlock();
  if (cb && n >= 1 && static_cast<size_t>(n) < cb->Assigned.size()) {
    cb->Assigned[static_cast<size_t>(n)] = 1;
    cb->MaybeAssigned = true;
  }
}

// Without the locking module: every lock of the table's file description is given up
// (record, append and file locks lie above the index semaphore byte).
void forgetLocks(TDbfControlBlock& cb) {
  if (cb.LockState != 0 && !cb.Exclusive && !cb.IsVirtual && cb.DbfFile >= 0) {
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(LockBase) + 1;
    fl.l_len = 0;
    ::fcntl(cb.DbfFile, F_OFD_SETLK, &fl);
  }
  cb.LockState = 0;
  cb.LockCount = 0;
  cb.LockList.clear();
}

void unlockCurrent() {
  if (workAreas.UnlockProc) workAreas.UnlockProc();
  else if (TDbfControlBlock* cb = CurrentBlock()) forgetLocks(*cb);
}

constexpr long double kInt64Limit = 9.2233720368547758e18L;
constexpr int64_t kNotANumber = std::numeric_limits<int64_t>::min();

}  // namespace

// ---- Start-up and areas ---------------------------------------------------------------------

void InitWorkAreas() {
  workAreas.CurrentArea = 1;
  workAreas.OpenModeOverride = 0xFFFF;
  engineState.DbfUnitLinked = true;
}

bool CheckArea(const std::string& routine) {
  if (CurrentBlock()) return true;
  XbSetError(215, "Keine Datenbank (bzw.kein Arbeitsbereich) ge\xF6" "ffnet. [" + routine + "]  WorkArea = " +
                      decimal(workAreas.CurrentArea));
  return false;
}

void RefreshCount() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || cb->IsVirtual || cb->Exclusive || cb->RecLen == 0) return;
  // Looking at the file again means reading what it holds now.
  DropReadAhead(*cb);
  int64_t size = DbfFileSize(*cb);
  if (size < 0) return;
  int64_t n = size > cb->HeaderLen ? (size - cb->HeaderLen) / cb->RecLen : 0;
  cb->RecCount = static_cast<int32_t>(std::min<int64_t>(n, std::numeric_limits<int32_t>::max()));
}

void Select(int32_t n) {
  engineState.XbErrorCode = 0;
  if (n >= 1 && n <= MaxUserAreas) {
    workAreas.CurrentArea = static_cast<uint8_t>(n);
  } else if (n == 0) {
    for (uint8_t a = 1; a <= MaxUserAreas; ++a) {
      if (!workAreas.WorkAreaTable[a]) {
        workAreas.CurrentArea = a;
        return;
      }
    }
    XbSetError(220, "Kein Arbeitsbereich frei [Select(0)]");
  } else {
    XbSetError(220, "Ung\xFCltiger Arbeitsbereich = [Select(" + decimal(n) + ")]");
  }
}

uint8_t SelectedArea() { return workAreas.CurrentArea; }

void USE(const std::string& command, uint8_t* buffer, uint32_t size) {
  engineState.XbErrorCode = 0;
  CloseArea();
  // A table that could not be completed and closed fails this command too.
  if (engineState.XbErrorCode != 0) return;
  std::string cmd = XbAllTrim(command);
  if (cmd.empty()) return;
  // The words of the command are read whatever their case; the file name keeps its own.
  cmd += " ";
  const std::string upper = XbUpperStr(cmd);
  if (upper.find("LINKED LIST") != std::string::npos || upper.find("VIRTUAL FILE") != std::string::npos) {
    if (engineState.VFileHandler) {
      auto cb = std::make_unique<TDbfControlBlock>();
      cb->IsVirtual = true;
      cb->FileName = XbAllTrim(upper);
      cb->RecordBuffer = buffer;
      cb->RecordBufferSize = size;
      cb->Alias = cb->FileName.substr(0, 64);
      cb->VFileOp = 4;
      workAreas.WorkAreaTable[workAreas.CurrentArea] = std::move(cb);
      engineState.VFileHandler(*workAreas.WorkAreaTable[workAreas.CurrentArea]);
    } else {
      XbSetError(1101, " [USE(" + XbAllTrim(upper) + ")]");
    }
    return;
  }
  if ((buffer == nullptr) != (size == 0)) {
    XbSetError(220, "Puffer ist NIL oder Gr\xF6\xDF" "e ist Null beim \xD6" "ffnen von " + XbAllTrim(cmd) + " [USE]");
    return;
  }
  bool exclusive = false;
  {
    std::string probe = cmd;
    if (StripKeywordKeepCase(" EXCLUSIVE", probe)) {
      exclusive = true;
      cmd = probe + " ";
    }
  }
  std::string alias;
  size_t at = XbUpperStr(cmd).find(" ALIAS ");
  if (at != std::string::npos) {
    std::string after = XbLTrim(cmd.substr(at + 7));
    alias = after.substr(0, after.find(' ')).substr(0, 64);
    cmd.erase(at);
  }
  const std::string rest = XbAllTrim(cmd);
  // The path as written; the file layer looks up a name that is not there as written.
  std::string fileName = XbFullPath(rest);
  if (alias.empty()) alias = BaseFileName(fileName).substr(0, 64);
  alias = XbUpperStr(alias);
  fileName = XbDefaultExt(fileName, "DBF");

  uint16_t mode = exclusive ? ExclusiveOpenMode : SharedOpenMode;
  if (workAreas.OpenModeOverride < 0xFFFF) mode = workAreas.OpenModeOverride & 0xFF;
  auto cb = std::make_unique<TDbfControlBlock>();
  cb->FileName = fileName;
  cb->OemConvert = !engineState.AnsiTables;
  cb->EncodeRecord = std::exchange(workAreas.NextEncode, nullptr);
  cb->DecodeRecordHook = std::exchange(workAreas.NextDecode, nullptr);
  {
    struct ModeGuard {
      uint16_t saved = engineState.FileMode;
      ~ModeGuard() { engineState.FileMode = saved; }
    } guard;
    engineState.FileMode = mode;
    engineState.XbErrorCode = 0;
    OpenDbf(*cb);
  }
  if (engineState.XbErrorCode != 0 || cb->DbfFile < 0) {
    XbCloseFile(cb->DbfFile);
    return;
  }
  cb->Alias = alias;
  cb->IsVirtual = false;
  // Locks are granted without asking only when nobody else can have the file open.
  cb->Exclusive = (mode & 0xF0) != 0x40;
  const uint32_t recordSize = RecordSize(*cb);
  TDbfControlBlock* area = cb.get();
  workAreas.WorkAreaTable[workAreas.CurrentArea] = std::move(cb);
  if (buffer == nullptr) {
    area->OwnBuffer.assign(recordSize, 0);
    area->OwnsRecordBuffer = true;
    area->RecordBuffer = area->OwnBuffer.data();
    area->RecordBufferSize = recordSize;
  } else if (size != recordSize) {
    CloseArea();
    XbSetError(266, "Ungleiche Puffer- und Datensatzgr\xF6\xDF" "e der Datenbank: " + rest + " [USE()]\n\rRecord Size=" +
                        decimal(recordSize) + ", Buffer Size=" + decimal(size));
    return;
  } else {
    area->RecordBuffer = buffer;
    area->RecordBufferSize = size;
  }
  for (uint8_t a = 1; a <= MaxUserAreas; ++a) {
    if (a != workAreas.CurrentArea && workAreas.WorkAreaTable[a] && workAreas.WorkAreaTable[a]->Alias == alias) {
      CloseArea();
      XbSetError(220, "Alias-Name \"" + alias + "\" bereits benutzt. [USE]");
      return;
    }
  }
  area->SwapBuffer.assign(area->RecordBufferSize, 0);
  if (area->RecCount > 0) {
    GoTop();
  } else {
    std::memset(area->RecordBuffer, 0, area->RecordBufferSize);
    ClearRecord();
    area->AtBof = area->AtEof = true;
    area->RecNo = 0;
  }
  if (area->HasMemo && engineState.MemoHooks.OpenMemofile) {
    uint16_t code = 0;
    {
      XbQuietErrors quiet;
      engineState.XbErrorCode = 0;
      engineState.MemoHooks.OpenMemofile(XbNoExtension(area->FileName));
      code = engineState.XbErrorCode;
      if (code != 0) XbTakeErrorContext();
    }
    if (code != 0) {
      CloseArea();
      XbSetError(code, "Problem beim \xD6" "ffnen der Memo-Datei [USE(" + rest + ",@Buffer," + decimal(size) + ")]");
    }
  }
}

void USEWithHooks(const std::string& command, TRecordHook encode, TRecordHook decode) {
  workAreas.NextEncode = std::move(encode);
  workAreas.NextDecode = std::move(decode);
  USE(command);
  workAreas.NextEncode = nullptr;
  workAreas.NextDecode = nullptr;
}

void CloseArea() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return;
  // Whatever fails on the way, the area ends free and its file closed.
  struct Release {
    uint8_t area;
    ~Release() {
      auto& slot = workAreas.WorkAreaTable[area];
      if (slot) XbCloseFile(slot->DbfFile);
      slot.reset();
    }
  } release{workAreas.CurrentArea};
  // Every step runs; the first one that fails is what the command reports once the area is free, so
  // that a later step cannot clear it (records held back that cannot be written are data lost).
  uint16_t code = 0;
  std::string context;
  {
    XbQuietErrors quiet;
    auto note = [&code, &context] {
      if (engineState.XbErrorCode != 0 && code == 0) {
        code = engineState.XbErrorCode;
        context = XbTakeErrorContext();
      }
      engineState.XbErrorCode = 0;
    };
    engineState.XbErrorCode = 0;
    if (IndexActive() && ix().CloseIndexes) ix().CloseIndexes();
    note();
    RefreshCount();
    // A failed release of a lock is no failure of the close; records the unlock could not write
    // are still held back, and the file layer's close writes them or says why not.
    unlockCurrent();
    engineState.XbErrorCode = 0;
    XbTakeErrorContext();
    cb->SwapBuffer.clear();
    if (cb->HasMemo && engineState.MemoHooks.CloseMemofile) engineState.MemoHooks.CloseMemofile();
    note();
    CloseDbf(*cb);
    note();
  }
  workAreas.WorkAreaTable[release.area].reset();
  if (code != 0) XbSetError(code, context);
}

void CloseAll() {
  engineState.XbErrorCode = 0;
  // Every area is closed; the first that fails makes the command fail.
  uint16_t code = 0;
  std::string context;
  {
    XbQuietErrors quiet;
    for (uint8_t a = 1; a <= MaxUserAreas; ++a) {
      workAreas.CurrentArea = a;
      CloseArea();
      if (engineState.XbErrorCode != 0 && code == 0) {
        code = engineState.XbErrorCode;
        context = XbTakeErrorContext();
      }
      engineState.XbErrorCode = 0;
    }
  }
  workAreas.CurrentArea = 1;
  if (code != 0) XbSetError(code, context);
}

// ---- Fields ---------------------------------------------------------------------------------

uint8_t FieldCount() {
  if (!CheckArea("FieldCount()")) return 0;
  return CurrentBlock()->FieldCount;
}

std::string Field(int32_t n) {
  const TDbfFieldEntry* f = fieldOf("Field", n);
  return f ? f->Name.substr(0, 10) : std::string();
}

uint8_t FieldNo(const std::string& name) {
  if (!CheckArea("FieldNo()")) return 0;
  std::string n = XbRTrim(name.substr(0, 10));
  for (char& c : n)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  TDbfControlBlock* cb = CurrentBlock();
  for (size_t i = 1; i < cb->Fields.size(); ++i)
    if (cb->Fields[i].Name == n) return static_cast<uint8_t>(i);
  return 0;
}

char FieldType(int32_t n) {
  const TDbfFieldEntry* f = fieldOf("FieldType", n);
  return f ? f->Type : ' ';
}

uint8_t FieldLen(int32_t n) {
  const TDbfFieldEntry* f = fieldOf("FieldLen", n);
  if (!f) return 0;
  if (f->Type == 'D') return nationalDates.CenturyDates ? 10 : 8;
  return f->Len;
}

uint8_t FieldDec(int32_t n) {
  const TDbfFieldEntry* f = fieldOf("FieldDec", n);
  return f ? f->Dec : 0;
}

namespace {

// Slot of field n (0: the deletion flag) with every field of the record decoded, nullptr after
// reporting.
uint8_t* decodedSlot(int32_t n) {
  if (!CheckArea("FieldAddress()")) return nullptr;
  TDbfControlBlock* cb = CurrentBlock();
  if (n < 0 || n > cb->FieldCount) {
    XbSetError(220, fieldNoContext("FieldAddress", n));
    return nullptr;
  }
  if (!cb->RecordBuffer) return nullptr;
  DecodeRecord(*cb);
  return cb->RecordBuffer + BinaryFieldOffset(*cb, static_cast<uint8_t>(n));
}

}  // namespace

uint8_t* FieldAddress(int32_t n) {
  uint8_t* p = decodedSlot(n);
  if (p) CurrentBlock()->RecordExposed = true;  // the caller may read any slot, now and after moves
  return p;
}

std::string SField(int32_t n) {
  char t = FieldType(n);
  if (t == ' ') return "";
  const uint8_t* p = decodedSlot(n);
  if (!p) return "";
  switch (t) {
    case 'C':
    case 'D': {
      // The length byte is the caller's to write: never read past the field's slot.
      const size_t room = t == 'D' ? 10 : CurrentBlock()->Fields[static_cast<size_t>(n)].Len;
      return std::string(reinterpret_cast<const char*>(p + 1), std::min<size_t>(p[0], room));
    }
    case 'N':
    case 'F': {
      uint8_t dec = FieldDec(n), len = FieldLen(n);
      std::string s = dec > 0 ? XbFloatToText(GetFieldReal(n), len, dec) : XbIntToText(GetFieldInt(n), len);
      return s.substr(0, 24);
    }
    case 'L': return p[0] != 0 ? "Y" : "N";
    case 'M': {
      int32_t b = 0;
      std::memcpy(&b, p, 4);
      return b == 0 ? "none" : b > 0 ? "MEMO" : "BLOB";
    }
    default: return "";
  }
}

uint16_t RecSize() {
  if (!CheckArea("RecSize")) return 0;
  return CurrentBlock()->RecLen;
}

bool Deleted() {
  if (!CheckArea("Deleted")) return false;
  TDbfControlBlock* cb = CurrentBlock();
  return cb->RecordBuffer && cb->RecordBuffer[0] != 0;
}

void ClearRecord() {
  if (!CheckArea("ClearRecord")) return;
  clearBuffers(*CurrentBlock());
}

// ---- Position -------------------------------------------------------------------------------

int32_t RecCount() {
  if (!CheckArea("RecCount")) return 0;
  RefreshCount();
  return CurrentBlock()->RecCount;
}

int32_t RecNo() {
  if (!CheckArea("RecNo")) return 0;
  return CurrentBlock()->RecNo;
}

bool dEOF() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return true;
  // Only a position past the known records can be changed by records appended elsewhere.
  if (cb->RecNo > cb->RecCount) {
    RefreshCount();
    if (cb->RecNo > cb->RecCount) cb->AtEof = true;
  }
  if (IndexActive() && ix().AtEnd) return ix().AtEnd();
  return cb->AtEof;
}

bool dBOF() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return true;
  if (IndexActive() && ix().AtStart) return ix().AtStart();
  return cb->AtBof;
}

void GoTop() {
  engineState.XbErrorCode = 0;
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || cb->RecCount == 0) return;
  DropReadAhead(*cb);
  const bool idx = IndexActive();
  ReadBracket bracket(idx);
  int32_t cand = 1;
  if (idx && ix().FirstRecNo) {
    cand = ix().FirstRecNo();
    if (cand == cb->RecCount + 1) {
      toPhantom(*cb, true);
      return;
    }
  }
  if (!readRec(*cb, cand)) return;
  while (hidden(*cb) && !cb->AtEof && engineState.XbErrorCode == 0) {
    if (idx && ix().NextRecNo) {
      cand = ix().NextRecNo();
      if (ix().AtEnd && ix().AtEnd()) cand = cb->RecCount + 1;
    } else {
      cand = cand + 1;
    }
    if (cand > cb->RecCount || cand < 1) {
      toPhantom(*cb, true);
      if (idx && ix().Resync) ix().Resync();
      break;
    }
    if (!readRec(*cb, cand)) return;
  }
  if (idx && ix().SaveKey) ix().SaveKey();
}

void GoBottom() {
  engineState.XbErrorCode = 0;
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return;
  RefreshCount();
  DropReadAhead(*cb);
  if (cb->RecCount == 0) return;
  const bool idx = IndexActive();
  ReadBracket bracket(idx);
  int32_t cand = cb->RecCount;
  if (idx && ix().LastRecNo) {
    cand = ix().LastRecNo();
    if (cand == cb->RecCount + 1) {
      toPhantom(*cb, true);
      return;
    }
  }
  if (!readRec(*cb, cand)) return;
  bool done = false;
  while (hidden(*cb) && !done) {
    bool startReached;
    if (idx && ix().PrevRecNo) {
      cand = ix().PrevRecNo();
      startReached = ix().AtStart && ix().AtStart();
    } else {
      cand = cb->RecNo - 1;
      startReached = cb->AtBof;
    }
    if (cand >= 1 && cand <= cb->RecCount && !startReached) {
      if (!readRec(*cb, cand)) return;
      done = idx && ix().AtStart ? ix().AtStart() : cb->AtBof;
    } else {
      toPhantom(*cb, true);
      if (idx) {
        if (ix().Resync) ix().Resync();
        if (ix().SetStart) ix().SetStart();
        if (ix().SetEnd) ix().SetEnd();
      }
      done = true;
    }
  }
  if (idx && ix().SaveKey) ix().SaveKey();
}

void GoFirst() {
  if (RecCount() > 0) GoTop();
}

void GoLast() {
  if (RecCount() > 0) GoBottom();
}

void SKIP(int32_t n) {
  engineState.XbErrorCode = 0;
  if (!CheckArea("SKIP()")) return;
  TDbfControlBlock* cb = CurrentBlock();
  if (n == 0) {
    DropReadAhead(*cb);
    if (cb->RecCount >= 1 && !cb->AtEof && cb->RecNo >= 1 && cb->RecNo <= cb->RecCount) readRec(*cb, cb->RecNo);
    else ClearRecord();
    return;
  }
  // An empty table says so, although its end-of-file flag is set as well.
  if (cb->RecCount == 0) {
    cb->AtBof = cb->AtEof = true;
    XbSetError(212, "Datenbank \"" + cb->FileName + "\" ist leer. [SKIP]");
    return;
  }
  if (n > 0 && cb->AtEof) {
    XbSetError(212, "Datenbank \"" + cb->FileName + "\" ist hinter EOF. [SKIP]");
    return;
  }
  if (n < 0 && dBOF()) return;
  cb->AtBof = cb->AtEof = false;
  const bool idx = IndexActive();
  ReadBracket bracket(idx);
  int32_t counter = 0;
  bool end = false;
  int32_t prev = cb->RecNo;
  while (counter != n && !end) {
    int32_t cand;
    if (n < 0) {
      if (idx && ix().PrevRecNo) {
        cand = ix().PrevRecNo();
        end = cand == prev;
      } else if (cb->RecNo <= 1) {
        end = true;
        cand = 1;
      } else {
        cand = cb->RecNo - 1;
      }
      if (cand < 1) {
        end = true;
        cand = 1;
      }
      if (!readRec(*cb, cand)) return;
      if (!hidden(*cb)) --counter;
    } else {
      if (idx && ix().NextRecNo) {
        cand = ix().NextRecNo();
        end = cand == prev;
      } else {
        cand = cb->RecNo + 1;
      }
      // Past the known records: another program may have appended some.
      if (cand > cb->RecCount) RefreshCount();
      if (cand > cb->RecCount) {
        end = true;
        cand = cb->RecCount;
      }
      if (!readRec(*cb, cand)) return;
      if (!hidden(*cb)) ++counter;
    }
    prev = cand;
  }
  if (end) {
    if (n > 0) {
      cb->RecNo = cb->RecCount + 1;
      cb->AtEof = true;
      clearBuffers(*cb);
      if (idx && ix().Resync) ix().Resync();
    } else {
      GoTop();
      cb->AtBof = true;
      if (idx && ix().SetStart) ix().SetStart();
      if (cb->RecNo > cb->RecCount) clearBuffers(*cb);
    }
  }
  bracket.release();
  if (idx && ix().SaveKey) ix().SaveKey();
}

void GO(int32_t n) {
  if (!CheckArea("GO()")) return;
  engineState.XbErrorCode = 0;
  TDbfControlBlock* cb = CurrentBlock();
  if (n > cb->RecCount) RefreshCount();
  const std::string ctx = "Ung\xFCltige Datensatznr. = " + decimal(n) + " Datenbank \"" + cb->FileName + "\" [GO]";
  if (cb->RecCount == 0) {
    cb->AtBof = cb->AtEof = true;
    clearBuffers(*cb);
    XbSetError(212, ctx);
    return;
  }
  cb->AtBof = cb->AtEof = false;
  if (n < 1 || n > cb->RecCount) {
    cb->RecNo = cb->RecCount + 1;
    cb->AtEof = true;
    XbSetError(212, ctx);
    return;
  }
  // A record of a table that nobody else can change is served from what was read ahead; any other
  // is read from the file as it is now.
  if (!HeldAlone(*cb)) DropReadAhead(*cb);
  const bool idx = IndexActive();
  {
    ReadBracket bracket(idx);
    if (readRec(*cb, n) && idx) {
      if (ix().Resync) ix().Resync();
      if (ix().SaveKey) ix().SaveKey();
    }
  }
  if (engineState.XbErrorCode != 0 && engineState.XbReportErrors) XbErrorReport();
}

bool GoIfValid(int32_t n) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return false;
  RefreshCount();
  if (n < 1 || n > cb->RecCount) return false;
  GO(n);
  return true;
}

void Dbf4RawGo(int32_t n) {
  engineState.XbErrorCode = 0;
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return;
  if (n > cb->RecCount) {
    toPhantom(*cb, false);
    return;
  }
  if (n < 1) {
    XbSetError(212, " [Dbf4RawGo]");
    return;
  }
  DropReadAhead(*cb);
  if (!readRec(*cb, n)) XbSetError(engineState.XbErrorCode, " [Dbf4RawGo]");
}

bool SetIgnoreDel(bool flag) {
  if (!CheckArea("SetIgnoreDel")) return false;
  TDbfControlBlock* cb = CurrentBlock();
  bool prev = cb->IgnoreDeleted;
  cb->IgnoreDeleted = flag;
  SKIP(0);
  return prev;
}

bool MoveOffInvisible() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !hidden(*cb)) return false;
  // Records held back go to the file before the locks do; when they cannot, the command ends here.
  if (!cb->IsVirtual && !WritePendingRecords(*cb)) return true;
  unlockCurrent();
  int32_t here = cb->RecNo;
  SKIP(1);
  if (dEOF()) {
    GoIfValid(here);
    SKIP(-1);
  }
  return true;
}

std::string AreaFileName() {
  TDbfControlBlock* cb = CurrentBlock();
  return cb ? cb->FileName : std::string();
}

std::string AreaAlias() {
  TDbfControlBlock* cb = CurrentBlock();
  return cb ? cb->Alias : std::string();
}

void RereadRecord() {
  if (!CheckArea("RereadRecord")) return;
  TDbfControlBlock* cb = CurrentBlock();
  DropReadAhead(*cb);
  if (cb->RecNo >= 1 && cb->RecNo <= cb->RecCount) readRec(*cb, cb->RecNo);
}

// ---- Typed field access ---------------------------------------------------------------------

bool FieldEmpty(int32_t n) {
  const TDbfFieldEntry* f = fieldOf("FieldEmpty", n);
  if (!f) return false;
  const TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual || static_cast<size_t>(f->Offset) + f->Len > cb.RawRecord.size()) return false;
  return StoredFieldEmpty(*f, cb.RawRecord.data() + f->Offset);
}

std::string GetFieldText(int32_t n) {
  std::string text;
  GetFieldText(n, text);
  return text;
}

namespace {

// A C field still waiting is read where it is stored; any other text from its slot (the length
// byte is the caller's to write: never read past the field's slot).
std::string_view textView(const char* routine, int32_t n) {
  const TDbfFieldEntry* f = nullptr;
  if (const uint8_t* raw = waitingStored<'C', 'D'>(n, f)) {
    if (f->Type == 'C') return {reinterpret_cast<const char*>(raw), f->Len};
    TDbfControlBlock& cb = *CurrentBlock();
    DecodeWaitingField(cb, static_cast<size_t>(n));
    const uint8_t* p = cb.RecordBuffer + BinaryFieldOffset(cb, static_cast<uint8_t>(n));
    return {reinterpret_cast<const char*>(p + 1), std::min<size_t>(p[0], 10)};
  }
  const uint8_t* p = slotOf<'C', 'D'>(routine, n, &f);
  if (!p) return {};
  return {reinterpret_cast<const char*>(p + 1), std::min<size_t>(p[0], f->Type == 'D' ? 10 : f->Len)};
}

}  // namespace

void GetFieldText(int32_t n, std::string& text) {
  const TDbfFieldEntry* f = nullptr;
  if (const uint8_t* raw = waitingStored<'C', 'D'>(n, f)) {
    if (f->Type == 'C') {
      if (text.size() != f->Len) text.resize(f->Len);
      CopyFieldBytes(text.data(), raw, f->Len);
    } else {
      text.resize(10);
      text.resize(StoredDateText(*f, raw, text.data()));
    }
    return;
  }
  const std::string_view v = textView("GetFieldText", n);
  if (text.size() != v.size()) text.resize(v.size());
  CopyFieldBytes(text.data(), v.data(), v.size());
}

std::string_view GetFieldView(int32_t n) { return textView("GetFieldView", n); }

long double GetFieldReal(int32_t n) {
  const TDbfFieldEntry* f = nullptr;
  if (const uint8_t* raw = waitingStored<'N', 'F'>(n, f))
    return f->Dec > 0 ? StoredReal(*f, raw) : static_cast<long double>(StoredInt(*f, raw));
  const uint8_t* p = slotOf<'N', 'F'>("GetFieldReal", n, &f);
  if (!p) return 0;
  if (f->Dec > 0) return LoadReal(p);
  int64_t v = 0;
  std::memcpy(&v, p, 8);
  return static_cast<long double>(v);
}

int64_t GetFieldInt(int32_t n) {
  const TDbfFieldEntry* f = nullptr;
  if (const uint8_t* raw = waitingStored<'N', 'F'>(n, f); raw && f->Dec == 0) return StoredInt(*f, raw);
  const uint8_t* p = slotOf<'N', 'F'>("GetFieldInt", n);
  if (!p) return 0;
  if (CurrentBlock()->Fields[static_cast<size_t>(n)].Dec > 0) {
    long double v = GetFieldReal(n);
    if (!(v == v)) return 0;
    if (v >= kInt64Limit) return std::numeric_limits<int64_t>::max();
    if (v <= -kInt64Limit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
  }
  int64_t v = 0;
  std::memcpy(&v, p, 8);
  return v;
}

bool GetFieldBool(int32_t n) {
  const TDbfFieldEntry* f = nullptr;
  if (const uint8_t* raw = waitingStored<'L'>(n, f)) return StoredBool(*f, raw);
  const uint8_t* p = slotOf<'L'>("GetFieldBool", n);
  return p && p[0] != 0;
}

int32_t GetFieldMemo(int32_t n) {
  const uint8_t* p = slotOf<'M'>("GetFieldMemo", n);
  int32_t b = 0;
  if (p) std::memcpy(&b, p, 4);
  return b;
}

void SetFieldText(int32_t n, const std::string& text) {
  uint8_t* p = slotOf<'C', 'D'>("SetFieldText", n);
  if (!p) return;
  const TDbfFieldEntry& f = CurrentBlock()->Fields[static_cast<size_t>(n)];
  if (f.Type == 'C') {
    size_t k = std::min<size_t>(text.size(), f.Len);
    p[0] = f.Len;
    std::memcpy(p + 1, text.data(), k);
    std::memset(p + 1 + k, ' ', f.Len - k);
  } else {
    size_t k = std::min<size_t>(text.size(), 10);
    std::memset(p, 0, 11);
    p[0] = static_cast<uint8_t>(k);
    std::memcpy(p + 1, text.data(), k);
  }
  markAssigned(n);
}

void SetFieldReal(int32_t n, long double value) {
  uint8_t* p = slotOf<'N', 'F'>("SetFieldReal", n);
  if (!p) return;
  markAssigned(n);
  if (CurrentBlock()->Fields[static_cast<size_t>(n)].Dec > 0) {
    StoreReal(p, value);
    return;
  }
  int64_t v;
  if (!std::isfinite(value) || value >= kInt64Limit || value <= -kInt64Limit) v = kNotANumber;
  else v = static_cast<int64_t>(std::llround(value));
  std::memcpy(p, &v, 8);
}

void SetFieldInt(int32_t n, int64_t value) {
  uint8_t* p = slotOf<'N', 'F'>("SetFieldInt", n);
  if (!p) return;
  if (CurrentBlock()->Fields[static_cast<size_t>(n)].Dec > 0) {
    SetFieldReal(n, static_cast<long double>(value));
    return;
  }
  std::memcpy(p, &value, 8);
  markAssigned(n);
}

void SetFieldBool(int32_t n, bool value) {
  uint8_t* p = slotOf<'L'>("SetFieldBool", n);
  if (!p) return;
  p[0] = value ? 1 : 0;
  markAssigned(n);
}

void SetFieldMemo(int32_t n, int32_t block) {
  uint8_t* p = slotOf<'M'>("SetFieldMemo", n);
  if (!p) return;
  std::memcpy(p, &block, 4);
  markAssigned(n);
}

void SetDeletedFlag(bool deleted) {
  if (!CheckArea("SetDeletedFlag")) return;
  TDbfControlBlock* cb = CurrentBlock();
  if (cb->RecordBuffer) cb->RecordBuffer[0] = deleted ? 1 : 0;
}

}  // namespace qorva
