// The dataset over one work area: cursor at both ends, bookmarks, editing under locks.

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/xbase/edit_support_test.h"
#include "xbase/filedataset.h"
#include "xbase/areadataset.h"

#include <filesystem>

namespace qorva::xbtest {
namespace {

class DatasetTest : public EngineTest {
 protected:
  // NAME C10, PRICE N8.2, BIG N12.0, OK L, DAY D; five records A..E, PRICE 1.5 * n, BIG 9876543210 + n.
  std::string MakeTable(int rows = 5) {
    std::string p = CreateTable(dir_.path() / "T.DBF",
                                {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"BIG", 'N', 12, 0},
                                 {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}});
    Use(p);
    for (int i = 1; i <= rows; ++i)
      AppendRow({std::string(1, static_cast<char>('A' + i - 1)), static_cast<long double>(1.5 * i),
                 int64_t{9876543210LL + i}, i % 2 == 0, std::string(i == 1 ? "" : "01/02/2024")});
    CloseArea();
    return p;
  }
  static std::string Name(TXbDbf& ds) { return ds.FieldText(0); }
  std::string RawRecord(const std::string& path, int n) {
    std::string bytes = FileBytes(path);
    uint16_t header = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
    uint16_t len = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11]) << 8;
    return bytes.substr(header + static_cast<size_t>(n - 1) * len, len);
  }
  void Open(TXbDbf& ds, const std::string& p) {
    ds.SetDbfFileName(p);
    ds.Open();
  }
};

TEST_F(DatasetTest, NavigatesBothEndsAndReadsFieldsTyped) {
  std::string p = MakeTable();
  TXbDbf ds;
  Open(ds, p);
  ASSERT_EQ(ds.FieldDefs().size(), 5u);
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(Name(ds), "A");  // trailing blanks removed
  EXPECT_TRUE(ds.IsNull(4));  // a blank date is null
  ds.Prior();
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_TRUE(ds.Bof());
  ds.Next();
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_FALSE(ds.IsNull(4));
  EXPECT_EQ(std::get<long double>(ds.FieldValue(1)), 3.0L);
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(2)), 9876543212LL);  // beyond 32 bits
  EXPECT_TRUE(std::get<bool>(ds.FieldValue(3)));
  ds.Last();
  EXPECT_EQ(ds.RecNo(), 5);
  EXPECT_TRUE(ds.Eof());
  ds.Next();
  EXPECT_EQ(ds.RecNo(), 5);
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.MoveBy(-10), -4);
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(Name(ds), "A");
  ds.SetRecNo(4);
  EXPECT_EQ(Name(ds), "D");
  // 0 and a number beyond the last record put the cursor at the end
  for (int32_t outside : {6, 0}) {
    ds.SetRecNo(2);
    ds.SetRecNo(outside);
    EXPECT_EQ(ds.RecNo(), 5) << outside;
    EXPECT_TRUE(ds.Eof()) << outside;
  }
  // find first / next / prior / last
  EXPECT_TRUE(ds.FindRecord(true, true));
  EXPECT_EQ(Name(ds), "A");
  EXPECT_TRUE(ds.FindRecord(false, true));
  EXPECT_EQ(Name(ds), "B");
  EXPECT_FALSE(ds.FindRecord(false, false) && ds.FindRecord(false, false));  // B -> A, then nothing before
  EXPECT_EQ(Name(ds), "A");
  EXPECT_TRUE(ds.FindRecord(true, false));
  EXPECT_EQ(Name(ds), "E");
  EXPECT_FALSE(ds.FindRecord(false, true));
  EXPECT_EQ(Name(ds), "E");
}

TEST_F(DatasetTest, EmptyTableAndTheFirstAppend) {
  std::string p = MakeTable(0);
  TXbDbf ds;
  Open(ds, p);
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.RecNo(), 0);
  ds.Next();
  ds.Last();
  EXPECT_TRUE(ds.IsEmpty());
  ds.Edit();  // an empty table edits a new record
  EXPECT_EQ(ds.State(), TDataSetState::Insert);
  ds.SetFieldValue(0, std::string("NEW"));
  ds.Post();
  EXPECT_FALSE(ds.IsEmpty());
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_EQ(Name(ds), "NEW");
}

