// Common entry of every test program: the seams are pinned before any test runs,
// so no test ever waits for a user or starts a real program.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/testsupport.h"

#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif

namespace {

// Each test program runs in a folder of its own below the folder CTest starts it in, with a data
// folder of its own: the programs CTest runs side by side never meet in a work file of a fixed name
// (a report copy, a drawing's block file), and a copy of a shipped file that a test changes never
// reaches the data folder of the user who runs the tests.
class PrivateRunFolder {
 public:
  PrivateRunFolder() {
    std::error_code ec;
    start_ = std::filesystem::current_path(ec);
    std::string pattern = (start_ / "run-XXXXXX").string();
    if (ec || !::mkdtemp(pattern.data())) return;
    dir_ = pattern;
    std::filesystem::current_path(dir_, ec);
    std::filesystem::create_directory(dir_ / "data-home", ec);
    setenv("XDG_DATA_HOME", (dir_ / "data-home").c_str(), 1);
    // Settings and the session that a test saves without a configuration of its own go here, not
    // into the configuration folder of the user who runs the tests.
    setenv("XDG_CONFIG_HOME", (dir_ / "config-home").c_str(), 1);
  }
  ~PrivateRunFolder() {
    if (dir_.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(start_, ec);
    std::filesystem::remove_all(dir_, ec);
  }

 private:
  std::filesystem::path start_, dir_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qorva::test::installTestSeams();
  const PrivateRunFolder runFolder;
#ifdef QT_WIDGETS_LIB
  // Window tests never need a display, also when CTest lists them.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
#endif
  return RUN_ALL_TESTS();
}
