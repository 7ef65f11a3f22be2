// The table-file dataset's indexes and memo streams: the index list opened, built or refused at
// open, indexes built by expression and by the program's key maker, key seeks and Locate, and a
// memo written and read back as a stream.
#include <filesystem>

#include "platform/services.h"
#include "tests/xbase/edit_support_test.h"
#include "tests/xbase/memo_support_test.h"
#include "xbase/filedataset.h"
#include "xbase/ndxengine.h"
#include "xbase/indexsemaphore.h"
#include <cstring>

namespace qorva::xbtest {
namespace {

class FileDatasetTest : public EngineTest {
 protected:
  // NAME C10, QTY N5: Delta 4, alpha 1, Charlie 3, Bravo 2.
  std::string MakeTable() {
    std::string p = CreateTable(dir_.path() / "f.dbf", {{"NAME", 'C', 10, 0}, {"QTY", 'N', 5, 0}});
    Use(p);
    for (const auto& [name, qty] : std::vector<std::pair<const char*, int64_t>>{
             {"Delta", 4}, {"alpha", 1}, {"Charlie", 3}, {"Bravo", 2}})
      AppendRow({std::string(name), qty});
    CloseArea();
    return p;
  }
  // The names in the dataset's order.
  static std::string Walk(TXbDbf& ds) {
    std::string s;
    for (ds.First(); !ds.Eof(); ds.Next()) s += ds.FieldText(0).substr(0, 1);
    return s;
  }
  std::string Index(const char* name) const { return (dir_.path() / name).string(); }
};

TEST_F(FileDatasetTest, TheIndexListIsOpenedBuiltOrRefusedAsItsModeSays) {
  const std::string p = MakeTable();
  struct Case {
    TXbFileDataSet::TCreateIndexType mode;
    bool indexExists;
    bool refuseBuild;
    bool opens;
    bool built;
  };
  using T = TXbFileDataSet::TCreateIndexType;
  const Case cases[] = {
      {T::ciNotFound, false, false, true, true},   // a missing index is built
      {T::ciNotFound, true, false, true, false},   // an index that is there is opened
      {T::ciAlways, true, false, true, true},      // always built
      {T::ciVerifyHeader, true, false, true, false},  // its record count agrees: opened
      {T::ciVerifyHeader, false, false, true, true},  // missing: built
      {T::ciNever, false, false, false, false},    // never built: the open fails
      {T::ciNotFound, false, true, false, false},  // the program refuses the build: the open fails
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
      if (e.path().stem() == "byname") std::filesystem::remove(e.path());
    if (c.indexExists) {
      Use(p);
      IndexInit();
      IndexOn(Index("byname"), "UPPER(NAME)");
      CloseArea();
    }
    TXbDbf ds;
    ds.SetDbfFileName(p);
    ds.CreateIndex = c.mode;
    ds.IndexList = {"1," + Index("byname") + ",UPPER(NAME)"};
    bool built = false;
    ds.OnBeforeMakeIndex = [&](const std::string&, bool& canMake) { canMake = !c.refuseBuild; };
    ds.OnAfterMakeIndex = [&](const std::string&) { built = true; };
    engineState.XbErrorCode = 0;
    try {
      ds.Open();
    } catch (const std::exception&) {
    }
    EXPECT_EQ(ds.Active(), c.opens);
    EXPECT_EQ(built, c.built);
    if (c.opens) {
      EXPECT_EQ(Walk(ds), "aBCD");
    }
    engineState.XbErrorCode = 0;
  }
}

TEST_F(FileDatasetTest, IndexesByExpressionAndByKeyMakerAndTheirSeeks) {
  TXbDbf ds;
  ds.SetDbfFileName(MakeTable());
  ds.Open();
  ds.IndexOn("UPPER(NAME)", Index("n"));
  EXPECT_EQ(Walk(ds), "aBCD");
  EXPECT_FALSE(ds.IsSequenced());
  EXPECT_TRUE(ds.Find("CH"));
  EXPECT_EQ(ds.FieldText(0), "Charlie");
  EXPECT_FALSE(ds.FindExact("CH")) << "the whole key must match";
  EXPECT_TRUE(ds.FindExact("BRAVO"));
  EXPECT_EQ(ds.RecNo(), 4);
  // Past the last key: the last record, not found.
  EXPECT_FALSE(ds.Find("ZULU"));
  EXPECT_EQ(ds.FieldText(0), "Delta");
  // Locate with an index in force seeks the key; the field list is not used.
  EXPECT_TRUE(ds.Locate("QTY", {std::string("ALP")}, {false, true}));
  EXPECT_EQ(ds.RecNo(), 2);

  // The program's own key: the quantity backwards.
  ds.IndexOnCB(Index("k"), [](TXbFileDataSet& d) {
    return std::string(1, static_cast<char>('9' - std::get<int64_t>(d.FieldValue(1))));
  });
  EXPECT_EQ(Walk(ds), "DCBa");
  ds.SetIndexToCB(Index("k"), 17, {});
  EXPECT_EQ(engineState.XbErrorCode, 220);
  engineState.XbErrorCode = 0;

  // Back in file order, Locate looks at the fields.
  ds.SetIndexTo("");
  EXPECT_TRUE(ds.IsSequenced());
  EXPECT_EQ(Walk(ds), "DaCB");
  EXPECT_TRUE(ds.Locate("NAME", {std::string("ALPHA")}, {true, false}));
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_FALSE(ds.Locate("NAME", {std::string("ALPHA")}, {false, false})) << "case counts unless told";
  ds.Close();
}

TEST_F(FileDatasetTest, ChangingExclusiveReopensTheTable) {
  const std::string p = MakeTable();
  TXbDbf ds;
  ds.SetDbfFileName(p);
  ds.Open();
  ds.Go(3);
  ds.SetExclusive(true);
  ASSERT_TRUE(ds.Active());
  EXPECT_EQ(InChild([&] {
              XbStartEngine();
              XbSetErrorReport(false);
              USE(p);
              return engineState.XbErrorCode != 0 ? 0 : 1;
            }),
            0)
      << "another program cannot open the table now";
  ds.SetExclusive(false);
  EXPECT_EQ(InChild([&] {
              XbStartEngine();
              XbSetErrorReport(false);
              USE(p);
              return engineState.XbErrorCode == 0 ? 0 : 1;
            }),
            0);
  ds.Close();
}

TEST_F(FileDatasetTest, AMemoIsWrittenAndReadAsAStreamConvertedThroughout) {
  const std::string table = CreateMemoTable(dir_.path() / "m.dbf", kDbt4);
  Use(table);
  AppendRow({std::string("eins"), int64_t{0}});
  CloseArea();
  TXbDbf ds;
  ds.SetDbfFileName(table);
  ds.Open();
  // A Windows text longer than one piece, with umlauts all through it.
  std::string text;
  while (text.size() < 40000) text += "M\xfc" "ller und S\xf6hne, Stra\xdf" "e. ";
  {
    auto w = ds.CreateBlobStream(1, 1);
    for (size_t at = 0; at < text.size(); at += 1000)
      ASSERT_EQ(w->Write(text.data() + at, static_cast<int32_t>(std::min<size_t>(1000, text.size() - at))),
                static_cast<int32_t>(std::min<size_t>(1000, text.size() - at)));
  }
  ds.Post();
  const std::string memo = FileBytes(MemoPath(table, kDbt4));
  EXPECT_NE(memo.find("M\x81ller und S\x94hne, Stra\xe1" "e."), std::string::npos) << "stored in the DOS code page";
  std::string back(text.size() + 10, '\0');
  {
    auto r = ds.CreateBlobStream(1, 0);
    int32_t got = 0, n = 0;
    while ((n = r->Read(back.data() + got, 4096)) > 0) got += n;
    back.resize(static_cast<size_t>(got));
  }
  EXPECT_EQ(back, text);

  // A write stream that writes nothing empties the memo.
  { auto w = ds.CreateBlobStream(1, 1); }
  ds.Post();
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(1)), 0);
  ds.Close();
  EXPECT_THROW(ds.CreateBlobStream(1, 0), EXbDatasetError) << "a closed dataset has no memos";
}

