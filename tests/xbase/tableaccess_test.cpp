// The table-access layer over the window-less table host: opening with the write check and the
// copy to the temporary folder, the record-number rules, reading and writing fields, the order by a
// field, appending and browsing.
#include "xbase/access/tableaccess.h"
#include "platform/services.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "foundation/datafolder.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "tests/support/testsupport.h"
#include "tests/xbase/dbfimage_test.h"
#include "xbase/access/dbfbuild.h"
#include "xbase/access/tablehost.h"
#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/engine.h"
#include "xbase/nationaldates.h"
#include "xbase/ndxengine.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::FieldDef;
using test::makeDbf;
using test::readFile;
using test::scriptedPrompter;
using test::writeFile;

const std::vector<FieldDef> kFields{{"NAME", 'C', 10, 0}, {"VAL", 'N', 6, 2}, {"OK", 'L', 1, 0},
                                    {"LONGFIELDN", 'L', 1, 0}};

// Stored records: deletion byte, NAME, VAL, OK, LONGFIELDN. "\x84" is a DOS a-umlaut.
const std::vector<std::string> kRecords{" Zeta        3.50TF", "*alpha       1.25FT", " Beta       -1.00TF",
                                        " \x84rger       0.10FF"};

class TableAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    InitNationalDates();
    nationalDates.CenturyDates = true;
    SetDateFormat(0);
    InitProgramState();
    InitErrorList();
    InitTableHost();
    InitTableAccess();
    services().DbfBrowseWindow = nullptr;
    scriptedPrompter().clear();
    fs::create_directories(dbfDir());
    fs::create_directories(tempDir());
    programState.DbfDir = dbfDir().string();
    programState.TempDir = tempDir().string();
  }
  void TearDown() override {
    InitTableHost();
    services().DbfBrowseWindow = nullptr;
    InitTableAccess();
    XbStopEngine();
    XbSetErrorReport(true);
    InitNationalDates();
    InitProgramState();
    InitErrorList();
    InitDatafolder();
    scriptedPrompter().clear();
    std::error_code ec;
    fs::permissions(dbfDir(), fs::perms::owner_all, fs::perm_options::add, ec);
  }

  fs::path dbfDir() const { return dir_ / "dbf"; }
  fs::path tempDir() const { return dir_ / "tmp"; }
  std::string writeTable(const std::string& name, const std::vector<std::string>& records = kRecords) {
    const fs::path p = dbfDir() / name;
    writeFile(p, makeDbf(kFields, records));
    return p.string();
  }
  static std::vector<std::string> Messages() {
    std::vector<std::string> v;
    for (uint16_t i = 1; i <= errorList.ErrorCount; ++i) v.push_back(errorList.ErrorMsgs[i]);
    return v;
  }
  static std::string LastShown() {
    const auto& a = scriptedPrompter().asked();
    return a.empty() ? std::string() : a.back().text;
  }
  static std::string Field(int n) {
    std::string s;
    DbfGetFieldStr(n, s);
    return s;
  }
  // Physical numbers in the current order, walked as a caller walks a table.
  static std::vector<int32_t> Walk() {
    std::vector<int32_t> recs;
    for (DbfFirst(); !DbfEof(); DbfSkip(1)) {
      recs.push_back(DbfRecNo());
      if (recs.size() > 20) break;
    }
    return recs;
  }
  // The stored bytes of record n of a table file.
  static std::string Stored(const std::string& path, int n) {
    const std::string bytes = readFile(path);
    const size_t h = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
    const size_t r = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11]) << 8;
    return bytes.substr(h + static_cast<size_t>(n - 1) * r, r);
  }
  static std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
  }

  test::ScratchDir dir_;
};

TEST_F(TableAccessTest, NameWithOrWithoutExtensionOpensFromTheTableFolder) {
  writeTable("mat.dbf");
  writeTable("mat.tab", {kRecords[0]});  // a name with a dot is used as it is
  for (const auto& [name, count] : std::vector<std::pair<std::string, int32_t>>{{"mat", 4}, {"mat.dbf", 4},
                                                                                 {"mat.tab", 1}}) {
    SCOPED_TRACE(name);
    programState.ErrorFlag = false;
    DbfOpenTable(name);
    EXPECT_FALSE(programState.ErrorFlag);
    ASSERT_TRUE(tableHost.Table.Active());
    EXPECT_EQ(DbfRecCount(), count);
    EXPECT_EQ(DbfRecNo(), 1);
    EXPECT_EQ(tableHost.Table.FileName(), (dbfDir() / name).string() + (name == "mat" ? ".dbf" : ""));
  }
  // The program names its tables in any case; the shipped files are lower case.
  DbfOpenTable("MAT");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(tableHost.Table.FileName(), (dbfDir() / "mat.dbf").string());
  DbfCloseTable();
  EXPECT_FALSE(tableHost.Table.Active());
  EXPECT_TRUE(scriptedPrompter().asked().empty());
  // The write check leaves nothing behind in the table folder.
  EXPECT_EQ(Listing(dbfDir()), (std::set<std::string>{"mat.dbf", "mat.tab"}));
}

