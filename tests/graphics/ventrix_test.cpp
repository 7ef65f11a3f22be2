#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "graphics/plotcommand.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::scriptedPrompter;
using test::writeFile;

// Stands in for the plot program: prints every argument it receives in brackets.
const char* FakePlotProgram = "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n";

// The answers of one run of VentrixSetup, in the order it asks (choices are 0-based).
struct Answers {
  int kind = 1;                 // 0 WVENTRIX, 1 VENTRIX
  std::string folder = "ventrix";
  int format = 0;               // 0 HPL, 1 PS, 2 PLT, 3 PL2, 4 ART
  int iface = 1;                // 0 serial, 1 parallel, 2 file
  std::string portOrFile = "1";
  std::string scale = "1";
  bool rotate = false;
  std::string dx = "0";
  std::string dy = "0";
  std::string factor = "1";
  std::string font;             // asked for PostScript only

  std::vector<ScriptedAnswer> script() const {
    std::vector<ScriptedAnswer> s = {kind, folder, format, iface, portOrFile, scale, rotate, dx, dy, factor};
    if (format == 1) s.push_back(font);
    return s;
  }
};

class VentrixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    scriptedPrompter().clear();
    oldCwd_ = fs::current_path();
    fs::current_path(dir_.path());
    makeProgramFolder("ventrix");
    programState.TempDir = "temp";
  }
  void TearDown() override {
    fs::current_path(oldCwd_);
    ShareTextFile.Discard();
    scriptedPrompter().clear();
    InitAllSettings();
  }

  // A folder holding both program files and the stand-ins that the lines start.
  static void makeProgramFolder(const std::string& folder) {
    fs::create_directories(folder);
    for (const char* name : {"wventrix.exe", "ventrix.exe"}) writeFile(fs::path(folder) / name, "");
    for (const char* name : {"WVENTRIX", "VENTRIX"}) {
      writeFile(fs::path(folder) / name, FakePlotProgram);
      fs::permissions(fs::path(folder) / name, fs::perms::owner_all);
    }
  }

  static void run(const std::vector<ScriptedAnswer>& script, std::string& cmdLine) {
    for (const auto& a : script) scriptedPrompter().push(a);
    programState.ErrorFlag = false;
    VentrixSetup(cmdLine, 0);
  }

  // What the plot program receives when the line runs through /bin/sh.
  static std::string argsReceived(const std::string& cmdLine) {
    test::CommandResult r = test::runCommand(cmdLine);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return r.output;
  }

  fs::path oldCwd_;
  test::ScratchDir dir_;
};