TEST_F(FileDatasetTest, AForcedBuildShowsItsProgressAndYieldsToASemaphoreHolder) {
  const std::string p = MakeTable();
  Use(p);
  IndexInit();
  IndexOn(Index("byname"), "UPPER(NAME)");
  CloseArea();
  struct Seen {
    std::string caption;
    int32_t steps = 0, last = 0;
    int opens = 0, closes = 0;
  } seen;
  const Services saved = services();
  services().ProgressOpen = [&](const std::string& caption, int32_t steps) {
    seen.caption = caption;
    seen.steps = steps;
    ++seen.opens;
  };
  services().ProgressStep = [&](int32_t position) { seen.last = position; };
  services().ProgressClose = [&] { ++seen.closes; };
  auto openWith = [&](bool& built) {
    TXbDbf ds;
    ds.SetDbfFileName(p);
    ds.CreateIndex = TXbFileDataSet::TCreateIndexType::ciAlways;
    ds.IndexList = {"1," + Index("byname") + ",UPPER(NAME)"};
    ds.OnAfterMakeIndex = [&](const std::string&) { built = true; };
    ds.Open();
    EXPECT_EQ(Walk(ds), "aBCD");
  };
  bool built = false;
  openWith(built);
  EXPECT_TRUE(built);
  EXPECT_EQ(seen.caption, "Indexing " + Index("byname") + "...");
  EXPECT_EQ(seen.steps, 100);
  EXPECT_EQ(seen.last, 100) << "the count runs to its end";
  EXPECT_EQ(seen.opens, 1);
  EXPECT_EQ(seen.closes, 1);
  // Another program works with the indexes: they are opened as they are, not rebuilt.
  test::writeFile(SemaphoreFileName(p), std::string(8, '\0'));
  built = false;
  openWith(built);
  EXPECT_FALSE(built);
  EXPECT_EQ(seen.opens, 1);
  installServices(saved);
}

