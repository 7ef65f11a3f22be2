#include <gtest/gtest.h>

#include "tests/xbase/edit_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;

// Texts in the engine are Windows code page; the table stores them in the DOS code page.
const std::string kMuellerUpper = "M\xDCLLER";  // MÜLLER
const std::string kMuellerLower = "m\xFCller";  // müller

class Searching : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    table_ = CreateTable(dir_ / "people.dbf", {{"NAME", 'C', 10, 0},
                                               {"CITY", 'C', 10, 0},
                                               {"NOTE", 'M', 10, 0},
                                               {"PRICE", 'N', 8, 2},
                                               {"DAY", 'D', 8, 0},
                                               {"OK", 'L', 1, 0}});
    Use(table_);
    ASSERT_TRUE(CurrentBlock()->OemConvert);
    struct Row {
      const char* name;
      const char* city;
      int64_t memo;
      long double price;
      const char* day;
      bool ok;
      bool deleted;
    } rows[] = {
        {"Maier", "Bonn", 0, 12.5L, "01/31/2024", true, false},          // 1
        {"MANN", "Berlin", 12345, 3.25L, "02/29/2024", false, false},    // 2
        {"Ma", "Bonn", 0, 0, "  /  /    ", false, false},                 // 3
        {"zzzzzzzzzA", "AAx", 0, 7, "12/24/1999", true, false},          // 4
        {"Mann", "Bonn", 0, 1234.5L, "01/01/2000", false, false},        // 5
        {"gone", "Hidden", 0, 0, "  /  /    ", false, true},              // 6
        {"Hidden", "Hidden", 0, 0, "  /  /    ", false, false},           // 7
        {"M\xDCLLER", "Wien", 0, 0, "  /  /    ", false, false},          // 8: MÜLLER
    };
    for (const Row& r : rows)
      AppendRow({std::string(r.name), std::string(r.city), r.memo, r.price, std::string(r.day), r.ok}, r.deleted);
    GO(1);
  }
  std::string table_;
};

TEST_F(Searching, FindsTextInAnyCaseAcrossCodePages) {
  uint8_t field = 0;
  EXPECT_TRUE(Search(kMuellerLower, field, true));
  EXPECT_EQ(field, 1);
  EXPECT_EQ(RecNo(), 8);
  field = 0;
  EXPECT_TRUE(Search("bonn", field, true));
  EXPECT_EQ(RecNo(), 1);
  EXPECT_TRUE(Search("bonn", field = 0, false));  // from after the current record
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(field, 2);
}

TEST_F(Searching, OccurrencesMustLieInOneWantedField) {
  uint8_t field = 0;
  // "A" at the end of NAME and "A" at the start of CITY form no match; the one that starts inside
  // that rejected occurrence does.
  EXPECT_TRUE(Search("aa", field, true));
  EXPECT_EQ(RecNo(), 4);
  EXPECT_EQ(field, 2);

  struct Case {
    const char* text;
    uint8_t wanted;
    bool found;
    uint8_t field;
    int32_t rec;
  } cases[] = {
      {"berlin", 1, false, 0, 1},  {"berlin", 2, true, 2, 2}, {"berlin", 99, true, 2, 2},
      {"12345", 0, false, 0, 1},   // only in the memo field's block number
      {"BONNZ", 0, false, 0, 1},   {"1234.50", 4, true, 4, 5},
  };
  for (const Case& c : cases) {
    GO(1);
    field = c.wanted;
    EXPECT_EQ(Search(c.text, field, true), c.found) << c.text;
    EXPECT_EQ(field, c.field) << c.text;
    EXPECT_EQ(RecNo(), c.rec) << c.text;
  }
}

TEST_F(Searching, HiddenRecordsAndEnds) {
  SetIgnoreDel(true);
  uint8_t field = 0;
  EXPECT_TRUE(Search("hidden", field, true));
  EXPECT_EQ(RecNo(), 7);  // record 6 is deleted and hidden
  EXPECT_FALSE(Search("hidden", field, false));
  EXPECT_EQ(field, 0);
  EXPECT_EQ(RecNo(), 7);  // not found: back where it started

  GO(8);
  SKIP(1);
  ASSERT_TRUE(dEOF());
  field = 3;
  EXPECT_FALSE(Search("maier", field, false));  // nothing after the end
  EXPECT_EQ(field, 0);

  field = 3;
  EXPECT_FALSE(Search("   ", field, true));  // blanks only: nothing changes
  EXPECT_EQ(field, 3);
  EXPECT_TRUE(dEOF());
}