TEST_F(DatasetTest, FailuresRaiseTheDatasetError) {
  TXbDbf ds;
  try {
    ds.Open();
    FAIL() << "no file name";
  } catch (const EXbDatasetError& e) {
    EXPECT_EQ(e.code(), XbiNoFileName);
    EXPECT_STREQ(e.what(), "The FileName property of the dataset not set");
  }
  ds.SetDbfFileName("  " + Path("MISSING") + " ");
  EXPECT_EQ(ds.DbfFileName(), Path("MISSING") + ".DBF");
  EXPECT_THROW(ds.Open(), EXbDatasetError);
  EXPECT_FALSE(ds.Active());
  ds.SetDbfFileName(Path("NOEXT."));
  EXPECT_EQ(ds.DbfFileName(), Path("NOEXT."));
  EXPECT_THROW(ds.SetFieldValue(0, std::string("x")), EXbDatasetError);
}

TEST_F(DatasetTest, BookmarksFollowThePhysicalRecordAcrossDeletesAndPacks) {
  std::string p = MakeTable();
  TXbDbf ds;
  ds.Exclusive = true;
  Open(ds, p);
  ds.SetRecNo(4);
  TXbBookmark d = ds.GetBookmark();
  ds.SetRecNo(2);
  ds.Delete();
  EXPECT_TRUE(ds.IsRecordDeleted());  // deleted records still shown
  EXPECT_EQ(Name(ds), "B");
  ds.GotoBookmark(d);
  EXPECT_EQ(Name(ds), "D");
  ds.SetHideDeletedRecs(true);
  ds.First();
  ds.Next();
  EXPECT_EQ(Name(ds), "C");  // B is hidden
  EXPECT_TRUE(ds.BookmarkValid(d));
  ds.SetHideDeletedRecs(false);
  ds.SetRecNo(2);
  ds.SetRecordDeleted(false);
  EXPECT_FALSE(ds.IsRecordDeleted());
  ds.Delete();
  ds.s_SelectArea("Pack");
  ASSERT_TRUE(Pack());
  ds.ResyncFromEngine();
  EXPECT_EQ(ds.RecordCount(), 4);
  EXPECT_FALSE(ds.BookmarkValid(5));  // packed away
  ds.GotoBookmark(d);
  EXPECT_EQ(Name(ds), "E");  // the bookmark is the physical number
  EXPECT_THROW(ds.GotoBookmark(5), EXbDatasetError);
}

TEST_F(DatasetTest, EditPostCancelKeepUntouchedFieldsByteForByte) {
  std::string p = MakeTable();
  // PRICE of record 1 stored with leading zeros: a rewrite of the record must keep that form
  std::string bytes = FileBytes(p);
  std::string rec = RawRecord(p, 1);
  size_t at = bytes.find(rec);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at + 11, 8, "00001.50");
  test::writeFile(p, bytes);
  TXbDbf ds;
  Open(ds, p);
  EXPECT_EQ(std::get<long double>(ds.FieldValue(1)), 1.5L);
  ds.Edit();
  ds.SetFieldValue(0, std::string("CHANGED"));
  ds.Cancel();
  EXPECT_EQ(Name(ds), "A");
  EXPECT_EQ(RawRecord(p, 1).substr(1, 10), "A         ");
  ds.Edit();
  ds.SetFieldValue(0, std::string("CHANGED"));
  ds.SetFieldValue(2, int64_t{12345678901LL});
  ds.Post();
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
  EXPECT_EQ(Name(ds), "CHANGED");
  std::string after = RawRecord(p, 1);
  EXPECT_EQ(after.substr(1, 10), "CHANGED   ");
  EXPECT_EQ(after.substr(11, 8), "00001.50");
  EXPECT_EQ(after.substr(19, 12), " 12345678901");
  // moving away posts a modified edit
  ds.Edit();
  ds.SetFieldValue(1, 7.25L);
  ds.Next();
  EXPECT_EQ(RawRecord(p, 1).substr(11, 8), "    7.25");
}

