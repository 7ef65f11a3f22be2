// The result report of the spring: golden reports in plain text, tab-separated text and HTML, the
// fatigue-life rows, the rows that depend on the load, and pages far shorter than the report.
#include "spring/resultreport.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/reportwriter.h"
#include "foundation/utilfile.h"
#include "spring/calculation.h"
#include "tests/spring/springfixture.h"
#include "tests/support/filehelpers.h"

namespace qorva::test {
namespace {

namespace fs = std::filesystem;

class ReportTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial();
    NameTheProgram();
    // Working in the scratch folder with empty folder settings keeps its path out of the reports.
    oldDir_ = fs::current_path();
    fs::current_path(dir_.path());
    programState.DataDir = "";
    programState.TempDir = "";
    programState.CurrentFileName = "feder";
    programState.TempFileNo = 0;
    desktopSettings.TextDeviceQuery = false;
    desktopSettings.HtmlBrowser = "";
    InitReportWriter();
    services().ErrorHelp = [](uint16_t n, std::string& cause, std::string& remedy) {
      cause = "Ursache der Meldung " + IntStr(n);
      remedy = "Abhilfe f\x81r Meldung " + IntStr(n);
    };
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, spring.family.MaterialNumber));
    CalcSpring(spring);
    ASSERT_FALSE(programState.FatalError);
  }
  void TearDown() override {
    services().ErrorHelp = nullptr;
    services().ReportViewer = nullptr;
    fs::current_path(oldDir_);
    SpringTest::TearDown();
  }

  // A dynamic spring with calculation messages and, as after a Goodman diagram, a permissible
  // stroke stress: t above the material's range and the working stress above the permissible one.
  void SpringWithMessages() {
    spring.family.DrawingName = "Schiebet\x81r";
    spring.family.DrawingNumber = "Z-4711";
    spring.family.DrawingName2 = "Gr\x94\xE1" "e 2";
    spring.TitleLines[2] = "Kunde: M\x81ller";
    spring.family.BandThickness = 2.5;
    spring.product.InnerDiameter = 100;
    spring.product.BendingDiameter = 100;
    spring.product.OuterDiameter = 140;
    spring.family.LoadFrequency = 2;
    CalcSpring(spring);
    spring.family.PermissibleStrokeStress = 600;
    spring.family.FatigueSafetyFactor = 0.8L;
    spring.family.CyclesToFracture = 123456;
    spring.family.UpperStressLimit = 1200;
  }

  std::string reportOn(uint16_t device) {
    desktopSettings.TextDevice = device;
    programState.ErrorFlag = false;
    if (device == OutputDeviceCode::Html) {
      fs::remove(path("bericht.htm"));
      scriptedPrompter().push(std::string("bericht.htm"));
    }
    PrintSpringResults(spring);
    EXPECT_FALSE(programState.ErrorFlag);
    switch (device) {
      case OutputDeviceCode::DosTextFile: return readFile(path("OUTDOS.TXT"));
      case OutputDeviceCode::TabText: return readFile(path("$$" + IntStr(programState.TempFileNo) + ".txt"));
      case OutputDeviceCode::Html: return readFile(path("bericht.htm"));
      default: return {};
    }
  }

  // The rows of a tab-separated report whose text begins with prefix.
  std::vector<std::string> tabRows(const std::string& prefix) {
    std::vector<std::string> rows;
    for (const std::string& l : Lines(reportOn(OutputDeviceCode::TabText))) {
      if (l.rfind(prefix, 0) == 0) rows.push_back(l);
    }
    return rows;
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  ScratchDir dir_;
  fs::path oldDir_;
};

TEST_F(ReportTest, StartSpringGoldenReports) {
  ExpectGolden("fc_report_start.txt", reportOn(OutputDeviceCode::DosTextFile));
  ExpectGolden("fc_report_start_tab.txt", reportOn(OutputDeviceCode::TabText));
  ExpectGolden("fc_report_start.htm", reportOn(OutputDeviceCode::Html));
}

TEST_F(ReportTest, SpringWithMessagesGoldenReports) {
  SpringWithMessages();
  ASSERT_EQ(Messages(), (std::vector<std::string>{"Fehler : sigma2 > sigmao !", "Fehler : sig.2 > sig.zul !",
                                                  "Warnung: t > DMAX (2)"}));
  ExpectGolden("fc_report_messages.txt", reportOn(OutputDeviceCode::DosTextFile));
  ExpectGolden("fc_report_messages_tab.txt", reportOn(OutputDeviceCode::TabText));
  ExpectGolden("fc_report_messages.htm", reportOn(OutputDeviceCode::Html));
}

