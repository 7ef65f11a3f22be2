// Work areas: selection, USE and closing, field functions and navigation over visible records.
#include "xbase/workareas.h"
#include "xbase/memo.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/ndxengine.h"
#include "xbase/expressionparser.h"
#include "xbase/engine.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "tests/support/testsupport.h"
#include "tests/xbase/dbfimage_test.h"
#include "xbase/nationaldates.h"

namespace qorva {
namespace {

using test::FieldDef;
using test::makeDbf;
using test::put16;
using test::put32;

const std::vector<FieldDef> kFields = {
    {"NAME", 'C', 6, 0}, {"DAY", 'D', 8, 0}, {"PRICE", 'N', 8, 2}, {"OK", 'L', 1, 0}, {"NOTE", 'M', 10, 0}};

std::string row(char del, const std::string& name, const std::string& price, char ok, const std::string& memo) {
  std::string n = name;
  n.resize(6, ' ');
  std::string p = std::string(8 - price.size(), ' ') + price;
  std::string m = std::string(10 - memo.size(), ' ') + memo;
  return std::string(1, del) + n + "20240131" + p + ok + m;
}

class WorkAreasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    engineState.XbReportErrors = false;
    nationalDates.XbDateFormat = 5;
    nationalDates.CenturyDates = true;
    nationalDates.DecimalChar = '.';
    test::scriptedPrompter().clear();
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
  }
  void TearDown() override {
    XbStopEngine();
    std::filesystem::current_path(oldCwd);
  }
  void table(const std::string& name, const std::vector<std::string>& records) {
    test::writeFile(dir / name, makeDbf(kFields, records));
  }
  void five(const std::string& deleted = "     ") {
    std::vector<std::string> recs;
    for (int i = 0; i < 5; ++i)
      recs.push_back(row(deleted[static_cast<size_t>(i)] == '*' ? '*' : ' ', "rec" + std::to_string(i + 1),
                         std::to_string(i + 1) + ".00", 'T', "0"));
    table("five.dbf", recs);
  }
  // Takes the pending error: its code and context.
  std::pair<uint16_t, std::string> error() {
    uint16_t code = engineState.XbErrorCode;
    engineState.XbErrorCode = 0;
    return {code, XbTakeErrorContext()};
  }

  test::ScratchDir dir;
  std::filesystem::path oldCwd;
};

TEST_F(WorkAreasTest, SelectFindsTheLowestFreeAreaAndRefusesWhenAllAreUsed) {
  table("t.dbf", {row(' ', "a", "1.00", 'T', "0")});
  USE("t alias a1");
  Select(2);
  USE("t alias a2");
  Select(0);
  EXPECT_EQ(SelectedArea(), 3);
  for (int a = 3; a <= 33; ++a) {
    Select(0);
    ASSERT_EQ(SelectedArea(), a);
    USE("t alias a" + std::to_string(a));
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbTakeErrorContext();
  }
  Select(0);
  EXPECT_EQ(error(), std::make_pair(uint16_t{220}, std::string("Kein Arbeitsbereich frei [Select(0)]")));
  EXPECT_EQ(SelectedArea(), 33);
  Select(34);
  EXPECT_EQ(error(), std::make_pair(uint16_t{220}, std::string("Ung\xFCltiger Arbeitsbereich = [Select(34)]")));
  EXPECT_EQ(SelectedArea(), 33);
  // The scratch area is the engine's own and opens besides the 33.
  workAreas.CurrentArea = ScratchArea;
  USE("t alias scratch");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 1);
  CloseAll();
  EXPECT_EQ(SelectedArea(), 1);
  for (uint8_t a = 1; a <= MaxUserAreas; ++a) EXPECT_EQ(AreaBlock(a), nullptr);
  EXPECT_NE(AreaBlock(ScratchArea), nullptr);
}

TEST_F(WorkAreasTest, CommandsOnAFreeAreaReport215) {
  Select(5);
  EXPECT_EQ(RecNo(), 0);
  EXPECT_EQ(error(), std::make_pair(uint16_t{215}, std::string("Keine Datenbank (bzw.kein Arbeitsbereich) ge\xF6"
                                                                "ffnet. [RecNo]  WorkArea = 5")));
  EXPECT_EQ(FieldCount(), 0);
  EXPECT_EQ(error().second, "Keine Datenbank (bzw.kein Arbeitsbereich) ge\xF6" "ffnet. [FieldCount()]  WorkArea = 5");
  SKIP(1);
  EXPECT_EQ(error().second.find("[SKIP()]") != std::string::npos, true);
  EXPECT_TRUE(dEOF());
  EXPECT_TRUE(dBOF());
  EXPECT_EQ(AreaFileName(), "");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  // Reported at once, the error stops the command with its code.
  engineState.XbReportErrors = true;
  try {
    GO(1);
    FAIL();
  } catch (const EXbaseHalt& h) {
    EXPECT_EQ(h.exitCode(), 215);
  }
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_NE(test::scriptedPrompter().asked()[0].text.find("[GO()]  WorkArea = 5"), std::string::npos);
}

