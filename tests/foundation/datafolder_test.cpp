// The program's data folder and the user's copies of the shipped files it changes.
#include "foundation/datafolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

class DatafolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    test::scriptedPrompter().clear();
    fs::create_directories(shipped());
    test::writeFile(shipped() / "qorva.err", "Fehler : x\r\nUrsache\r\nAbhilfe\r\n");
    fs::permissions(shipped() / "qorva.err", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    datafolder.Shipped = shipped().string();
    datafolder.UserCopies = (scratch_ / "home" / "qorva").string();
  }
  void TearDown() override { InitAllSettings(); }
  fs::path shipped() const { return scratch_ / "share" / "qorva"; }
  test::ScratchDir scratch_;
};

// Read from the shipped folder until the first change; that change makes the user's copy from the
// shipped file (writable, the shipped one untouched), and from then on the copy is read.
TEST_F(DatafolderTest, TheFirstChangeMakesTheUsersCopyWhichIsReadFromThenOn) {
  const std::string dir = shipped().string() + "/";
  EXPECT_EQ(DataFileToRead(dir, "qorva.err"), dir + "qorva.err");
  const std::string copy = DataFileToChange(dir, "qorva.err");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(copy, datafolder.UserCopies + "/qorva.err");
  EXPECT_EQ(test::readFile(copy), test::readFile(shipped() / "qorva.err"));
  struct stat st {};
  ASSERT_EQ(stat(copy.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
  test::writeFile(copy, "changed");
  EXPECT_EQ(DataFileToRead(dir, "qorva.err"), copy);
  EXPECT_EQ(DataFileToChange(dir, "qorva.err"), copy) << "an existing copy is not made again";
  EXPECT_EQ(test::readFile(copy), "changed");
  EXPECT_EQ(test::readFile(shipped() / "qorva.err"), "Fehler : x\r\nUrsache\r\nAbhilfe\r\n");
}

// A folder the configuration names is the user's own: read and changed where it is.
TEST_F(DatafolderTest, AnotherFolderIsReadAndChangedInPlace) {
  const std::string own = (scratch_ / "own").string();
  fs::create_directories(own);
  for (const std::string& dir : {own, own + "/"}) {
    EXPECT_EQ(DataFileToRead(dir, "qorva.err"), own + "/qorva.err");
    EXPECT_EQ(DataFileToChange(dir, "qorva.err"), own + "/qorva.err");
  }
  EXPECT_FALSE(fs::exists(datafolder.UserCopies));
}

TEST_F(DatafolderTest, TheShippedFolderIsKnownAlsoByAnotherSpelling) {
  fs::create_directory_symlink(shipped(), scratch_ / "link");
  for (const std::string& dir : {shipped().string(), shipped().string() + "/", (scratch_ / "link").string(),
                                 (scratch_ / "share" / "." / "qorva").string()})
    EXPECT_TRUE(IsShippedFolder(dir)) << dir;
  for (const std::string& dir : {std::string(), std::string("  "), (scratch_ / "share").string()})
    EXPECT_FALSE(IsShippedFolder(dir)) << dir;
  datafolder.Shipped.clear();
  EXPECT_FALSE(IsShippedFolder(shipped().string()));
}

// Without a home there is no place for the copy: told, and nothing written.
TEST_F(DatafolderTest, WithoutAPlaceForTheCopyTheChangeIsRefusedWithAMessage) {
  datafolder.UserCopies.clear();
  EXPECT_EQ(DataFileToChange(shipped().string(), "qorva.err"), "");
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_NE(test::scriptedPrompter().asked()[0].text.find("qorva.err"), std::string::npos);
}

TEST_F(DatafolderTest, TheUsersCopiesFollowXdgDataHomeElseHome) {
  const test::ScopedEnv home("HOME", "/home/ing");
  {
    const test::ScopedEnv xdg("XDG_DATA_HOME", "/data/ing");
    EXPECT_EQ(FindUserCopyFolder("qorva"), "/data/ing/qorva");
  }
  for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/path"}) {
    const test::ScopedEnv xdg("XDG_DATA_HOME", unusable);
    EXPECT_EQ(FindUserCopyFolder("qorva"), "/home/ing/.local/share/qorva");
  }
  const test::ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  const test::ScopedEnv noHome("HOME", nullptr);
  EXPECT_EQ(FindUserCopyFolder("qorva"), "");
}

// A program of the build tree (as this test is) reads the source tree's data folder.
TEST_F(DatafolderTest, AProgramOfTheBuildTreeFindsTheSourceTreesDataFolder) {
  EXPECT_TRUE(fs::equivalent(FindShippedFolder("qorva"), fs::path(QORVA_SOURCE_DIR) / "data"));
  InitDatafolder();
  LocateDataFolders("qorva");
  EXPECT_FALSE(datafolder.Shipped.empty());
}

}  // namespace
}  // namespace qorva