TEST_F(Searching, PeekReadsStoredBytes) {
  GO(6);
  EXPECT_EQ(Peek(0, 6), "*");
  EXPECT_EQ(Peek(0, 1), " ");
  EXPECT_EQ(Peek(1, 8), "M\x9A" "LLER    ");  // as stored: DOS code page
  EXPECT_EQ(Peek(4, 1), "   12.50");
  EXPECT_EQ(Peek(5, 1), "20240131");
  EXPECT_EQ(Peek(1, 9), "");
  EXPECT_EQ(Peek(7, 1), "");
  EXPECT_EQ(Peek(1, 0), "");
  EXPECT_EQ(RecNo(), 6);  // nothing moved
  EXPECT_EQ(engineState.XbErrorCode, 0);
}

TEST_F(Searching, PokeWritesIntoOneFieldUnderItsLock) {
  Poke("Xaver", 1, 3);
  EXPECT_EQ(engineState.XbErrorCode, 1200);
  EXPECT_EQ(XbTakeErrorContext(), "Datensatz nicht gesperrt [Poke(Xaver,1,3)]");
  GO(3);
  ASSERT_TRUE(RLock());
  Poke("Xaver und seine Freunde", 1, 3);
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(Peek(1, 3), "Xaver und ");
  EXPECT_EQ(Peek(2, 3), "Bonn      ");  // the next field is untouched
  Poke("Yo", 1, 3);
  EXPECT_EQ(Peek(1, 3), "Yover und ");
  Poke("*", 0, 3);
  EXPECT_EQ(Peek(0, 3), "*");
  Poke("", 0, 3);  // no character to write
  EXPECT_EQ(Peek(0, 3), "*");
  Poke("x", 1, 2);
  EXPECT_EQ(engineState.XbErrorCode, 1200);  // record 2 is not locked
  Unlock();

  std::string longValue(120, 'v');
  Poke(longValue, 1, 1);
  EXPECT_EQ(XbTakeErrorContext(), "Datensatz nicht gesperrt " + ("[Poke(" + longValue).substr(0, 100));
}

