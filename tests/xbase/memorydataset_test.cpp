// The dataset over a virtual file: where each append mode puts new records, filling it from a
// table and writing it back, and what happens to the table when writing fails.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/filehelpers.h"
#include "tests/xbase/edit_support_test.h"
#include "xbase/memorydataset.h"

namespace qorva::xbtest {
namespace {

const std::string kScripts = std::string(QORVA_SOURCE_DIR) + "/tools/xbase/";

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

enum Field { NAME, NUM, PRICE, OK, DAY, NOTE };

class VFileDataSetTest : public EngineTest {
 protected:
  // NAME C10, NUM N6, PRICE N8.2, OK L, DAY D, NOTE M (held as a number).
  void Define(TXbVFile& ds, const std::string& file = "MEM.DBF") {
    ds.DbfFields = {"NAME,C,10,0", "NUM,N,6,0", "PRICE,N,8,2", "OK,L,1,0", "DAY,D,8,0", "NOTE,M,10,0"};
    ds.SetDbfFileName(Path(file));
  }
  static void Add(TXbVFile& ds, const std::string& name, int64_t num = 0) {
    ds.Append();
    ds.SetFieldValue(NAME, name);
    ds.SetFieldValue(NUM, num);
    ds.Post();
    ASSERT_EQ(ds.FieldText(NAME), name) << "the new record is shown";
  }
  static std::vector<std::string> Names(TXbVFile& ds) {
    std::vector<std::string> out;
    for (ds.First(); !ds.IsEmpty();) {
      out.push_back(ds.FieldText(NAME) + (ds.IsRecordDeleted() ? "*" : ""));
      if (ds.MoveBy(1) == 0) break;
    }
    return out;
  }
  // A table on disk, NAME C10, NUM N6, PRICE N8.2, OK L, DAY D, NOTE M: B (deleted), C, A.
  std::string DiskTable(const std::string& file = "DISK.DBF") {
    std::string p = CreateTable(dir_ / file, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 6, 0}, {"PRICE", 'N', 8, 2},
                                              {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}, {"NOTE", 'M', 10, 0}});
    Use(p);
    AppendRow({std::string("B"), int64_t{2}, 2.25L, true, std::string("01/02/2024"), int64_t{0}}, true);
    AppendRow({std::string("C"), int64_t{3}, 3.5L, false, std::string("12/31/1999"), int64_t{7}});
    AppendRow({std::string("A"), int64_t{1}, 1.0L, true, std::string(""), int64_t{0}});
    CloseArea();
    return p;
  }
  std::string PythonCanon(const std::string& path) {
    auto r = test::runCommand(std::string(QORVA_PYTHON) + " " + Quote(kScripts + "dbfcanon.py") + " " + Quote(path));
    EXPECT_EQ(r.exitCode, 0) << "python3-dbfread is needed (tools/setup.sh installs it): " << r.output;
    return r.output;
  }
  static ino_t Inode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
  }
  std::vector<std::string> FilesInScratch() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  using Names_ = std::vector<std::string>;
};

TEST_F(VFileDataSetTest, EachAppendModePutsNewRecordsInItsPlace) {
  struct Case {
    LStatusType mode;
    Names_ expected;
  };
  // B, C, A appended one after the other; D with the cursor on record 2; E with the cursor past the end.
  for (const Case& c : {Case{FIFO, {"B", "C", "A", "D", "E"}}, Case{LIFO, {"E", "D", "A", "C", "B"}},
                        Case{INSERTION, {"A", "D", "C", "B", "E"}}, Case{ASCENDING, {"A", "B", "C", "D", "E"}},
                        Case{DESCENDING, {"E", "D", "C", "B", "A"}}}) {
    SCOPED_TRACE(c.mode);
    TXbVFile ds;
    Define(ds);
    ds.SetAppendMode(c.mode);
    ds.Open();
    for (const char* n : {"B", "C", "A"}) Add(ds, n);
    ds.SetRecNo(2);
    Add(ds, "D");
    ds.Last();
    ds.Next();
    Add(ds, "E");
    EXPECT_EQ(Names(ds), c.expected);
    EXPECT_TRUE(ds.VFileModified());
  }
}

TEST_F(VFileDataSetTest, TheKeyMakerReadsTheRecordThroughTheDatasetsFields) {
  TXbVFile ds;
  Define(ds);
  ds.KeyMaker = [&ds] { return ds.FieldText(NUM); };
  ds.SetAppendMode(DESCENDING);
  ds.Open();
  Add(ds, "nine", 9);
  Add(ds, "hundred", 100);
  Add(ds, "ten", 10);
  // numbers compare as numbers
  EXPECT_EQ(Names(ds), (Names_{"hundred", "ten", "nine"}));
  // a rewritten key moves its record, and the dataset goes with it
  ds.First();
  ds.Edit();
  ds.SetFieldValue(NUM, int64_t{1});
  ds.Post();
  EXPECT_EQ(ds.FieldText(NAME), "hundred");
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_EQ(Names(ds), (Names_{"ten", "nine", "hundred"}));
}

