// The program itself in its command-line modes: result files that third-party readers accept,
// the usage text, and the exit codes and messages of what goes wrong.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <algorithm>
#include <map>

#include "foundation/programstate.h"
#include "shell/startup.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

struct ProgramRun {
  int exitCode;
  std::string out;
  std::string err;
};

// A scratch folder with the material table and the default spring as "test.qva", in which the
// program runs as a user would start it there.
class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::absolute(scratch_.path());
    fs::copy_file(kData / "yeb9wst.dbf", dir_ / "yeb9wst.dbf");
    fs::copy_file(kData / "null.qva", dir_ / "test.qva");
  }
  // seconds: how long the run may take before it counts as hanging (exit code 124).
  ProgramRun run(const std::string& args, const std::string& env = "", int seconds = 120) {
    const test::CommandResult r =
        test::runCommand("(cd '" + dir_.string() + "' && " + env + " timeout " + std::to_string(seconds) + " " +
                         QORVA_BINARY + " " + args + " >out.log 2>err.log)");
    ProgramRun result{r.exitCode, readFile(dir_ / "out.log"), readFile(dir_ / "err.log")};
    fs::remove(dir_ / "out.log");
    fs::remove(dir_ / "err.log");
    return result;
  }
  // Files the run left in the folder beside what was there before it.
  std::vector<std::string> filesMatching(const std::string& prefix, const std::string& suffix) const {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir_)) {
      const std::string n = e.path().filename().string();
      if (n.starts_with(prefix) && n.ends_with(suffix)) found.push_back(n);
    }
    return found;
  }
  // Every file of the folder, sorted.
  std::vector<std::string> listing() const {
    return test::SortedNames(dir_);
  }
  // test.qva with its first value (the strip width) changed.
  std::string springOfWidth(const char* width) const {
    std::string bytes = readFile(dir_ / "test.qva");
    const size_t w = bytes.find("\r\n50.0000000\r\n");
    EXPECT_NE(w, std::string::npos);
    if (w != std::string::npos) bytes.replace(w + 2, 10, width);
    return bytes;
  }
  test::ScratchDir scratch_;
  fs::path dir_;
};

// The rows of a tab-separated report by their first field: the last field as a number.
std::map<std::string, long double> ReportValues(const std::string& text) {
  std::map<std::string, long double> values;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    const size_t last = line.rfind('\t');
    if (tab == std::string::npos || last == tab) continue;
    std::string v = line.substr(last + 1);
    const size_t b = v.find_first_not_of(' ');
    if (b == std::string::npos) continue;
    double x = 0;
    const auto [p, ec] = std::from_chars(v.data() + b, v.data() + v.size(), x);
    if (ec == std::errc() && p == v.data() + v.size()) values[line.substr(0, tab)] = x;
  }
  return values;
}

TEST_F(BatchTest, TextResultsAgreeWithTheCalculation) {
  const ProgramRun r = run("test.qva /I /NOGUI");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_TRUE(fs::exists(dir_ / "test.txt"));
  EXPECT_TRUE(filesMatching("$$$", ".txt").empty()) << "the report's work copy is left";

  // The same spring calculated here.
  test::scriptedPrompter().clear();
  InitProgramModules({});
  SetProgramIdentity();
  programState.DbfDir = dir_.string() + "/";
  programState.TempDir = dir_.string() + "/";
  const SpringFileRead read = ReadSpring((dir_ / "test.qva").string(), NewSpring());
  ASSERT_TRUE(read.ok()) << read.error;
  MaterialCatalog catalog;
  ASSERT_TRUE(catalog.load());
  const MaterialRecord* material = catalog.byNumber(read.spring.family.MaterialNumber);
  ASSERT_NE(material, nullptr);
  const ProductData calc = Calculate(read.spring, *material).product;
  ShutdownProgram();
  const auto values = ReportValues(readFile(dir_ / "test.txt"));
  struct Row {
    const char* name;
    long double expected;
    long double tolerance;
  };
  const Row rows[] = {
      {"Banddicke", 0.5L, 0.005L},
      {"Bandbreite", 50.0L, 0.005L},
      {"Windungszahl", calc.TurnCount, 0.005L},
      {"L\x84nge", calc.StripLength, 0.5L},
      {"Federkraft", calc.Force2, calc.Force2 * 0.005L},
      {"max. Federkraft bei Sigmaz", calc.ForceN, calc.ForceN * 0.005L},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(values.count(row.name));
    EXPECT_NEAR(static_cast<double>(values.at(row.name)), static_cast<double>(row.expected),
                static_cast<double>(row.tolerance));
  }
  EXPECT_GT(calc.Force2, 0);
}