TEST_F(WorkAreasTest, UseFindsTheFileWhateverTheCaseAndTakesAliasAndExclusive) {
  table("customer.dbf", {row(' ', "a", "1.00", 'T', "0"), row(' ', "b", "2.00", 'F', "0")});
  USE("customer alias cu exclusive");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbTakeErrorContext();
  // The table goes by the name of the file opened.
  EXPECT_EQ(AreaFileName(), (dir.path() / "customer.dbf").string());
  EXPECT_EQ(AreaAlias(), "CU");
  EXPECT_TRUE(CurrentBlock()->Exclusive);
  EXPECT_TRUE(CurrentBlock()->OemConvert);
  EXPECT_EQ(RecCount(), 2);
  EXPECT_EQ(RecNo(), 1);
  // Nobody else gets the table while it is open exclusively.
  Select(2);
  USE("Customer.DBF");
  EXPECT_EQ(error().first, 32);
  EXPECT_EQ(CurrentBlock(), nullptr);
  Select(1);
  USE("  ");
  EXPECT_EQ(CurrentBlock(), nullptr);
  Select(2);
  USE("CUSTOMER.dbf");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(AreaAlias(), "CUSTOMER");
  EXPECT_FALSE(CurrentBlock()->Exclusive);
}

TEST_F(WorkAreasTest, AliasMustBeUnique) {
  std::filesystem::create_directories(dir / "data");
  test::writeFile(dir / "data" / "parts.dbf", makeDbf(kFields, {}));
  USE("data\\parts.dbf");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbTakeErrorContext();
  EXPECT_EQ(AreaAlias(), "PARTS");
  Select(2);
  USE("data/parts");
  EXPECT_EQ(error(), std::make_pair(uint16_t{220}, std::string("Alias-Name \"PARTS\" bereits benutzt. [USE]")));
  EXPECT_EQ(CurrentBlock(), nullptr);
  USE("data/parts alias p2 trailing words");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(AreaAlias(), "P2");
}

TEST_F(WorkAreasTest, ExclusiveOnlyAsAWholeWord) {
  for (const std::string word : {"EXCLUSIVEX", "EXCLUSIVE_1"}) {
    USE("t " + word);
    auto [code, ctx] = error();
    EXPECT_EQ(code, 2) << word;
    EXPECT_NE(ctx.find("t " + word + ".DBF"), std::string::npos) << ctx;
  }
}

TEST_F(WorkAreasTest, RecordBufferOfTheCaller) {
  table("t.dbf", {row(' ', "abc", "1.50", 'T', "0")});
  std::vector<uint8_t> buf(10);
  USE("t", nullptr, 10);
  EXPECT_EQ(error(), std::make_pair(uint16_t{220}, std::string("Puffer ist NIL oder Gr\xF6\xDF" "e ist Null beim \xD6"
                                                                "ffnen von t [USE]")));
  USE("t", buf.data(), 10);
  auto [code, ctx] = error();
  EXPECT_EQ(code, 266);
  EXPECT_EQ(ctx, "Ungleiche Puffer- und Datensatzgr\xF6\xDF" "e der Datenbank: t [USE()]\n\rRecord Size=40, Buffer Size=10");
  EXPECT_EQ(CurrentBlock(), nullptr);
  buf.assign(40, 0xEE);
  USE("t", buf.data(), 40);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(FieldAddress(1), buf.data() + 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.data()) + 2, 6), "abc   ");
  CloseArea();
}

TEST_F(WorkAreasTest, EmptyTable) {
  table("e.dbf", {});
  USE("e");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecNo(), 0);
  EXPECT_TRUE(dEOF());
  EXPECT_TRUE(dBOF());
  EXPECT_EQ(SField(1), "      ");
  SKIP(1);
  EXPECT_EQ(error(), std::make_pair(uint16_t{212}, "Datenbank \"" + (dir.path() / "e.dbf").string() + "\" ist leer. [SKIP]"));
  GO(1);
  EXPECT_EQ(error().first, 212);
  GoTop();
  GoBottom();
  EXPECT_EQ(RecNo(), 0);
}

TEST_F(WorkAreasTest, NavigationOverAllRecords) {
  five();
  USE("five");
  EXPECT_EQ(RecNo(), 1);
  SKIP(-1);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_TRUE(dBOF());
  EXPECT_EQ(engineState.XbErrorCode, 0);
  SKIP(2);
  EXPECT_EQ(RecNo(), 3);
  EXPECT_FALSE(dBOF());
  EXPECT_EQ(XbRTrim(SField(1)), "rec3");
  GoBottom();
  EXPECT_EQ(RecNo(), 5);
  SKIP(-2);
  EXPECT_EQ(RecNo(), 3);
  GO(5);
  SKIP(1);
  EXPECT_EQ(RecNo(), 6);
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(SField(1), "      ");
  EXPECT_EQ(SField(3), "    0.00");
  SKIP(1);
  EXPECT_EQ(error(), std::make_pair(uint16_t{212}, "Datenbank \"" + (dir.path() / "five.dbf").string() + "\" ist hinter EOF. [SKIP]"));
  SKIP(-1);
  EXPECT_EQ(RecNo(), 5);
  GoTop();
  SKIP(10);
  EXPECT_EQ(RecNo(), 6);
  EXPECT_TRUE(dEOF());
  GO(2);
  SKIP(-10);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_TRUE(dBOF());
}

TEST_F(WorkAreasTest, GoOutsideTheTable) {
  five();
  USE("five");
  for (int32_t n : {0, 6, -3}) {
    GO(3);
    GO(n);
    auto [code, ctx] = error();
    EXPECT_EQ(code, 212);
    EXPECT_EQ(ctx, "Ung\xFCltige Datensatznr. = " + std::to_string(n) + " Datenbank \"" +
                       (dir.path() / "five.dbf").string() + "\" [GO]");
    EXPECT_TRUE(dEOF());
    EXPECT_EQ(RecNo(), 6);
  }
  EXPECT_FALSE(GoIfValid(6));
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_TRUE(GoIfValid(4));
  EXPECT_EQ(RecNo(), 4);
  Dbf4RawGo(0);
  EXPECT_EQ(error(), std::make_pair(uint16_t{212}, std::string(" [Dbf4RawGo]")));
  Dbf4RawGo(2);
  EXPECT_EQ(RecNo(), 2);
  Dbf4RawGo(9);
  EXPECT_EQ(RecNo(), 6);
  EXPECT_TRUE(dEOF());
}