TEST_F(VFileDataSetTest, ChangingTheAppendModeOfAnOpenDatasetSortsItsRecords) {
  TXbVFile ds;
  Define(ds);
  ds.Open();
  for (const char* n : {"B", "C", "A"}) Add(ds, n);
  ds.SetAppendMode(DESCENDING);
  EXPECT_EQ(ds.FieldText(NAME), "C");  // on the first record
  EXPECT_EQ(Names(ds), (Names_{"C", "B", "A"}));
  Add(ds, "BB");
  EXPECT_EQ(Names(ds), (Names_{"C", "BB", "B", "A"}));
  ds.KeyMaker = [&ds] { return ds.FieldText(NAME).substr(1); };  // ascending by the second letter
  ds.SetAppendMode(ASCENDING);
  EXPECT_EQ(Names(ds), (Names_{"C", "B", "A", "BB"}));
  // the records stay where they are; new ones go to the end
  ds.SetAppendMode(FIFO);
  Add(ds, "0");
  EXPECT_EQ(Names(ds), (Names_{"C", "B", "A", "BB", "0"}));
}

TEST_F(VFileDataSetTest, RecordsReadFromDiskKeepTheirValuesAndTheModesOrder) {
  const std::string disk = DiskTable();
  struct Case {
    LStatusType mode;
    bool hideDeleted;
    Names_ expected;   // as read
    Names_ afterAdd;   // after appending D
  };
  for (const Case& c : {Case{FIFO, true, {"C", "A"}, {"C", "A", "D"}},
                        Case{FIFO, false, {"B*", "C", "A"}, {"B*", "C", "A", "D"}},
                        Case{LIFO, false, {"B*", "C", "A"}, {"D", "B*", "C", "A"}},
                        Case{INSERTION, true, {"C", "A"}, {"D", "C", "A"}},
                        Case{ASCENDING, false, {"A", "B*", "C"}, {"A", "B*", "C", "D"}},
                        Case{DESCENDING, true, {"C", "A"}, {"D", "C", "A"}}}) {
    SCOPED_TRACE(std::to_string(c.mode) + (c.hideDeleted ? " hiding deleted" : ""));
    TXbVFile ds;
    Define(ds, "DISK.DBF");
    ds.SetAppendMode(c.mode);
    ds.SetHideDeletedRecs(c.hideDeleted);
    ds.PopulateFromDisk = true;
    ds.Open();
    EXPECT_FALSE(ds.VFileModified());
    EXPECT_EQ(ds.RecordCount(), static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(Names(ds), c.expected);
    ds.First();
    Add(ds, "D");
    EXPECT_EQ(Names(ds), c.afterAdd);
  }
  // every type comes over; the memo block is a 10-digit number
  TXbVFile ds;
  Define(ds, "DISK.DBF");
  ds.PopulateFromDisk = true;
  ds.Open();
  ASSERT_EQ(ds.FieldDefs().size(), 6u);
  EXPECT_EQ(ds.FieldDefs()[NOTE].Type, 'N');
  EXPECT_EQ(ds.FieldDefs()[NOTE].Len, 10);
  ds.SetRecNo(2);
  EXPECT_EQ(ds.FieldText(NAME), "C");
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(NUM)), 3);
  EXPECT_EQ(std::get<long double>(ds.FieldValue(PRICE)), 3.5L);
  EXPECT_FALSE(std::get<bool>(ds.FieldValue(OK)));
  EXPECT_EQ(ds.FieldText(DAY), "12/31/1999");
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(NOTE)), 7);
  ds.SetRecNo(3);
  EXPECT_TRUE(ds.IsNull(DAY));
  // closing without a change writes nothing, even with SaveToDisk
  ds.SaveToDisk = true;
  const ino_t before = Inode(disk);
  ds.Close();
  EXPECT_EQ(Inode(disk), before);
}

