// The main window's start-up, caption, close question and recent-file items, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "foundation/errorlist.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/ui/qttext.h"
#include "foundation/desktopsettings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "shell/commandline.h"
#include "shell/springfile.h"
#include "shell/startup.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/mainwindow.h"
#include "platform/services.h"
#include "tests/support/testsupport.h"
#include "xbase/enginestate.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::scriptedPrompter;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

// A data folder like the shipped one, the program's modules started in it.
class MainWindowStart : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedPrompter().clear();
    dir_ = fs::absolute(scratch_.path());
    old_ = fs::current_path();
    fs::copy_file(kData / "yeb9wst.dbf", dir_ / "yeb9wst.dbf");
    fs::copy_file(kData / "null.qva", dir_ / "null.qva");
    fs::current_path(dir_);
    InitProgramModules({});
  }
  void TearDown() override {
    window_.reset();
    installServices(std::move(previous_));
    ShutdownProgram();
    GraphDraw.reset();
    InitGraphicsState();
    fs::current_path(old_);
    scriptedPrompter().clear();
  }
  // The main window with its services, installed as the program installs them once the window is
  // made and before its start-up.
  MainWindow& MakeWindow() {
    window_ = std::make_unique<MainWindow>();
    previous_ = installServices(WindowServices(window_->spring()));
    return *window_;
  }

  test::ScratchDir scratch_;
  fs::path dir_;
  fs::path old_;
  Services previous_;
  std::unique_ptr<MainWindow> window_;
};

// Pixels of the image that differ from its background colour.
int DrawnPixels(const QImage& img) {
  const QRgb bg = img.pixel(0, 0);
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) != bg) ++n;
  return n;
}

// The program finds its start picture in its data folder from any start folder, and opens on it
// with the default spring of the start folder read and calculated behind it.
TEST_F(MainWindowStart, OpensOnTheStartPictureWithTheDefaultSpringCalculated) {
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  EXPECT_TRUE(startup.StartPictureShown);
  EXPECT_GT(w.spring().product.TurnCount, 0);
  EXPECT_EQ(w.windowTitle().toStdString(), "QORVA - Konstantkraftfeder");
  EXPECT_TRUE(programState.CurrentFileName.empty());
  EXPECT_FALSE(programState.InputModified);
  EXPECT_FALSE(programState.FatalError);
  w.show();
  QApplication::processEvents();
  const QImage& img = w.canvasImage();
  ASSERT_FALSE(img.isNull());
  EXPECT_GT(DrawnPixels(img), 2000);
}

TEST_F(MainWindowStart, CaptionNamesACommandLineFile) {
  fs::copy_file(dir_ / "null.qva", dir_ / "test.qva");
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({"test.qva"})).has_value());
  EXPECT_EQ(w.windowTitle().toStdString(), "QORVA - Konstantkraftfeder  -  test.qva");
  EXPECT_TRUE(programState.FileNameHasPath);
}

TEST_F(MainWindowStart, ARefusedNameEndsTheStartWithExitCodeOne) {
  MainWindow& w = MakeWindow();
  EXPECT_EQ(w.FormCreate(ParseCommandLine({"test"})), std::optional<int>(ExitBadInput));
}

TEST_F(MainWindowStart, CloseAsksAndStaysOpenWhenInputIsKept) {
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  w.show();
  programState.InputModified = true;
  scriptedPrompter().push(YesNoCancel::No);  // "Bisherige Eingaben verwerfen ?" - no
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  scriptedPrompter().push(YesNoCancel::Yes);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(programState.InputModified);
}

TEST_F(MainWindowStart, RecentFileItemsFollowTheList) {
  fs::copy_file(dir_ / "null.qva", dir_ / "a.qva");
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  MainMenu* m = MainMenuOf(w);
  ASSERT_NE(m, nullptr);
  EXPECT_FALSE(m->recentFileAction1->isVisible());
  EXPECT_FALSE(m->recentFilesSeparator->isVisible());

  auto& r = desktopSettings.RecentFiles;
  r[1] = (dir_ / "gone.qva").string();
  r[2] = (dir_ / "a.qva").string();
  UpdateFormCaption(w);
  EXPECT_TRUE(m->recentFilesSeparator->isVisible());
  EXPECT_TRUE(m->recentFileAction1->isVisible());
  EXPECT_TRUE(m->recentFileAction2->isVisible());
  EXPECT_FALSE(m->recentFileAction3->isVisible());
  EXPECT_EQ(m->recentFileAction2->text(), dosToQString("&2 " + ShortenPath(r[2])));

  m->recentFileAction1->trigger();  // gone: removed with a message
  EXPECT_EQ(r[1], (dir_ / "a.qva").string());
  EXPECT_FALSE(m->recentFileAction2->isVisible());
  m->recentFileAction1->trigger();
  EXPECT_EQ(programState.CurrentFileName, "a");
  EXPECT_EQ(w.windowTitle().toStdString(), "QORVA - Konstantkraftfeder  -  a.qva");
}

