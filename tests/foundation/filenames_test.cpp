// Files whose names hold umlauts: the program holds the names in its code page, the disk has them
// in UTF-8. The file routines reach the file of the UTF-8 name, the choosers hand names out and take
// them back exactly, and a name the program cannot hold is refused rather than bent into another.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/fileattributes.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "foundation/workdir.h"
#include "platform/sysname.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

using test::U8;

const std::string kGroesse = "Gr\x94\xE1" "e";  // "Größe" in the program's code page

// A folder "Prüfung" in the scratch area; dos_ is its name as the program holds it.
class FileNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitMessageBox();
    test::scriptedPrompter().clear();
    programState.DataExt = "qva";
    dir_ = fs::absolute(scratch_.path()) / fs::path(U8(u8"Prüfung"));
    fs::create_directory(dir_);
    ASSERT_TRUE(DosNameFromSys(dir_.native(), dos_));
    dos_ += "/";
  }
  void TearDown() override {
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u);
    test::scriptedPrompter().clear();
    RemoveWorkDir();
    InitAllSettings();
  }
  static ScriptedPrompter& sp() { return test::scriptedPrompter(); }
  fs::path Disk(std::u8string_view name) const { return dir_ / fs::path(U8(name)); }
  // The raw names of the folder (UTF-8 on the disk), sorted.
  std::vector<std::string> Listing() const {
    return test::SortedNames(dir_);
  }
  test::ScratchDir scratch_;
  fs::path dir_;
  std::string dos_;
};

TEST_F(FileNamesTest, TheSharedTextFileWritesAndReadsTheFileOfTheUtf8Name) {
  TextFile f;
  f.Assign(dos_ + kGroesse + ".txt");
  ASSERT_TRUE(f.Rewrite());
  f.WriteLn("Zeile");
  ASSERT_TRUE(f.Close());
  // The one file, named in UTF-8; no temporary file and no name in the code page's bytes.
  EXPECT_EQ(Listing(), std::vector<std::string>{U8(u8"Größe.txt")});
  EXPECT_EQ(test::readFile(Disk(u8"Größe.txt")), "Zeile\r\n");

  ASSERT_TRUE(f.Reset());
  std::string line;
  f.ReadLn(line);
  EXPECT_EQ(line, "Zeile");
  f.Close();
  // A name stored in another case (an old configuration, "GRÖßE.TXT") finds it as well.
  EXPECT_EQ(ResolveFileCase(dos_ + "GR\x99\xE1" "E.TXT"), dos_ + kGroesse + ".txt");
  EXPECT_TRUE(FileCanOpen(dos_ + "gr\x94\xE1" "e.TXT"));
  EXPECT_EQ(FileGetAttr(dos_ + kGroesse + ".txt") & faArchive, faArchive);
  EXPECT_TRUE(DirWritable(dos_));
  EXPECT_TRUE(DirCanEnter(dos_));
}

TEST_F(FileNamesTest, CopiesMasksAndErasesWorkOnTheProgramsNames) {
  test::writeFile(Disk(u8"Größe.qva"), "feder");
  test::writeFile(Disk(u8"Übung.qva"), "feder 2");
  test::writeFile(Disk(u8"Pre€s.qva"), "not ours to name");
  fs::create_directory(Disk(u8"Ziel-Ä"));
  const std::string target = dos_ + "Ziel-\x8E/";

  EXPECT_TRUE(CopyFileTo(dos_ + kGroesse + ".qva", target));
  EXPECT_EQ(test::readFile(Disk(u8"Ziel-Ä/Größe.qva")), "feder");
  CopyFilesByMask("*.QVA", dos_, target);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(test::readFile(Disk(u8"Ziel-Ä/Übung.qva")), "feder 2");
  // The file whose name the program cannot hold is neither copied nor touched.
  EXPECT_FALSE(fs::exists(Disk(u8"Ziel-Ä/Pre€s.qva")));

  DeleteFiles(dos_, "*.qva");
  EXPECT_EQ(Listing(), (std::vector<std::string>{U8(u8"Pre€s.qva"), U8(u8"Ziel-Ä")}));
  EXPECT_TRUE(EraseFile(target + "\x9A" "bung.qva"));
  EXPECT_FALSE(fs::exists(Disk(u8"Ziel-Ä/Übung.qva")));
}

