#include <gtest/gtest.h>

#include "tests/xbase/edit_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;
using xbtest::InChild;
using xbtest::RangeLockedByOthers;

constexpr uint64_t kFileLock = uint64_t{LockBase} + 1;

class Locks : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    table_ = CreateTable(dir_ / "parts.dbf", {{"NAME", 'C', 10, 0}, {"QTY", 'N', 5, 0}});
    Use(table_);
    for (int64_t i = 1; i <= 8; ++i) AppendRow({std::string("part"), i});
    GO(1);
  }
  // Another process sets the quantity of record n under a record lock (0 when it could).
  int ChangeElsewhere(int32_t n, int64_t qty) const {
    const std::string table = table_;
    return InChild([&] {
      Select(20);
      USE(table + " ALIAS OTHER");
      if (engineState.XbErrorCode != 0) return 90;
      GO(n);
      if (!RLock()) return 91;
      SetFieldInt(2, qty);
      Replace();
      Unlock();
      return engineState.XbErrorCode == 0 ? 0 : 92;
    });
  }
  uint64_t RecordLock(int32_t n) const {
    return RecordLockOffset(CurrentBlock()->HeaderLen, CurrentBlock()->RecLen, n);
  }
  std::string table_;
};

TEST_F(Locks, KindsOfLockExcludeEachOtherWithinAnArea) {
  struct Step {
    const char* what;
    std::function<bool()> call;
    bool expected;
    uint8_t state;
  } steps[] = {
      {"FLock", FLock, true, 1},  {"FLock again", FLock, true, 1}, {"RLock under FLock", RLock, false, 1},
      {"ALock under FLock", ALock, false, 1},
      {"Unlock", [] { Unlock(); return true; }, true, 0},
      {"ALock", ALock, true, 2},  {"FLock under ALock", FLock, false, 2}, {"RLock under ALock", RLock, false, 2},
      {"Unlock", [] { Unlock(); return true; }, true, 0},
      {"RLock", RLock, true, 3},  {"ALock under RLock", ALock, false, 3}, {"FLock under RLock", FLock, false, 3},
      {"Unlock", [] { Unlock(); return true; }, true, 0},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.call(), s.expected) << s.what;
    EXPECT_EQ(CurrentBlock()->LockState, s.state) << s.what;
    EXPECT_EQ(engineState.XbErrorCode, 0) << s.what;
  }
}

TEST_F(Locks, OperatingSystemRangesFollowTheLayout) {
  ASSERT_TRUE(FLock());
  EXPECT_TRUE(RangeLockedByOthers(table_, kFileLock, 1));
  EXPECT_TRUE(RangeLockedByOthers(table_, 0x7FFFFFFF, 1));
  EXPECT_TRUE(RangeLockedByOthers(table_, uint64_t{5} << 32, 1));  // past 4 GB too
  EXPECT_FALSE(RangeLockedByOthers(table_, LockBase, 1));          // the semaphore byte stays free
  EXPECT_FALSE(RangeLockedByOthers(table_, 0, 1000));              // records are never hindered
  Unlock();
  EXPECT_FALSE(RangeLockedByOthers(table_, kFileLock, 1));

  ASSERT_TRUE(ALock());
  EXPECT_TRUE(RangeLockedByOthers(table_, kFileLock, 1));
  EXPECT_FALSE(RangeLockedByOthers(table_, kFileLock + 1, 1 << 20));
  Unlock();

  GO(3);
  ASSERT_TRUE(RLock());
  uint16_t recLen = CurrentBlock()->RecLen;
  EXPECT_TRUE(RangeLockedByOthers(table_, RecordLock(3), recLen));
  EXPECT_FALSE(RangeLockedByOthers(table_, RecordLock(2), recLen));
  EXPECT_FALSE(RangeLockedByOthers(table_, RecordLock(4), recLen));
  Unlock();
  EXPECT_FALSE(RangeLockedByOthers(table_, RecordLock(3), recLen));

  EXPECT_EQ(RecordLockOffset(354, 100, 3), 1073742378u);

  ASSERT_TRUE(LockSemaphoreByte());
  EXPECT_TRUE(RangeLockedByOthers(table_, LockBase, 1));
  UnlockSemaphoreByte();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_FALSE(RangeLockedByOthers(table_, LockBase, 1));
}