TEST_F(WorkAreasTest, DeletedRecordsAreHiddenOnRequest) {
  five("**  *");
  USE("five");
  EXPECT_EQ(RecNo(), 1);
  EXPECT_TRUE(Deleted());
  EXPECT_FALSE(SetIgnoreDel(true));
  GoTop();
  EXPECT_EQ(RecNo(), 3);
  SKIP(1);
  EXPECT_EQ(RecNo(), 4);
  SKIP(1);
  EXPECT_EQ(RecNo(), 6);
  EXPECT_TRUE(dEOF());
  GoBottom();
  EXPECT_EQ(RecNo(), 4);
  SKIP(-1);
  EXPECT_EQ(RecNo(), 3);
  SKIP(-1);
  EXPECT_EQ(RecNo(), 3);
  EXPECT_TRUE(dBOF());
  // GO reaches hidden records.
  GO(2);
  EXPECT_EQ(RecNo(), 2);
  EXPECT_TRUE(Deleted());
  // Leaving a hidden record gives up the locks of the area.
  CurrentBlock()->LockState = 3;
  CurrentBlock()->LockCount = 1;
  CurrentBlock()->LockList = {2};
  EXPECT_TRUE(MoveOffInvisible());
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(CurrentBlock()->LockState, 0);
  EXPECT_TRUE(CurrentBlock()->LockList.empty());
  GO(5);
  EXPECT_TRUE(MoveOffInvisible());
  EXPECT_EQ(RecNo(), 4);
  EXPECT_FALSE(MoveOffInvisible());
  EXPECT_TRUE(SetIgnoreDel(false));
  GoTop();
  EXPECT_EQ(RecNo(), 1);
}

TEST_F(WorkAreasTest, AllRecordsHiddenEndsOnThePhantomRecord) {
  five("*****");
  USE("five");
  SetIgnoreDel(true);
  GoTop();
  EXPECT_EQ(RecNo(), 6);
  EXPECT_TRUE(dEOF());
  EXPECT_TRUE(dBOF());
  GoBottom();
  EXPECT_EQ(RecNo(), 6);
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(engineState.XbErrorCode, 0);
}

TEST_F(WorkAreasTest, FieldFunctions) {
  table("f.dbf", {row(' ', "Maier", "12.5", 'T', "0"), row(' ', "x", "1.00", 'F', "7"), row(' ', "y", "1", ' ', "-3")});
  USE("f");
  EXPECT_EQ(FieldCount(), 5);
  EXPECT_EQ(Field(2), "DAY");
  EXPECT_EQ(FieldNo("name "), 1);
  EXPECT_EQ(FieldNo("Price"), 3);
  EXPECT_EQ(FieldNo("nosuch"), 0);
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(FieldType(3), 'N');
  EXPECT_EQ(FieldDec(3), 2);
  EXPECT_EQ(FieldLen(2), 10);
  nationalDates.CenturyDates = false;
  EXPECT_EQ(FieldLen(2), 8);
  nationalDates.CenturyDates = true;
  EXPECT_EQ(RecSize(), 34);
  EXPECT_EQ(SField(1), "Maier ");
  // A length byte written through FieldAddress never reaches past the field.
  FieldAddress(1)[0] = 200;
  EXPECT_EQ(SField(1), "Maier ");
  EXPECT_EQ(GetFieldText(1), "Maier ");
  FieldAddress(1)[0] = 3;
  EXPECT_EQ(SField(1), "Mai");
  FieldAddress(1)[0] = 6;
  EXPECT_EQ(SField(2), "31.01.2024");
  EXPECT_EQ(SField(4), "Y");
  EXPECT_EQ(SField(5), "none");
  nationalDates.DecimalChar = ',';
  EXPECT_EQ(SField(3), "   12,50");
  SKIP(1);
  EXPECT_EQ(SField(4), "N");
  EXPECT_EQ(SField(5), "MEMO");
  SKIP(1);
  EXPECT_EQ(SField(4), "N");
  EXPECT_EQ(SField(5), "BLOB");
  EXPECT_EQ(FieldAddress(0), CurrentBlock()->RecordBuffer);
  struct Bad {
    std::function<void()> call;
    std::string context;
  };
  const Bad bad[] = {{[] { Field(0); }, "Ung\xFCltige Feldnr. [Field(0)]"},
                     {[] { FieldType(6); }, "Ung\xFCltige Feldnr. [FieldType(6)]"},
                     {[] { FieldLen(99); }, "Ung\xFCltige Feldnr. [FieldLen(99)]"},
                     {[] { FieldDec(-1); }, "Ung\xFCltige Feldnr. [FieldDec(-1)]"},
                     {[] { FieldAddress(6); }, "Ung\xFCltige Feldnr. [FieldAddress(6)]"}};
  for (const auto& b : bad) {
    b.call();
    EXPECT_EQ(error(), std::make_pair(uint16_t{220}, b.context));
  }
  EXPECT_EQ(FieldType(9), ' ');
  error();
}