TEST_F(FileDatasetTest, AMissingTableIsCreatedFromItsDefinitionsOrReported) {
  TXbDbf ds;
  ds.SetDbfFileName(Index("fresh"));
  ds.DbfFields = {"NAME,C,10,0", "QTY,N,5,0"};
  ds.Open();
  EXPECT_TRUE(std::filesystem::exists(Index("fresh.DBF")));
  EXPECT_EQ(ds.FieldDefs().size(), 2u);
  ds.Close();
  // Nothing to create it from: the message, and the open fails in the engine.
  TXbDbf none;
  none.SetDbfFileName(Index("absent"));
  const size_t asked = test::scriptedPrompter().asked().size();
  EXPECT_THROW(none.Open(), std::exception);
  ASSERT_GT(test::scriptedPrompter().asked().size(), asked);
  EXPECT_EQ(test::scriptedPrompter().asked().back().text, "Konnte \"" + Index("absent.DBF") + "\" nicht erzeugen");
  EXPECT_FALSE(std::filesystem::exists(Index("absent.DBF")));
  engineState.XbErrorCode = 0;
  // Not asked to create: nothing is created, nothing said.
  TXbDbf plain;
  plain.CreateIfNotFound = false;
  plain.SetDbfFileName(Index("other"));
  plain.DbfFields = {"NAME,C,10,0"};
  const size_t before = test::scriptedPrompter().asked().size();
  EXPECT_THROW(plain.Open(), std::exception);
  EXPECT_FALSE(std::filesystem::exists(Index("other.DBF")));
  EXPECT_EQ(test::scriptedPrompter().asked().size(), before);
}

TEST_F(FileDatasetTest, AutoFixRecCountCountsTheRecordsAHeaderLeftOut) {
  const std::string p = MakeTable();
  std::string bytes = FileBytes(p);
  bytes[4] = 2;  // the header counts two of the four records, as after a program was killed appending
  test::writeFile(p, bytes);
  // Every open counts the whole records of the file, whether the dataset asks for the recount or not.
  for (bool fix : {false, true}) {
    TXbDbf ds;
    ds.Exclusive = true;
    ds.AutoFixRecCount = fix;
    ds.SetDbfFileName(p);
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 4) << fix;
    EXPECT_FALSE(tableFile.XbAutoFixRecCount) << "the engine's own setting is put back";
  }
}

