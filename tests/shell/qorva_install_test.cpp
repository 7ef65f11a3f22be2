// The installed program, run as a new user runs it: `cmake --install` into a prefix of its own with
// every installed file read-only, then `qorva x.qva /I /NOGUI` in a folder of the user's own that
// holds nothing but the spring file, without any configuration. The program finds what it ships,
// keeps its work files out of the user's folder, and a change to a shipped table goes to the
// user's copy, which the next run uses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/datafolder.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "tests/support/testsupport.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/tableaccess.h"
#include "xbase/access/tablesession.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

struct FileState {
  std::string bytes;
  struct timespec written {};
};

FileState StateOf(const fs::path& p) {
  FileState s{readFile(p), {}};
  struct stat st {};
  if (::stat(p.c_str(), &st) == 0) s.written = st.st_mtim;
  return s;
}

bool operator==(const FileState& a, const FileState& b) {
  return a.bytes == b.bytes && a.written.tv_sec == b.written.tv_sec && a.written.tv_nsec == b.written.tv_nsec;
}

class InstalledProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::absolute(scratch_.path());
    prefix_ = root_ / "prefix";
    // A folder of the user's own, with an umlaut in its name (UTF-8 on the disk).
    work_ = root_ / test::U8(u8"Federn Größe");
    for (const char* d : {"home", "xdg", "config", "tmp"}) fs::create_directories(root_ / d);
    fs::create_directories(work_);
    fs::copy_file(kData / "null.qva", work_ / "x.qva");
  }
  void TearDown() override {
    test::runCommand("chmod -R u+w '" + root_.string() + "'");
    InitTableHost();
    StopTableEngine();
    InitAllSettings();
  }
  // The program in the user's folder, with nothing of the caller's environment but PATH.
  test::CommandResult Run(const std::string& args) {
    return test::runCommand("cd '" + work_.string() + "' && env -i PATH=\"$PATH\" LC_ALL=C.UTF-8 HOME='" +
                            (root_ / "home").string() + "' XDG_DATA_HOME='" + (root_ / "xdg").string() +
                            "' XDG_CONFIG_HOME='" + (root_ / "config").string() + "' TMPDIR='" +
                            (root_ / "tmp").string() + "' timeout 120 '" + (prefix_ / "bin" / "qorva").string() +
                            "' " + args);
  }
  fs::path shipped() const { return prefix_ / "share" / "qorva"; }

  test::ScratchDir scratch_;
  fs::path root_, prefix_, work_;
};

TEST_F(InstalledProgramTest, FindsItsFilesFromAnyFolderAndKeepsTheUsersChangesInTheUsersCopy) {
  const fs::path build = fs::path(QORVA_BINARY).parent_path().parent_path();
  const test::CommandResult install =
      test::runCommand("cmake --install '" + build.string() + "' --prefix '" + prefix_.string() + "'");
  ASSERT_EQ(install.exitCode, 0) << install.output;
  for (const fs::path& p : {prefix_ / "bin" / "qorva", prefix_ / "bin" / "libqorva_window.so",
                            shipped() / "yeb9wst.dbf", shipped() / "printout.dbf", shipped() / "qorva.err",
                            shipped() / "qorva.hlp", shipped() / "kwendal.hlp", shipped() / "qorva.dbh",
                            shipped() / "start.plt", shipped() / "qorva.dem", shipped() / "qorva.htm"})
    EXPECT_TRUE(fs::is_regular_file(p)) << p;
  ASSERT_EQ(test::runCommand("chmod -R a-w '" + prefix_.string() + "'").exitCode, 0);
  const FileState table = StateOf(shipped() / "yeb9wst.dbf");

  // The result carries the material of the shipped table and the messages' cause and remedy.
  test::CommandResult r = Run("x.qva /I /NOGUI");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string result = readFile(work_ / "x.txt");
  EXPECT_NE(result.find("Werkstoff: 1.4310 X10CrNi18-8 EN 10151 +C1700"), std::string::npos) << result;
  EXPECT_NE(result.find("Warnung: kein Goodman-Diagramm\tF\x81r den Werkstoff sind keine Goodman-Werte"),
            std::string::npos)
      << result;
  // Its second line names the result, not a work file; the work folder went with the run.
  const size_t second = result.find("\r\n") + 2;
  EXPECT_EQ(result.substr(second, result.find("\r\n", second) - second), "x.txt");
  EXPECT_EQ(test::SortedNames(work_), (std::vector<std::string>{"x.qva", "x.txt"}));
  EXPECT_TRUE(fs::is_empty(root_ / "tmp"));

  // An edit through the material table's access layer, as the material window makes it.
  InitAllSettings();
  InitTableHost();
  StartTableEngine();
  datafolder.Shipped = shipped().string();
  datafolder.UserCopies = (root_ / "xdg" / "qorva").string();
  programState.DbfDir = shipped().string();
  programState.TempDir = (root_ / "tmp").string();
  DbfOpenTable("yeb9wst");
  ASSERT_FALSE(programState.ErrorFlag);
  // The spring's material, found by its designation; the edit changes its description.
  for (DbfFirst(); !DbfEof(); DbfSkip(1)) {
    std::string name;
    DbfGetFieldStr(1, name);
    if (name.starts_with("1.4310 X10CrNi18-8 EN 10151 +C1700")) break;
  }
  ASSERT_FALSE(DbfEof());
  DbfSetFieldStr("TEXT2", "Eigenes Federband 12");
  EXPECT_FALSE(programState.ErrorFlag);
  DbfSkip(1);
  DbfCloseTable();
  EXPECT_TRUE(StateOf(shipped() / "yeb9wst.dbf") == table) << "the installed table was written";
  ASSERT_TRUE(fs::is_regular_file(root_ / "xdg" / "qorva" / "yeb9wst.dbf"));

  // The next run uses the user's copy.
  r = Run("x.qva /I /NOGUI");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(readFile(work_ / "x.txt").find("Werkstoff: 1.4310 X10CrNi18-8 EN 10151 +C1700 Eigenes Federband 12"), std::string::npos);
  EXPECT_TRUE(StateOf(shipped() / "yeb9wst.dbf") == table);
}

}  // namespace
}  // namespace qorva