TEST_F(TableAccessTest, MissingTableOrEarlierErrorOpensNothing) {
  DbfOpenTable("nope");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(tableHost.Table.Active());
  EXPECT_EQ(LastShown(), "Datei " + (dbfDir() / "nope.dbf").string() + " nicht gefunden oder kein Zugriffsrecht !");

  writeTable("mat.dbf");
  programState.ErrorFlag = true;  // callers clear it first; a set flag means "stop"
  DbfOpenTable("mat");
  EXPECT_FALSE(tableHost.Table.Active());
}

TEST_F(TableAccessTest, GotoLandsInsideTheTable) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  struct Case {
    int32_t n, lands;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases{{3, 3, {}},
                                {0, 1, {}},
                                {-5, 1, {}},
                                {5, 4, {"DBF #5 not found."}},
                                {5, 4, {"DBF #5 not found."}},  // an equal text is listed once
                                {2, 2, {"DBF #5 not found."}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    DbfGoto(c.n);
    EXPECT_EQ(DbfRecNo(), c.lands);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_FALSE(programState.ErrorFlag);
  }
}

TEST_F(TableAccessTest, GotoOnAnEmptyTableKeepsThePositionAndSetsErrorFlag) {
  writeTable("empty.dbf", {});
  DbfOpenTable("empty");
  ASSERT_TRUE(tableHost.Table.Active());
  for (int32_t n : {1, 0}) {
    programState.ErrorFlag = false;
    EXPECT_NO_THROW(DbfGoto(n));
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(DbfRecNo(), 0);
    EXPECT_EQ(Field(1), "");
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{"DBF #1 not found."});
  for (const auto& a : scriptedPrompter().asked()) EXPECT_EQ(a.caption.find("angehalten"), std::string::npos);
  DbfFirst();
  EXPECT_TRUE(DbfEof());
}

TEST_F(TableAccessTest, FieldsOfTheCurrentRecordAsText) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  std::string name;
  for (const auto& [n, expected] : std::vector<std::pair<int32_t, std::string>>{
           {0, ""}, {1, "NAME"}, {4, "LONGFIELDN"}, {5, ""}}) {
    DbfFieldName(n, name);
    EXPECT_EQ(name, expected) << n;
  }
  DbfGoto(4);
  EXPECT_EQ(Field(1), "\xE4rger     ");  // the Windows code page, blanks kept
  EXPECT_EQ(Field(2), "  0.10");
  EXPECT_EQ(Field(3), "N");
  DbfGoto(2);
  EXPECT_TRUE(DbfDeleted());
  EXPECT_EQ(Field(1), "alpha     ");
  EXPECT_FALSE(DbfGetFieldBool("ok"));  // names compare without regard to case
  EXPECT_TRUE(DbfGetFieldBool("LongFieldName"));  // cut to its first 10 characters
  EXPECT_FALSE(programState.ErrorFlag);
  // Every record is walked, the deleted one too, in physical order.
  EXPECT_EQ(Walk(), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(DbfRecNo(), 4);  // running off the end stays on the last record
}

TEST_F(TableAccessTest, UnknownFieldNameIsReportedAndSetsErrorFlag) {
  writeTable("mat.dbf");
  const std::string before = readFile(dbfDir() / "mat.dbf");
  DbfOpenTable("mat");
  EXPECT_FALSE(DbfGetFieldBool("NOSUCH"));
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(LastShown(), "Feld 'NOSUCH' nicht gefunden");

  programState.ErrorFlag = false;
  DbfSetFieldStr("NAMEX", "lost");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(tableHost.Table.Editing());
  DbfSkip(1);
  DbfCloseTable();
  EXPECT_EQ(readFile(dbfDir() / "mat.dbf"), before);
}

TEST_F(TableAccessTest, IndexOnTempOrdersByTheFieldWhileRecordNumbersStayPhysical) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfIndexOnTemp("NAME", "mat");
  EXPECT_FALSE(programState.ErrorFlag);
  // Case does not count; the table's DOS umlaut stays itself and sorts after the letters:
  // ALPHA, BETA, ZETA, ÄRGER.
  EXPECT_EQ(Walk(), (std::vector<int32_t>{2, 3, 1, 4}));
  DbfFirst();
  EXPECT_EQ(DbfRecNo(), 2);
  EXPECT_EQ(Field(1), "alpha     ");
  DbfGoto(1);  // physical number
  EXPECT_EQ(Field(1), "Zeta      ");

  DbfIndexOnTemp("VAL", "mat");  // numbers by value: -1.00 before 0.10
  EXPECT_EQ(Walk(), (std::vector<int32_t>{3, 4, 2, 1}));

  DbfIndexOnTemp("NOSUCH", "mat");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Walk(), (std::vector<int32_t>{3, 4, 2, 1}));  // the order in force stays

  // Closing ends the order: the next opening walks in physical order.
  DbfCloseTable();
  EXPECT_TRUE(Walk().empty());
  programState.ErrorFlag = false;
  DbfOpenTable("mat");
  EXPECT_EQ(Walk(), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST_F(TableAccessTest, IndexOnTempTakesAnyExpressionOfTheFields) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfIndexOnTemp("IIF(OK, 'a', 'b') + NAME", "mat");  // ABETA AZETA BALPHA BÄRGER
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(Walk(), (std::vector<int32_t>{3, 1, 2, 4}));
  DbfIndexOnTemp("-VAL", "mat");
  EXPECT_EQ(Walk(), (std::vector<int32_t>{1, 2, 4, 3}));
  // A key that does not compile is shown; the order in force stays.
  DbfIndexOnTemp("UPPER(NAME", "mat");
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_FALSE(scriptedPrompter().asked().empty());
  EXPECT_NE(scriptedPrompter().asked().back().text.find("Syntax error"), std::string::npos);
  EXPECT_EQ(Walk(), (std::vector<int32_t>{1, 2, 4, 3}));
  DbfCloseTable();
}

