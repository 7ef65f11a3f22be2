// The material table's text source: the shipped file's content, and the reader's handling of good and
// malformed files.
#include "spring/materialsource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spring/striptolerances.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

const std::string kShipped = std::string(QORVA_SOURCE_DIR) + "/data/yeb9wst.tsv";
const std::string kData = QORVA_TEST_DATA_DIR;

long double Num(const MaterialSourceRow& row, int32_t field) {
  long double v = 0;
  EXPECT_TRUE(ParseMaterialNumber(MaterialFieldTypeOf(field), row.fields[static_cast<size_t>(field)], &v))
      << "line " << row.line << " field " << MaterialFieldName(field);
  return v;
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

class ShippedMaterialTable : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_ = ReadMaterialSource(kShipped, &error_);
    ASSERT_EQ(error_, "");
    ASSERT_GE(rows_.size(), 15u);
  }
  std::vector<MaterialSourceRow> rows_;
  std::string error_;
};

TEST_F(ShippedMaterialTable, EveryRowIsCompleteAndPlausible) {
  for (size_t i = 0; i < rows_.size(); ++i) {
    const auto& row = rows_[i];
    SCOPED_TRACE(testing::Message() << "record " << i + 1 << " " << row.fields[1]);
    EXPECT_FALSE(row.fields[1].empty());
    EXPECT_GT(row.source.size(), 20u);
    for (char c : row.fields[1] + row.fields[2] + row.fields[3] + row.fields[4]) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "designations stay plain ASCII";
    }
    for (int32_t n = 1; n <= MaterialFieldCount; ++n) {
      if (MaterialFieldTypeOf(n) != MaterialFieldType::Text) Num(row, n);
    }
    // The material window loads the record whose number the list shows.
    EXPECT_EQ(Num(row, 29), static_cast<long double>(i + 1));
    EXPECT_GT(Num(row, 5), 50000);   // E
    EXPECT_LT(Num(row, 5), 250000);
    EXPECT_GT(Num(row, 6), 7.0L);    // density
    EXPECT_LT(Num(row, 6), 9.0L);
    EXPECT_GT(Num(row, 7), 0);       // Rm0
    EXPECT_GT(Num(row, 8), 0);       // DR0 = 0 would stop the strength law
    EXPECT_GE(Num(row, 10), 0);      // Rm falls with thickness, never rises
    if (Num(row, 9) > 1) { EXPECT_GE(Num(row, 9), Num(row, 7)) << "the cap lies above Rm at DR0"; }
    const long double dmin = Num(row, 22);
    const long double dmax = Num(row, 23);
    EXPECT_GE(dmin, 0);
    if (dmax != 0) { EXPECT_LT(dmin, dmax); }
    const long double factor = Num(row, 27);
    EXPECT_GT(factor, 0);
    EXPECT_LE(factor, 1);
  }
}

TEST_F(ShippedMaterialTable, DefaultRecordIsStainlessSpringStrip) {
  ASSERT_GE(rows_.size(), 12u);
  const auto& def = rows_[11];
  EXPECT_FALSE(def.deleted);
  EXPECT_TRUE(Contains(def.fields[1], "1.4310"));
  EXPECT_TRUE(Contains(def.fields[1], "X10CrNi18-8"));
  EXPECT_TRUE(Contains(def.fields[1], "10151"));
  EXPECT_EQ(ToleranceStandardForMaterial(def.fields[1]), TolIso9445N);
}

TEST_F(ShippedMaterialTable, NotPreferredMaterialsAreMarked) {
  size_t deleted = 0;
  for (const auto& row : rows_) deleted += row.deleted ? 1 : 0;
  EXPECT_GE(deleted, 1u);
  EXPECT_LT(deleted, rows_.size() / 2) << "most materials stay choosable";
}