TEST_F(Locks, RecordLocksAreListedOncePerRecord) {
  GO(5);
  ASSERT_TRUE(RLock());
  ASSERT_TRUE(RLock());
  EXPECT_EQ(CurrentBlock()->LockCount, 1);
  GO(7);
  ASSERT_TRUE(RLock());
  EXPECT_EQ(CurrentBlock()->LockCount, 2);
  EXPECT_TRUE(IsLocked(5));
  EXPECT_TRUE(IsLocked(7));
  EXPECT_FALSE(IsLocked(6));
  EXPECT_FALSE(IsLocked(0));
  EXPECT_TRUE(UnlockRec());
  EXPECT_EQ(CurrentBlock()->LockCount, 0);
  EXPECT_EQ(CurrentBlock()->LockState, 0);
  EXPECT_FALSE(IsLocked(5));
  EXPECT_FALSE(RangeLockedByOthers(table_, RecordLock(7), CurrentBlock()->RecLen));
}

TEST_F(Locks, RecordNumbersBelowOneAreNeverLocked) {
  std::string empty = CreateTable(dir_ / "empty.dbf", {{"NAME", 'C', 10, 0}});
  Select(2);
  Use(empty);
  EXPECT_EQ(RecNo(), 0);
  EXPECT_FALSE(RLock());
  EXPECT_EQ(CurrentBlock()->LockState, 0);
  EXPECT_FALSE(RangeLockedByOthers(empty, LockBase, 64));  // nothing in the header's image either
}

TEST_F(Locks, ExclusiveTablesLockWithoutTheOperatingSystem) {
  CloseArea();
  Use(table_, " EXCLUSIVE");
  EXPECT_TRUE(FLock());
  EXPECT_FALSE(RangeLockedByOthers(table_, kFileLock, 0));
  Unlock();
  EXPECT_TRUE(ALock());
  Unlock();
  GO(2);
  EXPECT_TRUE(RLock());
  EXPECT_TRUE(IsLocked(2));
  EXPECT_FALSE(RangeLockedByOthers(table_, RecordLock(2), CurrentBlock()->RecLen));
  Unlock();
  EXPECT_EQ(CurrentBlock()->LockState, 0);
}

TEST_F(Locks, LocksBelongToTheOpenTableNotToTheProcess) {
  GO(2);
  ASSERT_TRUE(RLock());
  Select(2);
  Use(table_, " ALIAS OTHER");
  GO(2);
  EXPECT_FALSE(RLock());  // the same record through another open of the file
  GO(3);
  EXPECT_TRUE(RLock());
  Select(1);
  Unlock();
  EXPECT_FALSE(FLock());  // area 2 holds record 3
  Select(2);
  CloseArea();  // closing an area releases its locks
  Select(1);
  EXPECT_TRUE(FLock());
}

TEST_F(Locks, AnotherProcessIsKeptOut) {
  GO(3);
  ASSERT_TRUE(RLock());
  const std::string table = table_;
  auto other = [table](const std::function<int()>& probe) {
    return InChild([&] {
      Select(20);
      USE(table + " ALIAS PROBE");
      if (engineState.XbErrorCode != 0) return 90;
      return probe();
    });
  };
  auto recordLock = [](int32_t n) {
    return [n] {
      GO(n);
      return RLock() ? 1 : 0;
    };
  };
  EXPECT_EQ(other(recordLock(3)), 0);
  EXPECT_EQ(other(recordLock(4)), 1);
  EXPECT_EQ(other([] { return FLock() ? 1 : 0; }), 0);
  EXPECT_EQ(other([] { return ALock() ? 1 : 0; }), 1);  // appending does not touch record locks
  Unlock();

  ASSERT_TRUE(FLock());
  EXPECT_EQ(other(recordLock(8)), 0);
  EXPECT_EQ(other([] { return ALock() ? 1 : 0; }), 0);
  Unlock();

  ASSERT_TRUE(ALock());
  EXPECT_EQ(other([] { return ALock() ? 1 : 0; }), 0);
  EXPECT_EQ(other(recordLock(8)), 1);
  Unlock();
  EXPECT_EQ(other([] { return FLock() ? 1 : 0; }), 1);
}