TEST_F(ReportTest, HtmlReportsAreStrictHtml) {
  const std::string plain = reportOn(OutputDeviceCode::Html);
  SpringWithMessages();
  const std::string messages = reportOn(OutputDeviceCode::Html);
  for (const std::string* html : {&plain, &messages}) {
    writeFile(path("check.htm"), *html);
    const CommandResult r = runCommand(std::string(QORVA_PYTHON) +
                                       " -c \"import html5lib,sys; html5lib.HTMLParser(strict=True).parse("
                                       "open(sys.argv[1],'rb'))\" " + path("check.htm"));
    EXPECT_EQ(r.exitCode, 0) << r.output;
  }
}

TEST_F(ReportTest, FatigueLifeRows) {
  struct Case {
    const char* name;
    uint16_t loadType;
    long double strokeStress, safety, cycles, frequency, upperLimit;  // stress2 is 1250
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"life in hours", 2, 600, 0.5, 3600000, 10, 1300,
       {"Lastspiele bis Bruch\tN\tMio\t3.6", "Lebensdauer (f=10Hz)\ttN\th\t100"}},
      {"above the upper-stress limit in brackets", 2, 600, 0.5, 3600000, 10, 1200,
       {"Lastspiele bis Bruch\tN\tMio\t(3.6)", "Lebensdauer (f=10Hz)\ttN\th\t(100)"}},
      {"no life at 10 million cycles", 2, 600, 0.5, 10000000, 10, 1300, {"Lastspiele bis Bruch\tN\tMio\t10"}},
      {"no life without a frequency", 2, 600, 0.5, 3600000, 0, 1300, {"Lastspiele bis Bruch\tN\tMio\t3.6"}},
      {"a factor of exactly 1 is endurable", 2, 600, 1, 0, 10, 1300,
       {"Lastspiele bis Bruch\tN\t\t > 10 Mio.", "Lebensdauer\ttN\t\tdauerfest"}},
      {"endurable above the upper-stress limit", 2, 600, 1.5, 0, 10, 1200,
       {"Lastspiele bis Bruch\tN\t\t( > 10 Mio.)"}},
      {"no Goodman diagram drawn", 2, 0, 0.5, 3600000, 10, 1300, {}},
      {"static load", 1, 600, 0.5, 3600000, 10, 1300, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spring.family.LoadType = c.loadType;
    spring.family.PermissibleStrokeStress = c.strokeStress;
    spring.family.FatigueSafetyFactor = c.safety;
    spring.family.CyclesToFracture = c.cycles;
    spring.family.LoadFrequency = c.frequency;
    spring.family.UpperStressLimit = c.upperLimit;
    ASSERT_EQ(spring.family.Stress2, 1250);
    std::vector<std::string> rows = tabRows("Lastspiele");
    for (const std::string& r : tabRows("Lebensdauer")) rows.push_back(r);
    EXPECT_EQ(rows, c.rows);
    // The permissible stroke stress stands above them whenever a diagram set it.
    EXPECT_EQ(tabRows("zul Hubspannung").size(), c.strokeStress > 0 ? 1u : 0u);
  }
}

TEST_F(ReportTest, LoadTypeRows) {
  spring.family.LoadFrequency = 2.5;
  EXPECT_EQ(tabRows("Lastspielfrequenz"), std::vector<std::string>{"Lastspielfrequenz\tf\t1/s\t2.5"});
  EXPECT_EQ(tabRows("Beanspruchung"), std::vector<std::string>{"Beanspruchung : dynamisch"});
  spring.family.LoadType = 1;
  EXPECT_TRUE(tabRows("Lastspielfrequenz").empty());
  EXPECT_EQ(tabRows("Beanspruchung"), std::vector<std::string>{"Beanspruchung : statisch"});
}

TEST_F(ReportTest, SecondMaterialLineOnlyWithText) {
  EXPECT_EQ(tabRows("Werkstoff"),
            (std::vector<std::string>{"Werkstoff: Federband EN 10270-1 C75S", "Werkstoff: 1.1248 "}));
  spring.family.MaterialRec.Text3 = "   ";
  spring.family.MaterialRec.Text4 = "";
  EXPECT_EQ(tabRows("Werkstoff"), std::vector<std::string>{"Werkstoff: Federband EN 10270-1 C75S"});
  spring.family.MaterialRec.Text4 = "x";
  EXPECT_EQ(tabRows("Werkstoff").size(), 2u);
}