// The shipped spring on the shipped table, run as a user runs it: results, and of the messages only
// the one that says the strip has no fatigue values in the table.
TEST_F(BatchTest, TheShippedSpringCalculatesWithoutAnError) {
  const ProgramRun r = run("test.qva /I /NOGUI");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string report = readFile(dir_ / "test.txt");
  std::vector<std::string> messages;
  for (const char* kind : {"Fatal  : ", "Fehler : ", "Warnung: "}) {
    for (size_t p = report.find(std::string("\n") + kind); p != std::string::npos;
         p = report.find(std::string("\n") + kind, p + 1))
      messages.push_back(report.substr(p + 1, report.find('\t', p) - p - 1));
  }
  EXPECT_EQ(messages, std::vector<std::string>{"Warnung: kein Goodman-Diagramm"}) << report;
  EXPECT_GT(ReportValues(report).at("Federkraft"), 0);
}

// The error help ships with the program: a run in a folder of the user's own, which holds no copy of
// it, still gives every message its cause and remedy.
TEST_F(BatchTest, MessagesCarryCauseAndRemedyFromTheShippedErrorHelp) {
  writeFile(dir_ / "test.qva", springOfWidth("0.40000000"));  // thicker than wide
  const std::string line = "Warnung: t > b !\t";
  ASSERT_FALSE(fs::exists(dir_ / "qorva.err"));
  const ProgramRun r = run("test.qva /I /NOGUI");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string report = readFile(dir_ / "test.txt");
  EXPECT_NE(report.find(line + "Die Banddicke t ist gr\x94\xe1" "er als die Bandbreite b; das ist kein Flachband.\t"
                               "Banddicke t und Bandbreite b pr\x81" "fen (vertauscht?).\r\n"),
            std::string::npos)
      << report;
}