// A walk reads records ahead; a lock taken afterwards must make the reads go to the file again, so
// that a locked record shows what another program wrote before the lock.
TEST_F(Locks, ReadsAfterALockSeeWhatAnotherProcessWrote) {
  struct Case {
    const char* name;
    std::function<bool()> lock;  // taken on record 5
  };
  const Case cases[] = {{"file lock", [] { return FLock(); }},
                        {"record lock", [] { return RLock(); }},
                        {"append lock", [] { return ALock(); }}};
  int64_t qty = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GoTop();
    for (int i = 0; i < 4; ++i) SKIP(1);  // a walk: records after the fifth are read ahead
    ASSERT_EQ(RecNo(), 5);
    ++qty;
    ASSERT_EQ(ChangeElsewhere(6, qty), 0);
    ASSERT_TRUE(c.lock());
    SKIP(1);
    EXPECT_EQ(RecNo(), 6);
    EXPECT_EQ(GetFieldInt(2), qty);
    Unlock();
  }
}

// Without any lock the same holds: a walk over a shared table never shows a record as it was before
// another process changed it, whichever way it steps onto it.
TEST_F(Locks, ASharedWalkSeesWhatAnotherProcessWrote) {
  struct Case {
    const char* name;
    int32_t walkTo;   // from the top, one record at a time
    int32_t changed;  // by the other process, then stepped onto
    int32_t step;
  } cases[] = {{"forwards", 4, 5, 1}, {"backwards", 7, 6, -1}, {"forwards twice", 2, 4, 2}};
  int64_t qty = 500;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GoTop();
    for (int32_t n = 1; n < c.walkTo; ++n) SKIP(1);
    ASSERT_EQ(RecNo(), c.walkTo);
    ++qty;
    ASSERT_EQ(ChangeElsewhere(c.changed, qty), 0);
    SKIP(c.step);
    ASSERT_EQ(RecNo(), c.changed);
    EXPECT_EQ(GetFieldInt(2), qty);
  }
}

// Under the file lock nobody else can change the table, so records are read ahead and rewritten
// records may wait; the release of the lock (or the close) writes them, and from then on reads go
// to the file again.
TEST_F(Locks, WhatWasReplacedUnderTheFileLockIsInTheFileWhenItGoes) {
  const std::string table = table_;
  auto quantitiesElsewhere = [&] {  // the quantities another process reads, as digits
    return InChild([&] {
      Select(20);
      USE(table + " ALIAS OTHER");
      int code = 0;
      for (GoTop(); !dEOF(); SKIP(1)) code = code * 10 + static_cast<int>(GetFieldInt(2) % 10);
      return engineState.XbErrorCode == 0 ? code % 251 : 250;
    });
  };
  CloseArea();  // the header's count as others read it
  Use(table_);
  ASSERT_TRUE(FLock());
  for (GO(2); RecNo() <= 8; SKIP(1)) {
    SetFieldInt(2, 10 + 9 - RecNo());  // 2..8 become ...7..1 in the last digit
    Replace();
    ASSERT_EQ(engineState.XbErrorCode, 0);
    if (RecNo() == 8) break;
  }
  Unlock();
  EXPECT_EQ(quantitiesElsewhere(), 17654321 % 251);
  // After the release another process may change a record; stepping onto it shows the change.
  ASSERT_EQ(ChangeElsewhere(3, 9), 0);
  GO(2);
  SKIP(1);
  EXPECT_EQ(GetFieldInt(2), 9);
  ASSERT_EQ(ChangeElsewhere(4, 6), 0);  // a record the walk may have read ahead
  GO(4);
  EXPECT_EQ(GetFieldInt(2), 6);
  // Closing the table under the lock writes what waits as well.
  ASSERT_TRUE(FLock());
  GO(8);
  SetFieldInt(2, 5);
  Replace();
  CloseArea();
  EXPECT_EQ(quantitiesElsewhere(), 17964325 % 251);
}

