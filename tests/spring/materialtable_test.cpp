// The shipped material table yeb9wst.dbf: rebuilt from its source it gives the same bytes, a
// third-party reader finds its fields and records, and the spring reads from it what it read from the
// source.
#include "spring/materialtable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/datafolder.h"
#include "foundation/windowtext.h"
#include "spring/materialsource.h"
#include "spring/productdata.h"
#include "spring/springdatafile.h"
#include "spring/calculation.h"
#include "tests/spring/springfixture.h"
#include "xbase/access/tablehost.h"

namespace qorva::test {
namespace {

const std::string kDataDir = std::string(QORVA_SOURCE_DIR) + "/data";
const std::string kSource = kDataDir + "/yeb9wst.tsv";
const std::string kTable = kDataDir + "/yeb9wst.dbf";

std::vector<MaterialSourceRow> SourceRows() {
  std::string error;
  std::vector<MaterialSourceRow> rows = ReadMaterialSource(kSource, &error);
  EXPECT_EQ(error, "");
  return rows;
}

class ShippedTableTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    installMaterialTable(nullptr);  // the program's own table
    programState.DbfDir = kDataDir;
    programState.TempDir = scratch_.path().string();
  }
  void TearDown() override {
    InitTableHost();
    InitDatafolder();
    SpringTest::TearDown();
  }
  ScratchDir scratch_;
};

TEST_F(ShippedTableTest, RebuiltFromItsSourceByteForByte) {
  const std::vector<MaterialSourceRow> rows = SourceRows();
  ASSERT_GE(rows.size(), 12u);
  const std::string rebuilt = (scratch_ / "yeb9wst.dbf").string();
  std::string error;
  ASSERT_TRUE(WriteMaterialTableDbf(rows, rebuilt, &error)) << error;
  EXPECT_EQ(readFile(rebuilt), readFile(kTable)) << "data/yeb9wst.dbf is not what qorva_mkmattab makes of data/yeb9wst.tsv";
  // Building again over it replaces the table and leaves no work file.
  ASSERT_TRUE(WriteMaterialTableDbf(rows, rebuilt, &error)) << error;
  EXPECT_EQ(readFile(rebuilt), readFile(kTable));
  EXPECT_FALSE(std::filesystem::exists(rebuilt + ".new"));

  // A value the table cannot hold is refused before anything is written.
  std::vector<MaterialSourceRow> bad = rows;
  bad[0].fields[6] = "7.123456";
  EXPECT_FALSE(WriteMaterialTableDbf(bad, (scratch_ / "bad.dbf").string(), &error));
  EXPECT_NE(error.find("row 1 RHO"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "bad.dbf"));
}

TEST_F(ShippedTableTest, ThirdPartyReaderFindsTheFieldsAndRecordsOfTheSource) {
  const std::string script = (scratch_ / "check.py").string();
  writeFile(script, R"(import csv, sys
import dbfread
table = dbfread.DBF(sys.argv[1], encoding="cp437", char_decode_errors="strict")
fields = [(f.name, f.type, f.length, f.decimal_count) for f in table.fields]
assert len(fields) == 29, fields
records = list(dbfread.DBF(sys.argv[1], encoding="cp437", ignore_missing_memofile=True, load=False).records)
with open(sys.argv[2], encoding="utf-8", newline="") as f:
    rows = list(csv.reader(f, delimiter="\t"))[1:]
table = dbfread.DBF(sys.argv[1], encoding="cp437", load=True)
deleted_names = [r["TEXT1"] for r in table.deleted]
assert len(table.records) + len(table.deleted) == len(rows), (len(table.records), len(table.deleted), len(rows))
live = iter(table.records)
dead = iter(table.deleted)
for row in rows:
    rec = next(dead) if row[0] == "*" else next(live)
    values = list(rec.values())
    for n, (name, kind, length, dec) in enumerate(fields, start=1):
        src = row[n]
        got = values[n - 1]
        if kind == "C":
            assert got == src, (n, got, src)
        else:
            assert kind == "N", (name, kind)
            assert abs(float(got) - float(src.replace(",", ".") or 0)) < 1e-9, (n, got, src)
print("fields", ",".join("%s:%s%d.%d" % f for f in fields))
print("records", len(table.records), "deleted", len(table.deleted))
)");
  const CommandResult r = runCommand(std::string(QORVA_PYTHON) + " " + script + " " + kTable + " " + kSource);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("fields TEXT1:C50.0,TEXT2:C50.0,TEXT3:C50.0,TEXT4:C50.0,EMODINT:N11.0,RHO:N14.4,"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("LISTNO:N11.0\n"), std::string::npos) << r.output;
}

