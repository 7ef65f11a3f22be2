// Spring files whose names hold umlauts, as a user meets them: chosen in the open dialog, read,
// saved, saved under another name, kept in the recent-file list and opened from it, listed by the
// file table; and what happens to a name the program cannot hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "platform/sysname.h"
#include "shell/commandline.h"
#include "shell/filetable.h"
#include "shell/springfile.h"
#include "shell/startup.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::scriptedPrompter;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";
using test::U8;

const std::string kGroesse = "Gr\x94\xE1" "e";  // "Größe"
const std::string kUebung = "\x9A" "bung";       // "Übung"

// The program started in a scratch folder; its spring files lie in "Federn-Ä" below it.
class UmlautFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedPrompter().clear();
    root_ = fs::absolute(scratch_.path());
    fs::copy_file(kData / "yeb9wst.dbf", root_ / "yeb9wst.dbf");
    cwd_ = std::make_unique<test::CwdGuard>(root_);
    InitProgramModules({});
    SetProgramIdentity();
    programState.StartDir = root_.string();
    dir_ = root_ / fs::path(U8(u8"Federn-Ä"));
    fs::create_directory(dir_);
    ASSERT_TRUE(DosNameFromSys(dir_.native(), dos_));
    dos_ += "/";
    fs::copy_file(kData / "null.qva", Disk(u8"Größe.qva"));
  }
  void TearDown() override {
    EXPECT_EQ(scriptedPrompter().pending(), 0u);
    ShutdownProgram();
    cwd_.reset();
    scriptedPrompter().clear();
  }
  fs::path Disk(std::u8string_view name) const { return dir_ / fs::path(U8(name)); }
  std::vector<std::string> Listing() const {
    return test::SortedNames(dir_);
  }
  bool messageContains(const std::string& part) const {
    for (const auto& r : scriptedPrompter().asked())
      if (r.kind == AskKind::Message && r.text.find(part) != std::string::npos) return true;
    return false;
  }
  test::ScratchDir scratch_;
  fs::path root_, dir_;
  std::string dos_;
  std::unique_ptr<test::CwdGuard> cwd_;
  Spring spring_ = NewSpring();
};

TEST_F(UmlautFilesTest, OpenSaveSaveAsAndTheRecentListKeepTheName) {
  programState.DataDir = dos_;
  // File > Open: the dialog starts in the folder's UTF-8 name and answers with the file's.
  scriptedPrompter().push(Disk(u8"Größe.qva").native());
  ASSERT_TRUE(ReadSpringFile(spring_, ""));
  EXPECT_EQ(scriptedPrompter().asked()[0].preset, dir_.native());
  EXPECT_EQ(programState.CurrentFileName, kGroesse);
  EXPECT_EQ(programState.DataDir, dos_);
  PushRecentFile(programState.CurrentFileName);
  EXPECT_EQ(desktopSettings.RecentFiles[1], dos_ + kGroesse + ".qva");

  // File > Save rewrites the same file, found by its UTF-8 name.
  spring_.family.BandWidth = 42.0L;
  ASSERT_TRUE(SaveSpringFile(spring_, programState.CurrentFileName));
  EXPECT_NE(test::readFile(Disk(u8"Größe.qva")).find("\r\n42.0000000\r\n"), std::string::npos);

  // File > Save as "Übung".
  scriptedPrompter().push(Disk(u8"Übung.qva").native());
  ASSERT_TRUE(WriteSpringFile(spring_, ""));
  EXPECT_EQ(programState.CurrentFileName, kUebung);
  PushRecentFile(programState.CurrentFileName);
  // Both files under their UTF-8 names, and nothing named in the code page's bytes.
  EXPECT_EQ(Listing(), (std::vector<std::string>{U8(u8"Größe.qva"), U8(u8"Übung.qva")}));

  // The recent list opens the first file again; the same file in another case stays one entry.
  spring_.family.BandWidth = 1.0L;
  programState.InputModified = false;
  EXPECT_EQ(OpenRecentFileCore(spring_, 2), RecentOpen::Read);
  EXPECT_EQ(spring_.family.BandWidth, 42.0L);
  EXPECT_EQ(programState.CurrentFileName, kGroesse);
  PushRecentFile("GR\x99\xE1" "E");
  EXPECT_EQ(desktopSettings.RecentFiles[1], dos_ + "GR\x99\xE1" "E.qva");
  EXPECT_EQ(desktopSettings.RecentFiles[2], dos_ + kUebung + ".qva");
  EXPECT_TRUE(desktopSettings.RecentFiles[3].empty());
}

TEST_F(UmlautFilesTest, TheFileTableShowsTheNamesAndFindsTheFilesAgain) {
  fs::copy_file(kData / "null.qva", Disk(u8"Übung.QVA"));
  fs::copy_file(kData / "null.qva", Disk(u8"Pre€s.qva"));  // a name the program cannot hold
  programState.DataDir = dos_;
  std::vector<std::string> heard;
  const GridRows rows = ReadFileTable(programState.DataDir, [&](const std::string& n) { heard.push_back(n); });
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][0], U8(u8"Größe.qva"));
  EXPECT_EQ(rows[2][0], U8(u8"Übung.QVA"));
  EXPECT_EQ(heard, (std::vector<std::string>{U8(u8"Größe.qva"), U8(u8"Übung.QVA")}));
  // The row chosen in the table names its file, which the program then reads.
  EXPECT_EQ(FileTableFileName(dos_, rows[2][0]), kUebung + ".QVA");
  EXPECT_TRUE(ReadSpring(dos_ + FileTableFileName(dos_, rows[1][0])).ok());
  EXPECT_EQ(FileTableFileName(dos_, "fehlt.qva"), "");
}

TEST_F(UmlautFilesTest, TheFileTableGuessesNoFileWhereTwoNamesLookAlike) {
  fs::copy_file(kData / "null.qva", Disk(u8"Groesse.qva"));
  desktopSettings.PlainAscii = 1;  // shows "ö" as "oe" and "ß" as "ss"
  const std::string shown = DosToUtf8(kGroesse + ".qva");
  ASSERT_EQ(shown, "Groesse.qva");
  EXPECT_EQ(FileTableFileName(dos_, shown), "");
  desktopSettings.PlainAscii = 0;
  EXPECT_EQ(FileTableFileName(dos_, U8(u8"Größe.qva")), kGroesse + ".qva");
}

TEST_F(UmlautFilesTest, ACommandLineNameTheProgramCannotHoldEndsTheRunWithAMessage) {
  fs::copy_file(kData / "null.qva", root_ / "Pre?s.qva");  // what a substitution would reach
  const CommandLine cmd = ParseCommandLine({U8(u8"Pre€s.qva")});
  EXPECT_TRUE(cmd.fileNameUnusable);
  EXPECT_EQ(StartupCommandLine(cmd, spring_, true), std::optional<int>(ExitBadInput));
  EXPECT_TRUE(messageContains(U8(u8"enthält Zeichen")));
  EXPECT_NE(programState.CurrentFileName, "Pre?s.qva");

  const CommandLine ok = ParseCommandLine({U8(u8"Größe.qva"), "/I"});
  EXPECT_FALSE(ok.fileNameUnusable);
  EXPECT_EQ(ok.fileName, kGroesse + ".qva");
}

}  // namespace
}  // namespace qorva
