// The spreadsheet commands: the workbooks are read back with openpyxl, cell by cell with their
// kinds; a workbook that cannot be written or opened ends the command with a message.
#include "shell/spreadsheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/workdir.h"
#include "foundation/spreadsheetapp.h"
#include "foundation/desktopsettings.h"
#include "foundation/workdir.h"
#include "platform/services.h"
#include "shell/startup.h"
#include "spring/springdatafile.h"
#include "spring/calculation.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "tests/spring/springfixture.h"

namespace qorva::test {
namespace {

namespace fs = std::filesystem;

// The cells of the first sheet, one line per row: "n:<number>" or "s:<text>", empty cells empty.
std::string SheetCells(const fs::path& xlsx, const fs::path& scratch) {
  const std::string script =
      "import openpyxl,sys\n"
      "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
      "for r in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=ws.max_column):\n"
      "    cells = []\n"
      "    for c in r:\n"
      "        v = c.value\n"
      "        cells.append('' if v is None else ('n:%g' % v if isinstance(v, (int, float)) else 's:' + v))\n"
      "    while cells and cells[-1] == '': cells.pop()\n"
      "    sys.stdout.buffer.write(('|'.join(cells) + '\\n').encode())\n";
  writeFile(scratch / "cells.py", script);
  const auto r = runCommand(std::string(QORVA_PYTHON) + " '" + (scratch / "cells.py").string() + "' '" +
                            xlsx.string() + "'");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return r.output;
}

// A launcher whose desktop cannot open anything.
class NoDesktopLauncher : public RecordingLauncher {
 public:
  bool openDocument(const std::string&) override { return false; }
};

class SpreadsheetTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial();
    NameTheProgram();
    programState.DataDir = scratch_.path().string() + "/";
    programState.TempDir = scratch_.path().string() + "/";
    recordingLauncher().clear();
    recordingLauncher().installed = {"xdg-open"};
  }
  void TearDown() override {
    recordingLauncher().clear();
    recordingLauncher().installed.clear();
    SpringTest::TearDown();
  }
  // feder.qva (the default spring) in the data folder, read and calculated into spring_: the
  // spring the commands work on, open under that name.
  void readFeder() {
    fs::copy_file(fs::path(QORVA_SOURCE_DIR) / "data" / "null.qva", scratch_ / "feder.qva");
    const SpringFileRead read = ReadSpring((scratch_ / "feder.qva").string(), NewSpring());
    ASSERT_TRUE(read.ok()) << read.error;
    MaterialCatalog catalog;
    ASSERT_TRUE(catalog.load());
    const MaterialRecord* material = catalog.byNumber(read.spring.family.MaterialNumber);
    ASSERT_NE(material, nullptr);
    const CalcOutcome calc = Calculate(read.spring, *material);
    ASSERT_FALSE(calc.fatal);
    spring_ = read.spring;
    spring_.family = calc.family;
    spring_.product = calc.product;
    programState.CurrentFileName = "feder";
  }
  std::vector<std::string> opened() const {
    std::vector<std::string> v;
    for (const auto& l : recordingLauncher().launched())
      if (l.document) v.push_back(l.program);
    return v;
  }
  ScratchDir scratch_;
  Spring spring_;
};

