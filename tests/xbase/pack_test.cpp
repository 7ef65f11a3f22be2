#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>

#include "tests/xbase/edit_support_test.h"
#include "xbase/packrecovery.h"
#include "xbase/ndxengine.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;
using xbtest::InChild;

class Packing : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    table_ = CreateTable(dir_ / "stock.dbf", {{"NAME", 'C', 8, 0}, {"QTY", 'N', 5, 0}, {"OK", 'L', 1, 0}});
    Use(table_);
    for (int64_t i = 1; i <= 5; ++i) AppendRow({"item" + std::to_string(i), i, true}, i == 2 || i == 4);
    // Stored forms a record read and write would change: they must move as they are.
    GO(3);
    ASSERT_TRUE(FLock());
    Poke("y", 3, 3);
    Poke("     ", 2, 5);
    Unlock();
    FlushDbf(*CurrentBlock());
    GO(2);
    header_ = CurrentBlock()->HeaderLen;
    recLen_ = CurrentBlock()->RecLen;
  }
  std::string Record(const std::string& bytes, int n) const {
    return bytes.substr(header_ + static_cast<size_t>(n - 1) * recLen_, recLen_);
  }
  int OtherProcessOpens() const {
    const std::string table = table_;
    return InChild([table] {
      Select(20);
      USE(table + " ALIAS PROBE");
      return static_cast<int>(engineState.XbErrorCode);
    });
  }
  size_t FilesInFolder() const {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir_.path())) ++n;
    return n;
  }
  std::string table_;
  uint16_t header_ = 0, recLen_ = 0;
};

TEST_F(Packing, RemovesDeletedRecordsAndKeepsStoredBytes) {
  auto before = FileBytes(table_);
  ASSERT_TRUE(Pack());
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_FALSE(dEOF());
  EXPECT_FALSE(dBOF());
  EXPECT_EQ(GetFieldText(1), "item1   ");
  EXPECT_FALSE(CurrentBlock()->Exclusive);  // shared again

  auto after = FileBytes(table_);
  ASSERT_EQ(after.size(), header_ + 3u * recLen_ + 1);
  EXPECT_EQ(after.back(), '\x1A');
  EXPECT_EQ(static_cast<uint8_t>(after[4]), 3);
  EXPECT_EQ(after.substr(32, header_ - 32), before.substr(32, header_ - 32));  // field descriptors
  EXPECT_EQ(Record(after, 1), Record(before, 1));
  EXPECT_EQ(Record(after, 2), Record(before, 3));  // with its stored "y"
  EXPECT_EQ(Record(after, 3), Record(before, 5));  // with its blank number
  SKIP(1);
  EXPECT_EQ(GetFieldText(1), "item3   ");
  EXPECT_EQ(FilesInFolder(), 1u);          // no temporary file left
  EXPECT_EQ(OtherProcessOpens(), 0);       // and others may use the table again
}

