#include <gtest/gtest.h>

#include "tests/xbase/edit_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;

class AppendingFrom : public xbtest::EngineTest {
 protected:
  std::string MakeSource(const std::string& name) {
    std::string path = CreateTable(dir_ / name, {{"NAME", 'C', 10, 0},
                                                 {"QTY", 'N', 8, 2},
                                                 {"PRICE", 'N', 8, 2},
                                                 {"DAY", 'D', 8, 0},
                                                 {"WHEN", 'C', 10, 0},
                                                 {"AMOUNT", 'C', 10, 0},
                                                 {"FLAG", 'L', 1, 0}});
    Select(5);
    Use(path);
    AppendRow({std::string("M\xFCller Anton"), 1234.5L, 2.9L, std::string("01/31/2024"), std::string("02/29/2024"),
               std::string("1,234.50"), true});
    AppendRow({std::string("Gone"), 1.0L, -2.9L, std::string("  /  /    "), std::string("13/45/2024"),
               std::string("-.5"), true},
              true);
    EXPECT_TRUE(RLock());
    Poke("y", 7, 2);  // a stored form a conversion would change
    Unlock();
    CloseArea();
    Select(1);
    return path;
  }
  std::string Stored(const std::string& path, int n) {
    auto bytes = FileBytes(path);
    uint16_t h = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
    uint16_t r = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11]) << 8;
    return bytes.substr(h + static_cast<size_t>(n - 1) * r, r);
  }
};

TEST_F(AppendingFrom, SameStructureCopiesRecordsAsStored) {
  std::string source = MakeSource("source.dbf");
  std::string dest = CreateTable(dir_ / "dest.dbf", {{"NAME", 'C', 10, 0},
                                                     {"QTY", 'N', 8, 2},
                                                     {"PRICE", 'N', 8, 2},
                                                     {"DAY", 'D', 8, 0},
                                                     {"WHEN", 'C', 10, 0},
                                                     {"AMOUNT", 'C', 10, 0},
                                                     {"FLAG", 'L', 1, 0}});
  Use(dest);
  ASSERT_TRUE(FLock());
  AppendFrom(source);
  EXPECT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  EXPECT_EQ(SelectedArea(), 1);
  EXPECT_EQ(AreaBlock(ScratchArea), nullptr);  // the source was opened for the copy only
  EXPECT_EQ(RecCount(), 2);
  Unlock();
  CloseArea();
  EXPECT_EQ(Stored(dest, 1), Stored(source, 1));
  EXPECT_EQ(Stored(dest, 2), Stored(source, 2));  // deletion mark and stored "y" included
  EXPECT_EQ(Stored(dest, 2)[0], '*');
}

TEST_F(AppendingFrom, OtherStructuresConvertFieldsByName) {
  std::string source = MakeSource("source.dbf");
  std::string dest = CreateTable(dir_ / "dest.dbf", {{"NAME", 'C', 6, 0},
                                                     {"QTY", 'C', 5, 0},
                                                     {"PRICE", 'N', 4, 0},
                                                     {"DAY", 'C', 8, 0},
                                                     {"WHEN", 'D', 8, 0},
                                                     {"AMOUNT", 'N', 9, 2},
                                                     {"FLAG", 'C', 1, 0},
                                                     {"EXTRA", 'C', 4, 0}});
  Use(dest, " EXCLUSIVE");
  AppendFrom(source);
  EXPECT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  ASSERT_EQ(RecCount(), 2);
  GO(1);
  EXPECT_FALSE(Deleted());
  EXPECT_EQ(GetFieldText(1), "M\xFCller");     // cut to the destination
  EXPECT_EQ(GetFieldText(2), "*****");         // 1234.50 does not fit into 5 characters
  EXPECT_EQ(GetFieldInt(3), 2);                // 2.9 cut to its integer part
  EXPECT_EQ(GetFieldText(4), "01/31/24");      // the century goes when the field is short
  EXPECT_EQ(GetFieldText(5), "02/29/2024");
  EXPECT_EQ(GetFieldReal(6), 1234.5L);
  EXPECT_EQ(GetFieldText(7), "T");
  EXPECT_EQ(GetFieldText(8), "    ");          // no namesake
  GO(2);
  EXPECT_TRUE(Deleted());
  EXPECT_EQ(GetFieldText(2), " 1.00");
  EXPECT_EQ(GetFieldInt(3), -2);
  EXPECT_EQ(GetFieldText(4), "  /  /  ");      // the empty date, short form
  EXPECT_EQ(GetFieldText(5), "  /  /    ");    // no valid date
  EXPECT_EQ(GetFieldReal(6), -0.5L);
  EXPECT_EQ(GetFieldText(7), "T");
  EXPECT_EQ(Peek(5, 2), "        ");
}

