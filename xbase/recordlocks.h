#pragma once
// recordlocks: how processes that share a table keep out of each other's way, and the commands that
// change records of the selected work area (Append, Replace, DeleteRec, RecallRec).
//
// Locks are open-file-description byte-range locks (fcntl F_OFD_SETLK) on the work area's table
// file, so they belong to the open table, not to the process, and every program on the machine
// that follows the same layout respects them. They lie beyond the data of any table:
//   index semaphore byte   LockBase                                  1 byte
//   file lock              LockBase + 1                              to the end of all offsets
//   append lock            LockBase + 1                              1 byte
//   record lock of n       LockBase + HeaderLen + (n - 1) * RecLen   RecLen bytes
// A file lock thus conflicts with every append and record lock of the others (also of tables
// larger than 1 GB), an append lock with file and append locks, a record lock with the file lock
// and the same record. Lock requests never wait. On an exclusive table locks are granted without
// asking the operating system; while a table is held exclusively by ReopenTable the whole lock
// region is locked too, so that nobody else can lock anything in it.
// May call: workAreas, tableFile, engineState.

#include <cstdint>

namespace qorva {

// One lock or unlock request on [offset, offset + length) (length 0: to the end of all offsets).
// 0, or the engine's I/O result code (33 for a range another open file holds).
uint16_t LockRange(bool unlock, int fd, uint64_t offset, uint64_t length);
// One lock attempt; true when granted. Nothing waits.
bool LockWithRetry(int fd, uint64_t offset, uint64_t length);
// The index semaphore byte of the current table.
bool LockSemaphoreByte();
void UnlockSemaphoreByte();
// Waits about |ms| milliseconds, letting pending events run first (the service ProcessPendingEvents).
void WaitMs(int32_t ms);

// Offsets of the lock ranges of an open table.
uint64_t RecordLockOffset(uint16_t headerLen, uint16_t recLen, int32_t n);

// Under the file lock nobody else can change the table: its records are read ahead and rewritten
// records may wait, to go to the file together when the lock goes (Unlock, or the table's close).
bool FLock();
bool ALock();
bool RLock();              // the current record; refused for record numbers below 1
bool IsLocked(int32_t n);  // by this work area
void Unlock();             // every lock of the current area
bool UnlockRec();          // every record lock of the current area

// Record editing on the current area. A shared table needs a file or append lock for Append and
// a record (or file) lock for the others.
// Append builds the new record on blanks: fields the binary record leaves 0, false or empty without
// having been given a value stay blank.
void Append();
// Append of a record whose stored form the caller has put into RawRecord (a copy of a record of a
// table with the same fields): fields whose value the binary record did not change keep its bytes.
void AppendStored();
void Replace();
void DeleteRec();
void RecallRec();

// Reopens the current table's file exclusively or shared. The locks the area holds are kept:
// after a shared reopen they are taken again on the new file (a lock someone else took in the
// meantime is dropped from the area and the result is 33). When the open in the new mode fails the
// table is opened again as it was. Returns 0 or the error code (5: opened EXCLUSIVE by USE).
uint16_t ReopenTable(bool exclusive);

// Start-up of the module (part of the engine's start-up): lets closing an area release its locks.
void InitRecordLocks();

}  // namespace qorva
