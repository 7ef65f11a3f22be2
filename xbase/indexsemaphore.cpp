#include "xbase/indexsemaphore.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/enginestate.h"
#include "platform/sysname.h"

namespace qorva {

IndexSemaphore indexSemaphore;

namespace {

constexpr const char* kActionName[] = {"LOGIN", "LOGOUT", "INCREAD", "DECREAD", "LOCKSEMAPHORE", "UNLOCKSEMAPHORE"};
constexpr uint64_t kRegionOffset = 1;
constexpr uint64_t kRegionLength = 4;
// Beyond the record, each program holds a shared lock on one byte while it is counted as a
// reader and on another while it is logged in. The system drops the locks of a program that
// dies, so a count that nobody holds a lock for is known to be stale.
constexpr uint64_t kReaderByte = 8;
constexpr uint64_t kUserByte = 9;

std::string num(int64_t v) { return std::to_string(v); }

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Whether another open file holds the region (the record cannot be read consistently then).
bool regionBusy(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(kRegionOffset);
  fl.l_len = static_cast<off_t>(kRegionLength);
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

// Takes (or drops) this program's shared lock on one of the holder bytes.
void holdByte(int fd, uint64_t offset, bool hold) {
  struct flock fl {};
  fl.l_type = hold ? F_RDLCK : F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  (void)::fcntl(fd, F_OFD_SETLK, &fl);
}

// Whether another open file holds a lock on the holder byte: some program alive is counted.
bool othersHold(int fd, uint64_t offset) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return true;  // cannot tell: trust the count
  return fl.l_type != F_UNLCK;
}

class Sem {
 public:
  Sem(TSemaphoreState& s, uint8_t action) : s_(s), action_(kActionName[action]) {}

  void lockRegion() {
    uint16_t rc = 0;
    for (int32_t i = 0; i < indexSemaphore.RegionLockTries; ++i) {
      rc = LockRange(false, s_.File, kRegionOffset, kRegionLength);
      if (rc == 0) {
        s_.RegionLocked = true;
        return;
      }
      WaitMs(indexSemaphore.RegionLockWaitMs);
    }
    IndexError(1202, num(indexSemaphore.RegionLockTries * indexSemaphore.RegionLockWaitMs / 1000) +
                         " second timeout: Cannot lock index semaphore file: " + s_.FileName + " " + action_ +
                         "\r\nPossible cause: Network lock limit exceeded\r\n Lock result code: " + num(rc));
  }
  void unlockRegion() {
    if (!s_.RegionLocked) return;
    s_.RegionLocked = false;
    uint16_t rc = LockRange(true, s_.File, kRegionOffset, kRegionLength);
    if (rc != 0) IndexError(rc, "Cannot unlock index semaphore file: " + s_.FileName + " " + action_);
  }
  bool tryRead() {
    uint8_t b[4];
    if (XbReadAt(s_.File, 0, b, 4) != 4) return false;
    s_.Users = b[0];
    s_.Access = b[1];
    s_.Counter = static_cast<uint16_t>(b[2] | (b[3] << 8));
    return true;
  }
  void read() {
    if (tryRead()) return;
    int err = errno;
    unlockRegion();
    IndexError(XbIoCode(err ? err : EIO), "Cannot read: " + s_.FileName + " " + action_);
  }
  void write() {
    uint8_t b[4] = {s_.Users, s_.Access, static_cast<uint8_t>(s_.Counter & 0xFF), static_cast<uint8_t>(s_.Counter >> 8)};
    int err = XbWriteAt(s_.File, 0, b, 4);
    if (err == 0) return;
    unlockRegion();
    IndexError(XbIoCode(err), "Cannot write to: " + s_.FileName + " " + action_);
  }
  const char* action() const { return action_; }

