#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "tests/xbase/edit_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;
using xbtest::FillRecord;

class Editing : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    table_ = CreateTable(dir_ / "parts.dbf", {{"NAME", 'C', 10, 0}, {"QTY", 'N', 5, 0}});
    Use(table_);
    for (int64_t i = 1; i <= 3; ++i) AppendRow({std::string("part") + char('0' + i), i});
    FlushDbf(*CurrentBlock());
    GO(2);
    file_ = AreaFileName();
  }
  std::string table_;
  std::string file_;  // the name the area knows the table by
};

TEST_F(Editing, AppendNeedsAFileOrAppendLock) {
  auto before = FileBytes(table_);
  ClearRecord();
  FillRecord({std::string("new"), int64_t{9}});
  Append();
  EXPECT_EQ(engineState.XbErrorCode, 5);
  EXPECT_EQ(XbTakeErrorContext(), "Datei mu\xDF gesperrt sein zum Anh\xE4ngen: " + file_ + " [APPEND]");
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(FileBytes(table_), before);

  ASSERT_TRUE(ALock());
  Append();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 4);
  EXPECT_EQ(RecNo(), 4);
  EXPECT_FALSE(dEOF());
  EXPECT_EQ(GetFieldText(1), "new       ");
  EXPECT_EQ(CurrentBlock()->LockState, 2);  // the caller releases it
  Unlock();
  ASSERT_TRUE(FLock());
  ClearRecord();
  FillRecord({std::string("five"), int64_t{5}});
  Append();
  EXPECT_EQ(RecCount(), 5);
}

TEST_F(Editing, FailedAppendLeavesNoPhantomRecord) {
  FlushDbf(*CurrentBlock());
  auto before = FileBytes(table_);
  GO(2);
  ASSERT_TRUE(ALock());
  ClearRecord();
  FillRecord({std::string("toolong"), int64_t{7}});
  {
    // The file may not grow: the write of the new record fails.
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit limit = oldLimit;
    limit.rlim_cur = std::filesystem::file_size(table_);
    setrlimit(RLIMIT_FSIZE, &limit);
    Append();
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    sigaction(SIGXFSZ, &old, nullptr);
  }
  EXPECT_NE(engineState.XbErrorCode, 0);
  EXPECT_EQ(CurrentBlock()->RecCount, 3);
  EXPECT_EQ(RecNo(), 2);
  EXPECT_FALSE(dEOF());
  EXPECT_EQ(RecCount(), 3);
  engineState.XbErrorCode = 0;
  SKIP(0);
  EXPECT_EQ(GetFieldText(1), "part2     ");

  // The next append goes where the failed one would have gone.
  ClearRecord();
  FillRecord({std::string("four"), int64_t{4}});
  Append();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecNo(), 4);
  Unlock();
  CloseArea();
  auto after = FileBytes(table_);
  EXPECT_EQ(after.size(), before.size() + 16);  // one record of 16 bytes
  EXPECT_EQ(after.substr(after.size() - 17, 5), " four");
  EXPECT_EQ(after.back(), '\x1A');
}

TEST_F(Editing, ReplaceNeedsTheRecordAndAValidPosition) {
  SetFieldText(1, "changed");
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  EXPECT_EQ(XbTakeErrorContext(), "Record #2 in " + file_ + " [REPLACE]");

  ASSERT_TRUE(ALock());  // an append lock does not cover records
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  Unlock();

  GO(2);
  ASSERT_TRUE(RLock());
  SetFieldText(1, "changed");
  auto before = FileBytes(table_);
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  auto after = FileBytes(table_);
  ASSERT_EQ(after.size(), before.size());
  uint16_t h = CurrentBlock()->HeaderLen;
  EXPECT_EQ(after.substr(h + 16, 16), " changed       2");
  EXPECT_EQ(after.substr(h, 16), before.substr(h, 16));
  EXPECT_EQ(after.substr(h + 32), before.substr(h + 32));
  Unlock();

  SKIP(1);
  SKIP(1);  // past the last record
  ASSERT_TRUE(dEOF());
  ASSERT_TRUE(FLock());
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 212);
  EXPECT_EQ(XbTakeErrorContext(), "Datenbank \"" + file_ + "\" bei EOF angelangt. [REPLACE]");

  Select(2);
  Use(CreateTable(dir_ / "empty.dbf", {{"NAME", 'C', 4, 0}}), " EXCLUSIVE");
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 212);
  EXPECT_EQ(XbTakeErrorContext(), "Datenbank \"" + AreaFileName() + "\" ist leer. [REPLACE]");
}

