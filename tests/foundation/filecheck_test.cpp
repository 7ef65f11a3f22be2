// Checked file steps, the output-name check and the file choosers.
#include "foundation/filecheck.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"
#include "platform/batchprompter.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

class FileCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitMessageBox();
    test::scriptedPrompter().clear();
    programState.DataExt = "qva";
  }
  void TearDown() override {
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u);
    test::scriptedPrompter().clear();
    InitAllSettings();
  }
  static ScriptedPrompter& sp() { return test::scriptedPrompter(); }
  std::string P(const std::string& name) const { return (dir_ / name).string(); }
  // Texts of the messages shown, in order.
  static std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const auto& r : sp().asked())
      if (r.kind == AskKind::Message) out.push_back(r.text);
    return out;
  }
  // Only the file itself may be left in the folder: no probe or temporary file.
  std::vector<std::string> Listing() const {
    return test::SortedNames(dir_.path());
  }
  test::ScratchDir dir_;
};

TEST_F(FileCheckTest, NewNameIsCheckedWithoutLeavingAFile) {
  CheckOutputFile(P("neu.txt"));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(sp().asked().empty());
  EXPECT_TRUE(Listing().empty());
}

TEST_F(FileCheckTest, TooManyDotsInTheNameAreRefusedButNotInTheFolder) {
  CheckOutputFile(P("a.b.txt"));
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].caption, "");  // the plain message dialog, shown even without ShowErrors
  EXPECT_EQ(sp().asked()[0].text, P("a.b.txt") + " not allowed (too many dots)!");

  programState.ErrorFlag = false;
  sp().clear();
  fs::create_directory(dir_ / "x.d");
  CheckOutputFile(P("x.d/a.txt"));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(sp().asked().empty());
}

TEST_F(FileCheckTest, ExistingFileIsAskedForAndKeptUntilReplaced) {
  const std::string name = P("feder.qva");
  struct Case {
    ScriptedAnswer answer;
    bool flag;
  };
  for (const Case& c : {Case{YesNoCancel::Yes, false}, Case{YesNoCancel::No, true}, Case{YesNoCancel::Cancel, true}}) {
    programState.ErrorFlag = false;
    sp().clear();
    test::writeFile(name, "alt");
    sp().push(c.answer);
    CheckOutputFile(name);
    EXPECT_EQ(programState.ErrorFlag, c.flag);
    ASSERT_EQ(sp().asked().size(), 1u);
    EXPECT_EQ(sp().asked()[0].kind, AskKind::YesNoCancel);
    EXPECT_EQ(sp().asked()[0].text, name + " existiert bereits.   überschreiben ?");
    EXPECT_EQ(messageBox.HelpTopic, 3055);
    // The old content stays whatever the answer: the writer replaces it only by a complete new file.
    EXPECT_EQ(test::readFile(name), "alt");
    EXPECT_EQ(Listing(), std::vector<std::string>{"feder.qva"});
  }
}

TEST_F(FileCheckTest, NoQuestionForTheCurrentFileOrWithoutConfirmation) {
  test::writeFile(dir_ / "aktuell.qva", "a");
  test::writeFile(dir_ / "b.qva", "b");
  CheckOutputFile(P("aktuell.qva"));
  desktopSettings.ConfirmOverwrite = false;
  CheckOutputFile(P("b.qva"));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(sp().asked().empty());
}

TEST_F(FileCheckTest, NamesThatCannotBeCreatedAreInvalid) {
  // root may write into a read-only folder; /proc refuses new files to everyone.
  fs::create_directory(dir_ / "ro");
  ::chmod((dir_ / "ro").c_str(), 0555);
  const std::string readOnly = ::geteuid() == 0 ? "/proc/qorva-check.txt" : P("ro/x.txt");
  for (const std::string& name : {P("fehlt/x.txt"), P(""), readOnly}) {
    SCOPED_TRACE(name);
    sp().clear();
    programState.ErrorFlag = false;
    CheckOutputFile(name);
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Ungültiger Dateiname \"" + name + "\" !"});
  }
  ::chmod((dir_ / "ro").c_str(), 0755);

  // Silent while errors are hidden, but still refused.
  sp().clear();
  programState.ShowErrors = false;
  programState.ErrorFlag = false;
  CheckOutputFile(P("fehlt/x.txt"));
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(sp().asked().empty());
}

