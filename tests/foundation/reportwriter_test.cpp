#include "foundation/reportwriter.h"
#include "platform/services.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
namespace dev = OutputDeviceCode;

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  if (from.empty()) return s;
  for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
  return s;
}

// Compares with a golden file; QORVA_UPDATE_GOLDEN=1 writes it instead.
void expectGolden(const std::string& name, const std::string& actual) {
  const fs::path golden = fs::path(QORVA_TEST_DATA_DIR) / name;
  if (std::getenv("QORVA_UPDATE_GOLDEN")) {
    test::writeFile(golden, actual);
    return;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden;
  EXPECT_EQ(test::readFile(golden), actual) << "golden " << name;
}

size_t countOf(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

class ReportWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitReportWriter();
    ClearErrorList();
    programState.ProgName = "QORVA";
    programState.ProgStem = "qorva";
    programState.ProgTitle = "QORVA - Konstantkraftfeder";
    programState.ProgVersion = "1.0";
    programState.DataExt = "qva";
    programState.DataDir = "daten";
    programState.CurrentFileName = "feder1";
    temp = (scratch / "tmp mit Leerzeichen").string();
    fs::create_directories(temp);
    programState.TempDir = temp;
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    test::recordingLauncher().installed.clear();
    oldServices = services();
    services().ReportViewer = [this](const std::string& printFile) {
      viewed.push_back(test::readFile(printFile));
      viewedOutwin.push_back(test::readFile(TrimAndAddSlash(programState.TempDir) + "outwin.txt"));
    };
    services().ErrorHelp = [](uint16_t n, std::string& cause, std::string& remedy) {
      cause = "Ursache " + IntStr(n);
      remedy = "Abhilfe " + IntStr(n);
    };
  }
  void TearDown() override {
    services().ErrorHelp = nullptr;
    services().ShowCalcMessages = nullptr;
    installServices(std::move(oldServices));
    ShareTextFile.Discard();
    InitAllSettings();
    InitReportWriter();
  }

  std::string tempFile(const std::string& name) const { return TrimAndAddSlash(temp) + name; }

  // The title lines of the spring a report is about.
  const std::array<std::string, 4> titleLines{"", "Projekt A", "", ""};

  // A small report of every kind of line.
  void writeSampleReport(uint16_t device) {
    BeginReport("Ergebnisse", "Konstantkraftfeder", "Kunde: M\x81ller & S\x94hne <GmbH>", "Auftrag 4711", "", 0,
                titleLines);
    OpenOutput(device, "feder1.txt");
    ASSERT_FALSE(programState.ErrorFlag);
    CreateOutput();
    ASSERT_FALSE(programState.ErrorFlag);
    PageHeader(0);
    WriteTextLine("GEOMETRIE");
    WriteResultRow("Bandst\x84rke", "t", "mm", "0.2");
    WriteResultRow("Innendurchmesser", "Di", "mm", "12.5");
    WriteTableLine("Temperatur 20 \xF8" "C, Kraft < 5 N & Hub > 2 mm");
    WriteLongText(
        "Ein langer Text, der in der Textausgabe an Leerzeichen umbrochen wird, weil er mehr als "
        "zweiundsiebzig Zeichen hat.");
    AddErrorMsg("Warnung: Hub > 10 mm");
    WriteMessageSection();
    CloseOutput();
  }

  // Plain text of device 8 without its 7 leading blanks per report line.
  std::vector<std::string> dosReportLines() const {
    std::vector<std::string> lines = splitLines(test::readFile(tempFile("OUTDOS.TXT")));
    for (auto& l : lines)
      if (l.compare(0, 7, "       ") == 0) l.erase(0, 7);
    return lines;
  }

  std::vector<AskRecord> asked(AskKind kind) const {
    std::vector<AskRecord> r;
    for (const auto& a : test::scriptedPrompter().asked())
      if (a.kind == kind) r.push_back(a);
    return r;
  }

  test::ScratchDir scratch;
  std::string temp;
  Services oldServices;
  std::vector<std::string> viewed;
  std::vector<std::string> viewedOutwin;
};

