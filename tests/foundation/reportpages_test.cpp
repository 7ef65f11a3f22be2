#include "foundation/reportpages.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/spreadsheetapp.h"
#include "foundation/xlsexport.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

class ReportPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    programState.TempDir = scratch.path().string();
    programState.ProgStem = "qorva";
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    test::recordingLauncher().installed.clear();
  }
  void TearDown() override {
    services().TextPrint = nullptr;
    InitAllSettings();
  }
  test::ScratchDir scratch;
};

// Lines of n pages, page p holding "p<p>a" and "p<p>b", separated by form-feed lines.
std::vector<std::string> pagesOfText(int n) {
  std::vector<std::string> lines;
  for (int p = 1; p <= n; ++p) {
    if (p > 1) lines.push_back("\f");
    lines.push_back("p" + IntStr(p) + "a");
    lines.push_back("p" + IntStr(p) + "b");
  }
  return lines;
}

std::vector<int32_t> sheetPages(const std::vector<PrintedSheet>& sheets) {
  std::vector<int32_t> r;
  for (const auto& s : sheets) r.push_back(s.page);
  return r;
}

TEST_F(ReportPagesTest, PagesEndAtFormFeedLines) {
  auto two = pagesOfText(2);
  EXPECT_EQ(CountTextPages(two), 2);
  auto sheets = PlanTextPrint(two, 1, 2);
  ASSERT_EQ(sheetPages(sheets), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(sheets[1].lines[0].row, 0);
  EXPECT_EQ(sheets[1].lines[1].text, "p2b");
  EXPECT_EQ(sheets[1].lines[1].row, 1);

  // A form-feed line at the end opens no empty page.
  two.push_back("\f");
  EXPECT_EQ(CountTextPages(two), 2);
  EXPECT_EQ(PlanTextPrint(two, 1, 2).size(), 2u);

  // Pages 2 to 3 of five: nothing of pages 1, 4 and 5.
  sheets = PlanTextPrint(pagesOfText(5), 2, 3);
  ASSERT_EQ(sheetPages(sheets), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(sheets[0].lines[0].text, "p2a");
  EXPECT_EQ(sheets[1].lines.back().text, "p3b");

  // No page limit.
  const auto many = pagesOfText(300);
  EXPECT_EQ(CountTextPages(many), 300);
  sheets = PlanTextPrint(many, 250, 300);
  ASSERT_EQ(sheets.size(), 51u);
  EXPECT_EQ(sheets.back().lines[0].text, "p300a");

  // Printed lines are in the Windows code page.
  EXPECT_EQ(PlanTextPrint({"Bandst\x84rke 20 \xF8" "C"}, 1, 1)[0].lines[0].text, "Bandst\xE4rke 20 \xB0" "C");
}

TEST_F(ReportPagesTest, PrintTextFileHandsThePagesToThePrinter) {
  int32_t pages = 0;
  services().TextPrint = [&pages](const std::string&, const std::vector<std::string>&, int32_t n) { pages = n; };
  const fs::path f = scratch / "bericht.tmp";
  test::writeFile(f, "a\r\n\f\r\nb\r\n\f\r\nc\r\n");
  PrintTextFile(f.string());
  EXPECT_EQ(pages, 3);

  pages = 0;
  PrintTextFile((scratch / "fehlt.tmp").string());
  EXPECT_EQ(pages, 0);
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, (scratch / "fehlt.tmp").string() + " not found !");
}

TEST_F(ReportPagesTest, FontStyleCodes) {
  const struct {
    int32_t code;
    FontStyleSet style;
  } cases[] = {
      {0, {}},
      {3, {true, true, false, false}},
      {4, {false, false, true, false}},
      {8, {false, false, false, true}},
      {15, {true, true, true, true}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodeToFontStyle(c.code), c.style) << c.code;
    EXPECT_EQ(FontStyleToCode(c.style), c.code);
  }
  EXPECT_EQ(CodeToFontStyle(19), CodeToFontStyle(3));
}

TEST_F(ReportPagesTest, CopyDosToWinFileConvertsEveryLine) {
  const fs::path src = scratch / "dos.txt";
  const fs::path dest = scratch / "win.txt";
  const std::string longLine(300, '\x81');
  test::writeFile(src, "Gr\x94\xE1" "e\r\n\fx\r\n" + longLine);
  CopyDosToWinFile(src.string(), dest.string());
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(test::readFile(dest), "Gr\xF6\xDF" "e\r\n\fx\r\n" + std::string(300, '\xFC') + "\r\n");

  test::writeFile(src, "");
  CopyDosToWinFile(src.string(), dest.string());
  EXPECT_EQ(test::readFile(dest), "\r\n");

  // A source that cannot be read leaves the older copy as it was.
  test::writeFile(dest, "alt\r\n");
  CopyDosToWinFile((scratch / "fehlt.txt").string(), dest.string());
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(test::readFile(dest), "alt\r\n");
}

TEST_F(ReportPagesTest, ProgramsStartWithTheDocumentAsOneArgument) {
  auto& l = test::recordingLauncher();
  l.installed = {"/opt/Mein Editor/ed"};
  EXPECT_TRUE(StartProgramOnDocument(" /opt/Mein Editor/ed ", "/tmp/a b/outwin.txt"));
  EXPECT_TRUE(StartProgramOnDocument("notepad", "/tmp/a b/outwin.txt"));
  ASSERT_EQ(l.launched().size(), 2u);
  EXPECT_EQ(l.launched()[0].program, "/opt/Mein Editor/ed");
  EXPECT_EQ(l.launched()[0].args, std::vector<std::string>{"/tmp/a b/outwin.txt"});
  EXPECT_TRUE(l.launched()[1].document);
  EXPECT_EQ(l.launched()[1].program, "/tmp/a b/outwin.txt");
}

TEST_F(ReportPagesTest, SpreadsheetExportPutsEveryLineIntoColumnOne) {
  const fs::path text = scratch / "bericht.txt";
  test::writeFile(text, "Ergebnisse\r\n\r\n  Bandst\x84rke  t  mm  0.2\r\n20 \xF8" "C & <mehr>\r\n");
  programState.DataExt = "txt";
  ExportTextToExcel(text.string());
  ASSERT_FALSE(programState.ErrorFlag);
  const std::string xlsx = (scratch / "qorva.xlsx").string();
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_EQ(test::recordingLauncher().launched()[0].program, xlsx);
  EXPECT_EQ(spreadsheetApp.ExcelApp.workbookPath, xlsx);

  const std::string script =
      "import openpyxl,sys\n"
      "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
      "for r in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=ws.max_column):\n"
      "    sys.stdout.buffer.write(('|'.join('' if c.value is None else str(c.value) for c in r) + '\\n').encode())\n";
  test::writeFile(scratch / "check.py", script);
  const auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + (scratch / "check.py").string() + "' '" + xlsx + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "Ergebnisse\n\n  Bandst\xC3\xA4rke  t  mm  0.2\n20 \xC2\xB0" "C & <mehr>\n");
}

TEST_F(ReportPagesTest, SpreadsheetExportRefusesWhatItCannotRead) {
  ExportTextToExcel("");
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(test::scriptedPrompter().asked()[0].text, "File not found. Use \"File->Save\"");

  // Nothing to read, or no folder to write in: an older workbook stays as it was.
  const fs::path old = scratch / "alt.xlsx";
  test::writeFile(old, "alt");
  const struct {
    fs::path text, xlsx;
  } cases[] = {{scratch / "fehlt.txt", old}, {scratch / "b.txt", scratch / "kein Ordner" / "b.xlsx"}};
  test::writeFile(scratch / "b.txt", "x\r\n");
  for (const auto& c : cases) {
    programState.ErrorFlag = false;
    std::string error;
    EXPECT_FALSE(WriteTextToXlsx(c.text.string(), c.xlsx.string(), error));
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(test::readFile(old), "alt");
  EXPECT_TRUE(test::recordingLauncher().launched().empty());
}

}  // namespace
}  // namespace qorva