TEST_F(FileCheckTest, SaveChoiceByName) {
  programState.DataDir = dir_.path().string();
  programState.CurrentFileName = "vorher";
  std::string full;
  AskSaveFile("spring", full);
  EXPECT_EQ(full, P("spring.qva"));
  EXPECT_EQ(programState.CurrentFileName, "vorher");
  AskSaveFile(P("ander.txt"), full);
  EXPECT_EQ(full, P("ander.txt"));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(sp().asked().empty());
}

TEST_F(FileCheckTest, SaveChoiceByDialog) {
  programState.DataDir = "daten";
  programState.CurrentFileName = "vorher";
  fs::create_directory(dir_ / "sub");
  sp().push((dir_ / "sub" / "gewaehlt.qva").string());
  std::string full;
  AskSaveFile("", full);
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].kind, AskKind::SaveFile);
  EXPECT_EQ(sp().asked()[0].preset, "daten/");      // start folder
  EXPECT_EQ(sp().asked()[0].text, "vorher");        // preset name
  EXPECT_EQ(sp().asked()[0].entries[0], "*.qva");  // filter
  EXPECT_EQ(programState.DataDir, P("sub/"));
  EXPECT_EQ(programState.CurrentFileName, "gewaehlt");
  EXPECT_EQ(full, P("sub/gewaehlt.qva"));
  EXPECT_FALSE(programState.ErrorFlag);

  sp().clear();
  programState.DemoRun = true;
  sp().push(Cancel{});
  full = "unchanged";
  AskSaveFile("", full);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(full, "unchanged");
  EXPECT_EQ(sp().asked()[0].text, "demo");
  EXPECT_EQ(programState.DataDir, P("sub/"));
}

TEST_F(FileCheckTest, ArchiveModeRefusesAFileNamedOnTheCommandLine) {
  programState.DataDir = dir_.path().string();
  programState.ArchiveMode = true;
  programState.FileNameHasPath = true;
  std::string full;
  AskSaveFile("spring", full);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), std::vector<std::string>{"File- und User- Befehle sind im Archivierungsmodus nicht möglich."});
  AskReadFile("spring", full);
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(programState.FileNameHasPath);

  programState.ErrorFlag = false;
  AskSaveFile("aktuell", full);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(full, P("aktuell.qva"));

  // Without archive mode the command-line name is used up by the choice.
  programState.ArchiveMode = false;
  programState.FileNameHasPath = true;
  AskSaveFile("x", full);
  EXPECT_FALSE(programState.FileNameHasPath);
}

TEST_F(FileCheckTest, ReadChoice) {
  test::writeFile(dir_ / "spring.qva", "x");
  programState.DataDir = dir_.path().string();
  std::string full;
  AskReadFile("spring", full);
  EXPECT_EQ(full, P("spring.qva"));
  EXPECT_EQ(programState.CurrentFileName, "spring");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(sp().asked().empty());

  // Without a data folder the name is looked for in the current folder.
  programState.DataDir = "";
  AskReadFile("qorva-fehlt", full);
  EXPECT_EQ(full, "qorva-fehlt.qva");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Datei qorva-fehlt.qva nicht gefunden oder kein Zugriffsrecht !"});

  // A full name that is missing keeps the current name.
  programState.ErrorFlag = false;
  programState.CurrentFileName = "spring";
  AskReadFile(P("weg.qva"), full);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "spring");
}

TEST_F(FileCheckTest, ReadChoiceByDialog) {
  test::writeFile(dir_ / "feder.qva", "x");
  programState.DataDir = "daten/";
  sp().push(P("feder.qva"));
  std::string full;
  AskReadFile("", full);
  EXPECT_EQ(sp().asked()[0].kind, AskKind::OpenFile);
  EXPECT_EQ(sp().asked()[0].preset, "daten");
  EXPECT_EQ(sp().asked()[0].entries[0], "*.qva");
  EXPECT_EQ(programState.DataDir, P(""));
  EXPECT_EQ(programState.CurrentFileName, "feder");
  EXPECT_EQ(full, P("feder.qva"));
  EXPECT_FALSE(programState.ErrorFlag);

  sp().push(Cancel{});
  full = "unchanged";
  AskReadFile("", full);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(full, "unchanged");
  EXPECT_EQ(programState.CurrentFileName, "feder");
}