TEST_F(TableAccessTest, EditsArePostedBySkipAndDroppedByGoto) {
  const std::string path = writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfGoto(3);
  DbfSetFieldStr("NAME", "Dropped");
  EXPECT_EQ(Field(1), "Dropped   ");  // the engine's copy changes at once
  DbfGoto(3);
  EXPECT_EQ(Field(1), "Beta      ");
  EXPECT_EQ(Stored(path, 3), kRecords[2]);

  DbfGoto(1);
  DbfSetFieldStr("NAME", "Changed");
  DbfSetFieldFloat("VAL", 2.5L);
  DbfSetFieldBool("OK", false);
  DbfSkip(1);
  EXPECT_EQ(DbfRecNo(), 2);
  EXPECT_EQ(Stored(path, 1), " Changed     2.50FF");
}

TEST_F(TableAccessTest, ARecordThatCannotBeWrittenAtCloseIsReported) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfGoto(1);
  DbfSetFieldStr("NAME", "Changed");
  DbfSkip(1);
  ASSERT_FALSE(programState.ErrorFlag);
  // Whatever the table still holds back now meets a full disk.
  TDbfControlBlock* open = nullptr;
  for (uint8_t a = 1; a <= MaxUserAreas && !open; ++a) open = AreaBlock(a);
  ASSERT_NE(open, nullptr);
  DbfSetFieldStr("NAME", "Lost");
  DbfSkip(1);
  const int full = ::open("/dev/full", O_RDWR | O_CLOEXEC);
  ASSERT_GE(full, 0);
  ASSERT_EQ(::dup2(full, open->DbfFile), open->DbfFile);
  ::close(full);
  DbfCloseTable();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(LastShown(), "Fehler : Database #101");
}

TEST_F(TableAccessTest, AnOrderThatCannotBeWrittenIsReportedAndTheProgramGoesOn) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfIndexOnTemp("NAME", "mat");
  ASSERT_FALSE(programState.ErrorFlag);
  uint8_t area = 0;
  for (uint8_t a = 1; a <= MaxUserAreas && !area; ++a)
    if (AreaBlock(a)) area = a;
  ASSERT_NE(area, 0);
  const TNdxControlBlock* order = ndxEngine.Orders[area][1].get();
  ASSERT_NE(order, nullptr);
  DbfGoto(1);
  DbfSetFieldStr("NAME", "Changed");
  // The order's file meets a full disk when the edit is posted.
  const int full = ::open("/dev/full", O_RDWR | O_CLOEXEC);
  ASSERT_GE(full, 0);
  ASSERT_EQ(::dup2(full, order->IndexFile), order->IndexFile);
  ::close(full);
  EXPECT_NO_THROW(DbfSkip(1));
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(LastShown().rfind("Fehler : Database #", 0), 0u) << LastShown();
  EXPECT_NO_THROW(DbfCloseTable());
  EXPECT_FALSE(tableHost.Table.Active());
}

