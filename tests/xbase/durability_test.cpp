// Tables, memos and indexes after a kill, a full disk or a failed write: a pack is one step, an
// index never outlives the table state it was built for, a damaged index is built again, and what
// a dead run left behind goes at the next open.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>

#include "tests/support/filehelpers.h"
#include "tests/xbase/memo_support_test.h"
#include "tests/xbase/ndx_support_test.h"
#include "xbase/memo.h"
#include "xbase/packrecovery.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using xbtest::AppendRow;
using xbtest::CreateTable;

const std::string kScripts = std::string(QORVA_SOURCE_DIR) + "/tools/xbase/";

std::string Name(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "r%07d", i);
  return buf;
}

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// The records an index walk visits, in its order (the controlling order of the current area).
std::vector<int32_t> Walk() {
  std::vector<int32_t> recs;
  for (GoTop(); engineState.XbErrorCode == 0 && !dEOF(); SKIP(1)) {
    recs.push_back(RecNo());
    if (recs.size() > 100000) break;
  }
  return recs;
}

class Durability : public xbtest::IndexTest {};

// ---- An index and the table state it was built for -----------------------------------------------

TEST_F(Durability, AnIndexLeftFromBeforeAPackIsBuiltAgainOrRefused) {
  const std::string table = CreateTable(dir_ / "t.dbf", {{"NAME", 'C', 8, 0}});
  Use(table, " EXCLUSIVE");
  for (int i = 1; i <= 600; ++i) AppendRow({Name(i)}, i % 4 == 0 || (i > 100 && i < 250));
  ASSERT_TRUE(MakeIndex(Path("t.ndx"), "NAME", false, 0, false, false));
  ASSERT_TRUE(Set_Index_To(Path("t.ndx"), 1));
  const std::string before = FileBytes(Path("t.ndx"));
  ASSERT_TRUE(Pack()) << XbErrorMessage();
  CloseArea();
  // The rebuild after the pack did not happen (a kill, a full disk): the old file is back.
  test::writeFile(Path("t.ndx"), before);

  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable ? "writable" : "read only");
    if (!writable) test::writeFile(Path("t.ndx"), before);
    if (!writable) workAreas.OpenModeOverride = XbModeReadOnlyDenyNone;
    Use(table);
    workAreas.OpenModeOverride = 0xFFFF;
    engineState.XbErrorCode = 0;
    bool opened = false;
    try {
      opened = Set_Index_To(Path("t.ndx"), 1);
    } catch (EXbaseError&) {
    }
    if (!writable) {
      EXPECT_FALSE(opened);
      EXPECT_EQ(engineState.XbErrorCode, 222);
      EXPECT_NE(XbTakeErrorContext().find("t.ndx"), std::string::npos);
      CloseArea();
      continue;
    }
    ASSERT_TRUE(opened) << XbErrorMessage();
    for (int i : {1, 3, 99, 250, 301, 449, 599}) {
      Find(Name(i));
      ASSERT_TRUE(ndxEngine.IndexFound) << i;
      EXPECT_EQ(XbRTrim(GetFieldText(1)), Name(i));
    }
    EXPECT_EQ(Walk().size(), static_cast<size_t>(RecCount()));
    CloseArea();
    EXPECT_EQ(NdxCheckStructure(Path("t.ndx")), "");
  }
}

// ---- A full disk in the middle of a node split ----------------------------------------------------

// Splits that complete take their mark back with the anchor, also where the index's nodes are held
// in memory (a table held alone): the file is sound and is not built again at the next open.
TEST_F(Durability, SplitsThatCompleteLeaveNoMark) {
  const std::string table = CreateTable(dir_ / "m.dbf", {{"NAME", 'C', 8, 0}});
  Use(table, " EXCLUSIVE");
  for (int i = 1; i <= 400; ++i) AppendRow({Name(2 * i)});
  ASSERT_TRUE(MakeIndex(Path("m.ndx"), "NAME", false, 0, false, false));
  ASSERT_TRUE(Set_Index_To(Path("m.ndx"), 1));
  const auto blocksBefore = fs::file_size(Path("m.ndx")) / 512;
  // Keys changed into one leaf: splits while the record count, and so the anchor, stays the same.
  for (int32_t r = 1; r <= 400; r += 2) {
    GO(r);
    SetFieldText(1, Name(2 * 200 + 1));
    Replace();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  }
  CloseArea();
  const std::string anchor = FileBytes(Path("m.ndx"));
  ASSERT_GT(fs::file_size(Path("m.ndx")) / 512, blocksBefore + 2) << "no split happened";
  EXPECT_EQ(anchor[8], 0) << "the mark of an unfinished change is left in the anchor";
  Use(table);
  ASSERT_TRUE(Set_Index_To(Path("m.ndx"), 1)) << XbErrorMessage();
  CloseArea();
  EXPECT_EQ(FileBytes(Path("m.ndx")), anchor) << "a sound index was built again";
}

