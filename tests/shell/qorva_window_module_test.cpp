// The program's window part is a module of its own: the result modes run without loading it or any
// Qt library, a command line that needs the window loads it, and a missing module ends the run with
// one line and exit code 1. The loader's own record (LD_DEBUG=files) lists every object a run
// loads, the module loaded later included.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

class WindowModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::absolute(scratch_.path());
    fs::copy_file(kData / "yeb9wst.dbf", dir_ / "yeb9wst.dbf");
    fs::copy_file(kData / "null.qva", dir_ / "test.qva");
    fs::create_directory(dir_ / "ld");
  }
  // Runs the program in the folder with the loader's record on; env: what goes before it (a display
  // or none); after seconds the run is ended (exit code 124).
  test::CommandResult run(const std::string& program, const std::string& args, const std::string& env, int seconds) {
    return test::runCommand("cd '" + dir_.string() + "' && env -u XDG_RUNTIME_DIR " + env + " TMPDIR='" +
                            dir_.string() + "' LD_DEBUG=files LD_DEBUG_OUTPUT='" + (dir_ / "ld" / "run").string() +
                            "' timeout " + std::to_string(seconds) + " " + program + " " + args + " 2>&1");
  }
  // Everything the loader wrote for the last run (one file per process), then forgets it.
  std::string takeLoaderRecord() {
    std::string all;
    for (const auto& e : fs::directory_iterator(dir_ / "ld")) {
      all += test::readFile(e.path());
      fs::remove(e.path());
    }
    return all;
  }

  test::ScratchDir scratch_;
  fs::path dir_;
};

TEST_F(WindowModuleTest, ResultModesLoadNeitherTheWindowPartNorAnyQtLibrary) {
  for (const std::string args : {"test.qva /I /NOGUI", "test.qva /CAD1:1", "test.qva /CAD6:2 /NOGUI", "/?"}) {
    SCOPED_TRACE("qorva " + args);
    const test::CommandResult r = run(QORVA_BINARY, args, "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", 120);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const std::string record = takeLoaderRecord();
    // The record is there and names what was loaded.
    EXPECT_NE(record.find("libc.so.6"), std::string::npos) << record;
    EXPECT_EQ(record.find("libQt6"), std::string::npos) << record;
    EXPECT_EQ(record.find("libqorva_window"), std::string::npos) << record;
  }
  EXPECT_TRUE(fs::exists(dir_ / "test.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "test.dxf"));
  EXPECT_TRUE(fs::exists(dir_ / "test.stl"));
}

TEST_F(WindowModuleTest, TheWindowLoadsTheWindowPartAndStaysUp) {
  // The window waits for its user; the run is ended from outside once it had the time to start.
  const test::CommandResult r = run(QORVA_BINARY, "test.qva", "QT_QPA_PLATFORM=offscreen", 4);
  EXPECT_EQ(r.exitCode, 124) << r.output;
  const std::string record = takeLoaderRecord();
  EXPECT_NE(record.find("libqorva_window.so"), std::string::npos) << record;
  EXPECT_NE(record.find("libQt6Widgets"), std::string::npos) << record;
}

TEST_F(WindowModuleTest, WithoutTheWindowPartAWindowRunEndsWithOneLineAndExitCodeOne) {
  // The program alone in a folder of its own: it looks for its window part beside itself only.
  fs::create_directory(dir_ / "bin");
  fs::copy_file(QORVA_BINARY, dir_ / "bin" / "qorva");
  const std::string program = (dir_ / "bin" / "qorva").string();
  for (const std::string args : {"test.qva", "", "test.qva /E"}) {
    SCOPED_TRACE("qorva " + args);
    const test::CommandResult r = run(program, args, "QT_QPA_PLATFORM=offscreen", 60);
    EXPECT_EQ(r.exitCode, 1) << r.output;
    ASSERT_FALSE(r.output.empty());
    EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
    for (const char* word : {"libqorva_window.so", "/I", "/CADi:j", "/NOGUI", "/?"})
      EXPECT_NE(r.output.find(word), std::string::npos) << word << " in " << r.output;
    EXPECT_EQ(takeLoaderRecord().find("libQt6"), std::string::npos);
  }
  // The result modes need no window part.
  const test::CommandResult txt = run(program, "test.qva /I /NOGUI", "", 60);
  EXPECT_EQ(txt.exitCode, 0) << txt.output;
  EXPECT_TRUE(fs::exists(dir_ / "test.txt"));
}

}  // namespace
}  // namespace qorva