TEST_F(WorkAreasTest, RewritingThroughTheBufferKeepsUnchangedFields) {
  nationalDates.CenturyDates = false;
  std::string stored = " Maier 19240131********  7";
  test::writeFile(dir / "k.dbf", makeDbf({{"NAME", 'C', 6, 0}, {"DAY", 'D', 8, 0}, {"PRICE", 'N', 8, 2},
                                          {"OK", 'L', 1, 0}, {"QTY", 'N', 2, 0}},
                                         {stored}));
  USE("k");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(GetFieldText(2), "31.01.24");
  EXPECT_EQ(GetFieldInt(5), 7);
  SetFieldText(1, "Mann");
  SetFieldInt(5, 8);
  TDbfControlBlock& cb = *CurrentBlock();
  BinaryToRaw(cb, cb.RecordBuffer);
  PutDbfRecord(cb, 1);
  CloseArea();
  std::string f = test::readFile(dir / "k.dbf");
  EXPECT_EQ(f.substr(f.size() - 27, 26), " Mann  19240131********  8");
  USE("k");
  SetFieldReal(3, std::numeric_limits<long double>::quiet_NaN());
  SetFieldBool(4, true);
  SetFieldText(2, "01.02.24");
  BinaryToRaw(*CurrentBlock(), CurrentBlock()->RecordBuffer);
  EXPECT_EQ(std::string(CurrentBlock()->RawRecord.begin(), CurrentBlock()->RawRecord.end()), " Mann  20240201********T 8");
  // Typed access checks the field type.
  SetFieldBool(1, true);
  EXPECT_EQ(error().first, 211);
}

// Texts of every length read the same into a new string and into one the caller holds, whatever
// that held before; a refused read leaves it empty.
TEST_F(WorkAreasTest, FieldTextIntoTheCallersString) {
  const uint8_t lengths[] = {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40, 200};
  std::vector<FieldDef> defs;
  std::string record = " ";
  std::vector<std::string> want;
  for (uint8_t len : lengths) {
    defs.push_back({"C" + std::to_string(len), 'C', len, 0});
    std::string text;
    for (size_t i = 0; i < len; ++i) text += static_cast<char>('a' + (i * 7 + len) % 26);
    want.push_back(text);
    record += text;
  }
  defs.push_back({"DAY", 'D', 8, 0});
  defs.push_back({"QTY", 'N', 4, 0});
  record += "20240131  12";
  test::writeFile(dir / "t.dbf", makeDbf(defs, {record}));
  USE("t");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  std::string longer(300, '#'), empty;
  for (int32_t n = 1; n <= static_cast<int32_t>(want.size()); ++n) {
    const std::string& w = want[static_cast<size_t>(n - 1)];
    EXPECT_EQ(GetFieldText(n), w) << n;
    GetFieldText(n, longer);
    EXPECT_EQ(longer, w) << n;
    GetFieldText(n, empty);
    EXPECT_EQ(empty, w) << n;
    empty.clear();
  }
  const int32_t day = static_cast<int32_t>(want.size()) + 1;
  GetFieldText(day, longer);
  EXPECT_EQ(longer, "31.01.2024");
  struct Bad {
    int32_t field;
    uint16_t code;
  };
  for (Bad b : {Bad{0, 220}, Bad{day + 2, 220}, Bad{-1, 220}, Bad{day + 1, 211}}) {
    longer = "left over";
    GetFieldText(b.field, longer);
    EXPECT_EQ(longer, "") << b.field;
    EXPECT_EQ(error().first, b.code) << b.field;
  }
  CloseArea();
  longer = "left over";
  GetFieldText(1, longer);
  EXPECT_EQ(longer, "");
  EXPECT_EQ(error().first, 215);
}

// The field readers show the binary record as it is now: the record moved to, a value given but not
// written, the stored value again once the record is read anew (also the same record, also after
// reopening), and a real's slot holds the value and zeros behind it.
TEST_F(WorkAreasTest, FieldsFollowTheRecordBuffer) {
  table("f.dbf", {row(' ', "first", "12.50", 'T', "0"), row(' ', "second", "-3.25", 'F', "0")});
  for (const char* use : {"f", "f exclusive"}) {
    SCOPED_TRACE(use);
    USE(use);
    ASSERT_EQ(engineState.XbErrorCode, 0);
    EXPECT_EQ(GetFieldText(1), "first ");
    EXPECT_EQ(GetFieldReal(3), 12.5L);
    SKIP(1);
    EXPECT_EQ(GetFieldText(1), "second");
    EXPECT_EQ(GetFieldReal(3), -3.25L);
    EXPECT_FALSE(GetFieldBool(4));
    uint8_t* slot = FieldAddress(3);
    std::memset(slot, 0xAA, 16);
    SetFieldReal(3, 7.75L);
    SetFieldText(1, "edited");
    SetFieldBool(4, true);
    EXPECT_EQ(GetFieldReal(3), 7.75L);
    EXPECT_EQ(GetFieldText(1), "edited");
    EXPECT_TRUE(GetFieldBool(4));
    for (int i = 10; i < 16; ++i) EXPECT_EQ(slot[i], 0) << i;
    GO(2);
    EXPECT_EQ(GetFieldText(1), "second");
    EXPECT_EQ(GetFieldReal(3), -3.25L);
    EXPECT_FALSE(GetFieldBool(4));
    std::memset(slot, 0xAA, 16);
    SKIP(0);
    EXPECT_EQ(GetFieldReal(3), -3.25L);
    for (int i = 10; i < 16; ++i) EXPECT_EQ(slot[i], 0) << i;
    CloseArea();
    USE(use);
    GO(2);
    EXPECT_EQ(GetFieldText(1), "second");
    EXPECT_EQ(GetFieldReal(3), -3.25L);
    CloseArea();
  }
  EXPECT_EQ(test::readFile(dir / "f.dbf").substr(test::readFile(dir / "f.dbf").size() - 69, 68),
            row(' ', "first", "12.50", 'T', "0") + row(' ', "second", "-3.25", 'F', "0"));
}