// ---- Golden reports of the three formats ----

TEST_F(ReportWriterTest, PlainTextReportMatchesGolden) {
  writeSampleReport(dev::DosTextFile);
  ASSERT_FALSE(programState.ErrorFlag);
  expectGolden("textout_report.txt", test::readFile(tempFile("OUTDOS.TXT")));
  // The display copy is in the Windows code page: ä (DOS 0x84) became 0xE4.
  EXPECT_NE(test::readFile(tempFile("outwin.txt")).find("Bandst\xE4rke"), std::string::npos);
}

TEST_F(ReportWriterTest, TabSeparatedReportMatchesGoldenAndIsCopiedUnderTheNextNumber) {
  programState.TempFileNo = 4;
  writeSampleReport(dev::TabText);
  ASSERT_FALSE(programState.ErrorFlag);
  const std::string out = test::readFile(tempFile("$$$5.txt"));
  expectGolden("textout_report.tsv", replaceAll(out, NoBlanks(temp), "@TEMP@"));
  EXPECT_EQ(programState.TempFileNo, 5);
  EXPECT_EQ(test::readFile(tempFile("$$5.txt")), out);
  EXPECT_TRUE(asked(AskKind::SaveFile).empty()) << "no question without TextDeviceQuery";

  // The next report writes the next number, again without a question.
  writeSampleReport(dev::TabText);
  EXPECT_TRUE(fs::exists(tempFile("$$6.txt")));
  EXPECT_TRUE(asked(AskKind::YesNoCancel).empty());
}

TEST_F(ReportWriterTest, HtmlReportMatchesGoldenAndPassesAStrictParser) {
  desktopSettings.HtmlBrowser = "";
  const std::string target = (scratch / "bericht.htm").string();
  test::scriptedPrompter().push(target);
  writeSampleReport(dev::Html);
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.DataExt, "qva");
  EXPECT_EQ(programState.CurrentFileName, "feder1");
  const std::string html = test::readFile(target);
  expectGolden("textout_report.htm", replaceAll(html, NoBlanks(scratch.path().string()), "@DIR@"));

  // A strict HTML5 parser accepts the file, reads the declared code page and sees the escaped texts
  // as text.
  const std::string script =
      "import html5lib,sys\n"
      "doc = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False).parse(open(sys.argv[1],'rb').read())\n"
      "sys.stdout.buffer.write('|'.join(e.text or '' for e in doc.iter() if e.tag in ('h5','td')).encode('utf-8'))\n";
  test::writeFile(scratch / "check.py", script);
  const auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + (scratch / "check.py").string() + "' '" +
                                  target + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Kunde: M\xC3\xBCller & S\xC3\xB6hne <GmbH>"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Temperatur 20 \xC2\xB0" "C, Kraft < 5 N & Hub > 2 mm"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Warnung: Hub > 10 mm"), std::string::npos) << r.output;
}

// ---- Page headers and page breaks ----

TEST_F(ReportWriterTest, AHeaderLongerThanThePageNeverBreaksItself) {
  programState.LinesPerPage = 3;
  BeginReport("Kurz", "a", "b", "c", "", 0);
  OpenOutput(dev::Screen, "x");
  CreateOutput();
  PageHeader(0);
  for (int i = 1; i <= 5; ++i) WriteTextLine("Zeile " + IntStr(i));
  CloseOutput();
  ASSERT_EQ(viewed.size(), 1u);
  const std::string& out = viewed[0];
  // Each line needs a page of its own; each page has one header and the pages are apart.
  EXPECT_EQ(reportWriter.PageCounter, 6);
  EXPECT_EQ(countOf(out, "Kurz"), 6u);
  EXPECT_EQ(countOf(out, "\f\r\n"), 5u);
  size_t pos = 0;
  for (int i = 1; i <= 5; ++i) {
    const size_t at = out.find("Zeile " + IntStr(i), pos);
    ASSERT_NE(at, std::string::npos) << i;
    pos = at;
  }
}