TEST_F(ShippedMaterialTable, DesignationsCarryTheStandardNumbersTheLawsChooseBy) {
  bool stainlessOrCopperRule = false;  // modulus falls 0.0004 per K
  bool steelWireRule = false;          // 0.00025 per K
  bool generalRule = false;            // neither
  bool hotRolledTolerance = false;
  bool stainlessTolerance = false;
  bool stripTolerance = false;
  for (const auto& row : rows_) {
    const std::string& t = row.fields[1];
    const bool r1 = Contains(t, "10270-3") || Contains(t, "12166");
    const bool r2 = Contains(t, "10270-1") || Contains(t, "10270-2") || Contains(t, "10089");
    stainlessOrCopperRule |= r1;
    steelWireRule |= r2 && !r1;
    generalRule |= !r1 && !r2;
    const int32_t standard = ToleranceStandardForMaterial(t);
    hotRolledTolerance |= standard == TolEn10092;
    stainlessTolerance |= standard == TolIso9445N;
    stripTolerance |= standard == TolEn10140A;
    if (Contains(t, "1.4310") && Contains(t, "10151")) { EXPECT_FALSE(r1 || r2); }
    if (Contains(t, "CuSn")) { EXPECT_TRUE(r1) << t; }
  }
  EXPECT_TRUE(stainlessOrCopperRule);
  EXPECT_TRUE(steelWireRule);
  EXPECT_TRUE(generalRule);
  EXPECT_TRUE(hotRolledTolerance);
  EXPECT_TRUE(stainlessTolerance);
  EXPECT_TRUE(stripTolerance);
}

TEST(MaterialSourceReader, ReadsCrlfBomCommaDecimalsAndConvertsTextToDos) {
  std::string error = "stale";
  const auto rows = ReadMaterialSource(kData + "/materialsource_good.tsv", &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_FALSE(rows[0].deleted);
  EXPECT_TRUE(rows[1].deleted);
  EXPECT_EQ(rows[0].fields[1], "Federstahl geh\x84rtet");
  EXPECT_EQ(rows[1].fields[3], "20 \xF8" "C");
  EXPECT_EQ(rows[0].fields[6], "7,85");
  EXPECT_EQ(rows[1].fields[6], "7.9");  // blanks around a number are dropped
  EXPECT_EQ(rows[0].fields[28], "");
  EXPECT_EQ(rows[1].fields[29], "2");
  EXPECT_EQ(rows[1].source, "test row two");
  EXPECT_EQ(rows[1].line, 3);
  long double rho = 0;
  ASSERT_TRUE(ParseMaterialNumber(MaterialFieldType::Real, rows[0].fields[6], &rho));
  EXPECT_EQ(rho, 7.85L);
}

TEST(MaterialSourceReader, MalformedFixtureNamesLineAndField) {
  std::string error;
  const auto rows = ReadMaterialSource(kData + "/materialsource_badnumber.tsv", &error);
  EXPECT_TRUE(rows.empty());
  EXPECT_NE(error.find("materialsource_badnumber.tsv line 3: field 6 Rho \"7,8x\" is no number"), std::string::npos)
      << error;
}

TEST(MaterialSourceReader, RejectsMalformedLinesWithAClearMessage) {
  // A good line taken from the shipped file, then broken column by column.
  std::string error;
  const auto shipped = ReadMaterialSource(kShipped, &error);
  ASSERT_FALSE(shipped.empty()) << error;
  const std::string text = test::readFile(kShipped);
  const size_t headerEnd = text.find('\n');
  const std::string header = text.substr(0, headerEnd);
  const std::string line = text.substr(headerEnd + 1, text.find('\n', headerEnd + 1) - headerEnd - 1);
  auto replaceColumn = [&line](size_t col, const std::string& value) {
    std::vector<std::string> cols;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      cols.push_back(line.substr(start, tab - start));
    }
    cols.push_back(line.substr(start));
    cols.at(col) = value;
    std::string out;
    for (size_t i = 0; i < cols.size(); ++i) out += (i ? "\t" : "") + cols[i];
    return out;
  };
  struct Case {
    std::string file;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {header + "\n" + line + "\textra\n", "line 2: 32 columns, expected 31"},
      {header + "\n" + line.substr(0, line.rfind('\t')) + "\n", "line 2: 30 columns, expected 31"},
      {header + "\n" + replaceColumn(5, "abc") + "\n", "line 2: field 5 EModInt \"abc\" is no whole number"},
      {header + "\n" + replaceColumn(5, "206000.5") + "\n", "field 5 EModInt \"206000.5\" is no whole number"},
      {header + "\n" + replaceColumn(7, "3000000000") + "\n", "field 7 Rm0 \"3000000000\" is no whole number"},
      {header + "\n" + replaceColumn(8, "") + "\n", "field 8 DR0 is empty (write 0 where no value is published)"},
      {header + "\n" + replaceColumn(8, "1,0,0") + "\n", "field 8 DR0 \"1,0,0\" is no number"},
      {header + "\n" + replaceColumn(8, "nan") + "\n", "field 8 DR0 \"nan\" is no number"},
      {header + "\n" + replaceColumn(8, "1e99999") + "\n", "field 8 DR0 \"1e99999\" is no number"},
      {header + "\n" + replaceColumn(0, "D") + "\n", "DELETED is \"D\", expected \"*\" or nothing"},
      {header + "\n" + replaceColumn(6, "7\xC3\xA4") + "\n", "field 6 Rho \"7??\" is no number"},
      {header + "\n" + replaceColumn(30, " ") + "\n", "SOURCE is empty"},
      {header + "\n" + replaceColumn(1, "bad \xFF byte") + "\n", "field 1 Text1: invalid UTF-8"},
      {header + "\n" + replaceColumn(2, "price \xE2\x82\xAC") + "\n",
       "field 2 Text2: character U+20AC has no DOS code page equivalent"},
      {header + "\n" + replaceColumn(3, std::string(255, 'x')) + "\n", "field 3 Text3 is longer than 254 characters"},
      {"DELETED\tText1\n", "line 1: the header has 2 columns, expected 31"},
      {replaceColumn(0, "x") + "\n", "line 1: header column 1 is \"x\", expected \"DELETED\""},
      {"", "the file is empty, expected a header line"},
  };
  // A header with one misnamed column.
  std::string misnamed = header;
  misnamed.replace(misnamed.find("\tRho\t"), 5, "\tRHO\t");
  test::ScratchDir dir;
  int n = 0;
  for (const auto& c : cases) {
    const auto path = dir / ("case" + std::to_string(++n) + ".tsv");
    test::writeFile(path, c.file);
    std::string err;
    const auto rows = ReadMaterialSource(path.string(), &err);
    EXPECT_TRUE(rows.empty()) << c.expected;
    EXPECT_NE(err.find(c.expected), std::string::npos) << "got: " << err;
    EXPECT_EQ(err.rfind(path.string(), 0), 0u) << "the message starts with the file: " << err;
  }
  const auto path = dir / "misnamed.tsv";
  test::writeFile(path, misnamed + "\n" + line + "\n");
  std::string err;
  EXPECT_TRUE(ReadMaterialSource(path.string(), &err).empty());
  EXPECT_NE(err.find("line 1: header column 7 is \"RHO\", expected \"Rho\""), std::string::npos) << err;
}