TEST_F(TableAccessTest, AProgramThatEndsWithTheTableAndItsOrderOpenEndsCleanly) {
  writeTable("mat.dbf");
  const auto r = test::runCommand(std::string(QORVA_XBASE_EXIT_PROBE) + " '" + dbfDir().string() + "' '" +
                                  tempDir().string() + "' mat 2>&1");
  EXPECT_EQ(r.exitCode, 0) << r.output;
}

TEST_F(TableAccessTest, AppendAddsACopyWithTheValuesSet) {
  const std::string path = writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfIndexOnTemp("NAME", "mat");
  DbfGoto(1);
  DbfSetFieldStr("NAME", "Aa");
  DbfSetFieldInt("VAL", 7);
  EXPECT_TRUE(DbfAppendRec());
  EXPECT_EQ(DbfRecCount(), 5);
  EXPECT_EQ(DbfRecNo(), 5);
  EXPECT_EQ(Stored(path, 5), " Aa          7.00TF");
  EXPECT_EQ(Stored(path, 1), kRecords[0]);  // the record the values went into stays
  EXPECT_EQ(Walk(), (std::vector<int32_t>{5, 2, 3, 1, 4}));  // and the order knows the new one

  // Another program holds the append lock: nothing is appended, and nobody is asked.
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(LockBase + 1);
  fl.l_len = 1;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), 0);
  scriptedPrompter().clear();
  EXPECT_FALSE(DbfAppendRec());
  ::close(fd);
  EXPECT_EQ(DbfRecCount(), 5);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

TEST_F(TableAccessTest, BrowseWithoutAWindowIsACancel) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  DbfGoto(3);
  programState.BrowseRecNo = 7;
  DbfBrowse("", 1);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.LastKey, 27);
  EXPECT_EQ(programState.BrowseRecNo, 7);
  EXPECT_EQ(DbfRecNo(), 3);
}

TEST_F(TableAccessTest, BrowseWindowChoosesAmongTheShownRecords) {
  writeTable("mat.dbf");
  DbfOpenTable("mat");
  std::vector<int32_t> seen;
  services().DbfBrowseWindow = [&](const std::string& option, uint16_t mode) {
    EXPECT_EQ(option, "CLOSE");
    EXPECT_EQ(mode, 1);
    EXPECT_TRUE(tableHost.Table.PickAndClose());
    seen = Walk();
    DbfGoto(3);
    tableHost.Table.Accept(2);
  };
  programState.ErrorFlag = true;
  DbfBrowse("CLOSE", 1);
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 3, 4}));  // choosing hides the deleted record
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.LastKey, 13);
  EXPECT_EQ(programState.BrowseRecNo, 3);
  EXPECT_EQ(tableHost.BrowseCol, 2);
  DbfShowDeleted();
  EXPECT_EQ(Walk(), (std::vector<int32_t>{1, 2, 3, 4}));
}