TEST_F(AppendingFrom, UsesASourceThatIsAlreadyOpen) {
  std::string source = MakeSource("source.dbf");
  Select(7);
  Use(source);
  SetIgnoreDel(true);  // the source's own view: its deleted record stays behind
  Select(1);
  Use(CreateTable(dir_ / "dest.dbf", {{"NAME", 'C', 10, 0}, {"QTY", 'N', 8, 2}}));
  ASSERT_TRUE(ALock());
  AppendFrom(source);
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 1);
  EXPECT_EQ(GetFieldReal(2), 1234.5L);
  EXPECT_EQ(AreaBlock(ScratchArea), nullptr);
  Select(7);
  EXPECT_TRUE(dEOF());  // the source was walked through
}

TEST_F(AppendingFrom, Refusals) {
  std::string source = MakeSource("source.dbf");
  Select(3);
  AppendFrom(source);
  EXPECT_EQ(engineState.XbErrorCode, 215);
  EXPECT_EQ(XbTakeErrorContext(), "[AppendFrom(" + source + ")]");

  std::string dest = CreateTable(dir_ / "dest.dbf", {{"NAME", 'C', 10, 0}});
  Use(dest);
  AppendFrom(Path("missing"));
  EXPECT_EQ(engineState.XbErrorCode, 2);
  EXPECT_EQ(XbTakeErrorContext(), "[AppendFrom(" + Path("missing") + ")]");

  AppendFrom(dest);
  EXPECT_EQ(engineState.XbErrorCode, 214);
  EXPECT_EQ(XbTakeErrorContext(), "Datei kann nicht an sich selbst angeh\xE4ngt werden. [AppendFrom(" + dest + ")]");

  AppendFrom("PARTS VIRTUAL FILE");
  EXPECT_EQ(engineState.XbErrorCode, 215);
  EXPECT_EQ(XbTakeErrorContext(), "Virtual file must be open. [AppendFrom(PARTS VIRTUAL FILE)]");

  // A shared destination needs its lock: the first append fails and the copy stops.
  AppendFrom(source);
  EXPECT_EQ(engineState.XbErrorCode, 5);
  EXPECT_EQ(SelectedArea(), 3);
  EXPECT_EQ(AreaBlock(ScratchArea), nullptr);
  EXPECT_EQ(RecCount(), 0);

  // Also when the failure is reported at once and ends the command.
  XbSetErrorReport(true);
  EXPECT_THROW(AppendFrom(source), EXbaseHalt);
  XbSetErrorReport(false);
  EXPECT_EQ(SelectedArea(), 3);
  EXPECT_EQ(AreaBlock(ScratchArea), nullptr);

  std::string memo = CreateTable(dir_ / "memo.dbf", {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}});
  Select(4);
  Use(memo);
  engineState.MemoHooks = TMemoHooks{};  // a program built without the memo module
  AppendFrom(source);
  EXPECT_EQ(engineState.XbErrorCode, 220);
  EXPECT_EQ(XbTakeErrorContext(), "Memo-Unit ist nicht ins Programm eingebunden. [AppendFrom(" + source + ")]");

  std::string other = CreateTable(dir_ / "other.dbf", {{"WEIGHT", 'N', 5, 0}});
  Select(6);
  Use(other, " EXCLUSIVE");
  AppendFrom(source);  // no field in common: nothing to append
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(RecCount(), 0);
}

}  // namespace
}  // namespace qorva