// Records in every stored form the readers must agree on: plain values, a deleted record, blank
// fields, "*"-filled and unnormalised numbers, a two-digit-looking year, "?" and "y" logicals.
const std::vector<FieldDef> kOddFields = {
    {"NAME", 'C', 6, 0}, {"DAY", 'D', 8, 0}, {"PRICE", 'N', 8, 2}, {"OK", 'L', 1, 0}, {"QTY", 'N', 4, 0}};
const std::vector<std::string> kOddRecords = {
    " Maier 20240131   12.50T   7", "*Huber 19240229********y -12", "                            ",
    " x     20991231   -0.05?9999", " Lang  00010101     1.5N  +3", " Kurz  2024013 1e2     t 0x1",
};

// Every reading of every field of the current record, as one line.
std::string readAll() {
  std::string s = std::to_string(RecNo()) + (Deleted() ? "*" : " ") + (dEOF() ? "E" : "") + (dBOF() ? "B" : "");
  for (int32_t n = 1; n <= FieldCount(); ++n) {
    s += "|" + SField(n) + "|" + (FieldEmpty(n) ? "e" : "v");
    switch (FieldType(n)) {
      case 'C':
      case 'D': {
        const std::string view(GetFieldView(n));
        EXPECT_EQ(view, GetFieldText(n)) << n;
        s += GetFieldText(n);
        break;
      }
      case 'N': s += std::to_string(static_cast<double>(GetFieldReal(n))) + "/" + std::to_string(GetFieldInt(n)); break;
      case 'L': s += GetFieldBool(n) ? "T" : "F"; break;
      default: break;
    }
  }
  engineState.XbErrorCode = 0;
  return s;
}

// A walk decodes a field only when it is read. Whatever is read, and in whatever order, reads the
// same as the record decoded whole (an area whose binary record was handed out decodes every
// record whole), also across the wrap of the record count that tells decoded fields apart: for odd
// stored forms and for the tables shipped with the program.
TEST_F(WorkAreasTest, FieldsReadOnDemandReadAsTheWholeRecord) {
  test::writeFile(dir / "odd.dbf", makeDbf(kOddFields, kOddRecords));
  const std::filesystem::path shipped = std::filesystem::path(QORVA_SOURCE_DIR) / "data";
  for (const char* name : {"yeb9wst.dbf", "printout.dbf"}) std::filesystem::copy_file(shipped / name, dir / name);
  for (const char* table : {"odd", "yeb9wst", "printout"}) {
    for (bool century : {true, false}) {
      SCOPED_TRACE(std::string(table) + (century ? " century" : ""));
      nationalDates.CenturyDates = century;
      std::vector<std::string> seen[2];
      for (int whole = 0; whole < 2; ++whole) {
        USE(std::string(table) + " exclusive");
        ASSERT_EQ(engineState.XbErrorCode, 0);
        if (whole) ASSERT_NE(FieldAddress(0), nullptr);
        else CurrentBlock()->RecordGeneration = 0xFFFFFFFEu;
        std::vector<std::string>& out = seen[whole];
        for (GoTop(); !dEOF(); SKIP(1)) {
          // One field first (the others still waiting), then everything.
          out.push_back(FieldType(2) == 'N' ? std::to_string(static_cast<double>(GetFieldReal(2))) : GetFieldText(2));
          out.push_back(readAll());
        }
        for (int32_t n : {3, 1, 2}) {
          GO(n);
          out.push_back(readAll());
          SKIP(-1);
          out.push_back(readAll());
        }
        GoBottom();
        SKIP(1);
        out.push_back(readAll());
        // Reading a stored record alone leaves the binary record as it was.
        GO(1);
        GetDbfRecord(*CurrentBlock(), 2);
        out.push_back(readAll());
        CloseArea();
      }
      EXPECT_EQ(seen[0], seen[1]);
    }
  }
}

// The same edits through a walk that decodes on demand and through one that decodes every record
// whole write the same bytes: the fields not read keep their stored form, a record appended on the
// current one takes its values, an index follows the changes, and records appended from another
// table arrive as stored.
TEST_F(WorkAreasTest, EditsOnAWalkWriteTheSameBytesAsOnWholeRecords) {
  InitExpressionParser();
  IndexInit();  // the NDX engine maintains the index below
  const std::string image = makeDbf(kOddFields, kOddRecords);
  test::writeFile(dir / "src.dbf", image);
  std::string written[2], index[2], afterIndexing[2];
  for (int whole = 0; whole < 2; ++whole) {
    SCOPED_TRACE(whole);
    const std::filesystem::path folder = dir / (whole ? "whole" : "walk");
    std::filesystem::create_directories(folder);
    test::writeFile(folder / "t.dbf", image);
    USE((folder / "t").string() + " exclusive");
    ASSERT_EQ(engineState.XbErrorCode, 0);
    if (whole) FieldAddress(0);
    GoTop();
    SKIP(1);
    SetFieldText(1, "Neu");
    Replace();
    SKIP(2);
    Append();  // record 4's values on blanks
    GO(4);
    SetFieldReal(3, 2.5L);
    SetFieldBool(4, true);
    Replace();
    GO(1);
    DeleteRec();
    GO(6);
    ASSERT_TRUE(MakeIndex((folder / "t.ndx").string(), "NAME", false, 0, false, false)) << XbErrorMessage();
    afterIndexing[whole] = readAll();  // the record stood on before, as it was
    SetIndexList((folder / "t.ndx").string());
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    GO(5);
    SetFieldText(1, "Aaron");
    Replace();
    AppendFrom((dir / "src").string());
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    EXPECT_EQ(RecCount(), 13);
    CloseAll();
    written[whole] = test::readFile(folder / "t.dbf");
    index[whole] = test::readFile(folder / "t.ndx");
  }
  EXPECT_EQ(written[0], written[1]);
  EXPECT_EQ(index[0], index[1]);
  EXPECT_EQ(afterIndexing[0], afterIndexing[1]);
  // Untouched fields kept their stored form; the appended copies are the source's records.
  const std::string& w = written[0];
  const size_t head = image.size() - 1 - 6 * 28;
  EXPECT_EQ(w.substr(head + 28, 28), "*Neu   19240229********y -12");
  EXPECT_EQ(w.substr(head + 3 * 28, 28), " x     20991231    2.50T9999");
  EXPECT_EQ(w.substr(head + 6 * 28, 28), " x     20991231   -0.05 9999");
  EXPECT_EQ(w.substr(head + 7 * 28, 6 * 28), image.substr(head, 6 * 28));
}