TEST_F(FileNamesTest, ALinkToAFileTheProgramCannotNameIsNeitherFollowedNorReplaced) {
  test::writeFile(Disk(u8"Pre€s.qva"), "kept");
  fs::create_symlink(U8(u8"Pre€s.qva"), Disk(u8"Link.qva"));
  TextFile f;
  f.Assign(dos_ + "Link.qva");
  EXPECT_FALSE(f.Rewrite());
  // Reading through the link is fine; writing through it is refused.
  ASSERT_TRUE(CopyFileTo(dos_ + "Link.qva", dos_ + "Kopie.qva"));
  EXPECT_EQ(test::readFile(Disk(u8"Kopie.qva")), "kept");
  EXPECT_FALSE(CopyFileAs(dos_ + "Kopie.qva", dos_ + "Link.qva"));
  EXPECT_TRUE(fs::is_symlink(Disk(u8"Link.qva")));
  EXPECT_EQ(test::readFile(Disk(u8"Pre€s.qva")), "kept");
}

TEST_F(FileNamesTest, TheWorkFolderMayLieInAFolderWithAnUmlaut) {
  ASSERT_TRUE(MakeWorkDir(dos_));
  EXPECT_EQ(workdir.Dir.substr(0, dos_.size()), dos_);
  EXPECT_TRUE(fs::is_directory(SysPath(workdir.Dir)));
  const fs::path made = SysPath(workdir.Dir);
  RemoveWorkDir();
  EXPECT_FALSE(fs::exists(made));
}

TEST_F(FileNamesTest, ChoosersHandTheFolderOutAndTheChosenNameBackExactly) {
  test::writeFile(Disk(u8"Größe.qva"), "x");
  // The plain-ASCII display writes "Groesse" for the name: the dialog must not see that.
  desktopSettings.PlainAscii = 1;
  std::string dir = dos_;
  sp().push(Disk(u8"Größe.qva").native());
  std::string name;
  AskOpenFileMode(dir, "*.qva", name);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(sp().asked()[0].preset, dir_.native());
  EXPECT_EQ(name, kGroesse);
  EXPECT_EQ(dir, dos_);

  std::string result;
  sp().push(Disk(u8"Größe.qva").native());
  AskOpenFile(dos_ + "x.qva", "*.qva", result);
  EXPECT_EQ(result, dos_ + kGroesse + ".qva");

  sp().push(dir_.native());
  AskDirectory("", result);
  EXPECT_EQ(result, RemoveTrailingSlash(dos_));

  programState.DataDir = dos_;
  programState.CurrentFileName = kGroesse;
  sp().push(Disk(u8"Übung.qva").native());
  std::string full;
  AskSaveFile("", full);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(sp().asked()[3].preset, dir_.native() + "/");
  EXPECT_EQ(sp().asked()[3].text, U8(u8"Größe"));  // the preset name
  EXPECT_EQ(full, dos_ + "\x9A" "bung.qva");
  EXPECT_EQ(programState.CurrentFileName, "\x9A" "bung");
}

TEST_F(FileNamesTest, AChosenNameTheProgramCannotHoldIsRefusedWithAMessage) {
  test::writeFile(Disk(u8"Pre€s.qva"), "x");
  test::writeFile(dir_ / "Pre?s.qva", "another file");  // what a substitution would reach
  programState.ShowErrors = true;
  std::string dir = dos_;
  std::string name = "old";
  sp().push(Disk(u8"Pre€s.qva").native());
  AskOpenFileMode(dir, "*.qva", name);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(dir, dos_);
  bool told = false;
  for (const auto& r : sp().asked())
    if (r.kind == AskKind::Message && r.text.find(U8(u8"Ungültiger Dateiname")) != std::string::npos) told = true;
  EXPECT_TRUE(told);

  programState.ErrorFlag = false;
  std::string result;
  sp().push(Disk(u8"Pre€s.qva").native());
  AskOpenFile(dos_ + "x.qva", "*.qva", result);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(result, dos_ + "x.qva");

  sp().push(dir_.native() + "/" + U8(u8"€"));
  AskDirectory(dos_, result);
  EXPECT_EQ(result, dos_);
}

TEST_F(FileNamesTest, TheCaptionShowsTheNameAsTheDisplayShowsTexts) {
  programState.ProgTitle = "QORVA";
  programState.CurrentFileName = dos_ + kGroesse;
  std::string title;
  SetAppTitle(title);
  EXPECT_EQ(title, "QORVA  -  " + DosToUtf8(dos_ + kGroesse) + ".qva");
  EXPECT_NE(title.find(U8(u8"Prüfung/Größe.qva")), std::string::npos);
}

}  // namespace
}  // namespace qorva