TEST_F(BatchTest, ANameWithoutExtensionIsTheDataFileOfThatName) {
  fs::create_directory(dir_ / "sub.d");
  fs::copy_file(dir_ / "test.qva", dir_ / "sub.d" / "feder.qva");
  const ProgramRun a = run("test /i");
  EXPECT_EQ(a.exitCode, 0) << a.err;
  EXPECT_TRUE(fs::exists(dir_ / "test.txt"));
  // A folder with a dot in front of a name without extension: the result goes into the current folder.
  const ProgramRun b = run("sub.d/feder -I");
  EXPECT_EQ(b.exitCode, 0) << b.err;
  EXPECT_TRUE(fs::exists(dir_ / "feder.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "sub.d" / "feder.txt"));
}

TEST_F(BatchTest, EveryViewAsDxfPassesTheAudit) {
  for (int j = 1; j <= 8; ++j) {
    SCOPED_TRACE(j);
    const ProgramRun r = run("test.qva /CAD1:" + std::to_string(j));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "") << "a batch run asked or told something";
    ASSERT_TRUE(fs::exists(dir_ / "test.dxf"));
    const test::CommandResult audit = test::runCommand(std::string(QORVA_PYTHON) + " '" + QORVA_SOURCE_DIR +
                                                       "/tools/graphics/dxfcheck.py' '" +
                                                       (dir_ / "test.dxf").string() + "'");
    EXPECT_EQ(audit.exitCode, 0) << audit.output.substr(0, 2000);
    EXPECT_NE(audit.output.find("audit errors=0 fixes=0"), std::string::npos);
    EXPECT_NE(audit.output.find("\nentities\n"), std::string::npos);
    fs::remove(dir_ / "test.dxf");
    EXPECT_TRUE(filesMatching("$", ".dx$").empty()) << "block files left in the temporary folder";
  }
}

// The disk names files in UTF-8; the program holds names in its code page and converts at the system.
TEST_F(BatchTest, AnUmlautNameInAnUmlautFolderGivesItsResultsUnderTheSameName) {
  auto u8 = [](std::u8string_view s) { return std::string(s.begin(), s.end()); };
  const fs::path folder = dir_ / fs::path(u8(u8"Prüfstand-Ä"));
  fs::create_directory(folder);
  fs::copy_file(dir_ / "yeb9wst.dbf", folder / "yeb9wst.dbf");
  fs::copy_file(dir_ / "test.qva", folder / fs::path(u8(u8"Größe.qva")));
  fs::copy_file(dir_ / "test.qva", folder / fs::path(u8(u8"Pre€s.qva")));
  dir_ = folder;  // the runs start there: its name is every configured folder's

  const ProgramRun text = run("'" + u8(u8"Größe.qva") + "' /I /NOGUI");
  EXPECT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.err, "");
  EXPECT_GT(readFile(folder / fs::path(u8(u8"Größe.txt"))).size(), 100u);

  const ProgramRun dxf = run("'" + u8(u8"Größe") + "' /CAD1:1");
  EXPECT_EQ(dxf.exitCode, 0) << dxf.err;
  ASSERT_TRUE(fs::exists(folder / fs::path(u8(u8"Größe.dxf"))));
  const test::CommandResult audit = test::runCommand(std::string(QORVA_PYTHON) + " '" + QORVA_SOURCE_DIR +
                                                     "/tools/graphics/dxfcheck.py' '" +
                                                     (folder / fs::path(u8(u8"Größe.dxf"))).string() + "'");
  EXPECT_NE(audit.output.find("audit errors=0 fixes=0"), std::string::npos) << audit.output.substr(0, 2000);

  // A name the program cannot hold is refused, and no near name is written instead.
  const ProgramRun refused = run("'" + u8(u8"Pre€s.qva") + "' /I /NOGUI");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find(u8(u8"enthält Zeichen")), std::string::npos) << refused.err;
  EXPECT_EQ(listing(), (std::vector<std::string>{u8(u8"Größe.dxf"), u8(u8"Größe.qva"), u8(u8"Größe.txt"),
                                                 u8(u8"Pre€s.qva"), "yeb9wst.dbf"}));

  // A folder whose name the program cannot hold still runs: its files are named relative to it.
  const fs::path other = dir_ / fs::path(u8(u8"Ordner-€"));
  fs::create_directory(other);
  fs::copy_file(folder / "yeb9wst.dbf", other / "yeb9wst.dbf");
  fs::copy_file(folder / fs::path(u8(u8"Größe.qva")), other / "feder.qva");
  dir_ = other;
  const ProgramRun relative = run("feder.qva /I /NOGUI");
  EXPECT_EQ(relative.exitCode, 0) << relative.err;
  EXPECT_TRUE(fs::exists(other / "feder.txt"));
}

TEST_F(BatchTest, GoodmanAsIgesAndForceTravelAsTxt) {
  const ProgramRun iges = run("test.qva /cad2:4");
  EXPECT_EQ(iges.exitCode, 0) << iges.err;
  EXPECT_EQ(iges.err, "");
  ASSERT_TRUE(fs::exists(dir_ / "test.igs"));
  const test::CommandResult read =
      test::runCommand("sh '" + std::string(QORVA_SOURCE_DIR) + "/tools/graphics/igescheck.sh' '" +
                       (dir_ / "test.igs").string() + "'");
  EXPECT_EQ(read.output.find("F:"), std::string::npos) << read.output.substr(0, 2000);
  EXPECT_NE(read.output.find("EDGE"), std::string::npos) << read.output.substr(0, 2000);
  EXPECT_NE(read.output.find("BOUNDS"), std::string::npos);

  const ProgramRun txt = run("test.qva -CAD5:3");
  EXPECT_EQ(txt.exitCode, 0) << txt.err;
  EXPECT_EQ(txt.err, "");
  ASSERT_TRUE(fs::exists(dir_ / "test.txt"));
  EXPECT_GT(fs::file_size(dir_ / "test.txt"), 100u);
}

