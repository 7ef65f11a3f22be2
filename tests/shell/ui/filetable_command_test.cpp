// File > Open (Table) from the main window's menu: the table of the data folder, a chosen row read
// into the main window while the table stays open, Exit ends the command.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTableWidget>
#include <filesystem>

#include "foundation/programstate.h"
#include "graphics/graphicsdraw.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/filetablewindow.h"
#include "shell/ui/mainwindow.h"
#include "spring/spring.h"
#include "tests/spring/springfixture.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva::test {
namespace {

namespace fs = std::filesystem;

class FileTableCommandTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial();
    std::string bytes = readFile(fs::path(QORVA_SOURCE_DIR) / "data" / "null.qva");
    writeFile(scratch_ / "a.qva", bytes);
    bytes.replace(bytes.find("\r\n50.0000000\r\n") + 2, 10, "40.0000000");
    writeFile(scratch_ / "b.qva", bytes);
  }
  void TearDown() override {
    GraphDraw.reset();  // before the display list it frees goes at the program's end
    SpringTest::TearDown();
  }
  ScratchDir scratch_;
};

TEST_F(FileTableCommandTest, AChosenRowIsReadWhileTheTableStaysOpen) {
  MainWindow w;
  programState.DataDir = scratch_.path().string() + "/";
  programState.InputModified = false;
  MainMenu* menu = MainMenuOf(w);
  ASSERT_TRUE(menu && menu->fileOpenTableAction && menu->fileOpenTableAction->isEnabled());
  int shown = 0;
  std::function<void(FileTableWindow*)> act = [&](FileTableWindow* t) {
    ++shown;
    if (shown == 1) {
      EXPECT_EQ(t->fileTable->rowCount(), 2);
      EXPECT_EQ(t->fileTable->columnCount(), 17);
      EXPECT_GE(t->fileTable->columnWidth(12), 120);  // the material column's least width
      OnNextModalOf<FileTableWindow>(act);
      t->fileTable->setCurrentCell(1, 0);  // b.qva
    } else {
      EXPECT_EQ(programState.CurrentFileName, "b");
      EXPECT_EQ(w.spring().family.BandWidth, 40);
      EXPECT_EQ(t->CurrentRow(), 2);
      t->fileExitAction->trigger();
    }
  };
  OnNextModalOf<FileTableWindow>(act);
  menu->fileOpenTableAction->trigger();
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "b");
  EXPECT_FALSE(programState.InputModified);
}

TEST_F(FileTableCommandTest, OnlyTheUsersChoiceReadsAFile) {
  // A damaged first file: shown and focused, the table waits for the user, and leaving it keeps the
  // spring the user has open with its name.
  writeFile(scratch_ / "0.qva", "kaputt\r\n");
  MainWindow w;
  programState.DataDir = scratch_.path().string() + "/";
  programState.CurrentFileName = "offen";
  w.spring().family.BandWidth = 44;
  programState.InputModified = false;
  scriptedPrompter().clear();
  MainMenu* menu = MainMenuOf(w);
  ASSERT_TRUE(menu && menu->fileOpenTableAction);
  UpdateFormCaption(w);
  const QString caption = w.windowTitle();
  int shown = 0;
  OnNextModalOf<FileTableWindow>([&](FileTableWindow* t) {
    ++shown;
    EXPECT_EQ(w.windowTitle().toStdString(), caption.toStdString()) << "the open spring, not the last file the table read";
    t->activateWindow();
    t->fileTable->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(t->isVisible()) << "nothing was chosen yet";
    EXPECT_EQ(t->ChosenRow, 0);
    EXPECT_EQ(t->fileTable->item(0, 2)->text().toStdString(), "(nicht lesbar)");
    t->fileExitAction->trigger();
  });
  menu->fileOpenTableAction->trigger();
  EXPECT_EQ(shown, 1);
  for (const auto& a : scriptedPrompter().asked())
    if (a.kind != AskKind::AppTitle) ADD_FAILURE() << "nothing is asked or told: " << a.text;
  EXPECT_EQ(programState.CurrentFileName, "offen");
  EXPECT_EQ(w.spring().family.BandWidth, 44);
}

// The command tells the user leaving the table or cancelling the save question from a chosen file
// that cannot be read.
TEST_F(FileTableCommandTest, TheCommandTellsCancelFromAFileThatCannotBeRead) {
  writeFile(scratch_ / "0.qva", "kaputt\r\n");  // the first row
  struct Case {
    const char* what;
    bool changedInput;  // the save question comes first
    int row;            // -1: the table is left without a choice
    Outcome outcome;
  };
  const Case cases[] = {
      {"save question cancelled", true, -1, Outcome::Cancelled},
      {"table left", false, -1, Outcome::Cancelled},
      {"a file read", false, 2, Outcome::Done},
      {"the chosen file cannot be read", false, 0, Outcome::Failed},
  };
  for (const Case& c : cases) {
    MainWindow w;
    programState.DataDir = scratch_.path().string() + "/";
    programState.CurrentFileName = "offen";
    programState.InputModified = c.changedInput;
    scriptedPrompter().clear();
    if (c.changedInput) scriptedPrompter().push(YesNoCancel::Cancel);
    bool chosen = false;
    std::function<void(FileTableWindow*)> act = [&](FileTableWindow* t) {
      if (c.row < 0 || chosen) {
        t->fileExitAction->trigger();
        return;
      }
      chosen = true;
      if (c.outcome == Outcome::Done) OnNextModalOf<FileTableWindow>(act);
      t->fileTable->setCurrentCell(c.row, 1);
    };
    if (!c.changedInput) OnNextModalOf<FileTableWindow>(act);
    EXPECT_EQ(OpenFileTable(w), c.outcome) << c.what;
    EXPECT_EQ(programState.CurrentFileName, c.outcome == Outcome::Done ? "b" : "offen") << c.what;
  }
}

}  // namespace
}  // namespace qorva::test