TEST_F(Locks, ReopeningKeepsTheLocksOfTheArea) {
  GO(2);
  ASSERT_TRUE(RLock());
  GO(6);
  ASSERT_TRUE(RLock());
  uint16_t recLen = CurrentBlock()->RecLen;

  ASSERT_EQ(ReopenTable(true), 0);
  EXPECT_TRUE(CurrentBlock()->Exclusive);
  EXPECT_EQ(CurrentBlock()->LockCount, 2);
  // Held exclusively: nobody can lock anything or even open the table.
  EXPECT_TRUE(RangeLockedByOthers(table_, RecordLock(5), recLen));
  const std::string table = table_;
  EXPECT_EQ(InChild([table] {
              Select(20);
              USE(table + " ALIAS PROBE");
              return engineState.XbErrorCode;
            }),
            32);

  ASSERT_EQ(ReopenTable(false), 0);
  EXPECT_FALSE(CurrentBlock()->Exclusive);
  EXPECT_EQ(CurrentBlock()->LockCount, 2);
  EXPECT_TRUE(IsLocked(2));
  EXPECT_TRUE(RangeLockedByOthers(table_, RecordLock(2), recLen));
  EXPECT_TRUE(RangeLockedByOthers(table_, RecordLock(6), recLen));
  EXPECT_FALSE(RangeLockedByOthers(table_, RecordLock(5), recLen));

  Unlock();
  ASSERT_TRUE(FLock());
  ASSERT_EQ(ReopenTable(true), 0);
  ASSERT_EQ(ReopenTable(false), 0);
  EXPECT_EQ(CurrentBlock()->LockState, 1);
  EXPECT_TRUE(RangeLockedByOthers(table_, kFileLock, 1));
}

TEST_F(Locks, ReopenIsRefusedWhileOthersUseTheTable) {
  Select(2);
  Use(table_, " ALIAS OTHER");  // a second open of the file
  Select(1);
  EXPECT_EQ(ReopenTable(true), 32);
  EXPECT_FALSE(CurrentBlock()->Exclusive);
  GO(4);  // the table is still open and usable
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(GetFieldInt(2), 4);

  Select(2);
  CloseArea();
  Select(1);
  CloseArea();
  Use(table_, " EXCLUSIVE");
  EXPECT_EQ(ReopenTable(false), 5);  // EXCLUSIVE of USE stays
  EXPECT_TRUE(CurrentBlock()->Exclusive);
}

TEST_F(Locks, VirtualFilesHaveNoLocks) {
  CurrentBlock()->IsVirtual = true;
  EXPECT_FALSE(FLock());
  EXPECT_EQ(engineState.XbErrorCode, 1100);
  EXPECT_EQ(XbTakeErrorContext(), " [FLock]");
  EXPECT_FALSE(RLock());
  EXPECT_EQ(XbTakeErrorContext(), " [RLock]");
  EXPECT_FALSE(IsLocked(1));
  EXPECT_EQ(XbTakeErrorContext(), "[IsLocked]");
  CurrentBlock()->IsVirtual = false;
}

TEST_F(Locks, FreeAreaReports215) {
  Select(9);
  EXPECT_FALSE(FLock());
  EXPECT_EQ(engineState.XbErrorCode, 215);
  EXPECT_FALSE(RLock());
  EXPECT_EQ(engineState.XbErrorCode, 215);
}

}  // namespace
}  // namespace qorva