TEST_F(WorkAreasTest, SharedTablesSeeRecordsAppendedElsewhere) {
  five();
  USE("five alias one");
  Select(2);
  USE("five alias two");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  GoBottom();
  EXPECT_EQ(RecNo(), 5);
  Select(1);
  TDbfControlBlock& one = *CurrentBlock();
  GO(5);
  AppendDbfRecord(one);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  Select(2);
  EXPECT_FALSE(dEOF());
  EXPECT_EQ(RecCount(), 6);
  SKIP(1);
  EXPECT_EQ(RecNo(), 6);
  EXPECT_EQ(XbRTrim(SField(1)), "rec5");
  // Closing the appending area writes the count and the end-of-file byte.
  Select(1);
  CloseArea();
  std::string f = test::readFile(dir / "five.dbf");
  EXPECT_EQ(static_cast<uint8_t>(f[4]), 6);
  EXPECT_EQ(f.back(), '\x1A');
  EXPECT_EQ(f.size(), 193u + 6 * 34 + 1);
}

TEST_F(WorkAreasTest, ReadOnlyTablesRefuseWritesAndKeepTheirState) {
  five();
  const std::string before = test::readFile(dir / "five.dbf");
  workAreas.OpenModeOverride = XbModeReadOnlyDenyNone;
  USE("five exclusive");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_FALSE(CurrentBlock()->Exclusive);
  GO(3);
  SetFieldText(1, "new");
  TDbfControlBlock& cb = *CurrentBlock();
  BinaryToRaw(cb, cb.RecordBuffer);
  AppendDbfRecord(cb);
  EXPECT_NE(error().first, 0);
  EXPECT_EQ(RecCount(), 5);
  EXPECT_EQ(RecNo(), 3);
  EXPECT_FALSE(dEOF());
  CloseArea();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(test::readFile(dir / "five.dbf"), before);
  // Read-only and exclusive: nobody else opens it meanwhile.
  workAreas.OpenModeOverride = XbModeReadOnlyDenyAll;
  USE("five");
  EXPECT_TRUE(CurrentBlock()->Exclusive);
  GO(2);
  DeleteRec();  // the file refuses the mark: the record does not look deleted either
  EXPECT_NE(error().first, 0);
  EXPECT_FALSE(Deleted());
  EXPECT_EQ(CurrentBlock()->RawRecord[0], ' ');
  Select(2);
  workAreas.OpenModeOverride = 0xFFFF;
  USE("five alias other");
  EXPECT_EQ(error().first, 32);
}

TEST_F(WorkAreasTest, MemoFileOpensWithTheTable) {
  std::string bytes = makeDbf(kFields, {row(' ', "a", "1.00", 'T', "0")});
  bytes[0] = static_cast<char>(0x8B);
  test::writeFile(dir / "m.dbf", bytes);
  CreateMemofile((dir / "m").string());
  USE("m");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  ASSERT_NE(CurrentBlock()->MemoBlock, nullptr);
  EXPECT_EQ(CurrentBlock()->MemoBlock->FileName, (dir.path() / "m.DBT").string());
  EXPECT_EQ(CurrentBlock()->MemoBlock->BlockSize, 512);
  const int fd = CurrentBlock()->MemoBlock->File;
  CloseArea();
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);  // closed with the table
  std::filesystem::remove(dir / "m.DBT");
  USE("m");
  EXPECT_EQ(error(), std::make_pair(uint16_t{2}, std::string("Problem beim \xD6" "ffnen der Memo-Datei [USE(m,@Buffer,0)]")));
  EXPECT_EQ(CurrentBlock(), nullptr);
}

TEST_F(WorkAreasTest, IndexOrderDrivesTheWalk) {
  five("  *  ");
  // A stand-in index that orders the records backwards.
  int32_t pos = 0;
  int bracket = 0, maxBracket = 0;
  bool atEnd = false, atStart = false;
  auto& h = engineState.IndexHooks;
  engineState.IndexUnitLinked = true;
  h.IsActive = [] { return true; };
  h.FirstRecNo = [&] { atStart = atEnd = false; return pos = 5; };
  h.LastRecNo = [&] { atStart = atEnd = false; return pos = 1; };
  h.NextRecNo = [&] {
    if (pos <= 1) {
      atEnd = true;
      return pos;
    }
    return --pos;
  };
  h.PrevRecNo = [&] {
    if (pos >= 5) {
      atStart = true;
      return pos;
    }
    return ++pos;
  };
  h.AtEnd = [&] { return atEnd; };
  h.AtStart = [&] { return atStart; };
  h.Resync = [&] { pos = CurrentBlock()->RecNo; };
  h.SetStart = [&] { atStart = true; };
  h.SetEnd = [&] { atEnd = true; };
  h.SaveKey = [] {};
  h.SetReadSemaphoreProc = [&](bool on) {
    bracket += on ? 1 : -1;
    maxBracket = std::max(maxBracket, bracket);
  };
  USE("five");
  SetIgnoreDel(true);
  GoTop();
  EXPECT_EQ(RecNo(), 5);
  SKIP(1);
  EXPECT_EQ(RecNo(), 4);
  SKIP(1);
  EXPECT_EQ(RecNo(), 2);
  GoBottom();
  EXPECT_EQ(RecNo(), 1);
  SKIP(-1);
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(bracket, 0);
  EXPECT_GE(maxBracket, 1);
  engineState.IndexHooks = TIndexHooks{};
}