TEST_F(Editing, DeleteAndRecallWriteOnlyTheDeletionByte) {
  ASSERT_TRUE(RLock());
  // Changes of the buffer that are not replaced must not reach the file.
  SetFieldText(1, "unsaved");
  auto before = FileBytes(table_);
  DeleteRec();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_TRUE(Deleted());
  auto after = FileBytes(table_);
  uint16_t h = CurrentBlock()->HeaderLen;
  std::string expected = before;
  expected[h + 16] = '*';
  EXPECT_EQ(after.substr(4), expected.substr(4));  // the header date may change, nothing else
  EXPECT_EQ(Peek(0, 2), "*");

  RecallRec();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_FALSE(Deleted());
  EXPECT_EQ(Peek(0, 2), " ");
  EXPECT_EQ(Peek(1, 2), "part2     ");
}

TEST_F(Editing, DeleteAndRecallRefusals) {
  DeleteRec();
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  EXPECT_EQ(XbTakeErrorContext(), file_ + " Datensatz nicht gesperrt [DeleteRec]");
  RecallRec();
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  EXPECT_EQ(XbTakeErrorContext(), "Datensatz nicht gesperrt [RecallRec]");
  ASSERT_TRUE(ALock());
  DeleteRec();
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  Unlock();

  ASSERT_TRUE(FLock());
  GO(3);
  SKIP(1);
  ASSERT_TRUE(dEOF());
  auto before = FileBytes(table_);
  DeleteRec();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(FileBytes(table_), before);
  RecallRec();
  EXPECT_EQ(engineState.XbErrorCode, 1103);
  EXPECT_EQ(XbTakeErrorContext(), file_ + " at EOF [RecallRec]");
}

TEST_F(Editing, ExclusiveTablesNeedNoLocks) {
  CloseArea();
  Use(table_, " EXCLUSIVE");
  GO(1);
  SetFieldInt(2, 42);
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  DeleteRec();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  ClearRecord();
  Append();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 4);
  GO(1);
  EXPECT_EQ(GetFieldInt(2), 42);
  EXPECT_TRUE(Deleted());
}

// Records rewritten on a table used exclusively may wait to be written together; whatever looks
// at the file through the engine, and every unlock, close or return to shared use, finds them there.
TEST_F(Editing, RewritesOfAnExclusiveTableReachTheFileBeforeAnyoneLooks) {
  CloseArea();
  Use(table_, " EXCLUSIVE");
  uint16_t h = CurrentBlock()->HeaderLen, r = CurrentBlock()->RecLen;
  auto stored = [&](int n) { return FileBytes(table_).substr(h + static_cast<size_t>(n - 1) * r, r); };
  auto rename = [](int32_t n, const std::string& name) {
    GO(n);
    SetFieldText(1, name);
    Replace();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  };
  rename(1, "one");
  rename(2, "two");
  EXPECT_EQ(Peek(1, 2), "two       ");
  rename(3, "three");
  DeleteRec();  // the mark lands on the rewritten record
  uint8_t field = 0;
  rename(1, "first");
  EXPECT_TRUE(Search("first", field, true));
  EXPECT_EQ(RecNo(), 1);
  rename(2, "second");
  EXPECT_TRUE(Locate("NAME", std::string("second"), false, 1, false));
  EXPECT_EQ(RecNo(), 2);
  rename(1, "again");
  GoTop();
  EXPECT_EQ(GetFieldText(1), "again     ");
  SKIP(1);
  EXPECT_EQ(GetFieldText(1), "second    ");
  rename(2, "unlocked");
  Unlock();
  EXPECT_EQ(stored(2), " unlocked      2");
  rename(1, "closed");
  CloseArea();
  EXPECT_EQ(stored(1), " closed        1");
  EXPECT_EQ(stored(3), "*three         3");

  // Held exclusively for a while by a shared area: back in shared use, others read the changes.
  Use(table_);
  ASSERT_EQ(ReopenTable(true), 0);
  rename(3, "shared");
  ASSERT_EQ(ReopenTable(false), 0);
  const std::string table = table_;
  EXPECT_EQ(xbtest::InChild([&] {
              Select(20);
              USE(table + " ALIAS OTHER");
              GO(3);
              return engineState.XbErrorCode == 0 && GetFieldText(1) == "shared    " ? 0 : 1;
            }),
            0);
}