TEST_F(Durability, AFullDiskDuringASplitLosesNoKeyAndTheNextOpenRebuilds) {
  const std::string table = CreateTable(dir_ / "s.dbf", {{"NAME", 'C', 8, 0}});
  Use(table, " EXCLUSIVE");
  for (int i = 1; i <= 600; ++i) AppendRow({Name(2 * i)});
  ASSERT_TRUE(MakeIndex(Path("s.ndx"), "NAME", false, 0, false, false));
  ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1));
  const auto full = static_cast<rlim_t>(fs::file_size(Path("s.ndx")));
  ASSERT_GT(full, fs::file_size(table) + 4096);
  uint16_t failed = 0;
  {
    // The index file cannot grow: the first split cannot write its new node.
    test::FileSizeLimit limit(full);
    for (int i = 0; i < 40 && failed == 0; ++i) {
      engineState.XbErrorCode = 0;
      try {
        ClearRecord();
        SetFieldText(1, Name(2 * 300 + 1));  // all into the same leaf
        Append();
      } catch (EXbaseError&) {
      }
      failed = engineState.XbErrorCode;
    }
  }
  ASSERT_NE(failed, 0) << "no split happened";
  XbTakeErrorContext();
  engineState.XbErrorCode = 0;
  const int32_t records = RecCount();
  CloseArea();
  // The old node was not touched before the new one was on disk: only the key whose insertion
  // failed is missing (the anchor counts the node that could not be written; the checker wants it).
  const std::string anchor = FileBytes(Path("s.ndx"));
  const uint32_t nextFree = static_cast<uint8_t>(anchor[4]) | static_cast<uint8_t>(anchor[5]) << 8;
  fs::resize_file(Path("s.ndx"), uintmax_t{nextFree} * 512);
  std::vector<std::pair<std::string, uint32_t>> entries;
  EXPECT_EQ(NdxCheckStructure(Path("s.ndx"), &entries), "");
  EXPECT_EQ(entries.size(), static_cast<size_t>(records - 1));

  // The next run opens the index: it is built again and holds every record.
  Use(table);
  ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1)) << XbErrorMessage();
  std::vector<int32_t> walk = Walk();
  EXPECT_EQ(walk.size(), static_cast<size_t>(RecCount()));
  std::sort(walk.begin(), walk.end());
  EXPECT_EQ(std::unique(walk.begin(), walk.end()), walk.end());
  AppendRow({Name(5)});
  Find(Name(5));
  EXPECT_TRUE(ndxEngine.IndexFound);
  EXPECT_EQ(RecNo(), RecCount());
  CloseArea();
  EXPECT_EQ(NdxCheckStructure(Path("s.ndx")), "");
}

TEST_F(Durability, MakeIndexPutsTheNewFileInPlaceOnlyOnceItIsOnDisk) {
  const std::string table = CreateTable(dir_ / "m.dbf", {{"NAME", 'C', 8, 0}});
  Use(table, " EXCLUSIVE");
  for (int i = 1; i <= 50; ++i) AppendRow({Name(51 - i)});
  ASSERT_TRUE(MakeIndex(Path("m.ndx"), "NAME", false, 0, false, false));
  const std::string before = FileBytes(Path("m.ndx"));
  AppendRow({Name(0)});
  // Each step of writing the new file may fail (the sync among them): the old file stays.
  for (int step = 1; step <= 3; ++step) {
    SCOPED_TRACE(step);
    ndxEngine.BuildFault = [step](int s) { return s == step ? EIO : 0; };
    EXPECT_FALSE(MakeIndex(Path("m.ndx"), "NAME", false, 0, false, false));
    ndxEngine.BuildFault = nullptr;
    EXPECT_EQ(engineState.XbErrorCode, XbIoCode(EIO));
    XbTakeErrorContext();
    EXPECT_EQ(FileBytes(Path("m.ndx")), before);
    EXPECT_EQ(Listing(dir_.path()), (std::set<std::string>{"m.dbf", "m.ndx"}));
  }
  ASSERT_TRUE(MakeIndex(Path("m.ndx"), "NAME", false, 0, false, false));
  EXPECT_NE(FileBytes(Path("m.ndx")), before);
}

// ---- What a dead run leaves behind ------------------------------------------------------------------

