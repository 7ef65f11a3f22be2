// The workbook reader on workbooks as other spreadsheet programs write them: inline strings, rich
// text with phonetic runs, entities and character references, rows and cells left out, cells
// without references, and a first sheet that is not "sheet1.xml". The archives are made with
// Python's zipfile, so the reader meets a zip it did not write.
#include "foundation/xlsimport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sysname.h"
#include "tests/support/testsupport.h"

namespace qorva::test {
namespace {

// Writes a workbook whose first listed sheet is xl/worksheets/data.xml with the given rows XML.
void MakeWorkbook(const ScratchDir& dir, const std::string& sheetData, const std::string& shared) {
  const std::string script = R"PY(
import sys, zipfile
out, sheet, shared = sys.argv[1], open(sys.argv[2], encoding='utf-8').read(), open(sys.argv[3], encoding='utf-8').read()
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('[Content_Types].xml', '<?xml version="1.0"?><Types/>')
    z.writestr('xl/workbook.xml', '<workbook xmlns:r="x"><sheets><sheet name="Daten" sheetId="7" r:id="rId3"/></sheets></workbook>')
    z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship Id="rId1" Target="worksheets/other.xml"/><Relationship Id="rId3" Type="ws" Target="worksheets/data.xml"/></Relationships>')
    z.writestr('xl/worksheets/other.xml', '<worksheet><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>wrong sheet</t></is></c></row></sheetData></worksheet>')
    z.writestr('xl/worksheets/data.xml', '<worksheet><sheetData>' + sheet + '</sheetData></worksheet>')
    if shared:
        z.writestr('xl/sharedStrings.xml', '<sst>' + shared + '</sst>')
)PY";
  writeFile(dir / "make.py", script);
  writeFile(dir / "sheet.xml", sheetData);
  writeFile(dir / "shared.xml", shared);
  const auto r = runCommand(std::string(QORVA_PYTHON) + " '" + (dir / "make.py").string() + "' '" +
                            (dir / "book.xlsx").string() + "' '" + (dir / "sheet.xml").string() + "' '" +
                            (dir / "shared.xml").string() + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

TEST(XlsxImport, ReadsTheFirstListedSheetAsOtherProgramsWriteIt) {
  ScratchDir dir;
  MakeWorkbook(dir,
               "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\"><v>0.5</v></c></row>"
               "<row r=\"3\"><c t=\"inlineStr\"><is><t>Gr&#xF6;&#223;e &amp; &lt;Form&gt;</t></is></c>"
               "<c t=\"s\"><v>1</v></c></row>"
               "<row><c r=\"B4\" t=\"str\"><f>A1</f><v>aus Formel</v></c></row>",
               "<si><t>Federn</t></si>"
               "<si><r><rPr><b/></rPr><t>fett</t></r><r><t xml:space=\"preserve\"> und mehr</t></r>"
               "<rPh sb=\"0\" eb=\"1\"><t>phonetic</t></rPh></si>");
  std::vector<XlsxRow> rows;
  std::string error;
  ASSERT_TRUE(ReadXlsxRows((dir / "book.xlsx").string(), rows, error)) << error;
  const std::vector<XlsxRow> expected = {
      {"Federn", "", "0.5"}, {}, {"Größe & <Form>", "fett und mehr"}, {"", "aus Formel"}};
  EXPECT_EQ(rows, expected);
}

// Peak memory of the process grown since it was reset, in MB (from the kernel's VmHWM).
long PeakGrowthMb(long baselineKb) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return (std::stol(line.substr(6)) - baselineKb) / 1024;
  return -1;
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

TEST(XlsxImport, MemoryFollowsTheCellsRead) {
  // Each of 600 rows has its text in A and one cell in the last column, XFD (a 16,384-wide row).
  ScratchDir dir;
  std::string sheet, shared;
  for (int r = 1; r <= 600; ++r) {
    const std::string n = std::to_string(r);
    sheet += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + std::to_string(r - 1) + "</v></c><c r=\"XFD" + n +
             "\"><v>1</v></c></row>";
    shared += "<si><t>line " + n + "</t></si>";
  }
  MakeWorkbook(dir, sheet, shared);
  const std::string book = (dir / "book.xlsx").string();
  // In a process of its own, so that the peak is this read's.
  const pid_t child = ::fork();
  if (child == 0) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const long base = ResidentKb();
    std::vector<XlsxRow> rows;
    std::string error;
    const bool ok = ReadXlsxRows(book, rows, error, 1, 1000);
    const bool shape = ok && rows.size() == 600 && rows[599] == XlsxRow{"line 600"};
    ::_exit(!shape ? 2 : PeakGrowthMb(base) > 64 ? 3 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: rows read wrong, 3: more than 64 MB taken";
  // More rows than allowed: refused with a message.
  std::vector<XlsxRow> rows;
  std::string error;
  EXPECT_FALSE(ReadXlsxRows(book, rows, error, 1, 599));
  EXPECT_EQ(error, book + ": more than 599 rows");
}

// The workbook is named as the program holds names (the code page's "Größe"), and found under its
// system name.
TEST(XlsxImport, ReadsAWorkbookWhoseNameHasUmlauts) {
  ScratchDir dir;
  MakeWorkbook(dir, "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>85</t></is></c></row>", "");
  std::filesystem::rename(dir / "book.xlsx", dir / std::filesystem::path(u8"Größe.xlsx"));
  std::string folder;
  ASSERT_TRUE(DosNameFromSys(std::filesystem::absolute(dir.path()).native(), folder));
  std::vector<XlsxRow> rows;
  std::string error;
  ASSERT_TRUE(ReadXlsxRows(folder + "/Gr\x94\xE1" "e.xlsx", rows, error)) << error;
  EXPECT_EQ(rows, std::vector<XlsxRow>{{"85"}});
}

TEST(XlsxImport, RefusesWhatIsNoSoundWorkbook) {
  ScratchDir dir;
  struct Case {
    const char* what;
    std::string sheet, shared;
  } cases[] = {
      {"shared string past the list", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>", "<si><t>x</t></si>"},
      {"row number zero", "<row r=\"0\"><c><v>1</v></c></row>", ""},
      {"rows out of order", "<row r=\"2\"/><row r=\"1\"/>", ""},
      {"cell of another row", "<row r=\"1\"><c r=\"A2\"><v>1</v></c></row>", ""},
      {"row beyond the limit", "<row r=\"1000001\"><c><v>1</v></c></row>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeWorkbook(dir, c.sheet, c.shared);
    std::vector<XlsxRow> rows;
    std::string error;
    EXPECT_FALSE(ReadXlsxRows((dir / "book.xlsx").string(), rows, error));
    EXPECT_FALSE(error.empty());
  }
  std::vector<XlsxRow> rows;
  std::string error;
  EXPECT_FALSE(ReadXlsxRows((dir / "missing.xlsx").string(), rows, error));
  EXPECT_NE(error.find("missing.xlsx"), std::string::npos);
}

}  // namespace
}  // namespace qorva::test
