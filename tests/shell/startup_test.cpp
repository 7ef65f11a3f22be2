// Start-up, command line, save question and recent files without a window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "foundation/desktopsettings.h"
#include "shell/commandline.h"
#include "shell/springfile.h"
#include "shell/startup.h"
#include "spring/materialtable.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"
#include "xbase/enginestate.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::scriptedPrompter;
using test::writeFile;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

// The program's modules started as the program starts them, with a scratch folder standing in for
// every configured folder and the shipped material table.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scriptedPrompter().clear();
    dir_ = fs::absolute(scratch_.path());
    fs::copy_file(kData / "yeb9wst.dbf", dir_ / "yeb9wst.dbf");
    cwd_ = std::make_unique<test::CwdGuard>(dir_);
    InitProgramModules({});
    SetProgramIdentity();
    programState.StartDir = dir_.string();
  }
  void TearDown() override {
    ShutdownProgram();
    cwd_.reset();
    scriptedPrompter().clear();
  }
  bool messageContains(const std::string& part) const {
    for (const auto& r : scriptedPrompter().asked())
      if (r.text.find(part) != std::string::npos) return true;
    return false;
  }
  test::ScratchDir scratch_;
  fs::path dir_;
  std::unique_ptr<test::CwdGuard> cwd_;
  Spring spring_ = NewSpring();  // the spring the start-up works on
};

TEST(CommandLine, ParsesEveryMode) {
  struct Case {
    std::vector<std::string> params;
    CommandMode mode;
    int32_t i, j;
    bool noGui;
  };
  const Case cases[] = {
      {{}, CommandMode::None, 0, 0, false},
      {{"?"}, CommandMode::Usage, 0, 0, false},
      {{"/?", "test.qva"}, CommandMode::Usage, 0, 0, false},
      {{"test.qva", "?"}, CommandMode::Plain, 0, 0, false},
      {{"demo"}, CommandMode::Demo, 0, 0, false},
      {{"Demo", "/I"}, CommandMode::Demo, 0, 0, false},
      {{"x.edi", "/E", "/NOGUI"}, CommandMode::Edit, 0, 0, true},
      {{"x.qva", "/G"}, CommandMode::Edit, 0, 0, false},
      {{"x.qva", "/g"}, CommandMode::Plain, 0, 0, false},
      {{"x.qva", "/I", "/nogui"}, CommandMode::TextResults, 0, 0, true},
      {{"x.qva", "-i"}, CommandMode::TextResults, 0, 0, false},
      {{"x.qva", "/CAD1:1"}, CommandMode::Cad, 1, 1, false},
      {{"x.qva", "/cad2:4"}, CommandMode::Cad, 2, 4, false},
      {{"x.qva", "-CAD5x3"}, CommandMode::Cad, 5, 3, false},
      {{"x.qva", "/CAD1:12"}, CommandMode::Cad, 1, 12, false},
      {{"x.qva", "/CAD1"}, CommandMode::Cad, 1, 0, false},
      {{"x.qva", "/CAD"}, CommandMode::Cad, 0, 0, false},
      {{"x.qva", "/NOGUI", "/I"}, CommandMode::Plain, 0, 0, true},
      {{"x.qva"}, CommandMode::Plain, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params.empty() ? std::string("(none)") : c.params[0] + " " +
                                                                 (c.params.size() > 1 ? c.params[1] : ""));
    const CommandLine cmd = ParseCommandLine(c.params);
    EXPECT_EQ(cmd.mode, c.mode);
    EXPECT_EQ(cmd.cadDevice, c.i);
    EXPECT_EQ(cmd.cadView, c.j);
    EXPECT_EQ(cmd.noGui, c.noGui);
    if (c.mode != CommandMode::None && c.mode != CommandMode::Usage) {
      EXPECT_EQ(cmd.fileName, c.params[0]);
    }
  }
}