// The converted values of field n as the spring stores them, for comparing two tables.
std::string Converted(int n, const std::string& windowsText) {
  switch (MaterialFieldTypeOf(n)) {
    case MaterialFieldType::Text: return windowsText;  // as the source holds it, no padding
    case MaterialFieldType::Integer: return IntStr(StrToInt0(TrimStr(windowsText)));
    case MaterialFieldType::Real: {
      const double v = static_cast<double>(StrToReal(TrimStr(windowsText)));
      char buf[40];
      const auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest exact form
      return std::string(buf, r.ptr);
    }
  }
  return "";
}

// The springs a user meets first: the default spring and the demonstration's spring, each on the
// shipped material it names, calculate without an error. Both are loaded dynamically; the shipped
// table has no fatigue values for their strip, which is said, and is their only message.
TEST_F(ShippedTableTest, ShippedSpringsCalculateWithoutAnError) {
  std::filesystem::copy_file(kDataDir + "/null.qva", scratch_ / "null.qva");
  ASSERT_TRUE(ReadSpringFile(spring, (scratch_ / "null.qva").string()));
  for (const bool demo : {false, true}) {
    SCOPED_TRACE(demo ? "demonstration spring" : "default spring");
    if (demo) {
      PresetDemoSpring(spring);
      ASSERT_TRUE(LoadMaterialByNumber(spring.family, spring.family.MaterialNumber));
    }
    CalcSpring(spring);
    EXPECT_FALSE(programState.FatalError);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: kein Goodman-Diagramm"});
    EXPECT_LE(spring.family.Stress2, spring.family.PermissibleStress);
    EXPECT_GE(spring.product.TurnCount, 2);
    EXPECT_GT(spring.product.Travel2, 0);
    EXPECT_EQ(spring.family.LoadType, 2);
  }
}

TEST_F(ShippedTableTest, SpringReadsTheSameMaterialsAsFromTheSource) {
  // Every field of every record, the deleted ones too.
  std::vector<std::vector<std::string>> fromDbf, fromSource;
  for (auto* target : {&fromDbf, &fromSource}) {
    if (target == &fromSource) installMaterialTable(std::make_unique<SourceMaterialTable>());
    MaterialTable& t = materialTable();
    ASSERT_TRUE(t.open("yeb9wst.dbf"));
    for (uint32_t n = 1; n <= t.recordCount(); ++n) {
      ASSERT_TRUE(t.gotoRecord(n));
      std::vector<std::string> rec{t.deleted() ? "*" : ""};
      for (int f = 1; f <= MaterialFieldCount; ++f) rec.push_back(Converted(f, t.fieldStr(f)));
      target->push_back(rec);
    }
    t.close();
  }
  ASSERT_EQ(fromDbf.size(), SourceRows().size());
  EXPECT_EQ(fromDbf, fromSource);

  // The start spring on material 12 calculates to the same numbers and carries the same texts,
  // which the report and the drawings print and join.
  std::vector<long double> results[2];
  std::vector<std::string> texts[2];
  for (int pass = 0; pass < 2; ++pass) {
    installMaterialTable(pass == 0 ? nullptr : std::make_unique<SourceMaterialTable>());
    spring = NewSpring();
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, 12));
    EXPECT_FALSE(tableHost.Table.Active());  // the material code closes what it opened
    CalcSpring(spring);
    EXPECT_FALSE(programState.FatalError);
    results[pass] = {spring.product.Force2, spring.product.ForceN, spring.family.Stress2, spring.product.Travel2, spring.product.SpringMass,
                     spring.family.TensileStrength, spring.family.PermissibleStress, spring.family.OperatingEModulus,
                     spring.family.FatigueSafetyFactor, spring.family.CyclesToFracture, spring.family.PermissibleStrokeStress,
                     spring.family.EModulus, spring.family.Density};
    const MaterialRecord& m = spring.family.MaterialRec;
    texts[pass] = {spring.family.MaterialText, m.Text1, m.Text2, m.Text3, m.Text4, m.Text28};
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(texts[0], texts[1]);
  EXPECT_NE(texts[0][0], "");
  EXPECT_NE(texts[0][0].back(), ' ');
}