TEST_F(ReportWriterTest, PageNumberWithAndWithoutPageTotal) {
  const struct {
    int32_t total;
    int32_t col;
    std::string text;
  } cases[] = {{0, 64, "Bl. 1"}, {3, 60, "Bl. 1/ 3"}};
  for (const auto& c : cases) {
    BeginReport("T", "", "", "", "", c.total);
    OpenOutput(dev::DosTextFile, "x");
    CreateOutput();
    PageHeader(0);
    CloseOutput();
    const auto lines = dosReportLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(static_cast<size_t>(c.col - 1), c.text.size()), c.text) << lines[1];
    EXPECT_EQ(lines[1].size(), 70u);
  }
}

TEST_F(ReportWriterTest, HeaderModeTwoNumbersNoPageAndBreaksWithFormFeedsOnly) {
  desktopSettings.HeaderMode = 2;
  programState.LinesPerPage = 12;
  BeginReport("Titel", "", "", "", "", 0);
  OpenOutput(dev::Screen, "x");
  CreateOutput();
  PageHeader(0);
  for (int i = 1; i <= 10; ++i) WriteTextLine("Zeile");
  CloseOutput();
  ASSERT_EQ(viewed.size(), 1u);
  const auto lines = splitLines(viewed[0]);
  EXPECT_EQ(lines[1].find("Bl."), std::string::npos);
  EXPECT_EQ(countOf(viewed[0], "Titel"), 1u) << "one header only";
  EXPECT_EQ(countOf(viewed[0], "\f\r\n"), 1u);
  // Pending lines: the report ends with a form feed without a line end.
  EXPECT_EQ(viewed[0].back(), '\f');
}

TEST_F(ReportWriterTest, CompressedStyleWritesNoRulesAndBreaksNoHalfEmptyPage) {
  programState.SeparatorStyle = 4;
  programState.LinesPerPage = 40;
  BeginReport("Titel", "eins", "", "", "", 0);
  OpenOutput(dev::Screen, "x");
  CreateOutput();
  PageHeader(0);
  WriteResultRow("Kraft", "F", "N", "12");
  NewPage();  // fewer than 20 lines counted: no break
  PageHeader(0);
  CloseOutput();
  ASSERT_EQ(viewed.size(), 1u);
  EXPECT_EQ(viewed[0].find("$!$"), std::string::npos);
  EXPECT_EQ(viewed[0].find("-----"), std::string::npos);
  EXPECT_EQ(viewed[0].find("*"), std::string::npos);
  EXPECT_EQ(countOf(viewed[0], "\f\r\n"), 0u);
  EXPECT_EQ(countOf(viewed[0], "Titel"), 1u);
}

// ---- Result rows and separators ----

TEST_F(ReportWriterTest, ResultRowColumns) {
  const std::string label = "Elastizit\x84tsmodul Betriebstemperatur";  // 36 characters
  const struct {
    std::string text, symbol, unit, value;
    std::vector<std::string> expected;  // lines of 70 columns
  } cases[] = {
      {"Kraft", "F", "N", "12.5", {"Kraft" + std::string(29, ' ') + "F        N           12.5" + std::string(11, ' ')}},
      // 15 characters after trimming: ends at column 69.
      {"Kraft", "F", "N", "  123456789012345 ",
       {"Kraft" + std::string(29, ' ') + "F        N" + std::string(10, ' ') + "123456789012345 "}},
      // A label that reaches the symbol's column moves the symbol right, a blank between them.
      {label, "E20", "MPa", "179000",
       {label + " E20   MPa" + std::string(9, ' ') + "179000" + std::string(9, ' ')}},
      // Where the moved symbol would reach the unit, the label has a line of its own; a unit that
      // does not fit is left out.
      {std::string(40, 'x'), "Sig.zul", std::string(30, 'u'), "1",
       {std::string(40, 'x') + std::string(30, ' '),
        std::string(34, ' ') + "Sig.zul" + std::string(14, ' ') + "1" + std::string(14, ' ')}},
  };
  programState.SeparatorStyle = 4;
  for (const auto& c : cases) {
    OpenOutput(dev::DosTextFile, "x");
    CreateOutput();
    WriteResultRow(c.text, c.symbol, c.unit, c.value);
    CloseOutput();
    EXPECT_EQ(dosReportLines(), c.expected) << c.text;
  }
}