TEST(CommandLine, BatchRefusesWhatWouldNeedSomeoneToAnswer) {
  struct Case {
    std::vector<std::string> params;
    bool headless;
    bool refused;
  };
  const Case cases[] = {
      {{"x.qva", "/I"}, true, false},
      {{"x.qva", "/CAD1:8"}, true, false},
      {{"x.qva", "/CAD6:7"}, true, false},
      {{"x.qva", "/CAD1"}, true, true},    // the view would be asked for
      {{"x.qva", "/CAD"}, true, true},     // the kind too
      {{"x.qva", "/CAD3:1"}, true, true},  // the screen
      {{"x.qva", "/CAD4:1"}, true, true},  // the plot program
      {{"x.qva", "/CAD1:9"}, true, true},
      {{"x.qva", "/E", "/NOGUI"}, true, true},
      {{"x.qva", "/NOGUI"}, true, true},
      {{"x.qva"}, false, true},
      {{"?"}, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params[0] + " " + (c.params.size() > 1 ? c.params[1] : ""));
    const CommandLine cmd = ParseCommandLine(c.params);
    EXPECT_EQ(RunsHeadless(cmd), c.headless);
    EXPECT_EQ(!BatchRefusal(cmd).empty(), c.refused);
  }
}

TEST(CommandLine, ExtensionIsLookedForInTheFileNameOnly) {
  EXPECT_TRUE(HasFileExtension("test.qva"));
  EXPECT_TRUE(HasFileExtension("../a/test.qva"));
  EXPECT_FALSE(HasFileExtension("test"));
  EXPECT_FALSE(HasFileExtension("./test"));
  EXPECT_FALSE(HasFileExtension("dir.v2/test"));
  // "\" is a character of a name given on the command line, not a folder separator.
  EXPECT_TRUE(HasFileExtension("dir.v2\\test"));
  EXPECT_EQ(CommandLineBaseName("a\\b.qva"), "a\\b");
  EXPECT_EQ(CommandLineBaseName("sub.d/feder.x.qva"), "feder.x");
  EXPECT_EQ(CommandLineBaseName("../.hidden"), ".hidden");
}

TEST_F(StartupTest, TheShippedDefaultSpringIsWhatTheStartValuesWrite) {
  // QORVA_WRITE_DEFAULT_SPRING=1 rewrites the shipped file from the start values.
  const fs::path shipped = kData / "null.qva";
  const fs::path written = dir_ / "null.qva";
  const Spring start = NewSpring();
  ASSERT_TRUE(SaveSpringFile(start, written.string()));
  if (const char* w = std::getenv("QORVA_WRITE_DEFAULT_SPRING"); w && std::string(w) == "1") {
    fs::copy_file(written, shipped, fs::copy_options::overwrite_existing);
  }
  EXPECT_EQ(start.family.MaterialNumber, 12);
  EXPECT_EQ(readFile(written), readFile(shipped));
}

TEST_F(StartupTest, StartWithoutDefaultSpringLoadsTheMaterialBeforeCalculating) {
  ASSERT_FALSE(StartupCommandLine(ParseCommandLine({}), spring_, false).has_value());
  EXPECT_GT(spring_.family.EModulus, 0);
  EXPECT_FALSE(programState.FatalError);
  for (uint16_t n = 1; n <= errorList.ErrorCount; ++n) EXPECT_EQ(errorList.ErrorMsgs[n].find("E = 0"), std::string::npos);
  EXPECT_TRUE(programState.CurrentFileName.empty());
  EXPECT_FALSE(programState.InputModified);
}

TEST_F(StartupTest, StartReadsTheDefaultSpringAndForgetsItsName) {
  fs::copy_file(kData / "null.qva", dir_ / "null.qva");
  spring_.family.BandWidth = 7;  // the file must bring back 50
  ASSERT_FALSE(StartupCommandLine(ParseCommandLine({}), spring_, false).has_value());
  EXPECT_EQ(spring_.family.BandWidth, 50);
  EXPECT_TRUE(programState.CurrentFileName.empty());
  EXPECT_EQ(programState.DataDir, dir_.string() + "/");
  EXPECT_FALSE(programState.FatalError);
}