TEST_F(BatchTest, AResultThatCannotBeWrittenIsToldWithExitCodeTwo) {
  // A folder in the place of the result file: nothing can be written there.
  for (const char* args : {"test.qva /I /NOGUI", "test.qva /CAD1:1", "test.qva /CAD2:4"}) {
    SCOPED_TRACE(args);
    for (const char* ext : {"txt", "dxf", "igs"}) fs::create_directory(dir_ / ("test." + std::string(ext)));
    const ProgramRun r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("kann nicht angelegt werden"), std::string::npos) << r.err;
    for (const char* ext : {"txt", "dxf", "igs"}) EXPECT_TRUE(fs::is_directory(dir_ / ("test." + std::string(ext))));
    for (const char* ext : {"txt", "dxf", "igs"}) fs::remove(dir_ / ("test." + std::string(ext)));
  }
}

TEST_F(BatchTest, AResultLeftFromAnEarlierRunDoesNotPassForThisOne) {
  const ProgramRun first = run("test.qva /I");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const std::string earlier = readFile(dir_ / "test.txt");
  // Thickness 0: a fatal calculation error, so this run writes nothing.
  std::string bytes = readFile(dir_ / "test.qva");
  const size_t t = bytes.find("\r\n0.5000000\r\n");
  ASSERT_NE(t, std::string::npos);
  bytes.replace(t + 2, 9, "0");
  writeFile(dir_ / "test.qva", bytes);
  const ProgramRun second = run("test.qva /I /NOGUI");
  EXPECT_EQ(second.exitCode, 2);
  EXPECT_EQ(readFile(dir_ / "test.txt"), earlier);
}

// A run waits for the disk only for the result it puts in place: the report's work copies live in
// the private work folder, which goes at the end of the run.
TEST_F(BatchTest, OnlyTheResultKeptIsSyncedToTheDisk) {
  if (test::runCommand("strace -o /dev/null true").exitCode != 0) GTEST_SKIP() << "strace cannot run here";
  const fs::path trace = dir_ / "sync.log";
  // The leak checker of a sanitizer build cannot work under a tracer: the traced run does without it.
  const ProgramRun r = run("test.qva /I /NOGUI", "ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\" strace -f -y -e "
                                                  "trace=fsync,fdatasync -o '" + trace.string() + "'");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(fs::exists(dir_ / "test.txt"));
  std::vector<std::string> synced;  // the files named by the traced calls
  const std::string log = readFile(trace);
  for (size_t pos = 0; (pos = log.find("sync(", pos)) != std::string::npos; ++pos) {
    const size_t open = log.find('<', pos), close = log.find('>', pos);
    if (open != std::string::npos && close != std::string::npos && open < log.find('\n', pos))
      synced.push_back(log.substr(open + 1, close - open - 1));
  }
  ASSERT_EQ(synced.size(), 1u) << log;
  // The one file synced is the result's temporary twin beside it, not a file of the work folder.
  EXPECT_EQ(fs::path(synced[0]).parent_path(), dir_) << log;
  fs::remove(trace);
}

TEST_F(BatchTest, NoViewerIsStartedForAWrittenFile) {
  // A desktop opener that leaves a trace of every document it is asked to open.
  fs::create_directory(dir_ / "bin");
  writeFile(dir_ / "bin" / "xdg-open", "#!/bin/sh\necho \"$@\" >> '" + (dir_ / "opened.log").string() + "'\n");
  fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);
  const std::string env = "PATH='" + (dir_ / "bin").string() + "':\"$PATH\"";
  for (const char* args : {"test.qva /CAD1:1", "test.qva /CAD2:4 /NOGUI", "test.qva /I"}) {
    SCOPED_TRACE(args);
    const ProgramRun r = run(args, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
  }
  EXPECT_TRUE(fs::exists(dir_ / "test.dxf"));
  EXPECT_TRUE(fs::exists(dir_ / "test.igs"));
  EXPECT_FALSE(fs::exists(dir_ / "opened.log")) << readFile(dir_ / "opened.log");
}