TEST_F(DatasetTest, ARefusedLockShowsItsMessageAndTheFileState) {
  std::string p = MakeTable();
  TXbDbf ds;
  Open(ds, p);
  ds.SetRecNo(2);
  ds.s_SelectArea("test");
  uint64_t off = RecordLockOffset(CurrentBlock()->HeaderLen, CurrentBlock()->RecLen, 2);
  uint16_t len = CurrentBlock()->RecLen;
  int other = ::open(p.c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  ASSERT_EQ(LockRange(false, other, off, len), 0);
  size_t asked = test::scriptedPrompter().asked().size();
  ds.Edit();
  ds.SetFieldValue(0, std::string("LOST"));
  ds.Post();
  ASSERT_EQ(test::scriptedPrompter().asked().size(), asked + 1);
  EXPECT_EQ(test::scriptedPrompter().asked().back().text, "Sperren fehlgeschlagen [Post]");
  EXPECT_EQ(Name(ds), "B");  // the screen shows what the file holds
  EXPECT_EQ(ds.State(), TDataSetState::Browse);
  // a retry handler that gets the lock freed writes the edit
  int tries = 0;
  ds.OnRLockFailedOnPost = [&](TXbFileDataSet&) {
    ++tries;
    LockRange(true, other, off, len);
    return true;
  };
  ds.Edit();
  ds.SetFieldValue(0, std::string("SAVED"));
  ds.Post();
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(Name(ds), "SAVED");
  EXPECT_EQ(RawRecord(p, 2).substr(1, 5), "SAVED");
  ::close(other);
}

TEST_F(DatasetTest, TwoProcessesEditingOneRecordLoseNoUpdate) {
  std::string p = MakeTable();
  TXbDbf ds;
  Open(ds, p);
  ds.SetRecNo(3);
  ds.Edit();
  ds.SetFieldValue(1, 99.5L);
  // meanwhile another program changes NAME of the same record
  int rc = InChild([&] {
    XbStopEngine();
    XbStartEngine();
    XbSetErrorReport(false);
    TXbDbf other;
    other.SetDbfFileName(p);
    other.Open();
    other.SetRecNo(3);
    other.Edit();
    other.SetFieldValue(0, std::string("THEIRS"));
    other.Post();
    return RawRecord(p, 3).substr(1, 6) == "THEIRS" ? 0 : 1;
  });
  ASSERT_EQ(rc, 0);
  ds.Post();
  EXPECT_EQ(Name(ds), "THEIRS");
  EXPECT_EQ(std::get<long double>(ds.FieldValue(1)), 99.5L);
  std::string rec = RawRecord(p, 3);
  EXPECT_EQ(rec.substr(1, 6), "THEIRS");
  EXPECT_EQ(rec.substr(11, 8), "   99.50");
}

TEST_F(DatasetTest, FieldDefinitionLinesAreCorrected) {
  struct Case {
    const char* line;
    bool ok;
    char type;
    int len, dec;
    bool corrected;
  } cases[] = {
      {"PRICE, N, 25, 2", true, 'N', 20, 2, true},
      {"PIC,B,10,0", true, 'M', 10, 0, true},
      {"TXT,C,300,0", true, 'C', 254, 0, true},
      {"AMOUNT,N,3,2", true, 'N', 3, 1, true},
      {"ODD,Q,5,0", true, 'C', 5, 0, true},
      {"NAME,C,10,0", true, 'C', 10, 0, false},
      {"NAME,C,10", false, 'C', 0, 0, false},
      {"NAME,C,ten,0", false, 'C', 0, 0, false},
  };
  TXbDbf parser;
  parser.Name = "xbdbf";
  for (const Case& c : cases) {
    TXbFieldLine f;
    const size_t asked = test::scriptedPrompter().asked().size();
    ASSERT_EQ(parser.ParseFieldDef(c.line, f), c.ok) << c.line;
    // a corrected definition is reported, a valid or malformed one is not
    ASSERT_EQ(test::scriptedPrompter().asked().size(), asked + (c.corrected ? 1 : 0)) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(f.Type, c.type) << c.line;
    EXPECT_EQ(f.Len, c.len) << c.line;
    EXPECT_EQ(f.Dec, c.dec) << c.line;
    TXbFieldLine again = f;
    EXPECT_FALSE(TXbDataSet::CheckFieldDef(again)) << c.line;  // a corrected line is valid
  }
  TXbFieldLine f;
  parser.ParseFieldDef("PRICE, N, 25, 2", f);
  EXPECT_EQ(test::scriptedPrompter().asked().back().text,
            "Invalid field definition for xbdbf: PRICE,N,25,2. Will use corrected definition: PRICE,N,20,2");
  TXbDbf ds;
  ds.SetDbfFileName(Path("NEW"));
  ds.DbfFields = {"NAME,C,12,0", "SKIP,X,0,0", "PRICE,N,25,2"};
  ASSERT_TRUE(ds.CreateTableFromDefs());
  ds.Open();
  ASSERT_EQ(ds.FieldDefs().size(), 2u);
  EXPECT_EQ(ds.FieldDefs()[1].Len, 20);
  ds.Close();
  ds.DbfFields = {"BAD,C,1"};
  EXPECT_FALSE(ds.CreateTableFromDefs());
}

}  // namespace
}  // namespace qorva::xbtest