TEST_F(ShippedTableTest, DbfTableKeepsTheMaterialTableRules) {
  MaterialTable& t = materialTable();
  ASSERT_NE(dynamic_cast<DbfMaterialTable*>(&t), nullptr);
  ASSERT_TRUE(t.open("yeb9wst"));
  const uint32_t count = t.recordCount();
  const std::vector<MaterialSourceRow> rows = SourceRows();
  ASSERT_EQ(count, rows.size());
  EXPECT_EQ(t.fieldCount(), 29);
  EXPECT_EQ(t.fieldName(29), "LISTNO");
  EXPECT_EQ(t.fieldName(30), "");
  EXPECT_EQ(t.fieldStr(30), "");

  EXPECT_FALSE(t.gotoRecord(0));
  EXPECT_TRUE(programState.ErrorFlag);
  programState.ErrorFlag = false;
  EXPECT_TRUE(t.gotoRecord(count + 1));
  EXPECT_EQ(t.recNo(), count);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"DBF #0 not found.", "DBF #" + IntStr(count + 1) + " not found."}));

  // Ordered by designation, every record once, deleted ones included; numbers by value.
  t.orderBy(1);
  std::vector<std::string> names;
  std::vector<uint32_t> recs;
  for (bool ok = t.first(); ok && !t.eof(); ok = t.skip()) {
    names.push_back(UpperStr(TrimStr(t.fieldStr(1))));
    recs.push_back(t.recNo());
    EXPECT_EQ(t.deleted(), rows[t.recNo() - 1].deleted);
  }
  EXPECT_EQ(recs.size(), count);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  std::sort(recs.begin(), recs.end());
  EXPECT_EQ(std::unique(recs.begin(), recs.end()), recs.end());
  t.orderBy(29);
  std::vector<long double> numbers;
  for (bool ok = t.first(); ok; ok = t.skip()) numbers.push_back(StrToReal(TrimStr(t.fieldStr(29))));
  EXPECT_EQ(numbers.size(), count);
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
  t.close();

  programState.DbfDir = scratch_.path().string();
  programState.ErrorFlag = false;
  EXPECT_FALSE(t.open("yeb9wst.dbf"));
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_FALSE(scriptedPrompter().asked().empty());
  EXPECT_NE(scriptedPrompter().asked().back().text.find("yeb9wst.dbf nicht gefunden oder kein Zugriffsrecht !"),
            std::string::npos);
}

TEST_F(ShippedTableTest, ChoosingFromTheDbfTakesThePhysicalRecord) {
  const std::vector<MaterialSourceRow> rows = SourceRows();
  spring.family.MaterialNumber = 12;
  scriptedPrompter().push(0);  // the first preferred material by designation
  SelectMaterial(spring.family, 1);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  const AskRecord& a = scriptedPrompter().asked()[0];
  size_t preferred = 0;
  for (const auto& r : rows) preferred += r.deleted ? 0 : 1;
  EXPECT_EQ(a.entries.size(), preferred);
  EXPECT_FALSE(programState.ErrorFlag);
  const uint16_t chosen = spring.family.MaterialNumber;
  ASSERT_GE(chosen, 1);
  ASSERT_LE(chosen, rows.size());
  EXPECT_FALSE(rows[chosen - 1].deleted);
  // The designation as the source holds it, without the blanks that fill its field.
  EXPECT_EQ(spring.family.MaterialRec.Text1, rows[chosen - 1].fields[1]);
  EXPECT_EQ(DosToUtf8(spring.family.MaterialRec.Text1), a.entries[0]);
  EXPECT_FALSE(tableHost.Table.Active());
}

// The table window over the installed table: looking and editing works on the user's copy, made on
// the way in, so that an edit can be made at all and the installed file stays as shipped; choosing
// only reads the installed table.
TEST_F(ShippedTableTest, TheTableWindowEditsTheUsersCopyOfTheInstalledTable) {
  namespace fs = std::filesystem;
  const fs::path shipped = scratch_ / "share";
  fs::create_directories(shipped);
  fs::copy_file(kTable, shipped / "yeb9wst.dbf");
  fs::permissions(shipped / "yeb9wst.dbf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = readFile(shipped / "yeb9wst.dbf");
  datafolder.Shipped = shipped.string();
  datafolder.UserCopies = (scratch_ / "user" / "qorva").string();
  programState.DbfDir = shipped.string();
  const std::string copy = (scratch_ / "user" / "qorva" / "yeb9wst.dbf").string();

  for (const uint16_t mode : {uint16_t{1}, uint16_t{0}}) {
    SCOPED_TRACE(mode);
    std::string file;
    bool readOnly = true;
    int32_t recNo = 0;
    services().DbfBrowseWindow = [&](const std::string&, uint16_t) {
      file = tableHost.Table.FileName();
      readOnly = tableHost.Table.ReadOnly();
      recNo = tableHost.Table.RecNo();
      tableHost.Table.Cancel();
    };
    MaterialTable& t = materialTable();
    programState.ErrorFlag = false;
    ASSERT_TRUE(t.open("yeb9wst.dbf"));
    ASSERT_TRUE(t.gotoRecord(3));
    BrowseMaterialTable(t, mode, "", "Material");
    t.close();
    EXPECT_EQ(recNo, 3) << "the window starts on the record it was opened on";
    if (mode == 1) {
      EXPECT_EQ(file, (shipped / "yeb9wst.dbf").string());
      EXPECT_TRUE(readOnly);
      EXPECT_FALSE(fs::exists(copy)) << "a choice changes nothing";
    } else {
      EXPECT_EQ(file, copy);
      EXPECT_FALSE(readOnly);
    }
  }
  EXPECT_EQ(readFile(shipped / "yeb9wst.dbf"), before);
  services().DbfBrowseWindow = nullptr;
}

}  // namespace
}  // namespace qorva::test