TEST_F(VFileDataSetTest, SaveToDiskWritesATableOtherReadersRead) {
  TXbVFile ds;
  Define(ds, "FIRST.DBF");
  ds.SaveToDisk = true;
  ds.Open();
  Add(ds, "M\xFCller", 12);
  ds.Edit();
  ds.SetFieldValue(PRICE, 4.75L);
  ds.SetFieldValue(OK, true);
  ds.SetFieldValue(DAY, std::string("03/05/2024"));
  ds.SetFieldValue(NOTE, int64_t{1234567890});
  ds.Post();
  Add(ds, "gone", 5);
  ds.Delete();
  Add(ds, "plain", 0);
  // another name keeps the contents and is where they go
  ds.SetDbfFileName(Path("SAVED"));
  EXPECT_TRUE(ds.Active());
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.Close();
  EXPECT_FALSE(std::filesystem::exists(dir_ / "FIRST.DBF"));
  EXPECT_EQ(PythonCanon(Path("SAVED.DBF")),
            "fields 6\n"
            "field NAME C 10 0\nfield NUM N 6 0\nfield PRICE N 8 2\nfield OK L 1 0\nfield DAY D 8 0\n"
            "field NOTE N 10 0\n"
            "records 3\n"
            "live \"M\\u00fcller\"|12|4.75|true|2024-03-05|1234567890\n"
            "live \"plain\"|0|0|false|null|0\n"
            "deleted \"gone\"|5|0|false|null|0\n");
  EXPECT_EQ(FilesInScratch(), (Names_{"SAVED.DBF"}));  // no work file left
  // and back again
  TXbVFile back;
  Define(back, "SAVED.DBF");
  back.PopulateFromDisk = true;
  back.Open();
  EXPECT_EQ(Names(back), (Names_{"M\xFCller", "gone*", "plain"}));
  back.First();
  EXPECT_EQ(std::get<int64_t>(back.FieldValue(NOTE)), 1234567890);
  EXPECT_EQ(back.FieldText(DAY), "03/05/2024");
}

TEST_F(VFileDataSetTest, FieldDefinitionsThatCannotMakeAFileFailTheOpen) {
  const Names_ malformed[] = {{"NAME,C,10"}, {"NAME,C,10,0,1"}, {"NAME,C,10,0", "NUM;N;6;0"}, {"NAME,C,ten,0"}};
  for (const Names_& defs : malformed) {
    SCOPED_TRACE(defs.back());
    TXbVFile ds;
    ds.DbfFields = defs;
    ds.SetDbfFileName(Path("MEM"));
    const size_t asked = test::scriptedPrompter().asked().size();
    EXPECT_THROW(ds.Open(), EXbDatasetError);
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.WorkArea(), 0);
    EXPECT_EQ(test::scriptedPrompter().asked().size(), asked) << "no message";
  }
  TXbVFile ds;
  ds.SetDbfFileName(Path("MEM"));
  const size_t asked = test::scriptedPrompter().asked().size();
  EXPECT_THROW(ds.Open(), EXbDatasetError);
  ASSERT_EQ(test::scriptedPrompter().asked().size(), asked + 1);
  EXPECT_EQ(test::scriptedPrompter().asked().back().text,
            "FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen");
  // the areas are all free again
  for (uint8_t a = 1; a <= MaxUserAreas; ++a) EXPECT_EQ(AreaBlock(a), nullptr) << int(a);
}

TEST_F(VFileDataSetTest, AFileThatCannotBeReadFailsTheOpenInsteadOfShowingItEmpty) {
  // Shown empty, the table would be overwritten by the first save.
  test::writeFile(dir_ / "DISK.DBF", std::string(600, 'x'));
  TXbVFile ds;
  Define(ds, "DISK.DBF");
  ds.PopulateFromDisk = true;
  ds.SaveToDisk = true;
  EXPECT_THROW(ds.Open(), EXbDatasetError);
  EXPECT_FALSE(ds.Active());
  for (uint8_t a = 1; a <= MaxUserAreas; ++a) EXPECT_EQ(AreaBlock(a), nullptr) << int(a);
  EXPECT_EQ(FileBytes(Path("DISK.DBF")), std::string(600, 'x'));
}

TEST_F(VFileDataSetTest, AFailedWriteLeavesTheDiskFileAsItWas) {
  const std::string disk = DiskTable();
  const std::string old = FileBytes(disk);
  const Names_ files = FilesInScratch();
  TXbVFile ds;
  Define(ds, "DISK.DBF");
  ds.PopulateFromDisk = true;
  ds.SaveToDisk = true;
  ds.ShowProgress = true;
  ds.Open();
  for (int i = 0; i < 150; ++i) Add(ds, "R" + std::to_string(i), i);
  {
    // room for the header and a few records only
    test::FileSizeLimit limit(old.size() + 200);
    EXPECT_FALSE(ds.WriteToDisk());
    EXPECT_NE(engineState.XbErrorCode, 0);
    EXPECT_TRUE(ds.VFileModified());
    EXPECT_EQ(ds.RecordCount(), 153);
    ds.Close();  // the write at closing fails the same way
  }
  EXPECT_EQ(FileBytes(disk), old);
  EXPECT_EQ(FilesInScratch(), files);  // no work file left behind
  // with room, the same write succeeds
  ds.Open();
  for (int i = 0; i < 150; ++i) Add(ds, "R" + std::to_string(i), i);
  EXPECT_TRUE(ds.WriteToDisk());
  EXPECT_FALSE(ds.VFileModified());
  ds.Close();
  TXbVFile back;
  Define(back, "DISK.DBF");
  back.PopulateFromDisk = true;
  back.Open();
  EXPECT_EQ(back.RecordCount(), 153);
}

}  // namespace
}  // namespace qorva::xbtest