namespace qorva::xbtest {
namespace {

class DatasetCommandTest : public DatasetTest {};

TEST_F(DatasetCommandTest, SearchFindsUmlautsInADosTable) {
  std::string p = CreateTable(dir_.path() / "M.DBF", {{"NAME", 'C', 20, 0}});
  Use(p);  // a DOS table: stored in code page 437
  for (const char* n : {"Stahl", "Messing", "Gr\xfc\xdf" "e"}) AppendRow({std::string(n)});  // Windows text
  CloseArea();
  std::string stored = FileBytes(p);
  EXPECT_NE(stored.find("Gr\x81\xe1" "e"), std::string::npos);  // as the DOS code page has it
  TXbDbf ds;
  Open(ds, p);
  uint8_t hit = 0;
  EXPECT_TRUE(ds.Search("gr\xfc\xdf", hit, true));
  EXPECT_NE(hit, 0);
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_EQ(Name(ds), "Gr\xfc\xdf" "e");
  hit = 0;
  EXPECT_FALSE(ds.Search("Kupfer", hit, true));
  EXPECT_EQ(ds.RecNo(), 3);  // stays on its record
}

TEST_F(DatasetCommandTest, AppendFromNeedsTheFileLock) {
  std::string p = MakeTable(2);
  std::string src = dir_.path() / "S.DBF";
  std::filesystem::copy_file(p, src);
  TXbDbf ds;
  Open(ds, p);
  ds.Next();
  int other = ::open(p.c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  ds.s_SelectArea("test");
  uint64_t off = RecordLockOffset(CurrentBlock()->HeaderLen, CurrentBlock()->RecLen, 1);
  ASSERT_EQ(LockRange(false, other, off, 1), 0);
  EXPECT_FALSE(ds.AppendFrom(src));
  EXPECT_EQ(test::scriptedPrompter().asked().back().text, "Sperren fehlgeschlagen [Insert]");
  EXPECT_EQ(ds.RecordCount(), 2);
  LockRange(true, other, off, 1);
  ::close(other);
  EXPECT_TRUE(ds.AppendFrom(src));
  EXPECT_EQ(ds.RecordCount(), 4);
  EXPECT_EQ(ds.RecNo(), 2);  // the cursor stays on its record
  EXPECT_EQ(Name(ds), "B");
}

TEST_F(DatasetCommandTest, DelimitedRoundTripAndPack) {
  std::string p = MakeTable(3);
  TXbDbf ds;
  ds.Exclusive = true;
  Open(ds, p);
  ds.SetRecNo(2);
  std::string txt = Path("OUT.TXT");
  EXPECT_EQ(ds.CopyToDelimited(txt), 3);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_NE(FileBytes(txt).find("\"B\",3.00,9876543212,T"), std::string::npos) << FileBytes(txt);
  EXPECT_EQ(ds.AppendFromDelimited(txt), 3);
  EXPECT_EQ(ds.RecordCount(), 6);
  ds.SetRecNo(5);
  EXPECT_EQ(Name(ds), "B");
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(2)), 9876543212LL);
  ds.SetRecNo(1);
  ds.Delete();
  ds.SetRecNo(4);
  ds.Delete();
  EXPECT_TRUE(ds.Pack());
  EXPECT_EQ(ds.RecordCount(), 4);
  ds.First();
  EXPECT_EQ(Name(ds), "B");
  ds.Last();
  EXPECT_EQ(Name(ds), "C");
}

TEST_F(DatasetTest, AWriteProtectedTableIsBrowsedByAUserWhoCannotWriteIt) {
  // A folder every user can read, a table only its owner could write (and not even that now).
  char folder[] = "/tmp/qorva_ro_XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  ASSERT_EQ(::chmod(folder, 0755), 0);
  const std::filesystem::path dir(folder);
  std::string p = CreateTable(dir / "MAT.DBF", {{"NAME", 'C', 10, 0}});
  Use(p);
  AppendRow({std::string("St\x84hle")});
  CloseArea();
  ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
  // Opened in a process of an ordinary user: root could write the file whatever its mode says.
  auto browse = [&](bool readOnly) {
    return InChild([&] {
      if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) return 90;
      if (::access(p.c_str(), W_OK) == 0) return 91;  // the check would prove nothing
      TXbDbf ds;
      ds.ReadOnlyOpen = readOnly;
      ds.SetDbfFileName(p);
      ds.Open();
      return ds.Active() && Name(ds) == "St\x84hle" ? 0 : 1;
    });
  };
  EXPECT_EQ(browse(true), 0) << "read only: browsed";
  EXPECT_NE(browse(false), 0) << "read/write: refused by the system";
  // The open modes: read, deny none; read, deny all when exclusive.
  for (bool exclusive : {false, true}) {
    TXbDbf ds;
    ds.ReadOnlyOpen = true;
    ds.Exclusive = exclusive;
    ds.SetDbfFileName(p);
    ds.Open();
    ds.s_SelectArea("test");
    EXPECT_EQ(CurrentBlock()->OpenMode, exclusive ? 0x10 : 0x40);
    EXPECT_THROW(ds.Edit(), EXbDatasetError);
  }
  std::filesystem::remove_all(dir);
}