TEST_F(ReportWriterTest, TabSeparatedOutputDropsEverySeparatorOfTheCurrentStyle) {
  for (uint16_t style : {1, 2, 3}) {
    programState.SeparatorStyle = style;
    OpenOutput(dev::TabText, "x");
    CreateOutput();
    std::string thin, dbl;
    ThinSeparator(thin);
    DoubleSeparator(dbl);
    WriteTextLine(thin);
    WriteTextLine(dbl);
    WriteTextLine(SkipMarker);
    WriteTextLine("bleibt");
    WriteResultRow("a", "b", "c", "d");
    CloseOutput();
    EXPECT_EQ(test::readFile(reportWriter.OutputFileName), "bleibt\r\na\tb\tc\td\r\n") << "style " << style;
  }
}

// ---- Devices ----

TEST_F(ReportWriterTest, UnknownDeviceShowsTheReportOnScreen) {
  for (uint16_t code : {42, 10, 89}) {
    OpenOutput(code, "x");
    ASSERT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(OutputDevice(), dev::Screen);
    CreateOutput();
    WriteTextLine("Inhalt");
    CloseOutput();
  }
  desktopSettings.TextDevice = 13;  // a damaged configuration
  OpenOutput(dev::DefaultDevice, "x");
  EXPECT_EQ(OutputDevice(), dev::Screen);
  CreateOutput();
  CloseOutput();
  EXPECT_EQ(viewed.size(), 4u);
}

TEST_F(ReportWriterTest, DefaultDeviceIsAskedForWithTheSevenNames) {
  desktopSettings.TextDeviceQuery = true;
  desktopSettings.TextDevice = 8;  // not offered: the choice starts on the first entry
  test::scriptedPrompter().push(0);  // "Bildschirm"
  OpenOutput(dev::DefaultDevice, "x");
  EXPECT_EQ(OutputDevice(), dev::Screen);
  const auto choices = asked(AskKind::Choice);
  ASSERT_EQ(choices.size(), 1u);
  EXPECT_EQ(choices[0].entries.size(), 7u);
  EXPECT_EQ(choices[0].entries[6], "HTML Datei");
  ShareTextFile.Discard();

  test::scriptedPrompter().push(Cancel{});
  OpenOutput(dev::DefaultDevice, "x");
  EXPECT_TRUE(programState.ErrorFlag);
}

TEST_F(ReportWriterTest, KeepOpenChangesNothing) {
  OpenOutput(dev::TabText, "x");
  CreateOutput();
  WriteTextLine("eins");
  reportWriter.LineCounter = 5;
  const std::string name = reportWriter.OutputFileName;
  OpenOutput(dev::KeepOpen, "y");
  EXPECT_EQ(OutputDevice(), dev::TabText);
  EXPECT_EQ(reportWriter.LineCounter, 5);
  EXPECT_EQ(reportWriter.OutputFileName, name);
  WriteTextLine("zwei");
  CloseOutput();
  EXPECT_EQ(test::readFile(name), "eins\r\nzwei\r\n");
}