// The index module sees every change through its hooks, in order.
TEST_F(Editing, IndexHooksFollowAppendAndReplace) {
  std::vector<std::string> calls;
  auto& h = engineState.IndexHooks;
  engineState.IndexUnitLinked = true;
  h.IsActive = [] { return true; };
  h.SetLockSemaphoreProc = [&](bool on) { calls.push_back(on ? "lock" : "unlock"); };
  h.SaveAllKeys = [&] { calls.push_back("save:" + GetFieldText(1)); };
  h.UpdateKeys = [&] { calls.push_back("update:" + GetFieldText(1)); };
  h.AddKeys = [&] { calls.push_back("add:" + std::to_string(RecNo())); };

  ASSERT_TRUE(FLock());
  SetFieldText(1, "renamed");
  Replace();
  ClearRecord();
  SetFieldText(1, "added");
  Append();
  Unlock();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  std::vector<std::string> expected = {"lock",  "save:part2     ", "update:renamed   ", "unlock",
                                       "lock",  "add:4",           "unlock"};
  EXPECT_EQ(calls, expected);

  // A refused edit leaves the semaphore alone; a refused write releases it.
  calls.clear();
  Replace();
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  EXPECT_TRUE(calls.empty());
  engineState.IndexHooks = TIndexHooks{};
  engineState.IndexUnitLinked = false;
}

// Stored forms of one record that a new record must not take over: a two-digit year that a
// century window would read otherwise, a "*"-filled number, a lower-case "y".
TEST_F(Editing, AppendedRecordsTakeNothingFromTheRecordStoodOn) {
  nationalDates.CenturyDates = false;
  nationalDates.XbCenturyBase = 1950;  // "24" is 2024
  Select(2);
  std::string path = CreateTable(dir_ / "odd.dbf", {{"NAME", 'C', 4, 0}, {"QTY", 'N', 5, 0}, {"DAY", 'D', 8, 0},
                                                    {"OK", 'L', 1, 0}});
  Use(path, " EXCLUSIVE");
  AppendRow({std::string("odd")});
  Poke("*****", 2, 1);
  Poke("19240131", 3, 1);
  Poke("y", 4, 1);
  GO(1);
  ASSERT_EQ(GetFieldText(3), "01/31/24");
  SetFieldText(1, "new");
  SetFieldText(3, "01/31/24");  // the same text, meant in today's century
  Append();                     // QTY (read as 0) and OK (read as true) left as they were
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  EXPECT_EQ(Peek(2, 2), "     ");     // not given a value: blank, as in a blank record
  EXPECT_EQ(Peek(3, 2), "20240131");
  EXPECT_EQ(Peek(4, 2), "T");
  EXPECT_EQ(Peek(2, 1) + Peek(3, 1) + Peek(4, 1), "*****19240131y");  // the old record as it was
}

