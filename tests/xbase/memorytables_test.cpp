#include <gtest/gtest.h>

#include <cstring>

#include "tests/xbase/edit_support_test.h"
#include "xbase/memorytables.h"

namespace qorva {
namespace {

class VirtualFiles : public xbtest::EngineTest {
 protected:
  // A virtual file NAME (C 10), KEY (C 10) in area 1, in the mode the USE command names.
  void OpenList(const std::string& words = "") {
    Select(1);
    USE("list VIRTUAL FILE" + words);
    ASSERT_EQ(engineState.XbErrorCode, 0);
    AddStru({Def("name", 'c', 10), Def("KEY", 'C', 10)});
    ASSERT_EQ(engineState.XbErrorCode, 0);
    Set_VFileKey_To([] { return GetFieldText(2); });
  }
  static TDbfFieldEntry Def(const std::string& name, char type, uint8_t len, uint8_t dec = 0) {
    TDbfFieldEntry f;
    f.Name = name;
    f.Type = type;
    f.Len = len;
    f.Dec = dec;
    return f;
  }
  void Add(const std::string& name, const std::string& key = "") {
    ClearRecord();
    SetFieldText(1, name);
    SetFieldText(2, key);
    Append();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  }
  // The names in list order; the position is restored.
  std::vector<std::string> Names() {
    const int32_t keep = RecNo();
    std::vector<std::string> out;
    for (int32_t n = 1; n <= RecCount(); ++n) {
      GO(n);
      out.push_back(XbRTrim(GetFieldText(1)));
    }
    if (keep >= 1 && keep <= RecCount()) GO(keep);
    return out;
  }
  using Names_ = std::vector<std::string>;
};

TEST_F(VirtualFiles, EachModePlacesNewRecords) {
  struct Case {
    std::string words;
    Names_ expected;
    int32_t recNo;  // after the last append
  };
  for (const Case& c : {Case{"", {"A", "C", "B"}, 3}, Case{" LIFO TO EMS", {"B", "C", "A"}, 1},
                        Case{" ASCENDING", {"A", "B", "C"}, 2}, Case{" DESCENDING", {"C", "B", "A"}, 2}}) {
    SCOPED_TRACE(c.words);
    OpenList(c.words);
    Add("A", "A");
    Add("C", "C");
    Add("B", "B");
    EXPECT_EQ(RecNo(), c.recNo);
    EXPECT_EQ(XbRTrim(GetFieldText(1)), "B");  // the new record is current
    EXPECT_EQ(Names(), c.expected);
  }
}

TEST_F(VirtualFiles, InsertionGoesInFrontOfTheCurrentRecord) {
  for (int32_t current : {2, 1}) {
    OpenList();
    Add("A");
    Add("B");
    Add("C");
    Set_VFileMode_To(INSERTION);
    GO(current);
    Add("X");
    EXPECT_EQ(RecNo(), current);
    EXPECT_EQ(XbRTrim(GetFieldText(1)), "X");
    EXPECT_EQ(Names(), current == 2 ? (Names_{"A", "X", "B", "C"}) : (Names_{"X", "A", "B", "C"}));
  }
}

TEST_F(VirtualFiles, SortedKeysCompareAsNumbersOnlyWhenBothAreNumbers) {
  struct Case {
    std::string words;
    Names_ keys;      // in arrival order (the name is the key)
    Names_ expected;
  };
  const std::vector<Case> cases = {
      {" ASCENDING", {"10", "9", "100"}, {"9", "10", "100"}},
      {" ASCENDING", {"B", "a", "A"}, {"A", "B", "a"}},
      {" ASCENDING", {"X", "10", " 9 "}, {"9", "10", "X"}},
      {" DESCENDING", {"10", "9", "100", "1.5"}, {"100", "10", "9", "1.5"}},
  };
  for (const Case& c : cases) {
    OpenList(c.words);
    for (const std::string& k : c.keys) Add(XbAllTrim(k), k);
    EXPECT_EQ(Names(), c.expected) << c.words << " " << c.keys[0];
  }
  // Equal keys keep their order of arrival, wherever they meet.
  OpenList(" ASCENDING");
  for (const char* name : {"m1", "z", "m2", "a", "m3", "m4"}) Add(name, name[0] == 'm' ? "m" : name);
  EXPECT_EQ(Names(), (Names_{"a", "m1", "m2", "m3", "m4", "z"}));
}

TEST_F(VirtualFiles, ARewrittenRecordMovesToItsNewPlace) {
  OpenList(" ASCENDING");
  for (const char* k : {"1", "2", "3", "4"}) Add(std::string("r") + k, k);
  GO(1);
  SetFieldText(2, "5");
  Replace();
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(Names(), (Names_{"r2", "r3", "r4", "r1"}));
  EXPECT_EQ(RecNo(), 4);
  GO(4);
  SetFieldText(2, "2.5");
  Replace();
  EXPECT_EQ(Names(), (Names_{"r2", "r1", "r3", "r4"}));
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(RecCount(), 4);
}

TEST_F(VirtualFiles, SortingAFileKeepsItsOrderDefined) {
  OpenList();
  const Names_ keys = {"10", "b", "9", "B", "10", "x1", "-3", "a", "9.5", "", "b"};
  for (size_t i = 0; i < keys.size(); ++i) Add("n" + std::to_string(i), keys[i]);
  Set_VFileMode_To(ASCENDING);
  EXPECT_EQ(engineState.XbErrorCode, 1100);
  EXPECT_EQ(XbTakeErrorContext(),
            "Sortiermodus kann nicht gesetzt werden: Virtuelle Datei enth\xE4lt Datens\xE4tze. (LIST VIRTUAL FILE) "
            "[(Set_VFileMode_To) VFiles]");
  EXPECT_EQ(Get_VFileMode(), FIFO);
  SortVFile(ASCENDING);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(Get_VFileMode(), ASCENDING);
  EXPECT_EQ(RecNo(), 1);
  const Names_ sorted = Names();
  // The same as adding the records one by one to a sorted file, and again the same when sorted twice.
  Names_ expected = {"n9", "n6", "n2", "n8", "n0", "n4", "n3", "n7", "n1", "n10", "n5"};
  EXPECT_EQ(sorted, expected);
  SortVFile(ASCENDING);
  EXPECT_EQ(Names(), expected);
  SortVFile(DESCENDING);
  EXPECT_EQ(Get_VFileMode(), DESCENDING);
  EXPECT_EQ(Names().front(), "n5");

  Set_VFileKey_To(nullptr);
  SortVFile(ASCENDING);
  EXPECT_EQ(engineState.XbErrorCode, 1100);
  EXPECT_EQ(XbTakeErrorContext(),
            "LIST VIRTUAL FILE hat keine Schl\xFCsselfunktion.  Datens\xE4tze k\xF6nnen nicht sortiert werden. [SortVFile]");
  Set_VFileKey_To([] { return GetFieldText(2); });
  SortVFile(INSERTION);
  EXPECT_EQ(engineState.XbErrorCode, 220);
}

TEST_F(VirtualFiles, DeletePackReadAndSnip) {
  OpenList();
  for (const char* n : {"A", "B", "C"}) Add(n);
  GO(2);
  DeleteRec();
  EXPECT_TRUE(Deleted());
  RecallRec();
  EXPECT_FALSE(Deleted());
  DeleteRec();
  EXPECT_TRUE(Pack());
  EXPECT_EQ(RecCount(), 2);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(Names(), (Names_{"A", "C"}));

  TDbfControlBlock& cb = *CurrentBlock();
  for (int32_t n : {0, 3}) {
    cb.VFileOp = 3;
    cb.VFileArg = n;
    VFileDispatch(cb);
    EXPECT_EQ(engineState.XbErrorCode, 212);
    EXPECT_EQ(XbTakeErrorContext(), "Versuch auf ung\xFCltigen Datensatz zu positionieren " + std::to_string(n) +
                                        "  Anzahl Datens\xE4tze in Datenbank ist 2LIST VIRTUAL FILE [VFiles]");
  }
  GO(2);
  SnipRec();
  EXPECT_EQ(RecCount(), 1);
  EXPECT_EQ(RecNo(), 1);  // the last one went: the new last one is current
  SnipRec();
  EXPECT_EQ(RecCount(), 0);
  EXPECT_TRUE(dEOF());
  EXPECT_TRUE(dBOF());
  SnipRec();  // nothing left to remove
  EXPECT_EQ(engineState.XbErrorCode, 0);
}

TEST_F(VirtualFiles, RecordsOfVaryingLength) {
  std::vector<uint8_t> buffer(64, 0);
  Select(1);
  USE("var LINKED LIST", buffer.data(), 0);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  auto put = [&](const std::string& s) {
    const uint16_t len = static_cast<uint16_t>(s.size() + 1);
    std::memcpy(buffer.data(), &len, 2);
    buffer[2] = 0;
    std::memcpy(buffer.data() + 3, s.data(), s.size());
  };
  auto text = [&] {
    uint16_t len = 0;
    std::memcpy(&len, buffer.data(), 2);
    return std::string(reinterpret_cast<char*>(buffer.data()) + 3, len - 1u);
  };
  for (const char* s : {"one", "three", "x"}) {
    put(s);
    Append();
  }
  GO(2);
  put("a longer third");
  Replace();
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(RecNo(), 2);
  std::vector<std::string> all;
  for (int32_t n = 1; n <= 3; ++n) {
    GO(n);
    all.push_back(text());
  }
  EXPECT_EQ(all, (std::vector<std::string>{"one", "a longer third", "x"}));
}

TEST_F(VirtualFiles, FieldDefinitionsAndRefusals) {
  Select(1);
  USE("defs VIRTUAL FILE");
  AddStru({Def("memo", 'M', 4), Def("day", 'D', 3), Def("flag", 'l', 9), Def("verylongname", 'N', 6, 2)});
  ASSERT_EQ(engineState.XbErrorCode, 0);
  ASSERT_EQ(FieldCount(), 4);
  EXPECT_EQ(FieldType(1), 'N');
  EXPECT_EQ(FieldLen(1), 10);
  EXPECT_EQ(FieldDec(1), 0);
  EXPECT_EQ(FieldType(2), 'D');
  EXPECT_EQ(CurrentBlock()->Fields[2].Len, 8);
  EXPECT_EQ(FieldLen(3), 1);
  EXPECT_EQ(Field(4), "VERYLONGNA");
  AddStru({Def("ok", 'C', 5), Def("bad", 'C', 0)});
  EXPECT_EQ(engineState.XbErrorCode, 211);
  EXPECT_EQ(XbTakeErrorContext(), "Ung\xFCltige L\xE4nge, Feldname: \"BAD\" in VFile-Felderliste. Alias= DEFS VIRTUAL FILE [AddStru]");
  AddStru({Def("odd", 'x', 5)});
  EXPECT_EQ(XbTakeErrorContext(), "Ung\xFCltiger Typ \"X\" in VFile-Felderliste. Alias= DEFS VIRTUAL FILE [AddStru]");
  EXPECT_EQ(FieldCount(), 4);  // unchanged by the refusals

  // A sorted file without key function takes a first record, and refuses every further one.
  Set_VFileMode_To(ASCENDING);
  ClearRecord();
  Append();
  EXPECT_EQ(engineState.XbErrorCode, 0);
  Append();
  EXPECT_EQ(engineState.XbErrorCode, 1100);
  EXPECT_EQ(XbTakeErrorContext(),
            "DEFS VIRTUAL FILE ist eine \"sortierte\" virtuelle Datei ohne Schl\xFCsselfunktion. [Append/InsertRec/PushRec]");
  EXPECT_EQ(RecCount(), 1);

  std::string table = xbtest::CreateTable(dir_ / "plain.dbf", {{"A", 'C', 3, 0}});
  Select(2);
  Use(table);
  SnipRec();
  EXPECT_EQ(engineState.XbErrorCode, 1100);
  EXPECT_EQ(XbTakeErrorContext(), "PLAIN ist keine virtuelle Datei. [SnipRec]");
  Select(3);
  Set_VFileMode_To(LIFO);
  EXPECT_EQ(engineState.XbErrorCode, 215);
  EXPECT_EQ(XbTakeErrorContext(), "Keine Datenbank (bzw. kein Arbeitsbereich) ge\xF6" "ffnet. [Set_VFileMode_To]  WorkArea = 3");
}

}  // namespace
}  // namespace qorva