TEST_F(ReportWriterTest, TextProgramAndBrowserStartWithTheFileAsOneArgument) {
  auto& l = test::recordingLauncher();
  desktopSettings.TextProgram = "/opt/Text Editor/edit";
  l.installed = {desktopSettings.TextProgram};
  OpenOutput(dev::TextProgram, "x");
  CreateOutput();
  WriteTextLine("Inhalt");
  CloseOutput();
  ASSERT_EQ(l.launched().size(), 1u);
  EXPECT_FALSE(l.launched()[0].document);
  EXPECT_EQ(l.launched()[0].program, "/opt/Text Editor/edit");
  EXPECT_EQ(l.launched()[0].args, std::vector<std::string>{tempFile("outwin.txt")});
  EXPECT_NE(test::readFile(tempFile("outwin.txt")).find("Inhalt"), std::string::npos);

  // A Windows program this machine lacks: the desktop opens the file.
  l.clear();
  desktopSettings.TextProgram = "C:\\WINDOWS\\WRITE.EXE";
  OpenOutput(dev::TextProgram, "x");
  CreateOutput();
  CloseOutput();
  ASSERT_EQ(l.launched().size(), 1u);
  EXPECT_TRUE(l.launched()[0].document);
  EXPECT_EQ(l.launched()[0].program, tempFile("outwin.txt"));

  l.clear();
  desktopSettings.HtmlBrowser = "/usr/lib/Mein Browser/browser";
  l.installed = {desktopSettings.HtmlBrowser};
  OpenOutput(dev::Html, "x");
  CreateOutput();
  PageHeader(0);
  CloseOutput();
  ASSERT_EQ(l.launched().size(), 1u);
  EXPECT_EQ(l.launched()[0].program, desktopSettings.HtmlBrowser);
  EXPECT_EQ(l.launched()[0].args, std::vector<std::string>{tempFile("qorva.htm")});
}

TEST_F(ReportWriterTest, CommandLineTabReportIsCopiedBesideTheSpringFile) {
  programState.CurrentFileName = (scratch / "feder1").string();
  OpenOutput(dev::TabTextBatch, "x");
  CreateOutput();
  WriteResultRow("Kraft", "F", "N", "12");
  CloseOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.TempFileNo, 1);
  EXPECT_EQ(test::readFile(scratch / "feder1.txt"), "Kraft\tF\tN\t12\r\n");
  EXPECT_TRUE(asked(AskKind::SaveFile).empty());
}

TEST_F(ReportWriterTest, SecondHtmlReportAsksBeforeItReplacesTheFirst) {
  desktopSettings.HtmlBrowser = "browser";
  OpenOutput(dev::Html, "x");
  CreateOutput();
  PageHeader(0);
  WriteTextLine("erster");
  CloseOutput();
  EXPECT_TRUE(asked(AskKind::YesNoCancel).empty());

  test::scriptedPrompter().push(YesNoCancel::Cancel);
  OpenOutput(dev::Html, "x");
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(asked(AskKind::YesNoCancel).size(), 1u);
  EXPECT_NE(test::readFile(tempFile("qorva.htm")).find("erster"), std::string::npos);
}

TEST_F(ReportWriterTest, TextPrinterGoesToTheRawQueueWithItsProlog) {
  auto& l = test::recordingLauncher();
  l.installed = {"lp"};
  const fs::path oldCwd = fs::current_path();
  fs::current_path(scratch.path());
  test::writeFile(scratch / "TEXT.HXP", "\x1b" "E");
  test::scriptedPrompter().push(YesNoCancel::No);  // no pause
  OpenOutput(dev::TextPrinter, "x");
  fs::current_path(oldCwd);
  ASSERT_FALSE(programState.ErrorFlag);
  CreateOutput();
  PageHeader(0);
  WriteTextLine("Inhalt");
  NewPage();
  CloseOutput();
  const std::string port = tempFile("LPT1");
  const std::string out = test::readFile(port);
  EXPECT_EQ(out.substr(0, 2), "\x1b" "E");
  EXPECT_EQ(out.back(), '\f');
  ASSERT_EQ(l.launched().size(), 1u);
  EXPECT_EQ(l.launched()[0].program, "lp");
  EXPECT_EQ(l.launched()[0].args, (std::vector<std::string>{"-o", "raw", port}));
}