TEST_F(FileDatasetTest, TheProgramsRecordCodingAppliesToEveryRead) {
  const std::string p = MakeTable();
  // A coding that keeps the record's length: every byte is xor-ed with 0x5A.
  auto code = [](uint8_t* data, size_t len) {
    for (size_t i = 0; i < len; ++i) data[i] ^= 0x5A;
  };
  {
    // The table is coded by a dataset that reads it plain and writes it back coded.
    Use(p);
    std::vector<std::string> rows;
    for (int32_t n = 1; n <= 4; ++n) {
      GO(n);
      rows.push_back(std::string(reinterpret_cast<const char*>(CurrentBlock()->RawRecord.data()), CurrentBlock()->RawRecord.size()));
    }
    CloseArea();
    USEWithHooks(p + " EXCLUSIVE", code, code);
    for (int32_t n = 1; n <= 4; ++n) {
      GO(n);
      std::memcpy(CurrentBlock()->RawRecord.data(), rows[static_cast<size_t>(n - 1)].data(), rows[0].size());
      RawToBinary(*CurrentBlock(), CurrentBlock()->RecordBuffer);
      Replace();
    }
    CloseArea();
  }
  EXPECT_EQ(FileBytes(p).find("Delta"), std::string::npos) << "stored coded";
  TXbDbf ds;
  ds.EncodeRecord = code;
  ds.DecodeRecord = code;
  ds.SetDbfFileName(p);
  ds.IndexList = {"1," + Index("coded") + ",UPPER(NAME)"};
  ds.Open();
  EXPECT_EQ(Walk(ds), "aBCD") << "the index is built from the decoded records";
  EXPECT_EQ(ds.Peek(1, 1).substr(0, 5), "Delta");
  ds.s_SelectArea("test");
  GO(1);
  ASSERT_TRUE(RLock());
  Poke("    9", 2, 1);
  Unlock();
  EXPECT_EQ(ds.Peek(2, 1), "    9") << "a field written into a coded record";
  EXPECT_EQ(ds.Peek(1, 1).substr(0, 5), "Delta") << "its neighbours intact";
  uint8_t hit = 0;
  EXPECT_TRUE(ds.Search("CHARLIE", hit, true));
  EXPECT_EQ(ds.FieldText(0), "Charlie");
  ds.Edit();
  ds.SetFieldValue(0, std::string("Echo"));
  ds.Post();
  ds.Close();
  EXPECT_EQ(FileBytes(p).find("Echo"), std::string::npos) << "written coded";
  ds.Open();
  EXPECT_EQ(Walk(ds), "aBDE");
  ds.SetRecNo(1);
  EXPECT_EQ(ds.FieldText(1), "9");
}

TEST_F(FileDatasetTest, LookupGivesTheValuesOfTheRecordFoundWithoutMoving) {
  const std::string p = MakeTable();
  TXbDbf ds;
  ds.SetDbfFileName(p);
  ds.Open();
  ds.SetRecNo(2);
  std::vector<TXbFieldValue> out;
  ASSERT_TRUE(ds.Lookup("NAME", {std::string("Charlie")}, {"QTY", "NAME"}, out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(std::get<int64_t>(out[0]), 3);
  EXPECT_EQ(std::get<std::string>(out[1]), "Charlie");
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_FALSE(ds.Lookup("NAME", {std::string("charlie")}, {"QTY"}, out)) << "the case counts";
  EXPECT_EQ(ds.RecNo(), 2);
  ds.Next();
  EXPECT_EQ(ds.RecNo(), 3) << "the cursor goes on from where it stood";
}

TEST_F(FileDatasetTest, AnEmptyWriteStreamOnARecordWithoutMemoLeavesItEmpty) {
  const std::string table = CreateMemoTable(dir_.path() / "fox.dbf", kFpt);
  Use(table);
  AppendRow({std::string("eins"), int64_t{0}});
  AppendRow({std::string("zwei"), int64_t{0}});
  CloseArea();
  TXbDbf ds;
  ds.SetDbfFileName(table);
  ds.Open();
  { auto w = ds.CreateBlobStream(1, 1); }
  ds.Post();
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(1)), 0);
  // The next memo appended belongs to the second record alone.
  ds.Next();
  {
    auto w = ds.CreateBlobStream(1, 1);
    w->Write("zweiter", 7);
  }
  ds.Post();
  ds.First();
  EXPECT_EQ(std::get<int64_t>(ds.FieldValue(1)), 0);
  auto r = ds.CreateBlobStream(1, 0);
  char buf[16];
  EXPECT_EQ(r->Read(buf, sizeof buf), 0);
}

}  // namespace
}  // namespace qorva::xbtest
