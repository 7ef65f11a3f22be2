// The table writer: the columns it writes (always two, then while widths are not 0), cut texts,
// and its three forms: padded text between separators, tab-separated text and an escaped HTML table.
#include "xbase/access/tablewriter.h"

#include <gtest/gtest.h>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/reportwriter.h"
#include "foundation/utilfile.h"
#include "tests/support/filehelpers.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class TableWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitReportWriter();
  }
  void TearDown() override {
    ShareTextFile.Discard();
    InitAllSettings();
    InitReportWriter();
  }
  // The lines the writer puts out on device for a head and one row.
  std::vector<std::string> Write(uint16_t device, const TableWriter::Widths& widths, const TableWriter::Texts& titles,
                                 const TableWriter::Texts& row) {
    reportWriter.Device = device;
    const std::string file = (dir / "out.txt").string();
    ShareTextFile.Assign(file);
    EXPECT_TRUE(ShareTextFile.Rewrite());
    TableWriter w;
    w.Init(widths, titles);
    w.WriteRow(row);
    w.Done();
    EXPECT_TRUE(ShareTextFile.Close());
    return test::Lines(test::readFile(file));
  }
  test::ScratchDir dir;
};

TEST_F(TableWriterTest, TwoColumnsAlwaysThenWhileWidthsAreNotZero) {
  // One field: the second column is written empty; from the third on, a width 0 ends the row even
  // before later ones.
  auto tab = Write(OutputDeviceCode::TabText, {4, 0, 0, 3, 0, 0, 0}, {"NAME", "", "", "X"}, {"Eins", "", "", "y"});
  EXPECT_EQ(tab, std::vector<std::string>({"NAME\t", "Eins\t"}));
  tab = Write(OutputDeviceCode::TabText, {4, 0, 3, 0, 0, 0, 0}, {"NAME", "", "X"}, {"Eins", "", "y"});
  EXPECT_EQ(tab, std::vector<std::string>({"NAME\t\tX", "Eins\t\ty"}));
  tab = Write(OutputDeviceCode::TabText, {2, 2, 2, 2, 2, 2, 2}, {"A", "B", "C", "D", "E", "F", "G"},
              {"1", "2", "3", "4", "5", "6", "7"});
  EXPECT_EQ(tab[1], "1\t2\t3\t4\t5\t6\t7");
  // Texts are cut to 60 characters.
  tab = Write(OutputDeviceCode::TabText, {70, 1}, {std::string(70, 't'), "b"}, {std::string(70, 'r'), "c"});
  EXPECT_EQ(tab[1], std::string(60, 'r') + "\tc");
}

TEST_F(TableWriterTest, PlainTextPadsColumnsBetweenSeparators) {
  const auto lines = Write(OutputDeviceCode::TextFile, {5, 4, 0}, {"NAME", "WERT"}, {"Zeta", "3.5"});
  ASSERT_EQ(lines.size(), 5u);
  std::string thin, dbl;
  ThinSeparator(thin);
  DoubleSeparator(dbl);
  EXPECT_EQ(lines[0].find(dbl), lines[0].size() - dbl.size());
  EXPECT_EQ(lines[1].substr(lines[1].size() - 10), "NAME WERT ");
  EXPECT_EQ(lines[3].substr(lines[3].size() - 10), "Zeta 3.5  ");
  EXPECT_EQ(lines[4].find(thin), lines[4].size() - thin.size());
}

TEST_F(TableWriterTest, HtmlIsATableWithEscapedWindowsText) {
  const auto lines = Write(OutputDeviceCode::Html, {5, 4}, {"NAME", "WERT"}, {"M\x81ller & <Co>", "1"});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "<TABLE BORDER = \"1\" WIDTH= \"100%\">");
  EXPECT_EQ(lines[1], "<TR><TD><CENTER>NAME</CENTER></TD><TD><CENTER>WERT</CENTER></TD></TR>");
  EXPECT_EQ(lines[2], "<TR><TD>M\xfcller &amp; &lt;Co&gt;</TD><TD><DIV ALIGN=RIGHT>1</DIV></TD></TR>");
  EXPECT_EQ(lines[3], "</TABLE>");
}

}  // namespace
}  // namespace qorva