TEST_F(ReportWriterTest, APageNotConfirmedStopsTheReportAndPrintsNothing) {
  auto& l = test::recordingLauncher();
  l.installed = {"lp"};
  test::scriptedPrompter().push(YesNoCancel::Yes);  // pause after each page
  OpenOutput(dev::TextPrinter, "x");
  CreateOutput();
  test::scriptedPrompter().push(YesNoCancel::No);  // "Blatt in Drucker einlegen.  Fortfahren ?"
  PageHeader(0);
  EXPECT_TRUE(programState.ErrorFlag);
  CloseOutput();
  EXPECT_TRUE(l.launched().empty());
  const auto q = asked(AskKind::YesNoCancel);
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[1].text, "Blatt in Drucker einlegen.  Fortfahren ?");
}

TEST_F(ReportWriterTest, AfterARefusedPageNoFurtherPageIsAskedFor) {
  auto& l = test::recordingLauncher();
  l.installed = {"lp"};
  programState.LinesPerPage = 8;
  errorList.ErrorCount = 0;
  for (int i = 0; i < 6; ++i) AddErrorMsg("Warnung: Nummer " + std::to_string(i));
  test::scriptedPrompter().push(YesNoCancel::Yes);  // pause after each page
  OpenOutput(dev::TextPrinter, "x");
  CreateOutput();
  test::scriptedPrompter().push(YesNoCancel::No);  // the first sheet is refused
  PageHeader(0);
  ASSERT_TRUE(programState.ErrorFlag);
  // A message section several pages long must not ask again for every page.
  WriteMessageSection();
  for (int i = 0; i < 30; ++i) WriteTextLine("Zeile");
  CloseOutput();
  EXPECT_EQ(asked(AskKind::YesNoCancel).size(), 2u);
  EXPECT_TRUE(l.launched().empty());
}

TEST_F(ReportWriterTest, AnUnfinishedReportLeavesTheOldFileAsItWas) {
  const fs::path target = scratch / "alt.txt";
  test::writeFile(target, "alter Bericht\r\n");
  // Save choice, then the question before the existing file is replaced.
  test::scriptedPrompter().push(target.string());
  test::scriptedPrompter().push(YesNoCancel::Yes);
  OpenOutput(dev::TextFile, "x");
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(asked(AskKind::YesNoCancel).size(), 1u) << "asked once whether to overwrite";
  CreateOutput();
  WriteTextLine("halber Bericht");
  programState.ErrorFlag = true;  // a step of the report failed
  CloseOutput();
  EXPECT_EQ(test::readFile(target), "alter Bericht\r\n");

  programState.ErrorFlag = false;
  OpenOutput(dev::KeepOpen, "x");
  CreateOutput();
  WriteTextLine("neuer Bericht");
  CloseOutput();
  EXPECT_EQ(test::readFile(target), "       neuer Bericht\r\n");
}

TEST_F(ReportWriterTest, AWriteThatFailsWhileTheReportIsWrittenIsReported) {
  // The output lands on a full disk; the report is longer than what is held back before writing.
  fs::create_symlink("/dev/full", tempFile("OUTDOS.TXT"));
  OpenOutput(dev::DosTextFile, "x");
  ASSERT_FALSE(programState.ErrorFlag);
  CreateOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  for (int i = 0; i < 2000 && !programState.ErrorFlag; ++i) WriteTextLine("Zeile " + IntStr(i));
  EXPECT_TRUE(programState.ErrorFlag) << "the failed write stops the report";
  CloseOutput();
  EXPECT_TRUE(programState.ErrorFlag);
  const auto m = asked(AskKind::Message);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].caption, "Fehler : ");
  EXPECT_EQ(m[0].text, "Diskette/Platte voll");
  EXPECT_FALSE(fs::exists(tempFile("outwin.txt")));
}