 private:
  TSemaphoreState& s_;
  const char* action_;
};

// The table's semaphore byte serializes LOGIN and LOGOUT (creating and erasing the file).
void takeTableByte(const std::string& file, const char* action) {
  for (int32_t i = 0; i < indexSemaphore.LoginTries; ++i) {
    if (LockSemaphoreByte()) return;
    WaitMs(10);
  }
  IndexError(1202, "Cannot lock database for: " + file + " Action=" + action + " [Database Semaphore]");
}

struct TableByteRelease {
  ~TableByteRelease() {
    XbQuietErrors quiet;
    UnlockSemaphoreByte();
  }
};

void login(uint8_t area, TDbfControlBlock& cb) {
  if (indexSemaphore.States[area]) return;
  auto st = std::make_unique<TSemaphoreState>();
  st->FileName = SemaphoreFileName(cb.FileName);
  takeTableByte(st->FileName, "LOGIN");
  TableByteRelease release;
  Sem sem(*st, SemLogin);
  struct CloseOnFail {
    TSemaphoreState* s;
    ~CloseOnFail() {
      if (s) XbCloseFile(s->File);
    }
  } guard{st.get()};
  if (!XbFileExists(st->FileName)) {
    int fd = -1;
    uint16_t rc = XbCreateFile(st->FileName, fd);
    if (rc != 0) IndexError(rc, "Cannot open/create: " + st->FileName + " LOGIN");
    uint8_t zero[4] = {0, 0, 0, 0};
    int err = XbWriteAt(fd, 0, zero, 4);
    XbCloseFile(fd);
    if (err != 0) IndexError(XbIoCode(err), "Cannot write to: " + st->FileName + " Action=LOGIN [Database Semaphore]");
    rc = XbOpenFile(st->FileName, XbModeReadWriteDenyNone, st->File);
    if (rc != 0) IndexError(rc, "Cannot open: " + st->FileName + " Action=LOGIN [Database Semaphore]");
    sem.lockRegion();
    st->Users = st->Access = 0;
    st->Counter = 0;
  } else {
    uint16_t rc = XbOpenFile(st->FileName, XbModeReadWriteDenyNone, st->File);
    if (rc != 0) IndexError(rc, "Cannot open: " + st->FileName + " LOGIN");
    sem.lockRegion();
    sem.read();
    // Nobody alive is logged in: the counts are left over from programs that died.
    if (!othersHold(st->File, kUserByte)) st->Users = st->Access = 0;
  }
  holdByte(st->File, kUserByte, true);
  ++st->Users;
  sem.write();
  sem.unlockRegion();
  st->LastSeenCounter = st->Counter;
  guard.s = nullptr;
  indexSemaphore.States[area] = std::move(st);
}

void logout(uint8_t area) {
  TSemaphoreState& st = *indexSemaphore.States[area];
  // The state goes whatever fails: a half logged-out area must not be used again.
  struct Free {
    uint8_t area;
    ~Free() {
      if (indexSemaphore.States[area]) XbCloseFile(indexSemaphore.States[area]->File);
      indexSemaphore.States[area].reset();
    }
  } freeState{area};
  takeTableByte(st.FileName, "LOGOUT");
  TableByteRelease release;
  Sem sem(st, SemLogout);
  sem.lockRegion();
  sem.read();
  if (st.CountedAsReader && st.Access > 0) --st.Access;
  st.CountedAsReader = false;
  if (st.Users > 0) --st.Users;
  sem.write();
  sem.unlockRegion();
  XbCloseFile(st.File);
  if (st.Users == 0) SysUnlink(XbResolveFileName(st.FileName));
}

void readAction(TSemaphoreState& st, uint8_t action) {
  Sem sem(st, action);
  const bool inc = action == SemIncRead;
  if (inc) {
    if (++st.ReadNesting != 1) return;
  } else {
    if (--st.ReadNesting < 0) {
      st.ReadNesting = 0;
      IndexError(254, "Unbalanced IncRead/DecRead for semaphore file: " + st.FileName + " " + sem.action());
    }
    if (st.ReadNesting != 0) return;
  }
  if (st.RegionLocked || (inc && st.CountedAsReader) || (!inc && !st.CountedAsReader)) return;
  sem.lockRegion();
  st.CountedAsReader = inc;
  holdByte(st.File, kReaderByte, inc);
  sem.read();
  if (inc && st.Access < 127) ++st.Access;
  if (!inc && st.Access > 0) --st.Access;
  sem.write();
  sem.unlockRegion();
}

void lockAction(TSemaphoreState& st) {
  Sem sem(st, SemLock);
  if (++st.LockNesting != 1 || st.RegionLocked) return;
  const int64_t limit = int64_t{indexSemaphore.SemaphoreLockTimeout} * 1000;
  const int64_t t0 = nowMs();
  for (;;) {
    const int64_t t1 = nowMs();
    while (regionBusy(st.File)) {
      WaitMs(1);
      if (limit > 0 && nowMs() - t1 > limit) break;
    }
    if (!regionBusy(st.File)) {
      sem.lockRegion();
      sem.read();
      // A mark no living reader holds (a live writer holds the region) is stale: take it over.
      if (st.Access != 0 && !othersHold(st.File, kReaderByte)) st.Access = st.CountedAsReader ? 1 : 0;
      if (st.Access == 0) break;
      sem.unlockRegion();
    }
    if (limit > 0 && nowMs() - t0 > limit) break;
    WaitMs(1);
  }
  if (!st.RegionLocked || st.Access != 0) {
    sem.unlockRegion();
    --st.LockNesting;
    IndexError(1202, num(indexSemaphore.SemaphoreLockTimeout) + " second timeout, cannot read: " + st.FileName +
                         "\r\nPossible cause: Other user's program has terminated abnormally.\r\n"
                         "Cure: Log all users of this application off the network,\r\nthen delete " +
                         st.FileName);
  }
  st.Access = 1;
  sem.write();
}

void unlockAction(TSemaphoreState& st) {
  Sem sem(st, SemUnlock);
  if (--st.LockNesting < 0) {
    st.LockNesting = 0;
    sem.unlockRegion();
    IndexError(254, "Unbalanced Lock/Unlock for semaphore file: " + st.FileName + " " + sem.action());
  }
  if (st.LockNesting != 0 || !st.RegionLocked) return;
  sem.read();
  st.Counter = st.Counter >= 65534 ? 0 : static_cast<uint16_t>(st.Counter + 1);
  st.Access = 0;
  sem.write();
  sem.unlockRegion();
  st.LastSeenCounter = st.Counter;
}

void bracket(bool on, std::array<int32_t, 36>& depth, uint8_t onAction, uint8_t offAction, const char* routine) {
  const uint8_t area = workAreas.CurrentArea;
  if (area > 35) return;
  if (on) {
    if (depth[area] == 0) HandleSemafore(onAction);
    ++depth[area];
    return;
  }
  if (--depth[area] < 0) {
    depth[area] = 0;
    IndexError(254, std::string("Non-symmetrical Lock-Unlock [") + routine + "]");
  }
  if (depth[area] == 0) HandleSemafore(offAction);
}

}  // namespace

void InitIndexSemaphore() {
  for (auto& s : indexSemaphore.States)
    if (s) XbCloseFile(s->File);
  indexSemaphore = IndexSemaphore{};
}

void IndexError(uint16_t code, const std::string& context) {
  const bool raise = !engineState.XbReportErrors;
  XbSetError(code, context);
  if (raise) RaiseXbaseError(XbErrorText(code) + "\r\n" + context);
}

std::string SemaphoreFileName(const std::string& tableFile) {
  // The file's real name on disk: programs that wrote the table's name in another case share it.
  return XbForceExt(XbResolveFileName(XbFullPath(tableFile)), "@S@");
}

void HandleSemafore(uint8_t action) {
  const uint8_t area = workAreas.CurrentArea;
  if (area > 34) {
    IndexError(254, "Work area [" + num(area) + "] out of range. [HandleSemafore]");
    return;
  }
  if (action > SemUnlock) return;
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || cb->IsVirtual) return;
  if (action == SemLogin) {
    if (!cb->Exclusive) login(area, *cb);
    return;
  }
  if (!indexSemaphore.States[area]) return;
  TSemaphoreState& st = *indexSemaphore.States[area];
  if (action == SemLogout) return logout(area);
  // While the table is held exclusively nobody else can look: keep the nesting, leave the file.
  if (cb->Exclusive) {
    if (action == SemIncRead) ++st.ReadNesting;
    if (action == SemDecRead && st.ReadNesting > 0 && --st.ReadNesting == 0 && st.CountedAsReader) {
      st.ReadNesting = 1;
      readAction(st, SemDecRead);
    }
    if (action == SemLock) ++st.LockNesting;
    if (action == SemUnlock && st.LockNesting > 0) --st.LockNesting;
    return;
  }
  switch (action) {
    case SemIncRead:
    case SemDecRead:
      readAction(st, action);
      break;
    case SemLock:
      lockAction(st);
      break;
    default:
      unlockAction(st);
      break;
  }
}

void SetReadSemaphoreProc(bool on) {
  bracket(on, indexSemaphore.ReadDepth, SemIncRead, SemDecRead, "SetReadSemaphoreProc");
}

void SetLockSemaphoreProc(bool on) {
  bracket(on, indexSemaphore.LockDepth, SemLock, SemUnlock, "SetLockSemaphoreProc");
}

bool SemaphoreChanged() {
  const uint8_t area = workAreas.CurrentArea;
  if (area > 35 || !indexSemaphore.States[area]) return false;
  TSemaphoreState& st = *indexSemaphore.States[area];
  if (st.LastSeenCounter == st.Counter) return false;
  st.LastSeenCounter = st.Counter;
  return true;
}

bool ReadSemaphoreRecord(uint8_t& users, uint8_t& access, uint16_t& counter) {
  const uint8_t area = workAreas.CurrentArea;
  if (area > 35 || !indexSemaphore.States[area]) return false;
  uint8_t b[4];
  if (XbReadAt(indexSemaphore.States[area]->File, 0, b, 4) != 4) return false;
  users = b[0];
  access = b[1];
  counter = static_cast<uint16_t>(b[2] | (b[3] << 8));
  return true;
}

}  // namespace qorva