TEST_F(SpreadsheetTest, TheFileTableGoesCellByCellIntoAWorkbookOfItsOwn) {
  fs::copy_file(fs::path(QORVA_SOURCE_DIR) / "data" / "null.qva", scratch_ / "feder.qva");
  GridRows rows = ReadFileTable(programState.DataDir);
  ASSERT_EQ(rows.size(), 2u);
  rows.push_back({"\xC3\x84nderung.qva", "2024/03/05", "007", "  12,5", "", " -3e2 ", "inf", "1.2.3", " 0.25"});
  // Drawing numbers and designations are texts even when they read as numbers.
  rows.push_back({"2024.qva", "2024/03/06", "12E3", "1", "", "", "", "", "", "", "", "", "1.10", "13"});
  ExportGridToExcel(rows);
  ExportGridToExcel(rows);
  ASSERT_EQ(opened().size(), 2u);
  EXPECT_NE(opened()[0], opened()[1]) << "each export writes its own workbook";
  const std::string cells = SheetCells(opened()[1], scratch_.path());
  const std::string header =
      "s:File|s:Date  y/m/d|s:No.|s:F|s:b|s:t|s:s|s:De|s:Di|s:Dn|s:sig.2|s:sig.z|s:Material|s:Mat.No.|s:E|s:Rm|s:cycles\n";
  EXPECT_EQ(cells.substr(0, header.size()), header) << "the header is row 1";
  const std::string second = cells.substr(header.size(), cells.find('\n', header.size()) - header.size());
  EXPECT_EQ(second.substr(0, 12), "s:feder.qva|");
  EXPECT_NE(second.find("|n:30|n:50|n:0.5|n:637|n:85|n:80|n:80|n:1250|n:1400|"), std::string::npos) << second;
  EXPECT_NE(second.find("|s:Federband EN 10270-1|n:12|n:200000|n:2000|"), std::string::npos) << second;
  EXPECT_NE(cells.find("s:\xC3\x84nderung.qva|s:2024/03/05|s:007|n:12.5||n:-300|s:inf|s:1.2.3|n:0.25\n"), std::string::npos)
      << cells;
  EXPECT_NE(cells.find("s:2024.qva|s:2024/03/06|s:12E3|n:1|||||||||s:1.10|n:13\n"), std::string::npos) << cells;
}

// The program runs in the user's locale, where printf writes "0,25": the workbooks (their numbers
// and their page setup) are written as any reader reads them.
TEST_F(SpreadsheetTest, WorkbooksWrittenInAGermanLocaleOpenWithTheirNumbers) {
  const std::string path = (scratch_ / "german.xlsx").string();
  {
    LocaleGuard german("de_DE.UTF-8");
    std::string error;
    EXPECT_TRUE(WriteRowsToXlsx({{"Breite", "50.5", "0,25"}, {"Gr\xC3\xB6\xC3\x9F" "e", "-3e2"}}, path, error)) << error;
  }
  EXPECT_EQ(SheetCells(path, scratch_.path()), "s:Breite|n:50.5|n:0.25\ns:Gr\xC3\xB6\xC3\x9F" "e|n:-300\n");
}

TEST_F(SpreadsheetTest, AWorkbookThatCannotBeWrittenOrOpenedIsTold) {
  const GridRows rows{{"File"}, {"a.qva"}};
  programState.TempDir = (scratch_ / "fehlt").string();
  ExportGridToExcel(rows);
  EXPECT_TRUE(opened().empty());
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_NE(scriptedPrompter().asked()[0].text.find("file write error"), std::string::npos);

  programState.TempDir = scratch_.path().string();
  auto old = installLauncher(std::make_unique<NoDesktopLauncher>());
  ExportGridToExcel(rows);
  installLauncher(std::move(old));
  ASSERT_EQ(scriptedPrompter().asked().size(), 2u);
  EXPECT_EQ(scriptedPrompter().asked()[1].text,
            "Could not start Excel (xdg-open fehlt: bitte das Paket xdg-utils installieren)");
}

TEST_F(SpreadsheetTest, StartExcelNeedsASavedSpringAndADesktop) {
  programState.CurrentFileName = "";
  CreateExcelObject();
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_NE(scriptedPrompter().asked()[0].text.find("(Men\xC3\xBC \"Datei->Speichern\")"), std::string::npos)
      << scriptedPrompter().asked()[0].text;

  programState.CurrentFileName = "feder";
  programState.ErrorFlag = false;
  recordingLauncher().installed.clear();
  CreateExcelObject();
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(scriptedPrompter().asked().size(), 2u);
  EXPECT_EQ(scriptedPrompter().asked()[1].text,
            "Excel kann nicht gestartet werden (xdg-open fehlt: bitte das Paket xdg-utils installieren)");

  recordingLauncher().installed = {"xdg-open"};
  programState.ErrorFlag = false;
  CreateExcelObject();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(scriptedPrompter().asked().size(), 2u);
}