TEST_F(Durability, LeftoversOfADeadRunGoAtTheNextOpenAndThoseInUseStay) {
  const std::string table = xbtest::CreateMemoTable(dir_ / "left.dbf", xbtest::kDbt4);
  Use(table);
  xbtest::AppendWithMemo("a", "memo");
  CloseArea();
  const std::set<std::string> own = Listing(dir_.path());
  const std::string big(20000, 'x');
  const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* f : {"left.$$$", "left.$$B", "XBPleftAb3dEf", ".XBNq1w2e3"}) {
    test::writeFile(dir_ / f, big);
    fs::last_write_time(dir_ / f, anHourAgo);
  }
  // Another program still writes one of its files here (it holds it), one has just made its file
  // (young, not yet held), and files of other names are not ours.
  test::writeFile(dir_ / "XBPleftLiving", big);
  fs::last_write_time(dir_ / "XBPleftLiving", anHourAgo);
  test::writeFile(dir_ / "XBPleftNewOne", big);
  const int held = ::open((dir_ / "XBPleftLiving").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  test::writeFile(dir_ / "XBPotherAb3dEf", big);
  test::writeFile(dir_ / "left.$$X", big);

  Use(table);
  std::set<std::string> expected = own;
  expected.insert({"XBPleftLiving", "XBPleftNewOne", "XBPotherAb3dEf", "left.$$X"});
  EXPECT_EQ(Listing(dir_.path()), expected);
  EXPECT_EQ(xbtest::MemoOf(), "memo");
  CloseArea();
  ::close(held);
}

// ---- A pack killed at every step ------------------------------------------------------------------

class KilledPack : public xbtest::IndexTest {
 protected:
  static constexpr int kRecords = 60;
  void SetUp() override {
    IndexTest::SetUp();
    table_ = xbtest::CreateMemoTable(dir_ / "pk.dbf", xbtest::kDbt4);
    memoFile_ = xbtest::MemoPath(table_, xbtest::kDbt4);
    // NAME C 10, NOTE M; every third record deleted; indexes by name and by its last digit.
    Use(table_, " EXCLUSIVE");
    for (int i = 1; i <= kRecords; ++i) {
      std::string text = "memo of " + Name(i);
      if (i % 7 == 0) text += std::string(700 + i, static_cast<char>('a' + i % 26));  // over a block
      const bool gone = i % 3 == 0;
      xbtest::AppendWithMemo(Name(i), text);
      if (gone) {
        DeleteRec();
      }
      if (!gone) kept_.push_back({Name(i), text});
      all_.push_back({Name(i), text});
    }
    ASSERT_TRUE(MakeIndex(Path("pkn.ndx"), "NAME", false, 0, false, false));
    ASSERT_TRUE(MakeIndex(Path("pkm.ndx"), "SUBSTR(NAME,8,1)+NAME", false, 0, false, false));
    CloseArea();
    for (const auto& e : fs::directory_iterator(dir_.path())) saved_[e.path().filename().string()] = FileBytes(e.path());
  }
  void Restore() {
    for (const auto& e : fs::directory_iterator(dir_.path())) fs::remove(e.path());
    for (const auto& [name, bytes] : saved_) test::writeFile(dir_ / name, bytes);
  }
  // Packs the table in a child process that is killed at its `killAt`th step (0: never). Returns the
  // number of steps passed.
  int PackInChild(int killAt) {
    return InChildKilledAt(killAt, true, [] { return Pack() ? 0 : 102; });
  }
  // Rebuilds both indexes (Reindex) in a child process killed at its `killAt`th step (0: never).
  int ReindexInChild(int killAt) {
    return InChildKilledAt(killAt, false, [] {
      Reindex();
      return engineState.XbErrorCode != 0 ? 102 : 0;
    });
  }
  // Opens the table with both indexes in a child process, runs `work` (0: done, else the child's
  // exit code) and counts the engine's steps: those of the index build, and with `packSteps` those
  // of the pack and the memo pack too. The child is killed at step `killAt` (0: never).
  int InChildKilledAt(int killAt, bool packSteps, int (*work)()) {
    return xbtest::InChild([this, killAt, packSteps, work] {
      XbStartEngine();
      IndexInit();
      XbSetErrorReport(false);
      static int steps = 0;
      static int at = 0;
      steps = 0;
      at = killAt;
      auto step = [](int) {
        if (++steps == at) ::raise(SIGKILL);
        return 0;
      };
      if (packSteps) {
        memo.PackFault = step;
        packRecovery.PackStep = step;
      }
      ndxEngine.BuildFault = step;
      Use(table_);
      SetIndexList(Path("pkn.ndx") + " " + Path("pkm.ndx"));
      if (engineState.XbErrorCode != 0) return 101;
      if (const int failed = work(); failed != 0) return failed;
      CloseArea();
      return steps;
    });
  }
  // The table as the engine, dbfread and Perl's XBase read it: the old or the new state, every
  // record with its own memo, and both indexes agreeing with the table.
  bool ExpectOneWholeState(const std::string& when) {
    SCOPED_TRACE(when);
    try {
      return ReadsOneWholeState();
    } catch (EXbaseError& e) {
      ADD_FAILURE() << e.what();
      CloseArea();
      return false;
    }
  }
  bool ReadsOneWholeState() {
    Use(table_);
    engineState.XbErrorCode = 0;
    const bool packed = RecCount() == static_cast<int32_t>(kept_.size());
    EXPECT_TRUE(packed || RecCount() == kRecords) << RecCount();
    if (!packed && RecCount() != kRecords) return false;
    const auto& state = packed ? kept_ : all_;
    for (int32_t n = 1; n <= RecCount(); ++n) {
      GO(n);
      EXPECT_EQ(XbRTrim(GetFieldText(1)), state[static_cast<size_t>(n - 1)].first) << n;
      EXPECT_EQ(xbtest::MemoOf(), state[static_cast<size_t>(n - 1)].second) << n;
    }
    SetIndexList(Path("pkn.ndx") + " " + Path("pkm.ndx"));
    EXPECT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    for (int32_t order : {1, 2}) {
      Set_Order_To(order);
      std::vector<int32_t> walk = Walk();
      std::sort(walk.begin(), walk.end());
      std::vector<int32_t> all(static_cast<size_t>(RecCount()));
      for (int32_t n = 1; n <= RecCount(); ++n) all[static_cast<size_t>(n - 1)] = n;
      EXPECT_EQ(walk, all) << "order " << order;
    }
    Set_Order_To(1);
    for (const auto& [name, text] : state) {
      Find(name);
      EXPECT_TRUE(ndxEngine.IndexFound) << name;
      EXPECT_EQ(XbRTrim(GetFieldText(1)), name);
    }
    CloseArea();
    EXPECT_EQ(Listing(dir_.path()), (std::set<std::string>{"pk.dbf", "pk.dbt", "pkn.ndx", "pkm.ndx"}));
    return packed;
  }
  // What dbfread and Perl's XBase read of the memos, one line per record, and what Perl's
  // XBase::Index reads of both indexes, key by key.
  std::string Readers() {
    const std::string table = " " + xbtest::ShellQuote(table_) + " NOTE";
    const std::string ndx = "perl " + xbtest::ShellQuote(kScripts + "ndxdump.pl") + " char ";
    std::string out;
    for (const std::string& cmd : {std::string(QORVA_PYTHON) + " " + xbtest::ShellQuote(kScripts + "memodump.py") + table,
                                   "perl " + xbtest::ShellQuote(kScripts + "memodump.pl") + table,
                                   ndx + xbtest::ShellQuote(Path("pkn.ndx")), ndx + xbtest::ShellQuote(Path("pkm.ndx"))}) {
      auto r = test::runCommand(cmd);
      EXPECT_EQ(r.exitCode, 0) << cmd << r.output.substr(0, 500);
      out += r.output + "--\n";
    }
    return out;
  }
  std::string table_, memoFile_;
  std::vector<std::pair<std::string, std::string>> kept_, all_;
  std::map<std::string, std::string> saved_;
};

