// The program started without a display: every command line that needs the window ends with one
// line that says so and exit code 1, the result modes run as they do anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

TEST(ProgramWithoutDisplay, CommandLinesThatNeedTheWindowEndWithOneLineAndExitCodeOne) {
  test::ScratchDir scratch;
  const fs::path dir = fs::absolute(scratch.path());
  fs::copy_file(kData / "yeb9wst.dbf", dir / "yeb9wst.dbf");
  fs::copy_file(kData / "null.qva", dir / "test.qva");
  const std::string start = "cd '" + dir.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 " +
                            std::string(QORVA_BINARY) + " ";
  for (const std::string args : {"", "test.qva", "DEMO", "test.qva /E"}) {
    SCOPED_TRACE("qorva " + args);
    const test::CommandResult r = test::runCommand(start + args + " 2>&1");
    EXPECT_EQ(r.exitCode, 1) << r.output;
    // One line naming what is missing and the modes that run without it.
    ASSERT_FALSE(r.output.empty());
    EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
    for (const char* word : {"DISPLAY", "/I", "/CADi:j", "/NOGUI", "/?"})
      EXPECT_NE(r.output.find(word), std::string::npos) << word << " in " << r.output;
  }
  // The result modes need no display.
  const test::CommandResult txt = test::runCommand(start + "test.qva /I /NOGUI 2>&1");
  EXPECT_EQ(txt.exitCode, 0) << txt.output;
  EXPECT_TRUE(fs::exists(dir / "test.txt"));
  const test::CommandResult usage = test::runCommand(start + "/? 2>&1");
  EXPECT_EQ(usage.exitCode, 0) << usage.output;
}

}  // namespace
}  // namespace qorva