TEST_F(SpreadsheetTest, ExportSavesChangedInputFirstAndWritesTheFileLineByLine) {
  ASSERT_NO_FATAL_FAILURE(readFeder());
  spring_.family.BandWidth = 42;  // changed, not yet saved
  programState.InputModified = true;
  ExcelExport(spring_);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_FALSE(programState.InputModified);
  EXPECT_NE(readFile(scratch_ / "feder.qva").find("\r\n42.0000000\r\n"), std::string::npos);
  ASSERT_EQ(opened().size(), 1u);
  const std::string cells = SheetCells(opened()[0], scratch_.path());
  EXPECT_EQ(cells.substr(0, 3), "s:-");
  EXPECT_NE(cells.find("\ns:42.0000000\n"), std::string::npos) << cells;

  ExcelExport(spring_);
  ASSERT_EQ(opened().size(), 2u);
  EXPECT_NE(opened()[0], opened()[1]);
}

TEST_F(SpreadsheetTest, PrintoutPutsTheTextResultsIntoCells) {
  ASSERT_NO_FATAL_FAILURE(readFeder());
  // As in the program, the run has its private work folder inside the temporary folder.
  ASSERT_TRUE(MakeWorkDir(programState.TempDir));
  struct RemoveAtEnd {
    ~RemoveAtEnd() { RemoveWorkDir(); }
  } removeAtEnd;
  desktopSettings.TextDevice = 1;
  desktopSettings.TextDeviceQuery = true;
  scriptedPrompter().clear();
  ExcelPrintout(spring_);
  EXPECT_TRUE(scriptedPrompter().asked().empty()) << scriptedPrompter().asked()[0].text;
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(desktopSettings.TextDevice, 1);
  EXPECT_TRUE(desktopSettings.TextDeviceQuery);
  ASSERT_EQ(opened().size(), 1u);
  const std::string cells = SheetCells(opened()[0], scratch_.path());
  // The band width row of the results, its value a number.
  EXPECT_NE(cells.find("|n:50\n"), std::string::npos) << cells;
  EXPECT_NE(cells.find("s:QORVA"), std::string::npos) << cells;

  // A fatal calculation shows its messages instead and writes nothing.
  int shown = 0;
  services().ShowCalcMessages = [&] { ++shown; };
  programState.FatalError = true;
  ExcelPrintout(spring_);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(opened().size(), 1u);
}

// A run of the program keeps its work files in a private folder: the printout takes the report's
// copy from there, where the report writer put it.
TEST_F(SpreadsheetTest, PrintoutFindsTheReportInTheRunsWorkFolder) {
  ASSERT_NO_FATAL_FAILURE(readFeder());
  ASSERT_TRUE(MakeWorkDir(scratch_.path().string()));
  ExcelPrintout(spring_);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
  EXPECT_EQ(opened().size(), 1u);
  RemoveWorkDir();
}