TEST_F(ReportWriterTest, NoViewerOrProgramWhenTheDisplayCopyCannotBeWritten) {
  fs::create_directory(tempFile("outwin.txt"));
  test::recordingLauncher().installed = {desktopSettings.TextProgram};
  for (uint16_t device : {dev::Screen, dev::TextProgram}) {
    SCOPED_TRACE(device);
    test::scriptedPrompter().clear();
    programState.ErrorFlag = false;
    OpenOutput(device, "x");
    CreateOutput();
    WriteTextLine("Inhalt");
    const std::string printFile = reportWriter.OutputFileName;
    CloseOutput();
    EXPECT_TRUE(programState.ErrorFlag);
    const auto m = asked(AskKind::Message);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, tempFile("outwin.txt") + ": file write error");
    if (device == dev::Screen) {
      EXPECT_FALSE(fs::exists(printFile));
    }
  }
  EXPECT_TRUE(viewed.empty());
  EXPECT_TRUE(test::recordingLauncher().launched().empty());
}

TEST_F(ReportWriterTest, TemporaryOutputTakesTheNextNameThatCanBeCreated) {
  fs::create_directory(tempFile("$OUT1.TMP"));
  std::string name;
  MakeTempOutputFile(name);
  EXPECT_EQ(name, tempFile("$OUT2.TMP"));
  EXPECT_FALSE(programState.ErrorFlag);

  for (int n = 2; n <= 11; ++n) {
    fs::remove(tempFile("$OUT" + IntStr(n) + ".TMP"));
    fs::create_directory(tempFile("$OUT" + IntStr(n) + ".TMP"));
  }
  MakeTempOutputFile(name);
  EXPECT_EQ(name, tempFile("$OUT11.TMP"));
  OpenOutput(dev::Screen, "x");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(asked(AskKind::Message).empty());
}

TEST_F(ReportWriterTest, ScreenWithoutViewerLeavesTheReportInTheDisplayCopy) {
  services().ReportViewer = nullptr;
  OpenOutput(dev::Screen, "x");
  CreateOutput();
  WriteTextLine("Inhalt");
  const std::string printFile = reportWriter.OutputFileName;
  CloseOutput();
  EXPECT_FALSE(fs::exists(printFile));
  EXPECT_NE(test::readFile(tempFile("outwin.txt")).find("Inhalt"), std::string::npos);
  const auto m = asked(AskKind::Message);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "Ausgabefenster nicht verfügbar !");
}

// ---- Calculation messages ----

TEST_F(ReportWriterTest, ShowErrorListByState) {
  ShowErrorList(titleLines);
  auto m = asked(AskKind::Message);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "Berechnung erfolgreich ohne Fehlermeldungen");
  EXPECT_TRUE(viewed.empty());

  AddErrorMsg("Fatal  : Keine Windungen");
  int interactive = 0;
  services().ShowCalcMessages = [&interactive] { ++interactive; };
  ShowErrorList(titleLines);
  EXPECT_EQ(interactive, 1);
  EXPECT_TRUE(viewed.empty());

  programState.FatalError = false;
  ShowErrorList(titleLines);
  ASSERT_EQ(viewed.size(), 1u);
  EXPECT_NE(viewed[0].find("Error Messages"), std::string::npos);
  EXPECT_NE(viewed[0].find("Fatal  : Keine Windungen"), std::string::npos);
  EXPECT_NE(viewed[0].find("Ursache 1"), std::string::npos);
  EXPECT_NE(viewed[0].find("Abhilfe 1"), std::string::npos);
}

}  // namespace
}  // namespace qorva
