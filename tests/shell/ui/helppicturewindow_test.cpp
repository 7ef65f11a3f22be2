// The help-picture navigator window: what each control chooses, the arrows at either end, the
// position it keeps; and the start picture in the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "shell/commandline.h"
#include "shell/startup.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/helppicturewindow.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

class NavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
  const std::vector<std::string> entries{"start   : Startbild", "band    : Band und Wickel", "vorausl : Verh\x84ltnisse"};
};

TEST_F(NavigatorTest, EveryControlChoosesItsAction) {
  struct Case {
    const char* what;
    int32_t preselect;
    std::function<void(HelpPictureWindow&)> act;
    HelpPictureNavigatorResult result;
  };
  const Case cases[] = {
      {"list changed", 1, [](HelpPictureWindow& f) { f.pictureIndexComboBox->setCurrentIndex(2); }, {false, HelpPicShow, 3}},
      {"up arrow", 2, [](HelpPictureWindow& f) { f.previousEntryButton->click(); }, {false, HelpPicShow, 1}},
      {"up arrow on the first entry", 1, [](HelpPictureWindow& f) { f.previousEntryButton->click(); }, {false, HelpPicShow, 1}},
      {"down arrow", 2, [](HelpPictureWindow& f) { f.nextEntryButton->click(); }, {false, HelpPicShow, 3}},
      {"down arrow on the last entry", 3, [](HelpPictureWindow& f) { f.nextEntryButton->click(); }, {false, HelpPicShow, 3}},
      {"OK", 2, [](HelpPictureWindow& f) { f.okButton->click(); }, {true, HelpPicShow, 2}},
      {"Esc", 2, [](HelpPictureWindow& f) { f.reject(); }, {true, HelpPicShow, 2}},
      {"new drops the selection", 2, [](HelpPictureWindow& f) { f.newEntryButton->click(); }, {false, HelpPicAppend, 0}},
      {"insert", 2, [](HelpPictureWindow& f) { f.insertEntryButton->click(); }, {false, HelpPicInsert, 2}},
      {"delete", 3, [](HelpPictureWindow& f) { f.deleteEntryButton->click(); }, {false, HelpPicDelete, 3}},
      {"change", 1, [](HelpPictureWindow& f) { f.changeEntryButton->click(); }, {false, HelpPicChange, 1}},
  };
  for (const Case& c : cases) {
    HelpPictureWindow form;
    form.FormShow(entries, c.preselect);
    c.act(form);
    const HelpPictureNavigatorResult r = form.Result();
    EXPECT_EQ(r.ended, c.result.ended) << c.what;
    EXPECT_EQ(r.action, c.result.action) << c.what;
    EXPECT_EQ(r.selected, c.result.selected) << c.what;
  }
}

TEST_F(NavigatorTest, ListShowsTheEntriesAndThePositionIsKept) {
  desktopSettings.HelpPicFormLeft = 40;
  desktopSettings.HelpPicFormTop = 50;
  {
    HelpPictureWindow form;
    form.FormShow(entries, 0);
    ASSERT_EQ(form.pictureIndexComboBox->count(), 3);
    EXPECT_EQ(form.pictureIndexComboBox->itemText(2).toStdString(), "vorausl : Verhältnisse");
    EXPECT_EQ(form.pictureIndexComboBox->currentIndex(), -1);
    EXPECT_EQ(form.changeEntryButton->text().toStdString(), "&Ändern");
    EXPECT_EQ(form.pos(), QPoint(40, 50));
    form.move(70, 80);
  }
  EXPECT_EQ(desktopSettings.HelpPicFormLeft, 70);
  EXPECT_EQ(desktopSettings.HelpPicFormTop, 80);
}

// The window opens on the start picture when the picture folder has one.
TEST(StartPicture, TheWindowShowsItAtStart) {
  test::ScratchDir scratch;
  const fs::path dir = fs::absolute(scratch.path());
  const fs::path data = fs::path(QORVA_SOURCE_DIR) / "data";
  for (const char* f : {"yeb9wst.dbf", "null.qva", "start.plt"}) fs::copy_file(data / f, dir / f);
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  InitProgramModules({});
  Services previous;
  {
    MainWindow w;
    previous = installServices(WindowServices(w.spring()));
    ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
    EXPECT_TRUE(startup.StartPictureShown);
    bool title = false;
    for (const std::string& rec : graphicsState.DisplayList) title = title || rec.ends_with(";QORVA");
    EXPECT_TRUE(title) << "the start picture's title is drawn";
    EXPECT_TRUE(graphicsState.DisplayList.front().ends_with(";0;0;160;120")) << graphicsState.DisplayList.front();
  }
  installServices(std::move(previous));
  ShutdownProgram();
  GraphDraw.reset();
  InitGraphicsState();
  fs::current_path(old);
  test::scriptedPrompter().clear();
}

}  // namespace
}  // namespace qorva