TEST_F(WorkAreasTest, VirtualFilesNeedTheirModule) {
  engineState.VFileHandler = nullptr;  // a program built without virtual files
  USE("list linked list");
  EXPECT_EQ(error().first, 1101);
  EXPECT_EQ(CurrentBlock(), nullptr);
}

TEST_F(WorkAreasTest, DamagedTableLeavesTheAreaFree) {
  test::writeFile(dir / "bad.dbf", std::string(20, 'x'));
  USE("bad");
  auto [code, ctx] = error();
  EXPECT_EQ(code, 210);
  EXPECT_NE(ctx.find("Prolog ist kleiner als 32 Bytes"), std::string::npos);
  EXPECT_EQ(CurrentBlock(), nullptr);
  // The file is not held open: it can be opened exclusively at once.
  int fd = -1;
  EXPECT_EQ(XbOpenFile((dir / "bad.dbf").string(), XbModeReadWriteDenyAll, fd), 0);
  XbCloseFile(fd);
}

TEST_F(WorkAreasTest, CaseTwinsAreOpenedAsWritten) {
  // Two tables whose names differ only in case, and two folders likewise.
  auto rows = [](int n, const std::string& name) {
    std::vector<std::string> r;
    for (int i = 0; i < n; ++i) r.push_back(row(' ', name, "1.00", 'T', "0"));
    return r;
  };
  table("t.dbf", rows(5, "lower"));
  table("T.DBF", rows(1, "upper"));
  table("only.DBF", rows(2, "only"));
  std::filesystem::create_directories(dir / "sub");
  std::filesystem::create_directories(dir / "SUB");
  test::writeFile(dir / "sub" / "x.dbf", makeDbf(kFields, rows(2, "sub")));
  test::writeFile(dir / "SUB" / "x.dbf", makeDbf(kFields, rows(3, "SUB")));
  struct Case {
    std::string command;
    int32_t records;
    std::string opened;  // relative to the folder
  } cases[] = {
      {"t.dbf", 5, "t.dbf"},
      {"T.DBF", 1, "T.DBF"},
      {"t", 5, "t.dbf"},   // "t.DBF" is not there: the match with the stem as written
      {"T", 1, "T.DBF"},
      {"t.Dbf", 5, "t.dbf"},
      {"ONLY.dbf", 2, "only.DBF"},  // not there as written: looked up whatever the case
      {"sub/x.dbf", 2, "sub/x.dbf"},
      {"SUB/x.dbf", 3, "SUB/x.dbf"},
      {"SUB/X.DBF exclusive", 3, "SUB/x.dbf"},
  };
  for (const Case& c : cases) {
    USE(c.command);
    ASSERT_EQ(engineState.XbErrorCode, 0) << c.command << ": " << XbTakeErrorContext();
    EXPECT_EQ(RecCount(), c.records) << c.command;
    EXPECT_EQ(AreaFileName(), (dir.path() / c.opened).string()) << c.command;
    CloseArea();
  }
  // A folder is never looked up whatever its case.
  USE("Sub/x.dbf");
  EXPECT_EQ(error().first, 2);
  EXPECT_EQ(CurrentBlock(), nullptr);
}

TEST_F(WorkAreasTest, MemoNamesFollowTheTableOpened) {
  std::string lower = makeDbf(0x83, kFields, {row(' ', "a", "1.00", 'T', "1")});
  std::string upper = makeDbf(0x83, kFields, {row(' ', "b", "2.00", 'F', "1"), row(' ', "c", "3.00", 'F', "1")});
  test::writeFile(dir / "t.dbf", lower);
  test::writeFile(dir / "T.DBF", upper);
  test::writeFile(dir / "t.dbt", "lower memo");
  test::writeFile(dir / "T.DBT", "upper memo");
  std::vector<std::string> opened;
  engineState.MemoHooks.OpenMemofile = [&](const std::string& name) { opened.push_back(name); };
  for (const std::string name : {"t.dbf", "T.DBF"}) {
    USE(name);
    ASSERT_EQ(engineState.XbErrorCode, 0) << name;
    const std::string stem = name.substr(0, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.back(), (dir.path() / stem).string());
    // The memo file of the table, whichever case a memo module writes the extension in.
    const std::string memo = (dir.path() / (stem + (stem == "t" ? ".dbt" : ".DBT"))).string();
    EXPECT_EQ(XbCompanionName(AreaFileName(), "DBT"), memo) << name;
    EXPECT_EQ(XbResolveFileName(opened.back() + ".DBT"), memo) << name;
    EXPECT_EQ(XbResolveFileName(opened.back() + ".dbt"), memo) << name;
    opened.clear();
    CloseArea();
  }
  engineState.MemoHooks = TMemoHooks{};
}