TEST_F(Packing, GivesUpWhileAnotherOpenUsesTheTable) {
  Select(2);
  Use(table_, " ALIAS OTHER");
  Select(1);
  auto before = FileBytes(table_);
  EXPECT_FALSE(Pack());
  EXPECT_EQ(engineState.XbErrorCode, 0);  // no error: the table is simply busy
  EXPECT_EQ(FileBytes(table_), before);
  EXPECT_FALSE(CurrentBlock()->Exclusive);
  GO(5);
  EXPECT_EQ(GetFieldText(1), "item5   ");  // still open and readable
  Select(2);
  CloseArea();
  Select(1);

  // The same with another program holding the table open.
  int toParent[2], toChild[2];
  ASSERT_EQ(::pipe(toParent), 0);
  ASSERT_EQ(::pipe(toChild), 0);
  const std::string table = table_;
  pid_t pid = ::fork();
  if (pid == 0) {
    Select(20);
    USE(table + " ALIAS HOLDER");
    char c = engineState.XbErrorCode == 0 ? 'y' : 'n';
    (void)!::write(toParent[1], &c, 1);
    (void)!::read(toChild[0], &c, 1);
    ::_exit(0);
  }
  char opened = 0;
  ASSERT_EQ(::read(toParent[0], &opened, 1), 1);
  EXPECT_EQ(opened, 'y');
  EXPECT_FALSE(Pack());
  EXPECT_EQ(engineState.XbErrorCode, 0);
  char go = 'g';
  (void)!::write(toChild[1], &go, 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
  EXPECT_EQ(FileBytes(table_), before);
  EXPECT_TRUE(Pack());  // alone again
  EXPECT_EQ(RecCount(), 3);
}

TEST_F(Packing, AFailedWriteLeavesTheTableAsItWas) {
  auto before = FileBytes(table_);
  {
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit limit = oldLimit;
    limit.rlim_cur = header_ + recLen_;  // the compacted table does not fit
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(Pack());
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    sigaction(SIGXFSZ, &old, nullptr);
  }
  EXPECT_NE(engineState.XbErrorCode, 0);
  EXPECT_EQ(XbTakeErrorContext(), "Fehler beim Packen von " + AreaFileName());
  EXPECT_EQ(FileBytes(table_), before);
  EXPECT_EQ(FilesInFolder(), 1u);
  EXPECT_FALSE(CurrentBlock()->Exclusive);  // shared again also after a failure
  EXPECT_EQ(OtherProcessOpens(), 0);
  engineState.XbErrorCode = 0;
  EXPECT_EQ(RecCount(), 5);
  GO(4);
  EXPECT_TRUE(Deleted());
}

TEST_F(Packing, AMemoFileThatFailsLeavesTheTableAndItsIndexesAsTheyWere) {
  std::string memoTable = CreateTable(dir_ / "notes.dbf", {{"NAME", 'C', 8, 0}, {"NOTE", 'M', 10, 0}});
  Select(2);
  Use(memoTable);
  for (int64_t i = 1; i <= 3; ++i) AppendRow({std::string("n"), int64_t{0}}, i == 1);
  FlushDbf(*CurrentBlock());
  const std::string before = FileBytes(memoTable);
  int reindexed = 0;
  engineState.IndexUnitLinked = true;
  engineState.IndexHooks.Reindex = [&] { ++reindexed; };
  engineState.MemoHooks.PackMemofile = [] { XbSetError(1005, "memo [PackMemofile]"); };
  EXPECT_FALSE(Pack());
  EXPECT_EQ(reindexed, 0);  // the indexes still fit the records
  EXPECT_EQ(engineState.XbErrorCode, 1005);
  EXPECT_EQ(XbTakeErrorContext(), "memo [PackMemofile]");
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(FileBytes(memoTable), before);
  EXPECT_FALSE(CurrentBlock()->Exclusive);
  GO(1);
  EXPECT_TRUE(Deleted());
  engineState.MemoHooks = TMemoHooks{};
  engineState.IndexHooks = TIndexHooks{};
  engineState.IndexUnitLinked = false;
}

TEST_F(Packing, ATableWithoutAnOpenIndexPacksWithoutAnIndexError) {
  IndexInit();  // the index unit is part of the program, no index is open on the table
  EXPECT_TRUE(Pack());
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 3);
  IndexInit();
  engineState.IndexHooks = TIndexHooks{};
  engineState.IndexUnitLinked = false;
}

TEST_F(Packing, TablesOpenedForReadingOnlyAreNotPacked) {
  CloseArea();
  const auto before = FileBytes(table_);
  for (uint16_t mode : {XbModeReadOnlyDenyAll, XbModeReadOnlyDenyNone}) {
    workAreas.OpenModeOverride = mode;
    Use(table_);
    workAreas.OpenModeOverride = 0xFFFF;
    EXPECT_FALSE(Pack()) << mode;
    EXPECT_EQ(engineState.XbErrorCode, 5) << mode;
    EXPECT_EQ(XbTakeErrorContext(), "Fehler beim Packen von " + AreaFileName());
    EXPECT_EQ(RecCount(), 5);
    CloseArea();
    EXPECT_EQ(FileBytes(table_), before) << mode;
  }
}

