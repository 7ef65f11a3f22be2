#include "foundation/fileattributes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class FileAttributesTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
  test::ScratchDir dir;
};

TEST_F(FileAttributesTest, FolderTests) {
  const std::string d = dir.path().string();
  fs::create_directories(dir / "empty");
  writeFile(dir / "file.txt", "x");
  const fs::path cwd = fs::current_path();

  EXPECT_TRUE(DirExists(d));
  EXPECT_TRUE(DirExists(d + "/empty/"));
  EXPECT_TRUE(DirExists(d + "/EMPTY"));
  EXPECT_FALSE(DirExists(d + "/missing"));
  EXPECT_FALSE(DirExists(d + "/file.txt"));
  EXPECT_TRUE(DirExists(""));  // the current folder

  EXPECT_TRUE(DirCanEnter(d + "/empty/"));
  EXPECT_FALSE(DirCanEnter(d + "/missing"));
  EXPECT_FALSE(DirCanEnter(d + "/file.txt"));
  EXPECT_EQ(fs::current_path(), cwd);

  EXPECT_TRUE(DirWritable(d + "/empty"));
  EXPECT_TRUE(fs::is_empty(dir / "empty"));  // the probe is erased again
  EXPECT_FALSE(DirWritable(d + "/missing"));
  // A planted "x.$$$" is neither used nor removed by the probe.
  writeFile(dir / "empty" / "x.$$$", "keep");
  EXPECT_TRUE(DirWritable(d + "/empty/"));
  EXPECT_EQ(readFile(dir / "empty" / "x.$$$"), "keep");
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(FileAttributesTest, Attributes) {
  writeFile(dir / "plain.txt", "x");
  writeFile(dir / ".hidden", "x");
  const std::string d = dir.path().string() + "/";
  EXPECT_TRUE(HasAttr(d + "missing", faDirectory | faReadOnly));  // every bit of a missing file
  EXPECT_TRUE(HasAttr(d + "plain.txt", faArchive));
  EXPECT_FALSE(HasAttr(d + "plain.txt", faDirectory));
  EXPECT_FALSE(HasAttr(d + "plain.txt", faHidden));
  EXPECT_TRUE(HasAttr(d + ".hidden", faHidden));
  EXPECT_TRUE(HasAttr(dir.path().string(), faDirectory));
  EXPECT_EQ(FileGetAttr(d + "missing"), -1);
}

}  // namespace
}  // namespace qorva