TEST_F(BatchTest, UsageTextLineByLine) {
  const std::vector<std::string> expected = {
      "QORVA",
      "QORVA Command Line Mode",
      "",
      "wqorva Filename [/I] [/CADi:j] [/NOGUI]",
      "",
      "/I       -> TXT file",
      "",
      "/CADi:j  -> CAD File",
      "            i: 1=DXF, 2=IGS, 5=TXT",
      "            j: index (1,2,3, ..)",
      "",
      "/NOGUI  -> No GUI, exit on fatal error",
      "",
      "",
      "",
      "/?       -> Help",
      "",
      "",
      "Example: wqorva test.qva             ->  GUI",
      "Example: wqorva test.qva /I /NOGUI   ->  test.txt",
      "Example: wqorva test.qva /CAD1:1     ->  test.dxf",
      "Example: wqorva test.edi /E /NOGUI   ->  test.edi",
      "",
  };
  std::string want;
  for (const auto& l : expected) want += l + "\n";
  for (const char* args : {"'?'", "/?", "'?' test.qva /I"}) {
    SCOPED_TRACE(args);
    const ProgramRun r = run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, want);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_FALSE(fs::exists(dir_ / "test.txt"));
}

TEST_F(BatchTest, BadInputIsToldAndLeavesNoOutputAndNoChangedInput) {
  const std::string good = readFile(dir_ / "test.qva");
  std::string truncated = good.substr(0, good.size() / 2);
  std::string manyChanges = good;
  const size_t block = manyChanges.find("\x8ENDERUNGEN\r\n0\r\n");
  ASSERT_NE(block, std::string::npos);
  manyChanges.replace(block + 12, 1, "1000");
  std::string otherMaterial = good;
  const size_t mat = otherMaterial.find("\r\n12\r\n");
  ASSERT_NE(mat, std::string::npos);
  otherMaterial.replace(mat + 2, 2, "99");
  std::string noThickness = good;
  const size_t t = noThickness.find("\r\n0.5000000\r\n");
  ASSERT_NE(t, std::string::npos);
  noThickness.replace(t + 2, 9, "0");

  struct Case {
    const char* what;
    std::string bytes;  // empty: no file at all
    const char* args;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {"missing", "", "/I /NOGUI", 1, "nicht gefunden"},
      {"truncated", truncated, "/I /NOGUI", 1, "nicht eingelesen"},
      {"1000 changes", manyChanges, "/CAD1:1 /NOGUI", 1, "nicht eingelesen"},
      {"material 99", otherMaterial, "/I", 1, "Werkstoff Nr. 99"},
      {"thickness 0", noThickness, "/I /NOGUI", 2, "Fatal"},
      {"a view that would be asked for", good, "/CAD1", 1, "Befehlszeile"},
      {"no output mode", good, "/E /NOGUI", 1, "Befehlszeile"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dir_ / "in.qva");
    if (!c.bytes.empty()) writeFile(dir_ / "in.qva", c.bytes);
    const ProgramRun r = run(std::string("in.qva ") + c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(dir_ / "in.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "in.dxf"));
    if (!c.bytes.empty()) {
      EXPECT_EQ(readFile(dir_ / "in.qva"), c.bytes);
    }
  }
}

// Runs started at once in one folder each keep their work files to themselves: every result is the
// one of its own input, as a run alone gives it, with exit code 0 and nothing said. Ten pairs at a
// time, each pair one spring of width 50 and one of width 30, as text and as STL.
TEST_F(BatchTest, RunsAtOnceInOneFolderKeepTheirOwnResults) {
  writeFile(dir_ / "b.qva", springOfWidth("30.0000000"));
  fs::copy_file(dir_ / "test.qva", dir_ / "a.qva");
  std::map<std::string, std::string> stl;
  std::map<std::string, std::map<std::string, long double>> values;
  for (const char* n : {"a", "b"}) {
    ASSERT_EQ(run(std::string(n) + ".qva /I /NOGUI").exitCode, 0);
    ASSERT_EQ(run(std::string(n) + ".qva /CAD6:1").exitCode, 0);
    values[n] = ReportValues(readFile(dir_ / (std::string(n) + ".txt")));
    stl[n] = readFile(dir_ / (std::string(n) + ".stl"));
  }
  ASSERT_NE(values["a"], values["b"]);
  ASSERT_NE(stl["a"], stl["b"]);
  ASSERT_GT(values["a"].size(), 10u);
  constexpr int kPairs = 50;
  for (int i = 0; i < kPairs; ++i) {
    for (const char* n : {"a", "b"}) fs::copy_file(dir_ / (std::string(n) + ".qva"), dir_ / (n + std::to_string(i) + ".qva"));
  }
  // Odd pairs write STL, even ones text; each run leaves its exit code and its messages.
  std::string script = "cd '" + dir_.string() + "' && for r in 0 1 2 3 4; do for p in 0 1 2 3 4 5 6 7 8 9; do "
                       "i=$((r*10+p)); if [ $((i%2)) -eq 1 ]; then m=/CAD6:1; else m='/I /NOGUI'; fi; "
                       "for n in a b; do (timeout 60 " + std::string(QORVA_BINARY) +
                       " $n$i.qva $m 2>$n$i.err; echo $? >$n$i.rc) & done; done; wait; done";
  const test::CommandResult all = test::runCommand(script);
  ASSERT_EQ(all.exitCode, 0) << all.output;
  int wrong = 0;
  for (int i = 0; i < kPairs; ++i) {
    for (const char* n : {"a", "b"}) {
      const std::string stem = n + std::to_string(i);
      SCOPED_TRACE(stem);
      EXPECT_EQ(readFile(dir_ / (stem + ".rc")), "0\n");
      EXPECT_EQ(readFile(dir_ / (stem + ".err")), "");
      if (i % 2 == 1) {
        wrong += readFile(dir_ / (stem + ".stl")) != stl[n];
      } else {
        wrong += ReportValues(readFile(dir_ / (stem + ".txt"))) != values[n];
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "results of another run";
  for (const std::string& n : listing()) {
    EXPECT_FALSE(n.starts_with("$") || n.starts_with("qorva-") || n.starts_with(".qorva")) << n << " left behind";
  }
}

// A material table that may not be written is read where it is: the calculation goes on, nothing
// is copied and nobody is told. A file without any write bit is read-only also for root, who runs
// the tests in CI and may write anything else.
TEST_F(BatchTest, AReadOnlyMaterialTableIsReadWhereItIs) {
  const std::string table = readFile(dir_ / "yeb9wst.dbf");
  fs::permissions(dir_ / "yeb9wst.dbf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  for (const char* args : {"test.qva /I /NOGUI", "test.qva /CAD1:4"}) {
    SCOPED_TRACE(args);
    const ProgramRun r = run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_GT(ReportValues(readFile(dir_ / "test.txt")).size(), 10u);
  EXPECT_TRUE(fs::exists(dir_ / "test.dxf"));
  EXPECT_EQ(readFile(dir_ / "yeb9wst.dbf"), table);
  EXPECT_EQ(listing(), (std::vector<std::string>{"test.dxf", "test.qva", "test.txt", "yeb9wst.dbf"}));
}

// The result never takes the place of its input: not under the input's own name, nor through a
// link (symbolic or hard) to it. And "\" in a command-line name is a character, not a folder.
TEST_F(BatchTest, AResultIsNeverWrittenOverItsInput) {
  const std::string spring = readFile(dir_ / "test.qva");
  struct Case {
    const char* what;
    const char* input;
    const char* result;
    int link;  // 0: a copy of the spring as input, 1: result a symbolic link to test.qva, 2: a hard link
    const char* mode;
  };
  const Case cases[] = {
      {"text over the input", "s.txt", "s.txt", 0, "/I /NOGUI"},
      {"DXF over the input", "d.dxf", "d.dxf", 0, "/CAD1:1"},
      {"STL over the input", "m.stl", "m.stl", 0, "/CAD6:1 /NOGUI"},
      {"IGES over the input", "g.igs", "g.igs", 0, "/CAD2:1"},
      {"through a symbolic link", "test.qva", "test.txt", 1, "/I"},
      {"through a hard link", "test.qva", "test.dxf", 2, "/CAD1:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.link == 0) fs::copy_file(dir_ / "test.qva", dir_ / c.input);
    if (c.link == 1) fs::create_symlink("test.qva", dir_ / c.result);
    if (c.link == 2) fs::create_hard_link(dir_ / "test.qva", dir_ / c.result);
    const ProgramRun r = run(std::string(c.input) + " " + c.mode);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(std::string(c.result) + " ist die Eingabedatei"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir_ / c.input), spring);
    EXPECT_EQ(readFile(dir_ / "test.qva"), spring);
    fs::remove(dir_ / c.result);
  }

  // A file named a\b.qva gives a\b.txt beside it, also when there is a folder "a".
  fs::create_directory(dir_ / "a");
  fs::copy_file(dir_ / "test.qva", dir_ / "a\\b.qva");
  for (const char* args : {"'a\\b.qva' /I", "'a\\b' /CAD1:1"}) {
    SCOPED_TRACE(args);
    const ProgramRun r = run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
  }
  EXPECT_GT(ReportValues(readFile(dir_ / "a\\b.txt")).size(), 10u);
  EXPECT_TRUE(fs::exists(dir_ / "a\\b.dxf"));
  EXPECT_FALSE(fs::exists(dir_ / "b.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "b.dxf"));
  EXPECT_TRUE(fs::is_empty(dir_ / "a"));
}

// A source that never ends a line (here /dev/zero) is read up to the line limit and refused as
// damaged: as the spring file the run ends with exit code 1, as the configuration or the session
// file the run says so and goes on without it. Nothing waits for a line end that never comes.
TEST_F(BatchTest, ASourceWithoutLineEndsIsRefusedAsDamaged) {
  fs::create_symlink("/dev/zero", dir_ / "z.qva");
  const ProgramRun spring = run("z.qva /I /NOGUI", "", 20);
  EXPECT_EQ(spring.exitCode, 1);
  EXPECT_NE(spring.err.find("nicht eingelesen"), std::string::npos) << spring.err;
  EXPECT_FALSE(fs::exists(dir_ / "z.txt"));
  // Without a configuration file the session file is the one in the user's configuration folder.
  const fs::path configHome = dir_ / "config-home";
  fs::create_directories(configHome / "kwendal");
  const std::string env = "XDG_CONFIG_HOME='" + configHome.string() + "'";
  for (const fs::path& file : {dir_ / "qorva.cfg", configHome / "kwendal" / "qorva.cff"}) {
    SCOPED_TRACE(file);
    fs::create_symlink("/dev/zero", file);
    const ProgramRun r = run("test.qva /I /NOGUI", env, 20);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(file.string() + " fehlerhaft - nicht eingelesen"), std::string::npos) << r.err;
    EXPECT_GT(ReportValues(readFile(dir_ / "test.txt")).size(), 10u);
    fs::remove(file);
    fs::remove(dir_ / "test.txt");
  }
}

// Names up to the longest a folder takes are results like any other: the temporary files of a run
// have short names of their own.
TEST_F(BatchTest, TheLongestNamesAreWritten) {
  for (const size_t length : {244u, 251u}) {
    SCOPED_TRACE(length);
    const std::string base(length, 'n');
    fs::copy_file(dir_ / "test.qva", dir_ / (base + ".qva"));
    for (const char* mode : {"/I /NOGUI", "/CAD1:1", "/CAD2:1"}) {
      SCOPED_TRACE(mode);
      const ProgramRun r = run(base + ".qva " + mode);
      EXPECT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(r.err, "");
    }
    EXPECT_GT(ReportValues(readFile(dir_ / (base + ".txt"))).size(), 10u);
    EXPECT_TRUE(fs::exists(dir_ / (base + ".dxf")));
    EXPECT_TRUE(fs::exists(dir_ / (base + ".igs")));
    for (const char* ext : {".qva", ".txt", ".dxf", ".igs"}) fs::remove(dir_ / (base + ext));
    EXPECT_EQ(listing(), (std::vector<std::string>{"test.qva", "yeb9wst.dbf"}));
  }
}

// A result that may not be written is not replaced behind its back: exit code 2, a message that
// says why, the file as it was. Mode 0444 protects it from root too, since the program reads the
// mode bits itself.
TEST_F(BatchTest, AReadOnlyResultIsNotReplaced) {
  for (const auto& [args, result] : std::vector<std::pair<std::string, std::string>>{
           {"test.qva /I /NOGUI", "test.txt"}, {"test.qva /CAD1:1", "test.dxf"}, {"test.qva /CAD6:2", "test.stl"}}) {
    SCOPED_TRACE(args);
    writeFile(dir_ / result, "alt");
    fs::permissions(dir_ / result, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ProgramRun r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(result + " ist schreibgesch"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir_ / result), "alt");
    EXPECT_EQ(fs::status(dir_ / result).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::remove(dir_ / result);
  }
  EXPECT_EQ(listing(), (std::vector<std::string>{"test.qva", "yeb9wst.dbf"}));
}

}  // namespace
}  // namespace qorva