TEST_F(Packing, ShortHeadersKeepTheirLayout) {
  // 8-byte header (count at 1-2, month, day, year at 3-5), one field "NAME" C 3 at offset 8,
  // records from 521; records 1 and 3 of 4 are deleted.
  std::string s(521, '\0');
  s[0] = 0x02;
  s[1] = 4;
  s[3] = 1;
  s[4] = 2;
  s[5] = 90;
  s[6] = 4;
  std::memcpy(&s[8], "NAME", 4);
  s[8 + 11] = 'C';
  s[8 + 12] = 3;
  s[8 + 16] = 0x0D;
  s += "*aaa bbb*ccc ddd\x1A";
  const std::string file = Path("old.dbf");
  test::writeFile(file, s);
  Select(2);
  Use(file);
  ASSERT_TRUE(Pack());
  CloseArea();

  auto bytes = FileBytes(file);
  ASSERT_EQ(bytes.size(), 521u + 2 * 4 + 1);
  EXPECT_EQ(bytes.substr(521), " bbb ddd\x1A");
  EXPECT_EQ(static_cast<uint8_t>(bytes[1]) | static_cast<uint8_t>(bytes[2]) << 8, 2);
  EXPECT_EQ(static_cast<uint8_t>(bytes[6]), 4);  // record length untouched
  EXPECT_EQ(bytes.substr(8, 16), s.substr(8, 16));
  Use(file);
  EXPECT_EQ(RecCount(), 2);
  EXPECT_EQ(GetFieldText(1), "bbb");
}

TEST_F(Packing, ASharedReopenThatFailsIsReported) {
  std::string memoTable = CreateTable(dir_ / "notes.dbf", {{"NAME", 'C', 8, 0}, {"NOTE", 'M', 10, 0}});
  Select(2);
  Use(memoTable);
  for (int64_t i = 1; i <= 2; ++i) AppendRow({std::string("n"), int64_t{0}}, i == 1);
  // The table vanishes once the pack is done: it cannot be opened shared again.
  packRecovery.PackStep = [&](int step) {
    if (step == 5) std::filesystem::remove(memoTable);
    return 0;
  };
  Pack();
  packRecovery.PackStep = nullptr;
  EXPECT_EQ(engineState.XbErrorCode, 2);
  EXPECT_EQ(XbTakeErrorContext(),
            "Datenbank kann nicht Sharable wiederge\xF6" "ffnet werden. " + AreaFileName() + " [Pack]");
  engineState.MemoHooks = TMemoHooks{};
}

TEST_F(Packing, EmptyResultsAndExclusiveTables) {
  ASSERT_TRUE(FLock());
  for (int32_t n : {1, 3, 5}) {
    GO(n);
    DeleteRec();
  }
  Unlock();
  ASSERT_TRUE(Pack());
  EXPECT_EQ(RecCount(), 0);
  EXPECT_EQ(RecNo(), 0);
  EXPECT_TRUE(dEOF());
  EXPECT_TRUE(dBOF());
  EXPECT_EQ(FileBytes(table_).size(), header_ + 1u);
  EXPECT_TRUE(Pack());  // nothing to do

  CloseArea();
  Use(table_, " EXCLUSIVE");
  AppendRow({std::string("again"), int64_t{1}, false});
  EXPECT_TRUE(Pack());
  EXPECT_TRUE(CurrentBlock()->Exclusive);  // EXCLUSIVE of USE stays
  EXPECT_EQ(RecCount(), 1);
  EXPECT_EQ(OtherProcessOpens(), 32);
}

}  // namespace
}  // namespace qorva