struct LineCase {
  const char* name;
  Answers answers;
  std::string tempDir;
  std::string line;
  std::string args;  // as the stand-in prints them
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class VentrixLineTest : public VentrixTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(VentrixLineTest, ComposesTheLineAndItReachesTheProgramIntact) {
  const LineCase& c = GetParam();
  programState.TempDir = c.tempDir;
  if (c.answers.folder != "ventrix") makeProgramFolder(c.answers.folder);
  std::string cmdLine = "0";
  run(c.answers.script(), cmdLine);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(scriptedPrompter().pending(), 0u);
  EXPECT_EQ(cmdLine, c.line);
  EXPECT_EQ(argsReceived(cmdLine), c.args);
}

Answers with(auto&& change) {
  Answers a;
  change(a);
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Options, VentrixLineTest,
    ::testing::Values(
        LineCase{"WindowsPostscript", with([](Answers& a) { a.kind = 0; a.format = 1; a.font = "Helvetica"; }),
                 "temp", "ventrix/WVENTRIX temp/ventrix /CPS /THelvetica",
                 "[temp/ventrix]\n[/CPS]\n[/THelvetica]\n"},
        LineCase{"PostscriptWithoutFont", with([](Answers& a) { a.format = 1; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CPS /T", "[temp/ventrix]\n[/CPS]\n[/T]\n"},
        LineCase{"SerialPort2", with([](Answers& a) { a.iface = 0; a.portOrFile = "2"; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CHPL /D1 /P2", "[temp/ventrix]\n[/CHPL]\n[/D1]\n[/P2]\n"},
        LineCase{"SerialPort1", with([](Answers& a) { a.iface = 0; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CHPL /D1", "[temp/ventrix]\n[/CHPL]\n[/D1]\n"},
        LineCase{"ParallelPort3", with([](Answers& a) { a.format = 4; a.portOrFile = "3"; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CART /P3", "[temp/ventrix]\n[/CART]\n[/P3]\n"},
        LineCase{"FileOutput", with([](Answers& a) { a.format = 2; a.iface = 2; a.portOrFile = "plot.plt"; }),
                 "temp", "ventrix/VENTRIX temp/ventrix /CPLT /D3 /Fplot.plt",
                 "[temp/ventrix]\n[/CPLT]\n[/D3]\n[/Fplot.plt]\n"},
        LineCase{"BlankFileName", with([](Answers& a) { a.iface = 2; a.portOrFile = "   "; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CHPL /D3", "[temp/ventrix]\n[/CHPL]\n[/D3]\n"},
        LineCase{"ShellCharactersInFileName",
                 with([](Answers& a) { a.iface = 2; a.portOrFile = "o $x;*.plt"; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CHPL /D3 /F'o $x;*.plt'",
                 "[temp/ventrix]\n[/CHPL]\n[/D3]\n[/Fo $x;*.plt]\n"},
        LineCase{"FitToSheet", with([](Answers& a) { a.scale = "0"; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CHPL '/M*'", "[temp/ventrix]\n[/CHPL]\n[/M*]\n"},
        LineCase{"ScaleShiftRotate",
                 with([](Answers& a) { a.format = 3; a.scale = "2.5"; a.rotate = true; a.dx = "-5"; a.dy = "12.5"; }),
                 "temp", "ventrix/VENTRIX temp/ventrix /CPL2 /M2.5 /X-5 /R /Y12.5",
                 "[temp/ventrix]\n[/CPL2]\n[/M2.5]\n[/X-5]\n[/R]\n[/Y12.5]\n"},
        LineCase{"TextFactorHasNoSwitch", with([](Answers& a) { a.factor = "2"; }), "temp",
                 "ventrix/VENTRIX temp/ventrix /CHPL", "[temp/ventrix]\n[/CHPL]\n"},
        LineCase{"FoldersWithBlanks", with([](Answers& a) { a.folder = "plot dir"; }), "my temp",
                 "'plot dir/VENTRIX' 'my temp/ventrix' /CHPL", "[my temp/ventrix]\n[/CHPL]\n"},
        LineCase{"QuoteInFolder", with([](Answers& a) { a.folder = "it's"; }), "a&b",
                 "'it'\\''s/VENTRIX' 'a&b/ventrix' /CHPL", "[a&b/ventrix]\n[/CHPL]\n"}),
    [](const ::testing::TestParamInfo<LineCase>& i) { return std::string(i.param.name); });

TEST_F(VentrixTest, AsksItsPromptsWithTheirEntriesAndPresets) {
  Answers a;
  a.format = 1;
  a.iface = 2;
  a.portOrFile = "plot.plt";
  std::string cmdLine = "0";
  run(a.script(), cmdLine);
  ASSERT_FALSE(programState.ErrorFlag);
  const auto& asked = scriptedPrompter().asked();
  std::vector<std::string> prompts;
  for (const auto& r : asked) prompts.push_back(r.text);
  EXPECT_EQ(prompts, (std::vector<std::string>{"VENTRIX/WVENTRIX", "Programmverzeichnis von ventrix.exe",
                                               "Ausgabeformat", "Ausgabeschnittstelle", "Name der Ausgabedatei",
                                               "Maßstab (0=anpassen)", "Plot um 90 Grad drehen ?",
                                               "Nullpunktverschiebung in x-Richtung",
                                               "Nullpunktverschiebung in y-Richtung", "Textbreitenfaktor",
                                               "Postscript-Zeichensatz"}));
  ASSERT_EQ(asked.size(), 11u);
  EXPECT_EQ(asked[0].entries, (std::vector<std::string>{"WVENTRIX.EXE (Windows)", "VENTRIX.EXE (MS-DOS)"}));
  EXPECT_EQ(asked[0].preselect, 1);  // the MS-DOS program
  EXPECT_EQ(asked[1].preset, "");    // "0" names no folder
  EXPECT_EQ(asked[2].entries, (std::vector<std::string>{"HP-GL Laserjet (HPL)", "Postscript  (PS)", "HP-GL (PLT)",
                                                        "HP-GL/2  (PL2)", "Aristo  (ART)"}));
  EXPECT_EQ(asked[2].preselect, 0);
  EXPECT_EQ(asked[3].entries, (std::vector<std::string>{"seriell", "parallel", "Datei"}));
  EXPECT_EQ(asked[3].preselect, 1);  // parallel
  EXPECT_EQ(asked[5].preset, "1");
  EXPECT_EQ(asked[6].preset, "N");
  EXPECT_EQ(asked[9].preset, "1");
  EXPECT_EQ(asked[10].preset, "");
}

TEST_F(VentrixTest, ProgramFolderComesFromTheOldLine) {
  struct Case {
    std::string line, folder;
  };
  for (const Case& c : {Case{"", ""}, Case{"0", ""}, Case{"VENTRIX x.dxf", ""}, Case{"/opt/v/VENTRIX", ""},
                        Case{"/opt/v/VENTRIX x.dxf /M2", "/opt/v"},
                        Case{"C:\\VENTRIX\\WVENTRIX VENTRIX.DXF /M1.0", "C:\\VENTRIX"},
                        // A quoted program path, as the composed line writes it, keeps its blanks and quotes.
                        Case{"'/opt/my plot/VENTRIX' /tmp/ventrix /CPS", "/opt/my plot"},
                        Case{"'/opt/it'\\''s/VENTRIX' /tmp/ventrix", "/opt/it's"},
                        Case{"'/opt/my plot/VENTRIX'", ""}}) {
    EXPECT_EQ(VentrixProgramDirOf(c.line), c.folder) << c.line;
  }
}

TEST_F(VentrixTest, MissingProgramFileIsReportedAndAskedAgain) {
  Answers a;
  std::vector<ScriptedAnswer> script = a.script();
  script.insert(script.begin() + 1, std::string("nowhere"));
  std::string cmdLine = "0";
  run(script, cmdLine);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(cmdLine, "ventrix/VENTRIX temp/ventrix /CHPL");
  const auto& asked = scriptedPrompter().asked();
  ASSERT_GE(asked.size(), 4u);
  EXPECT_EQ(asked[2].kind, AskKind::Message);
  EXPECT_EQ(asked[2].text, "Datei nowhere/ventrix.exe nicht gefunden oder kein Zugriffsrecht !");
  EXPECT_EQ(asked[3].text, "Programmverzeichnis von ventrix.exe");
  EXPECT_EQ(asked[3].preset, "nowhere");
}

TEST_F(VentrixTest, LineOfSixtyCharactersStaysTheLine) {
  programState.TempDir = std::string(29, 't');
  Answers a;
  a.kind = 0;
  std::string cmdLine = "0";
  run(a.script(), cmdLine);  // a batch-name prompt would find no answer and fail the test
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(cmdLine.size(), 60u);
  EXPECT_EQ(cmdLine, "ventrix/WVENTRIX " + std::string(29, 't') + "/ventrix /CHPL");
}

TEST_F(VentrixTest, LongerLineGoesIntoAnExecutableShellScript) {
  programState.TempDir = std::string(30, 't');
  programState.ProgStem = "qorva";
  fs::create_directories("batch.d x");
  Answers a;
  a.kind = 0;
  std::vector<ScriptedAnswer> script = a.script();
  // A dot in the name is asked again, a folder that is not there is reported, a dot in a folder is no
  // extension.
  for (const char* name : {"plot.x", "missing/plot", "batch.d x/plot"}) script.push_back(std::string(name));
  std::string cmdLine = "0";
  run(script, cmdLine);
  ASSERT_FALSE(programState.ErrorFlag);

  const std::string line = "ventrix/WVENTRIX " + std::string(30, 't') + "/ventrix /CHPL";
  ASSERT_EQ(line.size(), 61u);
  const fs::path batch = dir_.path() / "batch.d x" / "plot.BAT";
  EXPECT_EQ(cmdLine, "/bin/sh '" + batch.string() + "'");
  EXPECT_EQ(readFile(batch), "#!/bin/sh\n" + line + "\n");
  struct stat st{};
  ASSERT_EQ(::stat(batch.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
  EXPECT_FALSE(fs::exists("missing"));

  const auto& asked = scriptedPrompter().asked();
  std::vector<std::string> tail;
  for (std::size_t i = 10; i < asked.size(); ++i) tail.push_back(asked[i].text);
  EXPECT_EQ(tail, (std::vector<std::string>{"Kommandozeile zu lang, Es wird eine Batch-Datei erzeugt.",
                                            "Name der Batch-Datei (ohne .bat)", "Name der Batch-Datei (ohne .bat)",
                                            "Datei missing/plot.BAT kann nicht angelegt werden",
                                            "Name der Batch-Datei (ohne .bat)"}));
  EXPECT_EQ(asked[11].preset, std::string(30, 't') + "/qorva");

  // The stored line runs the script from any folder, and the script runs the program.
  fs::current_path(dir_.path());
  EXPECT_EQ(argsReceived(cmdLine), "[" + std::string(30, 't') + "/ventrix]\n[/CHPL]\n");
}

// Every prompt of a run, cancelled in turn: the line stays as it was and no batch file is written.
class VentrixCancelTest : public VentrixTest, public ::testing::WithParamInterface<int> {};

std::vector<ScriptedAnswer> fullScript(bool serial) {
  Answers a;
  a.format = 1;
  a.font = "Times";
  if (serial) {
    a.iface = 0;
    a.portOrFile = "2";
  } else {
    a.iface = 2;
    a.portOrFile = "plot.plt";
  }
  std::vector<ScriptedAnswer> s = a.script();
  s.push_back(std::string("plot"));
  return s;
}

TEST_P(VentrixCancelTest, CancelLeavesTheLineAndSetsErrorFlag) {
  programState.TempDir = std::string(40, 't');
  const bool serial = GetParam() < 0;
  const int at = serial ? 4 : GetParam();  // 4 is the port prompt of the serial run
  std::vector<ScriptedAnswer> script = fullScript(serial);
  ASSERT_LT(static_cast<std::size_t>(at), script.size());
  script.resize(static_cast<std::size_t>(at));
  script.push_back(Cancel{});
  std::string cmdLine = "0 old line";
  run(script, cmdLine);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(cmdLine, "0 old line");
  EXPECT_EQ(scriptedPrompter().pending(), 0u);
  EXPECT_FALSE(fs::exists("plot.BAT"));
}

INSTANTIATE_TEST_SUITE_P(EachPrompt, VentrixCancelTest, ::testing::Range(-1, 12));

TEST_F(VentrixTest, CancelAfterAMissingProgramFile) {
  std::string cmdLine = "0";
  run({1, std::string("nowhere"), Cancel{}}, cmdLine);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(cmdLine, "0");
}

TEST_F(VentrixTest, FullScriptAnsweredToItsEndWritesTheBatchFile) {
  // The script the cancel cases cut short reaches the batch-name prompt when answered to its end.
  programState.TempDir = std::string(40, 't');
  std::string cmdLine = "0";
  run(fullScript(false), cmdLine);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(fs::exists("plot.BAT"));
  EXPECT_EQ(readFile("plot.BAT"),
            "#!/bin/sh\nventrix/VENTRIX " + std::string(40, 't') + "/ventrix /CPS /D3 /Fplot.plt /TTimes\n");
}

}  // namespace
}  // namespace qorva
