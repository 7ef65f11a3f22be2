// The real main window, started as the program starts it and closed from Exit and from the close
// box: the program ends with exit code 0, its objects ended in order (a drawn spring, the open
// material table). Each run is a child process that makes and ends its own application object as
// the program does, so that the objects' end at exit is part of it; this test program therefore
// has its own main.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <stdlib.h>

#include "graphics/graphicsstate.h"
#include "shell/commandline.h"
#include "shell/startup.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/mainwindow.h"
#include "spring/materialtable.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

MainWindow* ShownMainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* hh = qobject_cast<MainWindow*>(w); hh && hh->isVisible()) return hh;
  return nullptr;
}

// Runs the window part of the program on the shipped data and closes the window once it shows
// its start picture; exits with the program's exit code (3 to 6: the window, its drawing, its
// picture or the material table was not there to close).
[[noreturn]] void RunAndClose(const fs::path& dir, bool fromExitItem) {
  const fs::path start = fs::current_path();
  fs::current_path(dir);
  // The session the window saves at its end stays in the scratch folder.
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  InitProgramModules({});
  int rc = 0;
  {
    int argc = 1;
    char name[] = "qorva";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QTimer::singleShot(300, [fromExitItem] {
      MainWindow* w = ShownMainWindow();
      if (!w) std::_Exit(3);
      if (graphicsState.DisplayList.empty()) std::_Exit(4);
      if (w->canvasImage().isNull()) std::_Exit(5);
      // A table left open, as the material commands leave it, ends with the program too.
      if (!materialTable().open("yeb9wst.dbf")) std::_Exit(6);
      if (fromExitItem)
        MainMenuOf(*w)->fileExitAction->trigger();
      else
        w->close();
    });
    rc = RunMainWindow(ParseCommandLine({}));
  }
  // The child ends with exit(), which skips the scratch folder's own clean-up.
  fs::current_path(start);
  std::error_code ec;
  fs::remove_all(dir, ec);
  std::exit(rc);
}

TEST(MainWindowExit, ClosingFromExitAndFromTheCloseBoxEndsWithExitCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  test::ScratchDir scratch;
  const fs::path dir = fs::absolute(scratch.path());
  fs::copy_file(kData / "yeb9wst.dbf", dir / "yeb9wst.dbf");
  fs::copy_file(kData / "null.qva", dir / "null.qva");
  EXPECT_EXIT(RunAndClose(dir, true), ::testing::ExitedWithCode(0), "") << "Exit";
  EXPECT_EXIT(RunAndClose(dir, false), ::testing::ExitedWithCode(0), "") << "close box";
}

}  // namespace
}  // namespace qorva

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return RUN_ALL_TESTS();
}