TEST_F(WorkAreasTest, ShortTableOpensWithItsWholeRecords) {
  // An append cut short: the header counts 5 records, the file holds 4 and half of the fifth.
  std::vector<std::string> recs;
  for (int i = 1; i <= 5; ++i) recs.push_back(row(' ', "rec" + std::to_string(i), std::to_string(i) + ".00", 'T', "0"));
  std::string bytes = makeDbf(kFields, recs);
  const size_t recLen = recs[0].size();
  bytes.resize(bytes.size() - 1 - recLen / 2);  // no end-of-file byte, half a record
  const size_t headerLen = bytes.size() - 4 * recLen - (recLen - recLen / 2);
  for (const bool exclusive : {false, true}) {
    const std::string words = exclusive ? " exclusive" : "";
    test::writeFile(dir / "short.dbf", bytes);
    USE("short" + words);
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbTakeErrorContext();
    EXPECT_EQ(RecCount(), 4);
    std::vector<std::string> seen;
    for (GoTop(); !dEOF() && seen.size() < 10; SKIP(1)) seen.push_back(XbRTrim(SField(1)));
    EXPECT_EQ(seen, (std::vector<std::string>{"rec1", "rec2", "rec3", "rec4"}));
    GO(5);
    EXPECT_EQ(error().first, 212);
    CloseArea();
    ASSERT_EQ(engineState.XbErrorCode, 0);
    // Reading leaves the file as it is.
    EXPECT_EQ(test::readFile(dir / "short.dbf"), bytes);

    // The first write puts it right: the new record takes the place of the half one.
    USE("short" + words);
    ASSERT_TRUE(ALock());
    ClearRecord();
    SetFieldText(1, "new");
    Append();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbTakeErrorContext();
    EXPECT_EQ(RecNo(), 5);
    CloseArea();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbTakeErrorContext();
    const std::string after = test::readFile(dir / "short.dbf");
    ASSERT_EQ(after.size(), headerLen + 5 * recLen + 1);
    EXPECT_EQ(static_cast<uint8_t>(after[4]), 5);
    EXPECT_EQ(after.substr(headerLen, 4 * recLen), bytes.substr(headerLen, 4 * recLen));
    EXPECT_EQ(after.substr(headerLen + 4 * recLen, 7), " new   ");
    EXPECT_EQ(after.back(), '\x1A');
  }
}

// An exclusive table with a rewritten record held back, whose file then refuses every write
// (the descriptor is put on a full device), as a disk that fills up or fails would.
class HeldBackWriteTest : public WorkAreasTest {
 protected:
  void holdBackAndBreak(uint8_t area) {
    Select(area);
    USE("five exclusive alias a" + std::to_string(area));
    ASSERT_EQ(engineState.XbErrorCode, 0);
    GO(2);
    SetFieldText(1, "edited");
    Replace();
    ASSERT_EQ(engineState.XbErrorCode, 0);
    ASSERT_EQ(CurrentBlock()->PendingCount, 1);
    const int full = ::open("/dev/full", O_RDWR | O_CLOEXEC);
    ASSERT_GE(full, 0);
    ASSERT_EQ(::dup2(full, CurrentBlock()->DbfFile), CurrentBlock()->DbfFile);
    ::close(full);
  }
  void SetUp() override {
    WorkAreasTest::SetUp();
    five();
    before = test::readFile(dir / "five.dbf");
    table("other.dbf", {row(' ', "x", "1.00", 'T', "0")});
  }
  bool allFree() {
    for (uint8_t a = 1; a <= MaxUserAreas; ++a)
      if (AreaBlock(a)) return false;
    return true;
  }
  std::string before;
};

TEST_F(HeldBackWriteTest, FailureAtCloseFailsTheCommand) {
  struct Case {
    const char* what;
    std::function<void()> command;
  } cases[] = {
      {"CloseArea", [] { CloseArea(); }},
      // A later area that closes well does not cover the failure.
      {"CloseAll", [] { Select(7); USE("other"); CloseAll(); }},
      {"USE over the area", [] { USE("other"); }},
  };
  for (const Case& c : cases) {
    holdBackAndBreak(1);
    c.command();
    auto [code, ctx] = error();
    EXPECT_EQ(code, 101) << c.what;
    EXPECT_NE(ctx.find("five.dbf"), std::string::npos) << c.what << ": " << ctx;
    EXPECT_TRUE(allFree()) << c.what;  // the area is free all the same, and USE opened nothing
    EXPECT_EQ(test::readFile(dir / "five.dbf"), before) << c.what;
    Select(1);
    CloseAll();
  }
  // Reported at once, the failure stops the command.
  holdBackAndBreak(1);
  engineState.XbReportErrors = true;
  EXPECT_THROW(CloseArea(), EXbaseHalt);
  engineState.XbReportErrors = false;
  EXPECT_TRUE(allFree());
}

TEST_F(HeldBackWriteTest, FailureAtEngineEndIsSaidAndReturned) {
  holdBackAndBreak(3);
  Select(4);
  USE("other");
  engineState.XbReportErrors = true;
  EXPECT_EQ(XbStopEngine(), 101);
  engineState.XbReportErrors = false;
  EXPECT_TRUE(allFree());
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  const auto& shown = test::scriptedPrompter().asked()[0];
  EXPECT_EQ(shown.caption, "Programm angehalten.");
  EXPECT_NE(shown.text.find("Fehler Nr. 101"), std::string::npos) << shown.text;
  EXPECT_NE(shown.text.find("five.dbf"), std::string::npos) << shown.text;
  // Nothing failed: nothing said.
  test::scriptedPrompter().clear();
  XbStartEngine();
  engineState.XbReportErrors = true;
  USE("other");
  EXPECT_EQ(XbStopEngine(), 0);
  engineState.XbReportErrors = false;
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
}

}  // namespace
}  // namespace qorva
