// The window of the table of spring files: choosing a row closes it with that row, the same row
// again does not; leaving it sets the cancel flag; sorting and searching move the cursor with the
// row and so choose it; nothing found is told with the search text.
#include "shell/ui/filetablewindow.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>
#include <filesystem>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    programState.ProgName = "QORVA";
    programState.DataDir = "/daten/federn/";
    test::scriptedPrompter().clear();
    table.SetRows({{"File", "E", "Mat.No."},
                   {"b.qva", "  2000", "5"},
                   {"a.qva", "200000", "12"},
                   {"C.qva", " 20000", "7"}});
    table.show();
  }
  void TearDown() override {
    test::scriptedPrompter().clear();
    InitAllSettings();
  }
  FileTableWindow table{nullptr};
};

TEST_F(PreviewWindowTest, ChoosingARowClosesTheWindowWithThatRowOnce) {
  EXPECT_EQ(table.windowTitle(), "QORVA  /daten/federn/");
  ASSERT_EQ(table.fileTable->rowCount(), 3);
  EXPECT_EQ(table.fileTable->horizontalHeaderItem(2)->text(), "Mat.No.");
  EXPECT_EQ(table.editSearchAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
  EXPECT_EQ(table.searchNextAction->shortcut(), QKeySequence(Qt::Key_F3));

  programState.ErrorFlag = true;
  table.fileTable->setCurrentCell(1, 0);
  EXPECT_EQ(table.ChosenRow, 2);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(table.result(), QDialog::Accepted);
  EXPECT_FALSE(table.isVisible());

  // Shown again on the chosen row; another column of the same row chooses nothing.
  table.setResult(-1);
  table.show();
  EXPECT_EQ(table.CurrentRow(), 2);
  table.fileTable->setCurrentCell(1, 2);
  EXPECT_TRUE(table.isVisible());
  EXPECT_EQ(table.result(), -1);

  table.fileExitAction->trigger();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(table.isVisible());
}

TEST_F(PreviewWindowTest, WithoutADataFolderTheCaptionNamesTheFolderListed) {
  // A file named on the command line leaves no data folder: the table lists the current folder.
  test::ScratchDir dir;
  std::filesystem::create_directory(dir / "Federn Gr\u00f6\u00dfe");
  test::CwdGuard cwd(dir / "Federn Gr\u00f6\u00dfe");
  programState.DataDir.clear();
  FileTableWindow t(nullptr);
  t.show();
  EXPECT_EQ(t.windowTitle().toStdString(), "QORVA  " + std::filesystem::current_path().generic_string() + "/");
}

TEST_F(PreviewWindowTest, SortingAndSearchingTakeTheCursorAlong) {
  table.ChosenRow = 1;
  table.hide();
  table.show();  // on row 1, b.qva
  table.SortGridByColumn(1);  // by E: b, C, a: b stays row 1, nothing chosen
  EXPECT_EQ(table.fileTable->item(1, 0)->text(), "C.qva");
  EXPECT_TRUE(table.isVisible());
  table.SortGridByColumn(0);  // C, a, b: b moves to row 3 and is chosen there
  EXPECT_EQ(table.fileTable->item(0, 0)->text(), "C.qva");
  EXPECT_EQ(table.ChosenRow, 3);
  EXPECT_EQ(table.Rows()[3][0], "b.qva");
  EXPECT_FALSE(table.isVisible());

  table.show();
  table.SearchText = "qva";
  table.SearchNext();  // below row 3 there is nothing, and it does not wrap
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(test::scriptedPrompter().asked()[0].text, "qva not found.");
  EXPECT_EQ(table.CurrentRow(), 3);
  table.SearchRow = 0;
  EXPECT_TRUE(table.FindNextMatch());  // from the top: the first data row
  EXPECT_EQ(table.ChosenRow, 1);
}

// The widths the caller sets are the least: a date, a number or a header is never cut, a very long
// designation is (the table would not fit the screen).
TEST_F(PreviewWindowTest, ColumnsAreAtLeastAsWideAsTheirTexts) {
  const std::string longName(200, 'X');
  table.SetRows({{"File", "Date  y/m/d", "Material"}, {"Pr\xC3\xBC" "ffeder.qva", "2026/12/11", longName}});
  table.SetColWidth(1, 64);
  table.SetColWidth(2, 120);
  const QFontMetrics fm(table.fileTable->font());
  EXPECT_GT(table.fileTable->columnWidth(1), fm.horizontalAdvance("2026/12/11"));
  EXPECT_GT(table.fileTable->columnWidth(1), fm.horizontalAdvance("Date  y/m/d"));
  EXPECT_GT(table.fileTable->columnWidth(0), fm.horizontalAdvance(QString::fromUtf8("Prüffeder.qva")));
  EXPECT_GE(table.fileTable->columnWidth(2), 120);
  EXPECT_LT(table.fileTable->columnWidth(2), fm.horizontalAdvance(QString::fromStdString(longName)));
}

}  // namespace
}  // namespace qorva