TEST_F(KilledPack, LeavesTheOldOrTheNewTableWithItsMemosAndIndexes) {
  // The old and the new table as the other readers see them.
  std::map<bool, std::string> readers;
  readers[false] = Readers();
  const int steps = PackInChild(0);
  ASSERT_GT(steps, 10) << "the pack did not run through";
  ASSERT_TRUE(ExpectOneWholeState("packed without a kill"));
  readers[true] = Readers();
  ASSERT_NE(readers[true], readers[false]);
  for (int k = 1; k <= steps; ++k) {
    Restore();
    const int rc = PackInChild(k);
    EXPECT_EQ(rc, -1) << "not killed at step " << k;
    // The next run comes later: the dead run's work files are no longer young.
    for (const auto& e : fs::directory_iterator(dir_.path()))
      fs::last_write_time(e.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    const bool packed = ExpectOneWholeState("killed at step " + std::to_string(k) + " of " + std::to_string(steps));
    EXPECT_EQ(Readers(), readers[packed]) << "killed at step " << k;
  }
}

TEST_F(KilledPack, AnIndexRebuildKilledAtEveryStepLeavesIndexesThatAgreeWithTheTable) {
  const std::string readers = Readers();
  const int steps = ReindexInChild(0);
  ASSERT_EQ(steps, 6) << "two indexes, three steps each";
  for (int k = 1; k <= steps; ++k) {
    Restore();
    EXPECT_EQ(ReindexInChild(k), -1) << "not killed at step " << k;
    for (const auto& e : fs::directory_iterator(dir_.path()))
      fs::last_write_time(e.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_FALSE(ExpectOneWholeState("killed at step " + std::to_string(k) + " of " + std::to_string(steps)));
    EXPECT_EQ(Readers(), readers) << "killed at step " << k;
  }
}

}  // namespace
}  // namespace qorva
