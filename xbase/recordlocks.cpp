#include "xbase/recordlocks.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "platform/services.h"
#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"

namespace qorva {

namespace {

constexpr uint64_t kFileLockOffset = uint64_t{LockBase} + 1;
constexpr uint64_t kFileLockLength = 0;  // to the end of all offsets
constexpr uint64_t kAppendLockOffset = uint64_t{LockBase} + 1;
constexpr uint64_t kAppendLockLength = 1;

std::string IntText(int64_t v) { return std::to_string(v); }

// Brackets an index update with the index module's lock semaphore, also when an error report
// unwinds the command.
class IndexLockBracket {
 public:
  IndexLockBracket() : on_(IndexActive() && engineState.IndexHooks.SetLockSemaphoreProc) {
    if (on_) engineState.IndexHooks.SetLockSemaphoreProc(true);
  }
  ~IndexLockBracket() { Release(); }
  void Release() {
    if (!on_) return;
    on_ = false;
    try {
      engineState.IndexHooks.SetLockSemaphoreProc(false);
    } catch (...) {
      // A report while releasing must not escape a destructor; the error state keeps it.
    }
  }
  bool active() const { return on_; }
  IndexLockBracket(const IndexLockBracket&) = delete;
  IndexLockBracket& operator=(const IndexLockBracket&) = delete;

 private:
  bool on_;
};

bool HasRecordEntry(const TDbfControlBlock& cb, int32_t n) {
  for (int32_t r : cb.LockList)
    if (r == n) return true;
  return false;
}

// The current record may be written: exclusive table, file lock, or the record locked.
bool Writable(const TDbfControlBlock& cb, bool deleteOrRecall) {
  if (cb.Exclusive || cb.LockState == 1) return true;
  if (deleteOrRecall && cb.LockState == 2) return false;
  return cb.RecNo >= 1 && cb.LockState == 3 && HasRecordEntry(cb, cb.RecNo);
}

// Marks the current record deleted or not, in the buffers and in the file; a mark that cannot be
// written leaves the buffers as they were, so that they keep telling what the file holds.
void WriteMark(TDbfControlBlock& cb, bool deleted) {
  const uint8_t oldFlag = cb.RecordBuffer[0];
  const uint8_t oldByte = cb.RawRecord[0];
  auto undo = [&] {
    cb.RecordBuffer[0] = oldFlag;
    cb.RawRecord[0] = oldByte;
  };
  cb.RecordBuffer[0] = deleted ? 1 : 0;
  cb.RawRecord[0] = deleted ? '*' : ' ';
  try {
    WriteDeleteFlag(cb, cb.RecNo);
  } catch (...) {
    undo();
    throw;
  }
  if (engineState.XbErrorCode != 0) undo();
}

// An error a called routine left while reporting was off goes through the policy now.
void ReportPending() {
  if (engineState.XbErrorCode != 0 && engineState.XbReportErrors) XbErrorReport();
}

bool TakeKindLock(const char* routine, uint8_t state, uint64_t offset, uint64_t length) {
  if (!CheckArea(routine)) return false;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    XbSetError(1100, std::string(" [") + routine + "]");
    return false;
  }
  if (cb.LockState == state) return true;
  if (cb.LockState != 0) return false;
  if (!cb.Exclusive && !LockWithRetry(cb.DbfFile, offset, length)) return false;
  cb.LockState = state;
  // What others wrote before the lock must be read from the file.
  DropReadAhead(cb);
  return true;
}

// Takes the area's locks again on its (new) file; drops those that cannot be had.
uint16_t ReacquireLocks(TDbfControlBlock& cb) {
  uint16_t rc = 0;
  if (cb.LockState == 1 || cb.LockState == 2) {
    bool file = cb.LockState == 1;
    if (!LockWithRetry(cb.DbfFile, file ? kFileLockOffset : kAppendLockOffset,
                       file ? kFileLockLength : kAppendLockLength)) {
      cb.LockState = 0;
      rc = 33;
    }
  } else if (cb.LockState == 3) {
    std::vector<int32_t> kept;
    for (int32_t n : cb.LockList) {
      if (LockWithRetry(cb.DbfFile, RecordLockOffset(cb.HeaderLen, cb.RecLen, n), cb.RecLen))
        kept.push_back(n);
      else
        rc = 33;
    }
    cb.LockList = kept;
    cb.LockCount = static_cast<uint16_t>(kept.size());
    if (kept.empty()) cb.LockState = 0;
  }
  return rc;
}

}  // namespace

