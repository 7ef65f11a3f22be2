#include <gtest/gtest.h>

#include "tests/support/testsupport.h"
#include "tests/xbase/memo_support_test.h"
#include "xbase/delimited.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;

const std::vector<xbtest::FieldDef> kPeople = {
    {"NAME", 'C', 12, 0}, {"BORN", 'D', 8, 0}, {"SIZE", 'N', 5, 1}, {"OK", 'L', 1, 0}, {"KIDS", 'N', 3, 0}};

class Delimited : public xbtest::EngineTest {
 protected:
  // A new empty table of the fields, open in the current area.
  std::string Table(const std::string& name, const std::vector<xbtest::FieldDef>& fields = kPeople) {
    std::string t = CreateTable(dir_ / (name + ".dbf"), fields);
    Use(t, " EXCLUSIVE");
    return t;
  }
  // The stored records of a table file (header cut off).
  std::string Records(const std::string& table) {
    const std::string bytes = FileBytes(table);
    const size_t header = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
    return bytes.substr(header);
  }
  std::string Raw() const { return std::string(CurrentBlock()->RawRecord.begin(), CurrentBlock()->RawRecord.end()); }
};

TEST_F(Delimited, ExportWritesOneLinePerRecordAndImportReadsItBack) {
  Table("people");
  AppendRow({std::string("Smith"), std::string("01/01/1970"), 172.5L, true, int64_t{2}});
  AppendRow({std::string("Miller, Jr."), std::string("12/31/1899"), 80.0L, false, int64_t{0}});
  ClearRecord();  // nothing given: blank fields
  Append();
  const std::string file = Path("people.TXT");
  EXPECT_EQ(CopyToDelimited(Path("people")), 3);
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(FileBytes(file),
            "\"Smith\",19700101,172.5,T,2\r\n"
            "\"Miller, Jr.\",18991231,80.0,F,0\r\n"
            "\"\",,, ,\r\n\x1A");  // a blank logical is written as its stored blank
  CloseArea();
  const std::string records = Records(Path("people.dbf"));

  nationalDates.CenturyDates = false;  // two-digit dates must not cost the import a century
  Table("copy");
  EXPECT_EQ(AppendFromDelimited(file, true), 3);
  CloseArea();
  EXPECT_EQ(Records(Path("copy.dbf")), records);
}

TEST_F(Delimited, ImportCases) {
  struct Case {
    std::string line;
    int32_t appended;
    std::string name;  // NAME of the record appended
    std::string born;  // BORN as stored
    std::string size;  // SIZE as stored
    std::string ok;    // OK as stored
  };
  const std::vector<Case> cases = {
      {"\"Miller, Jr.\",19700101,1.5,T", 1, "Miller, Jr.", "19700101", "  1.5", "T"},
      {"Miller, Jr.,19700101", 1, "Miller", "        ", "*****", " "},  // " Jr." is no date
      {"  \t\"pad\"  ,  20240229  ,  7 , yes", 1, "pad", "20240229", "  7.0", "T"},
      {"x,,,no", 1, "x", "        ", "     ", "F"},
      {"x,1970-01-01", 1, "x", "        ", "     ", " "},
      {"x,,,", 1, "x", "        ", "     ", " "},
      {"\"say \"hi\"\"", 1, "say hi", "        ", "     ", " "},  // inner quotes are not text
      {"   ", 1, "", "        ", "     ", " "},
      {"", 0, "", "", "", ""},
      {"\x1A" "\"after the end\"", 0, "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Table("imp");
    test::writeFile(dir_ / "in.txt", c.line + "\r\n");
    EXPECT_EQ(AppendFromDelimited(Path("in"), false), c.appended);
    EXPECT_EQ(RecCount(), c.appended);
    if (c.appended == 1) {
      GO(1);
      const std::string raw = Raw();
      EXPECT_EQ(XbRTrim(raw.substr(1, 12)), c.name);
      EXPECT_EQ(raw.substr(13, 8), c.born);
      EXPECT_EQ(raw.substr(21, 5), c.size);
      EXPECT_EQ(raw.substr(26, 1), c.ok);
    }
    CloseArea();
  }
}

TEST_F(Delimited, LinesEndsAndLimits) {
  Table("lines");
  std::string longName(300, 'n');
  std::string longLine = "\"" + longName + "\",19991231" + std::string(3000, ' ') + ",9";
  test::writeFile(dir_ / "in.txt", "\"a\"\n\r\n\"b\"\r\"c\"\r\n" + longLine + "\r\n\"d\"\x1A\"e\"\r\n");
  EXPECT_EQ(AppendFromDelimited(Path("in.txt"), false), 5);
  std::vector<std::string> names;
  for (int32_t n = 1; n <= RecCount(); ++n) {
    GO(n);
    names.push_back(XbRTrim(Raw().substr(1, 12)));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", std::string(12, 'n'), "d"}));
  GO(4);
  EXPECT_EQ(Raw().substr(13, 8), "19991231");
  EXPECT_EQ(Raw().substr(21, 5), "     ");  // beyond the used part of the line
  EXPECT_EQ(AppendFromDelimited(Path("missing.txt"), false), 0);
  EXPECT_EQ(engineState.XbErrorCode, 0);
}

TEST_F(Delimited, MemoFieldsHaveNoValueInALine) {
  Table("memo", {{"A", 'C', 5, 0}, {"NOTE", 'M', 10, 0}, {"B", 'C', 5, 0}, {"LAST", 'M', 10, 0}});
  AppendRow({std::string("one"), int64_t{AddMemo("memo text")}, std::string("two"), int64_t{0}});
  EXPECT_EQ(CopyToDelimited(Path("memo.txt")), 1);
  EXPECT_EQ(FileBytes(Path("memo.txt")), "\"one\",\"two\",\r\n\x1A");
  ClearRecord();
  EXPECT_EQ(AppendFromDelimited(Path("memo.txt"), false), 1);
  GO(2);
  EXPECT_EQ(GetFieldText(1), "one  ");
  EXPECT_EQ(GetFieldText(3), "two  ");
  EXPECT_EQ(GetFieldMemo(2), 0);
}

TEST_F(Delimited, PythonsCsvReaderReadsTheExport) {
  auto r = test::runCommand(std::string(QORVA_PYTHON) + " -c 'import csv'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  Table("csv");
  AppendRow({std::string("M\xFCller, \xC4"), std::string("03/05/2024"), -12.5L, true, int64_t{-7}});
  AppendRow({std::string("plain"), std::string("01/01/0001"), 0.5L, false, int64_t{123}});
  ASSERT_EQ(CopyToDelimited(Path("csv.txt")), 2);
  r = test::runCommand(std::string(QORVA_PYTHON) + " -c " +
                       xbtest::ShellQuote("import csv, sys\n"
                             "data = open(sys.argv[1], encoding='cp1252', newline='').read().rstrip('\\x1a')\n"
                             "for row in csv.reader(data.splitlines()):\n"
                             "    sys.stdout.buffer.write('|'.join(row).encode('cp1252') + b'\\n')") +
                       " " + xbtest::ShellQuote(Path("csv.txt")));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "M\xFCller, \xC4|20240305|-12.5|T|-7\nplain|00010101|0.5|F|123\n");
}

}  // namespace
}  // namespace qorva