TEST_F(MainWindowStart, ErrorMessagesItemCountsTheMessages) {
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  MainMenu* m = MainMenuOf(w);
  ASSERT_NE(m, nullptr);
  UpdateAfterInput(w);
  const QString n = QString::number(errorList.ErrorCount);
  EXPECT_TRUE(m->viewErrorMessagesAction->text().endsWith(" (" + n + ")"));
  EXPECT_EQ(m->viewErrorMessagesAction->isEnabled(), errorList.ErrorCount > 0);
}

TEST_F(MainWindowStart, TheMenuBarKeepsTheDesktopPaletteOverTheDrawingBackground) {
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  MainMenu* m = MainMenuOf(w);
  ASSERT_NE(m, nullptr);
  const QPalette desktop = QApplication::palette();
  EXPECT_EQ(m->mainMenuBar->palette().color(QPalette::Window), desktop.color(QPalette::Window));
  EXPECT_EQ(m->mainMenuBar->palette().color(QPalette::WindowText), desktop.color(QPalette::WindowText));
  const TColor bg = graphicsSettings.BackgroundColor;
  EXPECT_EQ(w.canvasWidget()->palette().color(QPalette::Window), QColor(bg & 0xFF, (bg >> 8) & 0xFF, (bg >> 16) & 0xFF));
}

// The default spring with thickness 0 and outer diameter 0: the calculation ends fatally.
void WriteFatalSpring(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  for (const char* value : {"0.5000000", "85.0000000"}) {
    const std::size_t at = text.find(std::string("\n") + value + "\r\n");
    ASSERT_NE(at, std::string::npos) << value;
    text.replace(at + 1, std::string(value).size(), "0.0000000");
  }
  std::ofstream(to, std::ios::binary) << text;
}

std::vector<AskRecord> Shown(AskKind kind) {
  std::vector<AskRecord> out;
  for (const AskRecord& r : scriptedPrompter().asked())
    if (r.kind == kind) out.push_back(r);
  return out;
}

TEST_F(MainWindowStart, AFatalSpringShowsItsMessagesAndTheItemCountsThem) {
  WriteFatalSpring(dir_ / "null.qva", dir_ / "fatal.qva");
  scriptedPrompter().push(Cancel{});  // Esc closes the list
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({"fatal.qva"})).has_value());
  ASSERT_TRUE(programState.FatalError);
  ASSERT_GT(errorList.ErrorCount, 0);
  std::vector<std::string> messages;
  for (uint16_t n = 1; n <= errorList.ErrorCount; ++n) messages.push_back(errorList.ErrorMsgs[n]);
  EXPECT_EQ(messages[0].rfind("Fatal", 0), 0u) << messages[0];
  std::vector<std::string> entries = messages;
  entries.push_back("Weiter/zurück...");
  const auto lists = Shown(AskKind::Choice);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0].text, "Berechnungsmodul meldet Warnungen oder Fehler, siehe Ursache und Abhilfe.");
  EXPECT_EQ(lists[0].entries, entries);

  MainMenu* m = MainMenuOf(w);
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->viewErrorMessagesAction->text().endsWith(" (" + QString::number(errorList.ErrorCount) + ")"));
  EXPECT_TRUE(m->viewErrorMessagesAction->isEnabled());
  // Help > Error messages offers the list again; the closing entry ends it.
  scriptedPrompter().clear();
  scriptedPrompter().push(static_cast<int>(messages.size()));
  m->helpErrorMessagesAction->trigger();
  ASSERT_EQ(Shown(AskKind::Choice).size(), 1u);
  EXPECT_EQ(Shown(AskKind::Choice)[0].entries, entries);
  EXPECT_EQ(scriptedPrompter().pending(), 0u);
}

TEST_F(MainWindowStart, ASpringWithoutMessagesSaysSo) {
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  MainMenu* m = MainMenuOf(w);
  ASSERT_NE(m, nullptr);
  errorList.ErrorCount = 0;
  scriptedPrompter().clear();
  m->helpErrorMessagesAction->trigger();
  const auto boxes = Shown(AskKind::Message);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Berechnung erfolgreich ohne Fehlermeldungen");
  EXPECT_TRUE(Shown(AskKind::Choice).empty());
}

TEST_F(MainWindowStart, AnEngineStopEndsTheCommandNotTheProgram) {
  MainWindow& w = MakeWindow();
  ASSERT_FALSE(w.FormCreate(ParseCommandLine({})).has_value());
  MainMenu* m = MainMenuOf(w);
  ASSERT_NE(m, nullptr);
  bool ran = false;
  SetMenuCommand(m->fileSettingsAction, [&] {
    ran = true;
    throw EXbaseHalt(5, "Programm angehalten.");
  });
  m->fileSettingsAction->trigger();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(m->fileSettingsAction->isEnabled());  // the window goes on
}

}  // namespace
}  // namespace qorva