TEST_F(Searching, LocateComparesTheBeginningOrTheWholeField) {
  struct Case {
    const char* value;
    bool noCase, exact;
    std::vector<int32_t> hits;
  } cases[] = {
      {"Ma", false, false, {1, 3, 5}},
      {"Ma", false, true, {3}},
      {"Ma", true, false, {1, 2, 3, 5}},
      {"MA", true, false, {1, 2, 3, 5}},
      {"mann", true, false, {2, 5}},
      {kMuellerUpper.c_str(), false, false, {8}},  // stored in the DOS code page
      {kMuellerLower.c_str(), true, false, {8}},
      {"Maier     ", false, false, {1}},
      {"Maier", false, true, {1}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> hits;
    bool found = Locate("NAME", std::string(c.value), c.noCase, 1, c.exact);
    while (found && !dEOF()) {
      hits.push_back(RecNo());
      Continue();
      found = engineState.XbErrorCode == 0;
    }
    EXPECT_EQ(hits, c.hits) << c.value << " nocase " << c.noCase << " exact " << c.exact;
    EXPECT_TRUE(dEOF());
    EXPECT_EQ(tableCommands.LocateField, 0);
  }
  Continue();
  EXPECT_EQ(engineState.XbErrorCode, 220);
  EXPECT_EQ(XbTakeErrorContext(), "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
}

TEST_F(Searching, LocateOnOtherFieldTypes) {
  struct Case {
    const char* field;
    XbValue value;
    int32_t rec;  // 0: not found
  } cases[] = {
      {"PRICE", 12.5L, 1},
      {"PRICE", std::string("1234.5"), 5},
      {"price", int64_t{7}, 4},
      {"DAY", std::string("02/29/2024"), 2},
      {"DAY", std::string("12/24/99"), 4},  // 1999 by the century window
      {"DAY", std::string("12/24/2099"), 0},
      {"OK", true, 1},
      {"CITY", std::string("Hidden"), 6},
  };
  for (const Case& c : cases) {
    GO(3);
    bool found = Locate(c.field, c.value, false, 1, false);
    EXPECT_EQ(found, c.rec != 0) << c.field;
    if (c.rec != 0) {
      EXPECT_EQ(RecNo(), c.rec) << c.field;
    }
  }

  // The stored number has "." whatever the national decimal character is.
  nationalDates.DecimalChar = ',';
  EXPECT_TRUE(Locate("PRICE", 3.25L, false, 1, false));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_TRUE(Locate("PRICE", std::string("3,25"), false, 1, false));
  EXPECT_EQ(RecNo(), 2);

  SetIgnoreDel(true);
  EXPECT_TRUE(Locate("CITY", std::string("Hidden"), false, 1, false));
  EXPECT_EQ(RecNo(), 7);  // the deleted record 6 is passed over
  EXPECT_TRUE(Locate("CITY", std::string("Bonn"), false, 4, false));
  EXPECT_EQ(RecNo(), 5);  // from record 4 on
}

TEST_F(Searching, NothingToFindWhenEveryRecordIsHidden) {
  Select(2);
  Use(CreateTable(dir_ / "gone.dbf", {{"NAME", 'C', 10, 0}}));
  AppendRow({std::string("Maier")}, true);
  SetIgnoreDel(true);
  EXPECT_FALSE(Locate("NAME", std::string("Maier"), false, 1, false));
  EXPECT_EQ(engineState.XbErrorCode, 0);  // no complaint about being past the end
  EXPECT_TRUE(dEOF());
  uint8_t field = 0;
  EXPECT_FALSE(Search("maier", field, true));
  EXPECT_EQ(engineState.XbErrorCode, 0);
}

TEST_F(Searching, LocateRefusals) {
  EXPECT_FALSE(Locate("  ", std::string("x"), false, 1, false));
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_FALSE(Locate("WEIGHT", std::string("x"), false, 1, false));
  EXPECT_EQ(engineState.XbErrorCode, 220);
  EXPECT_EQ(XbTakeErrorContext(), "Unrecognized field name [Locate/Count/Sum(WEIGHT)]");
  engineState.MemoHooks = TMemoHooks{};  // a program built without the memo module
  EXPECT_FALSE(Locate("NOTE", std::string("x"), false, 1, false));
  EXPECT_EQ(engineState.XbErrorCode, 220);
  EXPECT_EQ(XbTakeErrorContext(), "MEMO unit not linked in [Count/Sum/Continue]");
}

TEST_F(Searching, LocateInMemosThroughTheMemoModule) {
  std::vector<int32_t> asked;
  engineState.MemoHooks.AssignMemo = [&](int32_t block, std::vector<std::string>& lines) {
    asked.push_back(block);
    lines = {"first line", "Spring steel 1.4310"};
    return true;
  };
  EXPECT_TRUE(Locate("NOTE", std::string("steel 1.43"), false, 1, false));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(asked, std::vector<int32_t>{12345});  // blocks below 1 are no memos
  EXPECT_FALSE(Locate("NOTE", std::string("STEEL"), false, 1, false));
  EXPECT_TRUE(Locate("NOTE", std::string("STEEL"), true, 1, false));
  engineState.MemoHooks = TMemoHooks{};
}

TEST_F(Searching, LocateFieldsNeedsAllFieldsOnOneRecord) {
  GO(4);
  EXPECT_TRUE(LocateFields("NAME;CITY", {std::string("Ma"), std::string("Bonn")}, false, false, true));
  EXPECT_EQ(RecNo(), 1);
  EXPECT_TRUE(LocateFields("NAME;CITY", {std::string("Mann"), std::string("Bonn")}, false, false, true));
  EXPECT_EQ(RecNo(), 5);
  EXPECT_TRUE(LocateFields("NAME;CITY", {std::string("MANN"), std::string("Bonn")}, true, false, true));
  EXPECT_EQ(RecNo(), 5);  // MANN lives in Berlin: the next candidate is taken
  GO(4);
  EXPECT_FALSE(LocateFields("NAME;CITY", {std::string("Maier"), std::string("Berlin")}, false, false, true));
  EXPECT_EQ(RecNo(), 4);
  EXPECT_TRUE(LocateFields("NAME;CITY", {std::string("Ma"), std::string("Bonn")}, false, true, false));
  EXPECT_EQ(RecNo(), 4);  // found, but told to stay
  EXPECT_TRUE(LocateFields("CITY", {std::string("Berlin")}, false, false, true));
  EXPECT_EQ(RecNo(), 2);
}

}  // namespace
}  // namespace qorva
