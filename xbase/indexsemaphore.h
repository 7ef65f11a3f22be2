#pragma once
// indexsemaphore: how several programs share the indexes of one table. Each shared table gets a small
// semaphore file beside it (its real file name with the extension ".@S@"); the programs count
// themselves in it as users, as readers (read brackets) and as the one writer (write brackets),
// and every write bracket raises a change counter, so that a program sees at its next read
// bracket that another one changed the indexes. The record of the file is read and written only
// while its bytes 1..4 are locked (open-file-description locks, which belong to the open file).
// Beyond the record a program holds a shared lock on byte 8 while it is counted as a reader and on
// byte 9 while it is logged in: counts that no living program holds a lock for were left by
// programs that died, and are taken over. Exclusive tables need none of it.
// May call: recordlocks (locks, waits, the table's semaphore byte), workAreas, engineState.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qorva {

// The semaphore actions.
constexpr uint8_t SemLogin = 0;
constexpr uint8_t SemLogout = 1;
constexpr uint8_t SemIncRead = 2;
constexpr uint8_t SemDecRead = 3;
constexpr uint8_t SemLock = 4;
constexpr uint8_t SemUnlock = 5;

// The semaphore state of a work area that is logged in.
struct TSemaphoreState {
  int File = -1;
  std::string FileName;
  uint8_t Users = 0;
  uint8_t Access = 0;         // 0 free, readers counted, 1 while a writer holds it
  uint16_t Counter = 0;       // change counter as last read
  uint16_t LastSeenCounter = 0;
  bool RegionLocked = false;
  bool CountedAsReader = false;
  int32_t ReadNesting = 0;
  int32_t LockNesting = 0;
};

struct IndexSemaphore {
  std::array<std::unique_ptr<TSemaphoreState>, 36> States;  // by work area, nullptr: not logged in
  std::array<int32_t, 36> ReadDepth{};                       // read-bracket depth by work area
  std::array<int32_t, 36> LockDepth{};                       // write-bracket depth by work area
  int32_t SemaphoreLockTimeout = 100;  // seconds a writer waits for the readers to leave
  int32_t RegionLockTries = 1001;      // tries of the region lock, RegionLockWaitMs apart
  int32_t RegionLockWaitMs = 10;
  int32_t LoginTries = 1001;           // tries of the table's semaphore byte, 10 ms apart
};
extern IndexSemaphore indexSemaphore;

// Forgets every semaphore state (files of earlier states are closed) and puts the settings back.
void InitIndexSemaphore();

// Sets the error and, while immediate reports are off, raises EXbaseError with its message, so
// that the failure always interrupts the caller.
void IndexError(uint16_t code, const std::string& context);

// Name of the semaphore file of a table file.
std::string SemaphoreFileName(const std::string& tableFile);
// One action for the current work area (see above for when it does nothing).
void HandleSemafore(uint8_t action);
// Nested read and write brackets of the current work area: only the outermost touches the file.
void SetReadSemaphoreProc(bool on);
void SetLockSemaphoreProc(bool on);
// True once when another program raised the change counter since this area last looked.
bool SemaphoreChanged();
// The semaphore record as the file holds it now (false when the area is not logged in); tests.
bool ReadSemaphoreRecord(uint8_t& users, uint8_t& access, uint16_t& counter);

}  // namespace qorva