TEST_F(ReportTest, FatalErrorOffersTheMessagesInstead) {
  spring.product.OuterDiameter = 0;
  CalcSpring(spring);
  ASSERT_TRUE(programState.FatalError);
  int offered = 0;
  services().ShowCalcMessages = [&offered] { ++offered; };
  desktopSettings.TextDevice = OutputDeviceCode::DosTextFile;
  PrintSpringResults(spring);
  EXPECT_EQ(offered, 1);
  EXPECT_FALSE(fs::exists(path("OUTDOS.TXT")));
}

TEST_F(ReportTest, ShortPagesEachGetOneHeader) {
  SpringWithMessages();
  std::string page;
  services().ReportViewer = [&page](const std::string& printFile) { page = readFile(ResolveFileCase(printFile)); };
  for (int32_t length : {8, 12, 20, 40}) {
    SCOPED_TRACE(length);
    programState.LinesPerPage = length;
    page.clear();
    reportOn(OutputDeviceCode::Screen);
    ASSERT_FALSE(page.empty());
    // Pages end with a form feed; each begins with its framed header, numbered in turn.
    const std::vector<std::string> lines = Lines(page);
    int pages = 0;
    int frames = 0;
    int rowsOfWork = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] == "\f") ++pages;
      if (lines[i] == "       " + std::string(70, '*') && (i + 1 < lines.size()) &&
          lines[i + 1].find("Bl.") != std::string::npos) {
        ++frames;
        EXPECT_NE(lines[i + 1].find("Bl." + BlankPad(frames, 2)), std::string::npos) << lines[i + 1];
      }
      if (lines[i].find("Federarbeit max") != std::string::npos) ++rowsOfWork;
    }
    EXPECT_EQ(frames, pages);
    EXPECT_GT(pages, length < 40 ? 2 : 1);
    EXPECT_EQ(rowsOfWork, 1);
  }
}

TEST_F(ReportTest, PageBreaksNeverSplitABlock) {
  // Each block (and the row groups from the stroke stress, the mass and the messages on) starts on
  // a new page when fewer than ten lines are left, so none is ever split.
  SpringWithMessages();
  struct Block {
    std::string first, last;
  };
  const std::vector<Block> blocks = {
      {"       Federkraft", "max. Federkraft bei Sigmaz"},
      {"       Federweg", "max. Federweg"},
      {"       Biegespannung", "zul Biegespannung"},
      {"       Hubspannung ", "Lebensdauer (f="},
      {"       Gewicht der Feder", "Federarbeit max"},
      {"       BEMERKUNGEN", "Abhilfe f\x81r Meldung 1"},
  };
  std::string page;
  services().ReportViewer = [&page](const std::string& printFile) { page = readFile(ResolveFileCase(printFile)); };
  for (int32_t length = 20; length <= 80; ++length) {
    SCOPED_TRACE(length);
    programState.LinesPerPage = length;
    page.clear();
    reportOn(OutputDeviceCode::Screen);
    const std::vector<std::string> lines = Lines(page);
    for (const Block& b : blocks) {
      SCOPED_TRACE(b.first);
      std::size_t from = 0;
      while (from < lines.size() && lines[from].rfind(b.first, 0) != 0) ++from;
      std::size_t to = from;
      while (to < lines.size() && lines[to].find(b.last) == std::string::npos) ++to;
      ASSERT_LT(to, lines.size());
      for (std::size_t i = from; i <= to; ++i) EXPECT_NE(lines[i], "\f") << "page break inside the block";
    }
  }
}

TEST_F(ReportTest, APrinterPageRefusedEndsTheReport) {
  // On the text printer with a pause after each page, No to the next sheet ends the report: no more
  // questions, nothing printed.
  programState.LinesPerPage = 20;
  recordingLauncher().clear();
  recordingLauncher().installed = {"lp"};
  desktopSettings.TextDevice = OutputDeviceCode::TextPrinter;
  scriptedPrompter().push(YesNoCancel::Yes);  // "Pause nach jeder Seite ?"
  scriptedPrompter().push(YesNoCancel::Yes);  // sheet 1
  scriptedPrompter().push(YesNoCancel::No);   // sheet 2
  PrintSpringResults(spring);
  EXPECT_TRUE(programState.ErrorFlag);
  int questions = 0;
  for (const AskRecord& a : scriptedPrompter().asked()) questions += a.kind == AskKind::YesNoCancel ? 1 : 0;
  EXPECT_EQ(questions, 3);
  EXPECT_TRUE(recordingLauncher().launched().empty());
}

}  // namespace
}  // namespace qorva::test