TEST_F(FileCheckTest, GeneralChoosers) {
  std::string result;
  sp().push(Cancel{});
  AskOpenFile(" /a/b/c.dxf", "*.dxf", result);
  EXPECT_EQ(result, " /a/b/c.dxf");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(sp().asked()[0].preset, "/a/b");

  programState.ErrorFlag = false;
  sp().push(std::string("/x/y.dxf"));
  AskOpenFile("c.dxf", "*.dxf", result);
  EXPECT_EQ(result, "/x/y.dxf");
  EXPECT_FALSE(programState.ErrorFlag);

  sp().clear();
  sp().push(Cancel{});
  AskDirectory(dir_.path().string(), result);
  EXPECT_EQ(result, dir_.path().string());
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(sp().asked()[0].preset, dir_.path().string());

  sp().push(std::string("/x/y/"));
  AskDirectory(P("fehlt"), result);
  EXPECT_EQ(result, "/x/y");
  EXPECT_EQ(sp().asked()[1].preset, "");  // a folder that cannot be entered is no start
}

TEST_F(FileCheckTest, ExistenceCheck) {
  test::writeFile(dir_ / "da.txt", "x");
  FileMustExist(P("da.txt"));
  EXPECT_FALSE(programState.ErrorFlag);
  FileMustExist("  " + P("weg.txt") + " ");
  FileMustExist(dir_.path().string());  // a folder is no file
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Datei " + P("weg.txt") + " nicht gefunden oder kein Zugriffsrecht !",
                            "Datei " + dir_.path().string() + " nicht gefunden oder kein Zugriffsrecht !"}));
}

TEST_F(FileCheckTest, CheckedWritesStopAtTheFirstFailureWithOneMessage) {
  TextFile f;
  f.Assign("/dev/full");
  RewriteChecked(f);
  ASSERT_FALSE(programState.ErrorFlag);
  WriteTextChecked(f, "eins");
  WriteTextChecked(f, "zwei");
  CloseChecked(f);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Diskette/Platte voll"});
}

TEST_F(FileCheckTest, CheckedStepsOfAGoodFileAndTheirFailures) {
  TextFile f;
  f.Assign(P("gut.txt"));
  RewriteChecked(f);
  WriteTextChecked(f, "a");
  WriteTextChecked(f, "b");
  CloseChecked(f);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(test::readFile(dir_ / "gut.txt"), "ab");
  EXPECT_TRUE(sp().asked().empty());

  f.Assign(P("fehlt/x.txt"));
  RewriteChecked(f);
  EXPECT_TRUE(programState.ErrorFlag);
  programState.ErrorFlag = false;
  CloseChecked(f);  // not open: runs whatever the flag, and fails
  EXPECT_TRUE(programState.ErrorFlag);
  programState.ErrorFlag = false;
  WriteTextChecked(f, "x");  // not open either
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"file write error", "Fehler beim Schließen einer Datei",
                                                  "Fehler bei Zugriff auf Diskette/Platte"}));
}

TEST_F(FileCheckTest, RewriteRetryGivesUpWhereNobodyCanMendTheFailure) {
  TextFile f;
  f.Assign(P("fehlt/cfg.ini"));
  // Someone sees each failure: a bounded number of tries, each one shown.
  RewriteRetry(f);
  EXPECT_TRUE(programState.ErrorFlag);
  const std::vector<std::string> shown = Messages();
  ASSERT_GT(shown.size(), 1u);
  ASSERT_LE(shown.size(), 10u);
  for (const auto& m : shown) EXPECT_EQ(m.rfind("I/O-Error ", 0), 0u) << m;

  // Hidden errors: one try.
  sp().clear();
  programState.ErrorFlag = false;
  programState.ShowErrors = false;
  RewriteRetry(f);
  EXPECT_TRUE(programState.ErrorFlag);

  // A batch run: one try.
  static std::ostringstream log;
  programState.ShowErrors = true;
  programState.ErrorFlag = false;
  auto previous = installPrompter(std::make_unique<BatchPrompter>(&log));
  RewriteRetry(f);
  const bool flag = programState.ErrorFlag;
  installPrompter(std::move(previous));
  EXPECT_TRUE(flag);
  EXPECT_EQ(log.str().find("I/O-Error"), log.str().rfind("I/O-Error"));

  // A name that can be created.
  programState.ErrorFlag = false;
  f.Assign(P("cfg.ini"));
  RewriteRetry(f);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(f.IsOpen());
  f.Close();
}

}  // namespace
}  // namespace qorva
