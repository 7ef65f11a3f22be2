// The table of spring files without its window: which files it reads and in what order, the row of
// each spring, a damaged file among them, sorting by a column and the search.
#include "shell/filetable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/utilstr.h"
#include "shell/filetablesort.h"
#include "spring/calculation.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "tests/spring/springfixture.h"

namespace qorva::test {
namespace {

namespace fs = std::filesystem;

// The default spring with some of its lines changed: each pair is a text of the file and its
// replacement.
std::string SpringFileWith(std::vector<std::pair<std::string, std::string>> changes) {
  std::string bytes = readFile(fs::path(QORVA_SOURCE_DIR) / "data" / "null.qva");
  for (const auto& [from, to] : changes) {
    const size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) bytes.replace(at, from.size(), to);
  }
  return bytes;
}
const std::string kWidth = "\r\n50.0000000\r\n";
const std::string kNumberLines = "\r\n12\r\n\r\n\r\n\r\nN";  // material 12, name, drawing number, name 2

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

class FileTableTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial();
    NameTheProgram();
    programState.DataDir = scratch_.path().string() + "/";
    programState.TempDir = scratch_.path().string() + "/";
  }
  ScratchDir scratch_;
};

TEST_F(FileTableTest, EverySpringFileOfTheFolderGetsItsRowInNameOrder) {
  writeFile(scratch_ / "b.qva", SpringFileWith({{kWidth, "\r\n40.0000000\r\n"},
                                                 {kNumberLines, "\r\n12\r\n\r\nZ-77\r\n\r\nN"}}));
  writeFile(scratch_ / "A.QVA", SpringFileWith({{kWidth, "\r\n30.0000000\r\n"}}));
  writeFile(scratch_ / "b2.qva", SpringFileWith({{kWidth, "\r\nbreit\r\n"}}));  // damaged
  writeFile(scratch_ / "c.Qva", SpringFileWith({{kWidth, "\r\n20.0000000\r\n"}}));
  writeFile(scratch_ / "notes.txt", "x");
  writeFile(scratch_ / "qva", "x");
  fs::create_directory(scratch_ / "old.qva");

  std::vector<std::string> heard;
  const GridRows rows = ReadFileTable(programState.DataDir, [&](const std::string& n) { heard.push_back(n); });
  EXPECT_FALSE(programState.ErrorFlag);
  const std::vector<std::string> names{"A.QVA", "b.qva", "b2.qva", "c.Qva"};
  EXPECT_EQ(heard, names);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], FileTableHeader());
  for (size_t r = 1; r < rows.size(); ++r) {
    ASSERT_EQ(rows[r].size(), 17u);
    EXPECT_EQ(rows[r][0], names[r - 1]);
    EXPECT_TRUE(std::regex_match(rows[r][1], std::regex(R"(\d{4}/\d\d/\d\d)"))) << rows[r][1];
    if (r == 3) continue;  // the damaged file
    EXPECT_EQ(rows[r][12], "Federband EN 10270-1");
    EXPECT_EQ(rows[r][13], "12");
  }
  // Columns: 2 No., 3 F, 4 b, 5 t; the force (in proportion to the width here), the stresses and the
  // life come from the calculation.
  EXPECT_EQ(Trim(rows[1][4]), "30.00");
  EXPECT_EQ(Trim(rows[1][3]), "18.0");
  EXPECT_EQ(rows[2][2], "Z-77");
  EXPECT_EQ(Trim(rows[2][3]), "24.0");
  EXPECT_EQ(Trim(rows[2][4]), "40.00");
  EXPECT_EQ(Trim(rows[2][5]), "0.50");
  EXPECT_EQ(Trim(rows[4][3]), "12.0");
  EXPECT_EQ(Trim(rows[4][4]), "20.00");
  EXPECT_EQ(Trim(rows[4][15]), "2000.0");
  EXPECT_NE(Trim(rows[4][10]), "0");
  EXPECT_EQ(Trim(rows[4][11]), "1400");
  // The damaged file is marked and carries no values of another file; nobody was asked.
  EXPECT_EQ(rows[3][2], "(nicht lesbar)");
  EXPECT_EQ(std::vector<std::string>(rows[3].begin() + 3, rows[3].end()), std::vector<std::string>(14));
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

TEST_F(FileTableTest, ReadingTheTableLeavesTheOpenSpringsMessagesAndFileAlone) {
  // What the window shows of its spring: the message list of its last calculation, a fatal stop
  // or none, and its file name. The table reads and calculates every file without them.
  Spring opened = NewSpring();
  ASSERT_TRUE(LoadMaterialByNumber(opened.family, 12));
  CalcSpring(opened);
  ASSERT_FALSE(programState.FatalError);
  AddErrorMsg("Warnung: offen");
  programState.CurrentFileName = "offen";
  const ErrorList messages = errorList;
  writeFile(scratch_ / "a.qva", SpringFileWith({{kWidth, "\r\n30.0000000\r\n"},
                                                 {kNumberLines, "\r\n12\r\n\r\nZ-1\r\n\r\nN"}}));
  writeFile(scratch_ / "b.qva", SpringFileWith({{kWidth, "\r\nbreit\r\n"}}));  // damaged
  writeFile(scratch_ / "c.qva", SpringFileWith({{kWidth, "\r\n-20.0000000\r\n"}}));  // b <= 0: fatal

  const GridRows rows = ReadFileTable(programState.DataDir);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][2], "Z-1");
  EXPECT_EQ(rows[2][2], "(nicht lesbar)") << "the first file read does not stand in for a damaged one";
  // The fatal spring shows what its file holds and no results.
  EXPECT_EQ(Trim(rows[3][4]), "-20.00");
  EXPECT_EQ(rows[3][12], "Federband EN 10270-1");
  EXPECT_EQ(rows[3][10], "");
  EXPECT_EQ(rows[3][16], "");

  EXPECT_EQ(programState.CurrentFileName, "offen");
  EXPECT_EQ(errorList.ErrorCount, messages.ErrorCount);
  EXPECT_EQ(errorList.ErrorMsgs, messages.ErrorMsgs);
  EXPECT_FALSE(programState.FatalError) << "the fatal file's stop is not the open spring's";
}

