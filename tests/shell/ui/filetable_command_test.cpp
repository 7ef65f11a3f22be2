// File > Open (Table) from the main window's menu: the table of the data folder, a chosen row read
// into the main window while the table stays open, Exit ends the command.
#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>
#include <filesystem>

#include "foundation/kwenvar.h"
#include "graphics/kwendraw.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/preview.h"
#include "shell/ui/qorvau.h"
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
  Thh w;
  kwenvar.DataDir = scratch_.path().string() + "/";
  kwenvar.InputModified = false;
  TMainMenu* menu = MainMenuOf(w);
  ASSERT_TRUE(menu && menu->mi_fileOpenTable && menu->mi_fileOpenTable->isEnabled());
  int shown = 0;
  std::function<void(TForm_preview*)> act = [&](TForm_preview* t) {
    ++shown;
    if (shown == 1) {
      EXPECT_EQ(t->StringGrid1->rowCount(), 2);
      EXPECT_EQ(t->StringGrid1->columnCount(), 17);
      EXPECT_EQ(t->StringGrid1->columnWidth(12), 120);
      OnNextModalOf<TForm_preview>(act);
      t->StringGrid1->setCurrentCell(1, 0);  // b.qva
    } else {
      EXPECT_EQ(kwenvar.CurrentFileName, "b");
      EXPECT_EQ(yebglob9.BandWidth, 40);
      EXPECT_EQ(t->CurrentRow(), 2);
      t->mi_fileExit->trigger();
    }
  };
  OnNextModalOf<TForm_preview>(act);
  menu->mi_fileOpenTable->trigger();
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(kwenvar.ErrorFlag);
  EXPECT_EQ(kwenvar.CurrentFileName, "b");
  EXPECT_FALSE(kwenvar.InputModified);
}

}  // namespace
}  // namespace qorva::test