uint16_t LockRange(bool unlock, int fd, uint64_t offset, uint64_t length) {
  struct flock fl {};
  fl.l_type = unlock ? F_UNLCK : F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;
  if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return 0;
  int err = errno;
  if (err == EAGAIN || err == EACCES) return 33;
  return XbIoCode(err);
}

bool LockWithRetry(int fd, uint64_t offset, uint64_t length) { return LockRange(false, fd, offset, length) == 0; }

uint64_t RecordLockOffset(uint16_t headerLen, uint16_t recLen, int32_t n) {
  return uint64_t{LockBase} + headerLen + static_cast<uint64_t>(n - 1) * recLen;
}

bool LockSemaphoreByte() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || cb->DbfFile < 0) return false;
  return LockWithRetry(cb->DbfFile, LockBase, 1);
}

void UnlockSemaphoreByte() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || cb->DbfFile < 0) return;
  uint16_t rc = LockRange(true, cb->DbfFile, LockBase, 1);
  if (rc != 0)
    XbSetError(rc, "Fehler beim Entsperren der Datei " + cb->FileName + " in Bereich " + IntText(SelectedArea()));
}

void WaitMs(int32_t ms) {
  int64_t wait = ms < 0 ? -static_cast<int64_t>(ms) : ms;
  services().ProcessPendingEvents();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
}

bool FLock() { return TakeKindLock("FLock", 1, kFileLockOffset, kFileLockLength); }

bool ALock() { return TakeKindLock("ALock", 2, kAppendLockOffset, kAppendLockLength); }

bool RLock() {
  if (!CheckArea("RLock")) return false;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    XbSetError(1100, " [RLock]");
    return false;
  }
  if (cb.LockState == 1 || cb.LockState == 2) return false;
  // Record 0 (an empty table) and below would address the header: nothing to lock.
  if (cb.RecNo < 1) return false;
  if (cb.LockState == 3 && HasRecordEntry(cb, cb.RecNo)) return true;
  if (!cb.Exclusive && !LockWithRetry(cb.DbfFile, RecordLockOffset(cb.HeaderLen, cb.RecLen, cb.RecNo), cb.RecLen))
    return false;
  cb.LockList.push_back(cb.RecNo);
  cb.LockState = 3;
  ++cb.LockCount;
  DropReadAhead(cb);
  return true;
}

bool IsLocked(int32_t n) {
  if (!CheckArea("IsLocked")) return false;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    XbSetError(1100, "[IsLocked]");
    return false;
  }
  if (n < 1) return false;
  if (cb.LockState == 1) return true;
  return HasRecordEntry(cb, n);
}

bool UnlockRec() {
  engineState.XbErrorCode = 0;
  if (!CheckArea("UnlockRec")) return true;
  TDbfControlBlock& cb = *CurrentBlock();
  uint16_t failure = 0;
  // Newest first.
  while (!cb.LockList.empty()) {
    int32_t n = cb.LockList.back();
    if (!cb.Exclusive && cb.DbfFile >= 0) {
      uint16_t rc = LockRange(true, cb.DbfFile, RecordLockOffset(cb.HeaderLen, cb.RecLen, n), cb.RecLen);
      if (rc != 0) failure = rc;
    }
    cb.LockList.pop_back();
    if (cb.LockCount > 0) --cb.LockCount;
  }
  cb.LockCount = 0;
  if (cb.LockState == 3) cb.LockState = 0;
  engineState.XbErrorCode = failure;
  return failure == 0;
}