// A blank number, logical or date holds no value; giving it 0, false or a date writes that value,
// while a rewrite leaves every field alone that was neither given a value nor changed.
TEST_F(Editing, BlankIsNotZero) {
  Select(2);
  std::string path = CreateTable(dir_ / "blank.dbf", {{"NAME", 'C', 4, 0}, {"QTY", 'N', 5, 0}, {"PRICE", 'N', 7, 2},
                                                      {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}});
  Use(path, " EXCLUSIVE");
  struct Case {
    const char* name;
    std::string stored;                 // QTY, PRICE, OK, DAY as stored before
    std::function<void()> edit;
    std::string expected;               // as stored after Replace
  };
  const std::string blank = "     " "       " " " "        ";
  const Case cases[] = {
      {"nothing given", blank, [] { SetFieldText(1, "x"); }, blank},
      {"zero and false given", blank,
       [] {
         SetFieldInt(2, 0);
         SetFieldReal(3, 0);
         SetFieldBool(4, false);
       },
       "    0" "   0.00" "F" "        "},
      {"a date given", blank, [] { SetFieldText(5, "02/29/2024"); }, "     " "       " " " "20240229"},
      {"the empty date given", blank, [] { SetFieldText(5, "  /  /    "); }, blank},
      {"zero given to stars", "*****" "*******" "?" "        ",
       [] {
         SetFieldInt(2, 0);
         SetFieldReal(3, 0);
         SetFieldBool(4, false);
       },
       "    0" "   0.00" "F" "        "},
      {"stars not given a value", "*****" "*******" "?" "        ", [] { SetFieldText(1, "x"); },
       "*****" "*******" "?" "        "},
      {"the same value given", "   07" "    1.5" "y" "20240131",
       [] {
         SetFieldInt(2, 7);
         SetFieldReal(3, 1.5L);
         SetFieldBool(4, true);
         SetFieldText(5, "01/31/2024");
       },
       "   07" "    1.5" "y" "20240131"},
      {"other values given", "   07" "    1.5" "y" "20240131",
       [] {
         SetFieldInt(2, 0);
         SetFieldReal(3, -1);
         SetFieldBool(4, false);
         SetFieldText(5, "  /  /    ");
       },
       "    0" "  -1.00" "F" "        "},
  };
  AppendRow({std::string("rec")});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Poke(c.stored, 0, 1);  // the deletion byte only: the record's fields follow
    Poke(c.stored.substr(0, 5), 2, 1);
    Poke(c.stored.substr(5, 7), 3, 1);
    Poke(c.stored.substr(12, 1), 4, 1);
    Poke(c.stored.substr(13, 8), 5, 1);
    GO(1);
    c.edit();
    Replace();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    EXPECT_EQ(Peek(2, 1) + Peek(3, 1) + Peek(4, 1) + Peek(5, 1), c.expected);
  }

  // Appending: a cleared record stays blank, values given are written.
  ClearRecord();
  Append();
  ClearRecord();
  SetFieldInt(2, 0);
  SetFieldBool(4, false);
  Append();
  ASSERT_EQ(RecCount(), 3);
  EXPECT_EQ(Peek(2, 2) + Peek(4, 2), "      ");
  EXPECT_EQ(Peek(2, 3) + Peek(3, 3) + Peek(4, 3), "    0       F");
  EXPECT_TRUE(FieldEmpty(3));
  EXPECT_FALSE(FieldEmpty(2));

  // Copied into a table of other fields, a blank number or logical stays blank.
  Select(3);
  Use(CreateTable(dir_ / "copy.dbf", {{"QTY", 'N', 6, 0}, {"OK", 'L', 1, 0}}), " EXCLUSIVE");
  AppendFrom(path);
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  ASSERT_EQ(RecCount(), 3);
  EXPECT_EQ(Peek(1, 2) + Peek(2, 2), "       ");
  EXPECT_EQ(Peek(1, 3) + Peek(2, 3), "     0F");
}

// The engine's start-up starts locking, editing and the whole-table commands: nothing of an
// earlier run is left in them.
TEST_F(Editing, EngineStartUpStartsTheCoreModules) {
  ASSERT_TRUE(Locate("NAME", std::string("part3"), false, 1, false));
  XbStartEngine();
  XbSetErrorReport(false);
  Continue();
  EXPECT_EQ(engineState.XbErrorCode, 220);  // no Locate in this run
  Use(table_);
  ASSERT_TRUE(RLock());
  Select(2);
  Use(table_, " ALIAS SECOND");
  Select(1);
  CloseArea();  // gives up the record lock through the locking module
  Select(2);
  EXPECT_TRUE(RLock());
}

TEST_F(Editing, PendingErrorsAreReportedWhenReportingIsOn) {
  test::scriptedPrompter().clear();
  XbSetErrorReport(true);
  SetFieldText(1, "x");
  EXPECT_THROW(Replace(), EXbaseHalt);
  XbSetErrorReport(false);
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(test::scriptedPrompter().asked()[0].caption, "Programm angehalten.");
  EXPECT_NE(test::scriptedPrompter().asked()[0].text.find("Fehler Nr. 1200"), std::string::npos);
}

}  // namespace
}  // namespace qorva