TEST_F(StartupTest, PlainModeRefusalsEndWithExitCodeOne) {
  struct Case {
    std::string name;
    std::string message;
  };
  const Case cases[] = {
      {"test", "Erweiterung .qva mu"},
      {"dir.v2/test", "Erweiterung .qva"},
      {"a.b.qva", "too many dots"},
      {"nofolder/test.qva", "ltiger Dateiname"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scriptedPrompter().clear();
    EXPECT_EQ(StartupCommandLine(ParseCommandLine({c.name}), spring_, false), std::optional<int>(ExitBadInput));
    EXPECT_TRUE(messageContains(c.message));
  }
}

TEST_F(StartupTest, PlainModeStartsANewFileUnderAWritableName) {
  EXPECT_FALSE(StartupCommandLine(ParseCommandLine({"neu.qva"}), spring_, false).has_value());
  EXPECT_TRUE(programState.FileNameHasPath);
  EXPECT_EQ(programState.CurrentFileName, "neu.qva");
  EXPECT_FALSE(fs::exists(dir_ / "neu.qva"));
  EXPECT_GT(spring_.family.EModulus, 0);  // the start values got their material
}

TEST_F(StartupTest, PlainModeKeepsADamagedFileAndSaysWhy) {
  fs::copy_file(kData / "null.qva", dir_ / "bad.qva");
  std::string bytes = readFile(dir_ / "bad.qva");
  bytes.resize(bytes.size() / 3);
  writeFile(dir_ / "bad.qva", bytes);
  EXPECT_EQ(StartupCommandLine(ParseCommandLine({"bad.qva"}), spring_, false), std::optional<int>(ExitBadInput));
  EXPECT_TRUE(messageContains("nicht eingelesen"));
  EXPECT_EQ(readFile(dir_ / "bad.qva"), bytes);
}

TEST_F(StartupTest, PlainModeReadsTheNamedFile) {
  fs::copy_file(kData / "null.qva", dir_ / "f.qva");
  spring_.family.BandWidth = 7;
  EXPECT_FALSE(StartupCommandLine(ParseCommandLine({"f.qva", "/x"}), spring_, false).has_value());
  EXPECT_EQ(spring_.family.BandWidth, 50);
  EXPECT_EQ(programState.CurrentFileName, "f.qva");
  EXPECT_TRUE(programState.FileNameHasPath);
}

TEST_F(StartupTest, DemoAndEditModesReadNoFile) {
  fs::copy_file(kData / "null.qva", dir_ / "null.qva");
  fs::copy_file(kData / "null.qva", dir_ / "x.qva");
  spring_.family.BandWidth = 7;
  scriptedPrompter().clear();
  EXPECT_FALSE(StartupCommandLine(ParseCommandLine({"Demo"}), spring_, false).has_value());
  // The introduction's two boxes.
  const auto& asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_NE(asked[0].text.find("QORVADEMO  ist  ein selbstablaufendes Demoprogramm"), std::string::npos) << asked[0].text;
  EXPECT_EQ(asked[1].text, "Mit <OK> oder ENTER-Taste wird weitergeschaltet.");
  EXPECT_TRUE(programState.DemoRun);
  EXPECT_EQ(programState.CurrentFileName, "Demo");
  EXPECT_EQ(spring_.family.BandWidth, 7);  // not even the default spring

  programState.DemoRun = false;
  EXPECT_FALSE(StartupCommandLine(ParseCommandLine({"x.qva", "/E"}), spring_, false).has_value());
  EXPECT_EQ(spring_.family.BandWidth, 50);  // the default spring, not the named file's name
  EXPECT_TRUE(programState.CurrentFileName.empty());
}

// Every run works in a private folder of its own inside the configured temporary folder, and
// removes it at its end; a temporary folder that takes no files is left for a private folder in
// the user's runtime folder or the system's temporary folder.
TEST_F(StartupTest, EveryRunWorksInAPrivateFolderThatGoesAtItsEnd) {
  fs::copy_file(kData / "null.qva", dir_ / "t.qva");
  fs::create_directory(dir_ / "tmp");
  programState.TempDir = (dir_ / "tmp").string();
  EXPECT_EQ(StartupCommandLine(ParseCommandLine({"t.qva", "/CAD6:1"}), spring_, true), std::optional<int>(ExitOk));
  const std::string work = workdir.Dir;
  ASSERT_FALSE(work.empty());
  EXPECT_EQ(fs::path(work).parent_path(), dir_ / "tmp");
  EXPECT_NE(fs::path(work).filename().string(), "qorva-XXXXXX");
  struct stat st {};
  ASSERT_EQ(stat(work.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(engineState.XbTempDir, work);
  EXPECT_TRUE(fs::exists(dir_ / "t.stl"));
  // The kernel's block files of the view are in the private folder, none beside the result.
  size_t blocks = 0;
  for (const auto& e : fs::directory_iterator(work)) blocks += e.path().extension() == ".dx$";
  EXPECT_GT(blocks, 0u);
  for (const fs::path& d : {dir_, dir_ / "tmp"})
    for (const auto& e : fs::directory_iterator(d)) EXPECT_NE(e.path().extension(), ".dx$") << e.path();
  ShutdownProgram();
  EXPECT_FALSE(fs::exists(work));
  EXPECT_TRUE(workdir.Dir.empty());
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));

  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = oldRuntime ? oldRuntime : "";
  fs::create_directory(dir_ / "run");
  setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
  for (const bool runtime : {true, false}) {
    SCOPED_TRACE(runtime);
    if (!runtime) unsetenv("XDG_RUNTIME_DIR");
    InitProgramModules({});
    SetProgramIdentity();
    spring_ = NewSpring();
    programState.StartDir = dir_.string();
    programState.TempDir = (dir_ / "missing" / "").string();
    scriptedPrompter().push(Cancel{});  // the folder question; a batch run's prompter cancels it
    EXPECT_EQ(StartupCommandLine(ParseCommandLine({"t.qva", "/I"}), spring_, true), std::optional<int>(ExitOk));
    const std::string priv = workdir.Dir;
    ASSERT_FALSE(priv.empty());
    if (runtime) EXPECT_EQ(fs::path(priv).parent_path(), dir_ / "run");
    else EXPECT_NE(fs::path(priv).parent_path(), dir_ / "run");
    EXPECT_EQ(programState.TempDir, (dir_ / "missing" / "").string());  // the setting stays as configured
    EXPECT_TRUE(fs::exists(dir_ / "t.txt"));
    ShutdownProgram();
    EXPECT_FALSE(fs::exists(priv));
  }
  if (oldRuntime) {
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

// Without a configured temporary folder a run works in the system's ($TMPDIR): nothing of it shows
// in the user's folder, and the result's second line names the result, not a work file.
TEST_F(StartupTest, WithoutAConfiguredFolderTheRunWorksInTheSystemsTemporaryFolder) {
  fs::copy_file(kData / "null.qva", dir_ / "t.qva");
  fs::create_directory(dir_ / "systmp");
  const test::ScopedEnv tmp("TMPDIR", (dir_ / "systmp").c_str());
  programState.TempDir = "";
  EXPECT_EQ(StartupCommandLine(ParseCommandLine({"t.qva", "/I"}), spring_, true), std::optional<int>(ExitOk));
  ASSERT_FALSE(workdir.Dir.empty());
  EXPECT_EQ(fs::path(workdir.Dir).parent_path(), dir_ / "systmp");
  EXPECT_EQ(test::SortedNames(dir_), (std::vector<std::string>{"systmp", "t.qva", "t.txt", "yeb9wst.dbf"}));
  const std::string result = readFile(dir_ / "t.txt");
  const size_t second = result.find("\r\n") + 2;
  EXPECT_EQ(result.substr(second, result.find("\r\n", second) - second), "t.txt");
  ShutdownProgram();
  EXPECT_TRUE(fs::is_empty(dir_ / "systmp"));
}

// A material table whose engine stops the program.
class HaltingTable : public MemoryMaterialTable {
 public:
  bool open(const std::string&) override { throw EXbaseHalt(77, "Programm angehalten."); }
};

TEST_F(StartupTest, AnEngineStopEndsTheBatchRunWithItsCode) {
  fs::copy_file(kData / "null.qva", dir_ / "h.qva");
  installMaterialTable(std::make_unique<HaltingTable>());
  const int rc = RunBatch({"h.qva", "/I", "/NOGUI"});
  installMaterialTable(nullptr);
  EXPECT_EQ(rc, 77);
  EXPECT_FALSE(fs::exists(dir_ / "h.txt"));
}

// A batch run reads, calculates and writes a spring of its own: a run after another gives its own
// file's results, nothing of the spring before.
TEST_F(StartupTest, EachBatchRunWorksOnItsOwnSpring) {
  std::string bytes = readFile(kData / "null.qva");
  fs::copy_file(kData / "null.qva", dir_ / "b.qva");
  const size_t width = bytes.find("\r\n50.0000000\r\n");
  ASSERT_NE(width, std::string::npos);
  bytes.replace(width + 2, 10, "7.00000000");
  writeFile(dir_ / "c.qva", bytes);
  EXPECT_EQ(RunBatch({"c.qva", "/I", "/NOGUI"}), ExitOk);
  EXPECT_EQ(RunBatch({"b.qva", "/I", "/NOGUI"}), ExitOk);
  const std::string narrow = readFile(dir_ / "c.txt");
  const std::string wide = readFile(dir_ / "b.txt");
  EXPECT_NE(narrow.find("Bandbreite\tb\tmm\t    7.00\r\n"), std::string::npos) << narrow;
  EXPECT_NE(wide.find("Bandbreite\tb\tmm\t   50.00\r\n"), std::string::npos) << wide;
}

// ---- Save question ----

TEST_F(StartupTest, SaveQuestionKeepsTheModifiedMarkWhenSavingFails) {
  programState.DataDir = (dir_ / "gone").string();  // no such folder: the save fails
  programState.CurrentFileName = "feder";
  programState.InputModified = true;
  scriptedPrompter().push(YesNoCancel::Yes);
  EXPECT_EQ(AskSaveChanges(spring_), Outcome::Failed);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(programState.InputModified);
  EXPECT_TRUE(desktopSettings.ConfirmOverwrite);
}

TEST_F(StartupTest, SaveQuestionAnswers) {
  struct Case {
    std::string name;
    ScriptedAnswer answer;
    Outcome outcome;
    bool errorFlag;
    bool modified;
    bool saved;
  };
  const Case cases[] = {
      {"feder", YesNoCancel::Yes, Outcome::Done, false, false, true},
      {"feder", YesNoCancel::No, Outcome::Done, false, false, false},
      {"feder", YesNoCancel::Cancel, Outcome::Cancelled, true, true, false},
      {"", YesNoCancel::Yes, Outcome::Done, false, false, false},  // "Bisherige Eingaben verwerfen ?"
      {"", YesNoCancel::No, Outcome::Cancelled, true, true, false},
      {"", YesNoCancel::Cancel, Outcome::Cancelled, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " " + IntStr(static_cast<int32_t>(std::get<YesNoCancel>(c.answer))));
    fs::remove(dir_ / "feder.qva");
    scriptedPrompter().clear();
    programState.DataDir = dir_.string();
    programState.CurrentFileName = c.name;
    programState.FileNameHasPath = false;
    programState.InputModified = true;
    programState.ErrorFlag = false;
    scriptedPrompter().push(c.answer);
    EXPECT_EQ(AskSaveChanges(spring_), c.outcome);
    EXPECT_EQ(programState.ErrorFlag, c.errorFlag);
    EXPECT_EQ(programState.InputModified, c.modified);
    EXPECT_EQ(fs::exists(dir_ / "feder.qva"), c.saved);
    ASSERT_FALSE(scriptedPrompter().asked().empty());
    EXPECT_EQ(scriptedPrompter().asked()[0].text,
              c.name.empty() ? "Bisherige Eingaben verwerfen ?" : "Datei speichern (" + dir_.string() + "/feder.qva) ?");
  }
}

TEST_F(StartupTest, SaveQuestionAndTitleShowAnUmlautNameAsItIs) {
  // The name in the data folder, and the same name given on the command line and saved there.
  const std::string dir = dir_.string() + "/";
  const std::string shown = dir + "Pr\xC3\xBC" "ffeder.qva";
  struct Case {
    const char* name;
    std::string current;
    bool hasPath;
  } cases[] = {{"in the data folder", "Pr\x81" "ffeder", false},
               {"named on the command line", dir + "Pr\x81" "ffeder.qva", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "Pr\xC3\xBC" "ffeder.qva");
    programState.DataDir = dir;
    programState.CurrentFileName = c.current;
    programState.FileNameHasPath = c.hasPath;
    for (const YesNoCancel answer : {YesNoCancel::Yes, YesNoCancel::No}) {
      scriptedPrompter().clear();
      programState.InputModified = true;
      programState.ErrorFlag = false;
      scriptedPrompter().push(answer);
      AskSaveChanges(spring_);
      ASSERT_FALSE(scriptedPrompter().asked().empty());
      EXPECT_EQ(scriptedPrompter().asked()[0].text, "Datei speichern (" + shown + ") ?");
      std::string title;
      SetAppTitle(title);
      EXPECT_EQ(title.substr(title.size() - shown.size() + dir.size()), "Pr\xC3\xBC" "ffeder.qva") << title;
      EXPECT_EQ(title.find(".qva.qva"), std::string::npos) << title;
    }
    EXPECT_TRUE(fs::exists(dir_ / "Pr\xC3\xBC" "ffeder.qva"));
  }
}

TEST_F(StartupTest, SaveQuestionStaysSilentForAnArchivedCommandLineFile) {
  programState.FileNameHasPath = true;
  programState.ArchiveMode = true;
  programState.CurrentFileName = "a/b.qva";
  programState.InputModified = true;
  AskSaveChanges(spring_);
  EXPECT_FALSE(programState.InputModified);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

// ---- Recent files ----

TEST_F(StartupTest, RecentFilesKeepEachFileOnceNewestFirst) {
  auto& r = desktopSettings.RecentFiles;
  programState.DataDir = "/d";
  for (const char* n : {"a", "b", "c", "d"}) PushRecentFile(n);
  EXPECT_EQ(r[1], "/d/d.qva");
  EXPECT_EQ(r[4], "/d/a.qva");
  PushRecentFile("B");  // the same file in other case moves to the top
  EXPECT_EQ(r[1], "/d/B.qva");
  EXPECT_EQ(r[2], "/d/d.qva");
  EXPECT_EQ(r[3], "/d/c.qva");
  EXPECT_EQ(r[4], "/d/a.qva");
  PushRecentFile("e");  // a fifth file drops the oldest
  EXPECT_EQ(r[1], "/d/e.qva");
  EXPECT_EQ(r[4], "/d/c.qva");
  RemoveRecentFile(2);
  EXPECT_EQ(r[2], "/d/d.qva");
  EXPECT_EQ(r[3], "/d/c.qva");
  EXPECT_EQ(r[4], "");
  RemoveRecentFile(3);
  EXPECT_EQ(r[3], "");
}

TEST(RecentFiles, LongPathsAreShortenedBetweenFirstAndLastSeparator) {
  const std::string p49 = "/" + std::string(40, 'x') + "/abc.qva";
  ASSERT_EQ(p49.size(), 49u);
  EXPECT_EQ(ShortenPath(p49), p49);
  const std::string p50 = "/home/" + std::string(36, 'x') + "/abc.qva";
  ASSERT_EQ(p50.size(), 50u);
  EXPECT_EQ(ShortenPath(p50), "/.../abc.qva");
  const std::string rel = "data/" + std::string(40, 'y') + "/sub/abc.qva";
  EXPECT_EQ(ShortenPath(rel), "data/.../abc.qva");
  const std::string flat = std::string(60, 'z') + ".qva";
  EXPECT_EQ(ShortenPath(flat), flat);
}

TEST_F(StartupTest, OpeningAVanishedRecentFileRemovesIt) {
  auto& r = desktopSettings.RecentFiles;
  fs::copy_file(kData / "null.qva", dir_ / "here.qva");
  r[1] = (dir_ / "gone.qva").string();
  r[2] = (dir_ / "here.qva").string();
  EXPECT_EQ(OpenRecentFileCore(spring_, 1), RecentOpen::Missing);
  EXPECT_TRUE(messageContains("File " + (dir_ / "gone.qva").string() + " not found !"));
  EXPECT_EQ(r[1], (dir_ / "here.qva").string());
  EXPECT_EQ(OpenRecentFileCore(spring_, 1), RecentOpen::Read);
  EXPECT_EQ(programState.CurrentFileName, "here");
  EXPECT_EQ(programState.DataDir, dir_.string() + "/");
  EXPECT_EQ(r[1], (dir_ / "here.qva").string());
  EXPECT_TRUE(r[2].empty());
}

}  // namespace
}  // namespace qorva