void Unlock() {
  engineState.XbErrorCode = 0;
  if (!CheckArea("Unlock")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) return;
  // What was written under the locks is in the file before they go.
  if (!WritePendingRecords(cb) || cb.LockState == 0) return;
  if (cb.LockState == 3) {
    UnlockRec();
  } else if (!cb.Exclusive && cb.DbfFile >= 0) {
    bool file = cb.LockState == 1;
    engineState.XbErrorCode = LockRange(true, cb.DbfFile, file ? kFileLockOffset : kAppendLockOffset,
                                     file ? kFileLockLength : kAppendLockLength);
  }
  cb.LockState = 0;
  // Others may change the table from now on: what was read under the lock is not served again.
  if (!cb.Exclusive) DropReadAhead(cb);
}

namespace {

// Appends the binary record. fromStored: RawRecord already holds the stored form of the new record
// (a copy of another record); otherwise the record is built on blanks, so that nothing of the
// record the area stood on (a two-digit year, a "*"-filled number) passes into the new one.
void AppendRecord(bool fromStored) {
  engineState.XbErrorCode = 0;
  if (!CheckArea("Append")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (!cb.Exclusive && cb.LockState != 1 && cb.LockState != 2) {
    XbSetError(5, "Datei mu\xDF gesperrt sein zum Anh\xE4ngen: " + cb.FileName + " [APPEND]");
    return;
  }
  RefreshCount();
  if (engineState.XbErrorCode != 0) return ReportPending();
  // A failed write leaves no phantom record: count, position, flags and the stored record of the
  // area are put back, also when the failure is reported by an exception.
  DecodeRecord(cb);
  std::vector<uint8_t> oldRaw = cb.RawRecord;
  int32_t oldCount = cb.RecCount, oldRecNo = cb.RecNo;
  bool oldEof = cb.AtEof, oldBof = cb.AtBof;
  auto restore = [&] {
    cb.RecCount = oldCount;
    cb.RecNo = oldRecNo;
    cb.AtEof = oldEof;
    cb.AtBof = oldBof;
    if (!cb.IsVirtual) cb.RawRecord = oldRaw;
  };
  {
    IndexLockBracket bracket;
    try {
      if (!cb.IsVirtual) {
        if (!fromStored) cb.RawRecord.assign(cb.RecLen, ' ');
        BinaryToRaw(cb, cb.RecordBuffer);
      }
      AppendDbfRecord(cb);
    } catch (...) {
      restore();
      throw;
    }
    if (engineState.XbErrorCode != 0) {
      restore();
      bracket.Release();
      return ReportPending();
    }
    if (!cb.IsVirtual) RawToBinary(cb, cb.RecordBuffer);
    if (bracket.active() && engineState.IndexHooks.AddKeys) engineState.IndexHooks.AddKeys();
  }
  cb.AtEof = false;
  cb.AtBof = false;
  ReportPending();
}

}  // namespace

void Append() { AppendRecord(false); }

void AppendStored() { AppendRecord(true); }

void Replace() {
  engineState.XbErrorCode = 0;
  if (!CheckArea("Replace")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.RecNo <= 0) {
    XbSetError(212, "Datenbank \"" + cb.FileName + "\" ist leer. [REPLACE]");
    return;
  }
  if (cb.RecNo >= cb.RecCount + 1) {
    XbSetError(212, "Datenbank \"" + cb.FileName + "\" bei EOF angelangt. [REPLACE]");
    return;
  }
  if (!Writable(cb, false)) {
    XbSetError(1200, "Record #" + IntText(cb.RecNo) + " in " + cb.FileName + " [REPLACE]");
    return;
  }
  {
    IndexLockBracket bracket;
    if (bracket.active() && !cb.IsVirtual) {
      // The index needs the keys of the record as stored before it changes.
      DecodeRecord(cb);
      cb.SwapBuffer.assign(cb.RecordBuffer, cb.RecordBuffer + cb.RecordBufferSize);
      try {
        GetDbfRecord(cb, cb.RecNo);
      } catch (...) {
        std::memcpy(cb.RecordBuffer, cb.SwapBuffer.data(), cb.RecordBufferSize);  // keep the edits
        throw;
      }
      if (engineState.XbErrorCode != 0) {
        std::memcpy(cb.RecordBuffer, cb.SwapBuffer.data(), cb.RecordBufferSize);
        bracket.Release();
        return ReportPending();
      }
      // Reading the stored record forgets which fields the edits gave a value.
      std::vector<uint8_t> assigned = cb.Assigned;
      RawToBinary(cb, cb.RecordBuffer);
      if (engineState.IndexHooks.SaveAllKeys) engineState.IndexHooks.SaveAllKeys();
      std::memcpy(cb.RecordBuffer, cb.SwapBuffer.data(), cb.RecordBufferSize);
      cb.Assigned = std::move(assigned);
      cb.MaybeAssigned = true;
    }
    if (!cb.IsVirtual) BinaryToRaw(cb, cb.RecordBuffer);
    PutDbfRecord(cb, cb.RecNo);
    if (engineState.XbErrorCode != 0) {
      bracket.Release();
      return ReportPending();
    }
    if (!cb.IsVirtual) RawToBinary(cb, cb.RecordBuffer);
    if (bracket.active() && engineState.IndexHooks.UpdateKeys) engineState.IndexHooks.UpdateKeys();
  }
  ReportPending();
}

void DeleteRec() {
  engineState.XbErrorCode = 0;
  if (!CheckArea("DeleteRec")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (!Writable(cb, true)) {
    XbSetError(1200, cb.FileName + " Datensatz nicht gesperrt [DeleteRec]");
    return;
  }
  if (cb.RecNo < 1 || cb.RecNo > cb.RecCount) return;
  if (cb.IsVirtual) {
    cb.VFileOp = 2;
    cb.VFileArg = cb.RecNo;
    if (engineState.VFileHandler) engineState.VFileHandler(cb);
    return;
  }
  WriteMark(cb, true);
}

void RecallRec() {
  engineState.XbErrorCode = 0;
  if (!CheckArea("RecallRec")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (!Writable(cb, true)) {
    XbSetError(1200, "Datensatz nicht gesperrt [RecallRec]");
    return;
  }
  RefreshCount();
  if (cb.RecNo < 1 || cb.RecNo > cb.RecCount) {
    XbSetError(1103, cb.FileName + " at EOF [RecallRec]");
    return;
  }
  if (cb.IsVirtual) {
    cb.VFileOp = 9;
    cb.VFileArg = cb.RecNo;
    if (engineState.VFileHandler) engineState.VFileHandler(cb);
    return;
  }
  WriteMark(cb, false);
}

uint16_t ReopenTable(bool exclusive) {
  TDbfControlBlock* p = CurrentBlock();
  if (!p) return 215;
  TDbfControlBlock& cb = *p;
  if (cb.Exclusive && !cb.ExclusiveByReopen) return 5;
  if (cb.IsVirtual) return 0;
  uint16_t oldMode = cb.OpenMode;
  uint16_t mode = exclusive ? ExclusiveOpenMode : SharedOpenMode;
  // The share mode lives with the open file: the old one has to go before the new one is asked for.
  // Until it is open again others may change it.
  DropReadAhead(cb);
  {
    XbQuietErrors quiet;
    if (!WritePendingRecords(cb)) {
      XbTakeErrorContext();
      return engineState.XbErrorCode;
    }
  }
  XbCloseFile(cb.DbfFile);
  int fd = -1;
  uint16_t rc = XbOpenFile(cb.FileName, mode, fd);
  if (rc != 0) {
    // Keep the table usable as it was.
    if (XbOpenFile(cb.FileName, oldMode, fd) != 0) return rc;
    cb.DbfFile = fd;
    if (!cb.Exclusive) ReacquireLocks(cb);
    return rc;
  }
  cb.DbfFile = fd;
  cb.OpenMode = mode;
  cb.ExclusiveByReopen = exclusive;
  cb.Exclusive = exclusive;
  if (exclusive) {
    // Nobody may lock anything in the table while it is held exclusively.
    LockRange(false, fd, kFileLockOffset, kFileLockLength);
    return 0;
  }
  return ReacquireLocks(cb);
}

void InitRecordLocks() { workAreas.UnlockProc = [] { Unlock(); }; }

}  // namespace qorva
