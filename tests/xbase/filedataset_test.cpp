// The table-file dataset's indexes and memo streams: the index list opened, built or refused at
// open, indexes built by expression and by the program's key maker, key seeks and Locate, and a
// memo written and read back as a stream.
#include <filesystem>

#include "tests/xbase/edit_support_test.h"
#include "tests/xbase/memo_support_test.h"
#include "xbase/uxbfds.h"
#include "xbase/xbndx.h"

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
    xbcommon.XbErrorCode = 0;
    try {
      ds.Open();
    } catch (const std::exception&) {
    }
    EXPECT_EQ(ds.Active(), c.opens);
    EXPECT_EQ(built, c.built);
    if (c.opens) {
      EXPECT_EQ(Walk(ds), "aBCD");
    }
    xbcommon.XbErrorCode = 0;
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
  EXPECT_EQ(xbcommon.XbErrorCode, 220);
  xbcommon.XbErrorCode = 0;

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
              return xbcommon.XbErrorCode != 0 ? 0 : 1;
            }),
            0)
      << "another program cannot open the table now";
  ds.SetExclusive(false);
  EXPECT_EQ(InChild([&] {
              XbStartEngine();
              XbSetErrorReport(false);
              USE(p);
              return xbcommon.XbErrorCode == 0 ? 0 : 1;
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

}  // namespace
}  // namespace qorva::xbtest