// A table that cannot be changed where it is (a read-only file, a folder that takes no files, a
// full disk) is read where it is, for reading only, without a copy and without a word; the probe
// never touches a file of the user's. Only a change makes the layer copy the table (and its memo
// file) to the work folder, keeping the record and the order, and the change goes to the copy.
// A file without any write bit is read-only for root too, so the case holds whoever runs the test.
TEST_F(TableAccessTest, ReadOnlyTableIsReadInPlaceAndCopiedOnlyForAChange) {
  const std::string path = writeTable("mat.dbf");
  writeFile(dbfDir() / "mat.dbt", std::string(512, '\0'));
  writeFile(dbfDir() / "TEST.$$$", "mine");
  const std::string before = readFile(path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  DbfOpenTable("mat");
  EXPECT_FALSE(programState.ErrorFlag);
  ASSERT_TRUE(tableHost.Table.Active());
  EXPECT_TRUE(tableHost.Table.ReadOnly());
  EXPECT_EQ(tableHost.Table.FileName(), path);
  EXPECT_EQ(DbfRecCount(), 4);
  DbfGoto(3);
  EXPECT_EQ(Field(1), "Beta      ");
  // Choosing a record reads only.
  services().DbfBrowseWindow = [&](const std::string&, uint16_t) { tableHost.Table.Accept(1); };
  DbfBrowse("", 1);
  EXPECT_TRUE(tableHost.Table.ReadOnly());
  EXPECT_TRUE(Listing(tempDir()).empty());
  EXPECT_TRUE(scriptedPrompter().asked().empty());

  // Ordered by name and standing on record 3, then a change: the copy takes over where we stood.
  DbfIndexOnTemp("NAME", "mat");
  DbfSetFieldStr("NAME", "Copy");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_FALSE(tableHost.Table.ReadOnly());
  EXPECT_EQ(tableHost.Table.FileName(), (tempDir() / "mat.dbf").string());
  EXPECT_TRUE(tableHost.Table.OpenedFromTempDir());
  EXPECT_EQ(DbfRecNo(), 3);
  EXPECT_TRUE(tableHost.Table.Indexed());
  EXPECT_EQ(readFile(tempDir() / "mat.dbt"), std::string(512, '\0'));
  EXPECT_NE(fs::status(tempDir() / "mat.dbf").permissions() & fs::perms::owner_write, fs::perms::none);
  DbfSkip(1);
  EXPECT_EQ(Stored((tempDir() / "mat.dbf").string(), 3).substr(0, 6), " Copy ");
  EXPECT_EQ(readFile(path), before);
  EXPECT_EQ(Listing(dbfDir()), (std::set<std::string>{"mat.dbf", "mat.dbt", "TEST.$$$"}));
  EXPECT_EQ(readFile(dbfDir() / "TEST.$$$"), "mine");
  DbfCloseTable();

  // A folder that takes no files (nobody may write in it; root may write everywhere, so there the
  // folder says so itself): read in place; an edit browse or an appended record works on a copy.
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
  fs::remove(tempDir() / "mat.dbf");
  if (::geteuid() == 0) {
    tableAccess.FolderWritable = [&](const std::string& dir) {
      EXPECT_EQ(dir, dbfDir().string());
      return false;
    };
  } else {
    fs::permissions(dbfDir(), fs::perms::owner_read | fs::perms::owner_exec);
  }
  for (const bool append : {false, true}) {
    SCOPED_TRACE(append);
    fs::remove(tempDir() / "mat.dbf");
    DbfOpenTable("mat");
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(tableHost.Table.FileName(), path);
    EXPECT_TRUE(tableHost.Table.ReadOnly());
    if (append) {
      EXPECT_TRUE(DbfAppendRec());
      EXPECT_EQ(DbfRecCount(), 5);
    } else {
      bool shown = false;
      services().DbfBrowseWindow = [&](const std::string&, uint16_t mode) {
        EXPECT_EQ(mode, 0);
        shown = true;
        EXPECT_FALSE(tableHost.Table.ReadOnly());
      };
      DbfBrowse("", 0);
      EXPECT_TRUE(shown);
    }
    EXPECT_EQ(tableHost.Table.FileName(), (tempDir() / "mat.dbf").string());
    EXPECT_EQ(readFile(path), before);
    DbfCloseTable();
  }
}

// A table the program ships is never written where it is, even where it could be: its first change
// goes to the user's copy (with its memo file), which keeps it and is opened from then on.
TEST_F(TableAccessTest, AShippedTableIsChangedInTheUsersCopyWhichIsUsedFromThenOn) {
  const std::string path = writeTable("mat.dbf");
  writeFile(dbfDir() / "mat.dbt", std::string(512, '\0'));
  const std::string before = readFile(path);
  const auto written = fs::last_write_time(path);
  datafolder.Shipped = dbfDir().string();
  datafolder.UserCopies = (dir_ / "user" / "qorva").string();
  const std::string copy = (dir_ / "user" / "qorva" / "mat.dbf").string();

  DbfOpenTable("mat");
  ASSERT_TRUE(tableHost.Table.Active());
  EXPECT_TRUE(tableHost.Table.ReadOnly()) << "writable for this user, and still never written";
  DbfGoto(3);
  DbfSetFieldStr("NAME", "Eigen");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(tableHost.Table.FileName(), copy);
  DbfSkip(1);
  DbfCloseTable();
  EXPECT_EQ(readFile(path), before);
  EXPECT_EQ(fs::last_write_time(path), written);
  EXPECT_EQ(readFile(dir_ / "user" / "qorva" / "mat.dbt"), std::string(512, '\0'));
  EXPECT_EQ(Stored(copy, 3).substr(0, 7), " Eigen ");
  EXPECT_TRUE(Listing(tempDir()).empty()) << "nothing of it is left to the run's work files";

  DbfOpenTable("mat");
  EXPECT_EQ(tableHost.Table.FileName(), copy);
  EXPECT_FALSE(tableHost.Table.ReadOnly());
  DbfGoto(3);
  EXPECT_EQ(Field(1), "Eigen     ");
  DbfCloseTable();
}

TEST_F(TableAccessTest, FailedCopyForAChangeIsReportedAndChangesNothing) {
  const std::string path = writeTable("mat.dbf");
  const std::string before = readFile(path);
  fs::permissions(path, fs::perms::owner_read);
  // A copy left by an earlier run must not be taken for the table.
  writeFile(dir_ / "tmpfile", "not a folder");
  programState.TempDir = (dir_ / "tmpfile").string();
  DbfOpenTable("mat");
  EXPECT_FALSE(programState.ErrorFlag);
  ASSERT_TRUE(tableHost.Table.Active());
  DbfGoto(2);
  DbfSetFieldStr("NAME", "Lost");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_NE(LastShown().find("kann nicht nach"), std::string::npos) << LastShown();
  EXPECT_NE(LastShown().find("mat.dbf"), std::string::npos);
  // Still open for reading, on the same record, and nothing written anywhere.
  EXPECT_TRUE(tableHost.Table.ReadOnly());
  EXPECT_EQ(DbfRecNo(), 2);
  EXPECT_FALSE(DbfAppendRec());
  programState.ErrorFlag = false;
  DbfBrowse("", 0);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(readFile(path), before);
  // The host itself refuses a write to a table open for reading.
  scriptedPrompter().clear();
  programState.ErrorFlag = false;
  tableHost.Table.SetFieldStr("NAME", "Lost");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_NE(LastShown().find("nur zum Lesen"), std::string::npos) << LastShown();
  EXPECT_FALSE(tableHost.Table.Editing());
}

// Shipped tables are written whole from rows; what does not fit is refused before anything is written.
TEST_F(TableAccessTest, TableWrittenFromRowsReadsBackThroughTheLayer) {
  const std::vector<TDbfBuildField> fields{{"NAME", 'C', 6, 0}, {"QTY", 'N', 5, 0}, {"PRICE", 'N', 7, 2},
                                           {"OK", 'L', 1, 0}};
  const std::string path = (dbfDir() / "built.dbf").string();
  std::string error;
  ASSERT_TRUE(DbfWriteTable(path, fields, {{false, {"M\x81ller", "12", "3,5", "T"}}, {true, {"", "", "-0.25", ""}}},
                            LocalDateTime{2021, 6, 30}, &error))
      << error;
  const std::string bytes = readFile(path);
  EXPECT_EQ(bytes.substr(1, 3), std::string("\x79\x06\x1E", 3));  // the date given, not today's
  EXPECT_EQ(Stored(path, 1), " M\x81ller   12   3.50T");
  EXPECT_EQ(Stored(path, 2), "*          0  -0.25F");
  DbfOpenTable("built");
  EXPECT_EQ(Field(1), "M\xFCller");
  EXPECT_TRUE(DbfGetFieldBool("OK"));
  DbfGoto(2);
  EXPECT_TRUE(DbfDeleted());
  DbfCloseTable();

  struct Bad {
    std::vector<std::string> values;
    std::string what;
  };
  for (const Bad& b : std::vector<Bad>{{{"toolong", "1", "1", "T"}, "row 1 NAME: longer than 6"},
                                       {{"a", "1.5", "1", "T"}, "row 1 QTY: does not fit"},
                                       {{"a", "1", "1.005", "T"}, "row 1 PRICE: does not fit"},
                                       {{"a", "x", "1", "T"}, "row 1 QTY: no number"},
                                       {{"a", "1", "1", "maybe"}, "row 1 OK: no logical value"},
                                       {{"a", "1"}, "row 1: 2 values for 4 fields"}}) {
    SCOPED_TRACE(b.what);
    EXPECT_FALSE(DbfWriteTable(path, fields, {{false, b.values}}, LocalDateTime{}, &error));
    EXPECT_EQ(error.substr(0, b.what.size()), b.what);
    EXPECT_EQ(readFile(path), bytes);
    EXPECT_FALSE(fs::exists(path + ".new"));
  }
}

}  // namespace
}  // namespace qorva