TEST(MaterialSourceReader, MissingFileAndNullErrorPointer) {
  std::string error;
  EXPECT_TRUE(ReadMaterialSource(kData + "/no-such-file.tsv", &error).empty());
  EXPECT_NE(error.find("no-such-file.tsv: cannot open the file"), std::string::npos) << error;
  EXPECT_TRUE(ReadMaterialSource(kData + "/materialsource_badnumber.tsv", nullptr).empty());
  EXPECT_EQ(ReadMaterialSource(kData + "/materialsource_good.tsv", nullptr).size(), 2u);
}

TEST(MaterialSourceReader, NumberFields) {
  struct Case {
    MaterialFieldType type;
    std::string text;
    bool ok;
    long double value;
  };
  const std::vector<Case> cases = {
      {MaterialFieldType::Integer, "206000", true, 206000},
      {MaterialFieldType::Integer, " -5 ", true, -5},
      {MaterialFieldType::Integer, "2147483648", false, 0},
      {MaterialFieldType::Integer, "7,5", false, 0},
      {MaterialFieldType::Real, "7,85", true, 7.85L},
      {MaterialFieldType::Real, "2.5e3", true, 2500},
      {MaterialFieldType::Real, "-0.25", true, -0.25L},
      {MaterialFieldType::Real, "0x10", false, 0},
      {MaterialFieldType::Real, "inf", false, 0},
      {MaterialFieldType::Real, "", false, 0},
      {MaterialFieldType::Text, "1", false, 0},
  };
  for (const auto& c : cases) {
    long double v = 0;
    EXPECT_EQ(ParseMaterialNumber(c.type, c.text, &v), c.ok) << c.text;
    if (c.ok) { EXPECT_EQ(v, c.value) << c.text; }
  }
  EXPECT_EQ(MaterialFieldName(1), "Text1");
  EXPECT_EQ(MaterialFieldName(27), "SigmaFactor");
  EXPECT_EQ(MaterialFieldName(0), "");
  EXPECT_EQ(MaterialFieldName(30), "");
  EXPECT_EQ(MaterialFieldTypeOf(28), MaterialFieldType::Text);
  EXPECT_EQ(MaterialFieldTypeOf(29), MaterialFieldType::Integer);
  EXPECT_EQ(MaterialFieldTypeOf(25), MaterialFieldType::Real);
}

}  // namespace
}  // namespace qorva