TEST_F(FileTableTest, AnEmptyOrMissingFolderGivesOnlyTheHeader) {
  EXPECT_EQ(ReadFileTable(programState.DataDir).size(), 1u);
  EXPECT_EQ(ReadFileTable(programState.DataDir + "fehlt/").size(), 1u);
  EXPECT_FALSE(programState.ErrorFlag);
}

GridRows TableOf(const std::vector<std::vector<std::string>>& data) {
  GridRows rows{{"File", "E", "Mat.No."}};
  for (const auto& d : data) rows.push_back(d);
  return rows;
}

TEST(FileTableSort, ColumnsSortByTheirBytes) {
  // Padded numbers come out in numeric order, unpadded ones do not; capitals before small letters.
  GridRows rows = TableOf({{"b.qva", "  2000", "5"}, {"a.qva", "200000", "12"}, {"C.qva", " 20000", "7"}});
  std::vector<int32_t> order = SortGridByColumn(rows, 1);
  EXPECT_EQ(rows[1][0], "b.qva");
  EXPECT_EQ(rows[2][0], "C.qva");
  EXPECT_EQ(rows[3][0], "a.qva");
  EXPECT_EQ(rows[0][0], "File");  // the header stays
  EXPECT_EQ(FindSortedRow(order, 1), 1);  // former row 1 (b) is still row 1
  EXPECT_EQ(FindSortedRow(order, 2), 3);
  SortGridByColumn(rows, 2);
  EXPECT_EQ(rows[1][2], "12");
  EXPECT_EQ(rows[2][2], "5");
  EXPECT_EQ(rows[3][2], "7");
  order = SortGridByColumn(rows, 0);
  EXPECT_EQ(rows[1][0], "C.qva");
  EXPECT_EQ(rows[2][0], "a.qva");
  EXPECT_EQ(FindSortedRow(order, 1), 2);
  // A column outside the table leaves it alone.
  const GridRows before = rows;
  SortGridByColumn(rows, 9);
  SortGridByColumn(rows, -1);
  EXPECT_EQ(rows, before);
}

TEST(FileTableSort, LargeTablesSortCompletelyWithTheirRows) {
  // Far beyond the thousand rows of a fixed array, with many equal keys and already sorted runs.
  std::mt19937 random(7);
  GridRows rows{{"File", "key"}};
  for (int i = 0; i < 20000; ++i) {
    const std::string key = i < 5000 ? IntStr(i) : IntStr(static_cast<int64_t>(random() % 300));
    rows.push_back({"f" + IntStr(i), key});
  }
  const GridRows before = rows;
  const std::vector<int32_t> order = SortGridByColumn(rows, 1);
  ASSERT_EQ(rows.size(), before.size());
  for (size_t r = 2; r < rows.size(); ++r) ASSERT_LE(rows[r - 1][1], rows[r][1]) << r;
  for (size_t r = 1; r < rows.size(); ++r) ASSERT_EQ(rows[r], before[static_cast<size_t>(order[r])]) << r;
}

TEST(FileTableSearch, FindsTheNextCellThatContainsTheText) {
  const GridRows rows = TableOf({{"feder.qva", "200000", "12"}, {"zug.qva", "2000", "5"}, {"x.qva", "2000", "1"}});
  const struct {
    std::string text;
    int32_t from;
    bool found;
    int32_t col, row;
  } cases[] = {
      {"2000", 0, true, 1, 1},      // the first data row, first matching column
      {"2000", 1, true, 1, 2},      // next starts below the given row
      {"zug", 0, true, 0, 2},       // the file name column is searched too
      {"File", 0, false, 0, 0},     // the header never
      {"Zug", 0, false, 0, 0},      // case-sensitive
      {"2000", 3, false, 0, 0},     // from the last row: nothing, no wrap to the top
      {"x.q", 9, false, 0, 0},      // from beyond the rows: after the last one, nothing
      {"1", 2, true, 2, 3},
  };
  for (const auto& c : cases) {
    int32_t col = -1;
    int32_t row = -1;
    EXPECT_EQ(FindNextMatch(rows, c.text, c.from, col, row), c.found) << c.text << " from " << c.from;
    if (c.found) {
      EXPECT_EQ(col, c.col) << c.text;
      EXPECT_EQ(row, c.row) << c.text;
    }
  }
}

}  // namespace
}  // namespace qorva::test