// The spreadsheet program changes a workbook: openpyxl stands in for it. The script gets the
// workbook and Python statements on ws.
void EditWorkbook(const fs::path& xlsx, const std::string& statements, const fs::path& scratch) {
  writeFile(scratch / "edit.py", "import openpyxl,sys\nwb = openpyxl.load_workbook(sys.argv[1])\nws = wb.worksheets[0]\n" +
                                     statements + "\nwb.save(sys.argv[1])\n");
  const auto r = runCommand(std::string(QORVA_PYTHON) + " '" + (scratch / "edit.py").string() + "' '" +
                            xlsx.string() + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

// Lines as a spring file holds them, each ended by CR LF.
std::string AsFileText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

TEST_F(SpreadsheetTest, ImportReadsColumnAAndRefusesAWorkbookNoSpringFileCouldBe) {
  ASSERT_NO_FATAL_FAILURE(readFeder());
  ExcelExport(spring_);
  ASSERT_EQ(opened().size(), 1u);
  const fs::path book = opened()[0];
  // A cell in the last column of every row changes nothing of the spring file's lines.
  EditWorkbook(book, "for r in range(1, ws.max_row + 1): ws.cell(row=r, column=16384, value=r)", scratch_.path());
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(ReadSpringLinesFromXlsx(book.string(), lines, error)) << error;
  EXPECT_EQ(AsFileText(lines), readFile(scratch_ / "feder.qva"));
  // A row far below any spring file's last line: refused with a message, nothing read.
  EditWorkbook(book, "ws['A1001'] = 'x'", scratch_.path());
  EXPECT_FALSE(ReadSpringLinesFromXlsx(book.string(), lines, error));
  EXPECT_EQ(error, book.string() + ": more than 1000 rows");
}

TEST_F(SpreadsheetTest, ImportTakesTheSpringBackFromTheChangedWorkbook) {
  ASSERT_NO_FATAL_FAILURE(readFeder());
  const long double width = spring_.family.BandWidth;
  ExcelExport(spring_);
  ASSERT_EQ(opened().size(), 1u);
  const fs::path book = opened()[0];

  // Unchanged, the workbook gives the spring file's lines back byte for byte.
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(ReadSpringLinesFromXlsx(book.string(), lines, error)) << error;
  EXPECT_EQ(AsFileText(lines), readFile(scratch_ / "feder.qva"));

  // The band width typed as a number in the spreadsheet; the title line with an umlaut and "&".
  const std::string row = std::to_string(std::distance(lines.begin(),
      std::find(lines.begin(), lines.end(), std::string("50.0000000"))) + 1);
  ASSERT_NE(row, std::to_string(lines.size() + 1)) << "no band width line";
  EditWorkbook(book, "ws['A" + row + "'] = 44.5\nws['A5'] = 'Größe & Form'", scratch_.path());
  // The workbook gives its spring in memory: no spring file is written for it, and the spring it
  // is read on top of stays as it is until it takes it over.
  const std::vector<std::string> files = SortedNames(scratch_.path());
  const SpringFileRead read = ReadSpringFromXlsx(book.string(), "feder.qva", spring_);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.spring.family.BandWidth, 44.5L);
  EXPECT_EQ(read.spring.TitleLines[1], "Gr\x94\xE1" "e & Form");
  EXPECT_EQ(spring_.family.BandWidth, width);
  EXPECT_EQ(SortedNames(scratch_.path()), files);

  scriptedPrompter().push(book.string());
  EXPECT_TRUE(ExcelImport(spring_));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(spring_.family.BandWidth, 44.5L);
  EXPECT_NE(spring_.family.BandWidth, width);
  EXPECT_EQ(spring_.TitleLines[1], "Gr\x94\xE1" "e & Form");
  EXPECT_EQ(programState.CurrentFileName, "feder");  // the spring keeps its file
}

TEST_F(SpreadsheetTest, ImportOfADamagedWorkbookKeepsTheSpring) {
  ASSERT_NO_FATAL_FAILURE(readFeder());
  ExcelExport(spring_);
  ASSERT_EQ(opened().size(), 1u);
  const fs::path book = opened()[0];
  const std::string whole = readFile(book);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"no zip", "PK but nothing more"},
      {"cut short", whole.substr(0, whole.size() / 2)},
      {"empty", ""},
  };
  spring_.family.BandWidth = 33;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(scratch_ / "bad.xlsx", c.bytes);
    scriptedPrompter().clear();
    scriptedPrompter().push((scratch_ / "bad.xlsx").string());
    EXPECT_FALSE(ExcelImport(spring_));
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(spring_.family.BandWidth, 33);
    EXPECT_EQ(scriptedPrompter().asked().back().kind, AskKind::Message);
  }
  // A workbook whose lines are no spring file: the reader refuses it, the spring stays.
  EditWorkbook(book, "ws['A10'] = 'keine Zahl'", scratch_.path());
  scriptedPrompter().clear();
  scriptedPrompter().push(book.string());
  EXPECT_FALSE(ExcelImport(spring_));
  EXPECT_EQ(spring_.family.BandWidth, 33);
  // Cancelled: nothing asked beyond the dialog.
  scriptedPrompter().clear();
  scriptedPrompter().push(Cancel{});
  EXPECT_FALSE(ExcelImport(spring_));
  EXPECT_EQ(scriptedPrompter().asked().size(), 1u);
}

}  // namespace
}  // namespace qorva::test