TEST_F(DatasetTest, ImpossibleDatesAreRefusedAndTheBlankDateStored) {
  std::string p = MakeTable(2);
  TXbDbf ds;
  Open(ds, p);
  ds.SetRecNo(2);
  struct Case {
    const char* typed;
    const char* stored;
    bool message;
  } cases[] = {
      {"02/31/2024", "        ", true},
      {"13/45/2020", "        ", true},
      {"02/29/2024", "20240229", false},
      {"", "        ", false},
      {"  /  /    ", "        ", false},
  };
  for (const Case& c : cases) {
    const size_t asked = test::scriptedPrompter().asked().size();
    ds.Edit();
    ds.SetFieldValue(4, std::string(c.typed));
    ds.Post();
    EXPECT_EQ(RawRecord(p, 2).substr(32, 8), c.stored) << c.typed;
    ASSERT_EQ(test::scriptedPrompter().asked().size(), asked + (c.message ? 1 : 0)) << c.typed;
    if (c.message) {
      EXPECT_EQ(test::scriptedPrompter().asked().back().text, "        Invalid date       ");
    }
    EXPECT_EQ(ds.IsNull(4), std::string(c.stored).front() == ' ') << c.typed;
  }
}

TEST_F(DatasetTest, TheDateFieldTakesTheEnginesDateTexts) {
  std::string p = MakeTable(2);
  TXbDbf ds;
  Open(ds, p);
  ds.SetRecNo(2);
  TXbDateField day(ds, 4);
  EXPECT_EQ(day.GetText(), "01/02/2024");
  ds.Edit();
  day.SetAsString(" 03/04/99 ");  // a two-digit year gets its century
  EXPECT_EQ(day.GetText(), "03/04/1999");
  EXPECT_THROW(day.SetAsString("99/99/1999"), EXbDatasetError);
  day.SetAsString("  /  /    ");  // the blank date's text clears the field
  EXPECT_TRUE(ds.IsNull(4));
  ds.Post();
  EXPECT_EQ(RawRecord(p, 2).substr(32, 8), "        ");
}

}  // namespace
}  // namespace qorva::xbtest
