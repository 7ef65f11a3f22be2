// The title block in its four forms with the change rows and the change table, the owner field with
// the user's logo, head and insert blocks, and the index labels of the changes.

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "foundation/utildos.h"
#include "tests/graphics/w8yeb_fixture.h"

namespace qorva::cadtest {
namespace {

using TitleBlockTest = FrameTest;

bool DxfHasText(const DxfCheck& c, const std::string& text) {
  const std::string needle = "text=\"" + text + "\"";
  for (const auto& l : c.lines)
    if (l.find(needle) != std::string::npos) return true;
  return false;
}

// A LINE between two points (either direction) as dxfcheck prints it.
bool DxfHasLine(const DxfCheck& c, const std::string& a, const std::string& b) {
  for (const auto& l : c.lines)
    if (l.find("LINE ") != std::string::npos &&
        (l.find(" " + a + " " + b) != std::string::npos || l.find(" " + b + " " + a) != std::string::npos))
      return true;
  return false;
}

void FillTitleFields() {
  aendvar.TitleDrawnDate = "2024-02-01";
  aendvar.TitleDrawnBy = "Meier";
  aendvar.TitleCheckedDate = "2024-02-02";
  aendvar.TitleCheckedBy = "Huber";
  aendvar.TitleStandardDate = "2024-02-03";
  aendvar.TitleStandardBy = "Krause";
  aendvar.TitleRow4Date = "2024-02-04";
  aendvar.TitleRow4Name = "Lang";
  aendvar.TitleReplaces = "QV-4700";
  aendvar.TitleReplacedBy = "QV-4800";
  aendvar.TitleDepartment = "Abt7";
  aendvar.TitleDocType = "Fertigung";
  aendvar.TitleDocStatus = "Freigegeben";
  titleblk.OwnerText = "Federwerk GmbH";
  cad8var.ReleaseField = "Frei";
}

struct FormCase {
  int32_t type;
  const char* bottomLeft;  // the outline's lower edge on the A4 sheet
  const char* bottomRight;
  const char* topLeft;     // its left edge up to the top
  std::vector<std::string> texts;  // title fields and labels that this form shows
  std::vector<std::string> absent;
};

// Every form written as DXF in batch mode with 25 changes: the file passes the audit, and the field
// texts, the last eight changes and the dates are in it.
TEST_F(TitleBlockTest, EveryFormWithFullChangeListIsWrittenAsCleanDxf) {
  const std::vector<FormCase> cases = {
      {0, "(17.9,5)", "(205.1,5)", "(17.9,43.25)",
       {"Meier", "2024-02-01", "Huber", "2024-02-02", "Krause", "2024-02-03", "Lang", "2024-02-04",
        "Ersatz f\xC3\xBCr QV-4700", "Ersetzt durch QV-4800", "Frei", "Bearb.", "Gepr.", "Norm", "Zust.",
        "\xC3\x84nderung", "Federwerk GmbH", "r", "y", "IDX18", "IDX25", "2024-01-18", "2024-01-25", "ed25"},
       {"IDX17", "2024-01-17", "Beschreibung 25", "Fertigung", "Z"}},
      {3, "(17.9,5)", "(205.1,5)", "(17.9,60.25)",
       {"Meier", "Huber", "Krause", "Lang", "Ersatz f\xC3\xBCr QV-4700", "Federwerk GmbH", "IDX18",
        "IDX25", "ed18", "2024-01-25"},
       {"IDX17", "Beschreibung 25"}},
      {1, "(20,10)", "(200,10)", "(20,37)",
       {"Meier", "Huber", "Krause", "Abt7", "Fertigung", "Freigegeben", "Z", "2024-03-05", "de",
        "Verantwortl. Abt.", "Genehmigt von", "Titel, Zus\xC3\xA4tzlicher Titel", "\xC3\x84nd.", "Index",
        "Beschreibung", "Beschreibung 18", "Beschreibung 25", "IDX25", "ed25", "2024-01-18", "r", "y",
        "Federwerk GmbH"},
       {"IDX17", "Beschreibung 17", "Lang", "Ersatz f\xC3\xBCr QV-4700"}},
      {2, "(20,10)", "(200,10)", "(20,46)",
       {"Meier", "Huber", "Krause", "Abt7", "Fertigung", "Freigegeben", "Z", "2024-03-05", "de",
        "Dokumentenstatus", "Erstellt durch", "Blatt", "Beschreibung 25", "IDX18", "ed25", "Federwerk GmbH"},
       {"IDX17", "Beschreibung 17", "Lang"}},
  };
  for (const FormCase& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type));
    SetUp();
    FillTitleFields();
    FillChanges(25);
    cad8var.DwgShowChanges = true;
    wkwenvar.TitleBlockType = c.type;
    wkwenvar.FrameMargin = 1;
    DrawSheet(1, 4);
    ASSERT_FALSE(kwenvar.ErrorFlag);
    const DxfCheck r = CheckDxf(dir / "feder.dxf");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.has("audit errors=0 fixes=0")) << r.output;
    EXPECT_TRUE(r.has("block frame_1 base=(0,0)")) << r.output;
    EXPECT_TRUE(DxfHasText(r, "Konstantkraftfeder"));
    EXPECT_TRUE(DxfHasText(r, "Zweite Zeile"));
    EXPECT_TRUE(DxfHasText(r, "QV-4711"));
    EXPECT_TRUE(DxfHasText(r, DateStr() + " " + TimeStr()));  // beside the frame
    EXPECT_TRUE(DxfHasText(r, "2024-03-05 14:07"));
    for (const auto& t : c.texts) EXPECT_TRUE(DxfHasText(r, t)) << t;
    for (const auto& t : c.absent) EXPECT_FALSE(DxfHasText(r, t)) << t;
    EXPECT_TRUE(DxfHasLine(r, c.bottomLeft, c.bottomRight)) << r.output;
    EXPECT_TRUE(DxfHasLine(r, c.bottomLeft, c.topLeft)) << r.output;
    TearDown();
  }
}

TEST_F(TitleBlockTest, IndexLabelFollowsTheStyle) {
  struct Case {
    uint16_t style;
    int32_t n;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{{0, 1, "a"}, {0, 10, "j"}, {1, 1, "1"}, {1, 25, "25"},
                                         {2, 1, "A"}, {2, 25, "Y"}, {3, 4, ""}, {7, 4, ""}}) {
    wkwenvar.ChangeIndexStyle = c.style;
    EXPECT_EQ(ChangeIndexText(c.n), c.text) << c.style << " " << c.n;
  }
}

// DIN rows: the last eight changes, the oldest lowest; style 3 leaves the index column empty but
// keeps the record's own index.
TEST_F(TitleBlockTest, DinRowsShowTheLastEightChangesOldestLowest) {
  wkwenvar.TitleBlockType = 0;
  FillChanges(10);
  RecordingWriter& w = DrawRecorded(4);
  const long double x0 = 17.9L;
  const long double y0 = 5;
  EXPECT_TRUE(HasTextAt(w, "c", x0 + 1, y0 + 4.25L + 1));
  EXPECT_TRUE(HasTextAt(w, "IDX3", x0 + 8.8L, y0 + 4.25L + 1));
  EXPECT_TRUE(HasTextAt(w, "2024-01-03", x0 + 34.8L, y0 + 4.25L + 1));
  EXPECT_TRUE(HasTextAt(w, "ed3", x0 + 47.8L, y0 + 4.25L + 1));
  EXPECT_TRUE(HasTextAt(w, "j", x0 + 1, y0 + 8 * 4.25L + 1));
  EXPECT_TRUE(HasTextAt(w, "IDX10", x0 + 8.8L, y0 + 8 * 4.25L + 1));
  EXPECT_TRUE(TextsEqual(w, "IDX2").empty());
  EXPECT_TRUE(TextsEqual(w, "b").empty());
  EXPECT_TRUE(TextsEqual(w, "Beschreibung 10").empty());  // no description in the DIN block

  SetUp();
  wkwenvar.TitleBlockType = 0;
  wkwenvar.ChangeIndexStyle = 3;
  FillChanges(2);
  RecordingWriter& w3 = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w3, "IDX1", x0 + 8.8L, y0 + 4.25L + 1));
  for (const auto& t : w3.only("text")) EXPECT_FALSE(Near(t.v[0], x0 + 1) && Near(t.v[1], y0 + 4.25L + 1)) << t.text;
}

TEST_F(TitleBlockTest, IsoRevisionLetterAndChangeTable) {
  // No change: revision "A" and no table, even when the table is switched on.
  wkwenvar.TitleBlockType = 2;
  cad8var.DwgShowChanges = true;
  RecordingWriter& w0 = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w0, "A", 20 + 130, 10 + 2));
  EXPECT_TRUE(TextsEqual(w0, "Index").empty());

  // Ten changes on Fig.1: rows of 3.5 from y 27 up, the last eight records, open on the right; a
  // description keeps to its one row.
  SetUp();
  wkwenvar.TitleBlockType = 1;
  cad8var.DwgShowChanges = true;
  FillChanges(10);
  aendvar.ChangeRecords[10].Description = "erste Zeile\r\nzweite Zeile\ndritte";
  RecordingWriter& w = DrawRecorded(4);
  const long double ox = 20, oy = 10, y0 = 27;
  EXPECT_TRUE(HasTextAt(w, "K", ox + 130, oy + 2));  // 65 + 10
  EXPECT_TRUE(HasTextAt(w, "Index", ox + 1, oy + y0 + 0.9L));
  EXPECT_TRUE(HasTextAt(w, "c", ox + 1, oy + y0 + 3.5L + 0.9L));
  EXPECT_TRUE(HasTextAt(w, "2024-01-03", ox + 9, oy + y0 + 3.5L + 0.9L));
  EXPECT_TRUE(HasTextAt(w, "ed3", ox + 26, oy + y0 + 3.5L + 0.9L));
  EXPECT_TRUE(HasTextAt(w, "IDX3", ox + 41, oy + y0 + 3.5L + 0.9L));
  EXPECT_TRUE(HasTextAt(w, "Beschreibung 3", ox + 71, oy + y0 + 3.5L + 0.9L));
  EXPECT_TRUE(HasTextAt(w, "erste Zeile zweite Zeile dritte", ox + 71, oy + y0 + 8 * 3.5L + 0.9L));
  EXPECT_TRUE(TextsEqual(w, "IDX2").empty());
  for (int i = 1; i <= 9; ++i) EXPECT_TRUE(HasLine(w, ox, oy + y0 + 3.5L * i, ox + 180, oy + y0 + 3.5L * i)) << i;
  for (long double x : {0.0L, 8.0L, 25.0L, 40.0L, 70.0L})
    EXPECT_TRUE(HasLine(w, ox + x, oy + y0, ox + x, oy + y0 + 9 * 3.5L)) << x;
  EXPECT_FALSE(HasLine(w, ox + 180, oy + y0, ox + 180, oy + y0 + 9 * 3.5L));
  EXPECT_EQ(ChangeTableHeight(), 9 * 3.5L);
}

TEST_F(TitleBlockTest, BlockStandsAtTheRightEndOfTheBorder) {
  struct Case {
    int32_t format, type, margin;
    long double x, y;
  };
  for (const Case& c : std::vector<Case>{{4, 0, 1, 17.9L, 5},
                                         {4, 3, 0, 17.9L, 5},
                                         {4, 2, 0, 25, 5},
                                         {4, 1, 1, 20, 10},
                                         {3, 2, 1, 230, 10},
                                         {3, 1, 0, 235, 5},
                                         {3, 0, 1, 227.8L, 5}}) {
    SCOPED_TRACE(std::to_string(c.format) + "/" + std::to_string(c.type) + "/" + std::to_string(c.margin));
    SetUp();
    wkwenvar.TitleBlockType = c.type;
    wkwenvar.FrameMargin = c.margin;
    RecordingWriter& w = DrawRecorded(c.format);
    const TitleBlockSize s = TitleBlockSizeFor(c.type);
    EXPECT_TRUE(HasRectangle(w, c.x, c.y, c.x + s.width, c.y + s.height));
    // The block's right end meets the border's (the ISO block under the 5 mm rule keeps 0.1 mm off).
    const SheetGeometry g = SheetGeometryFor(c.format);
    EXPECT_NEAR(static_cast<double>(c.x + s.width), static_cast<double>(g.border.x2), 0.1001);
    EXPECT_TRUE(Near(c.y, g.border.y1));
    EXPECT_TRUE(Near(cad8var.OriginX, 0) && Near(cad8var.OriginY, 0));  // origin restored
  }
}

// The user's logo, head and insert blocks live in the user block folder: the screen and the plot
// program insert them; every other output shows the owner text in the ISO block instead.
TEST_F(TitleBlockTest, UserBlocksOnTheScreenOwnerTextInFiles) {
  const std::string line = "0\nLINE\n8\n3\n10\n0\n20\n0\n11\n10\n21\n0\n0\nEOF\n";
  test::writeFile(dir / "blocks" / "$logo_1.dx$", line);
  test::writeFile(dir / "blocks" / "$head_0.dx$", line);
  test::writeFile(dir / "blocks" / "$head_4.dx$", "0\nCIRCLE\n8\n3\n10\n0\n20\n0\n40\n2\n0\nEOF\n");
  test::writeFile(dir / "blocks" / "$head_3.dx$", "0\nCIRCLE\n8\n3\n10\n0\n20\n0\n40\n7\n0\nEOF\n");
  test::writeFile(dir / "blocks" / "$insert_4.dx$", "0\nCIRCLE\n8\n3\n10\n0\n20\n0\n40\n3\n0\nEOF\n");
  titleblk.OwnerText = "Federwerk GmbH";
  cad8var.DwgHeadBlocks = true;
  cad8var.DwgInsertBlocks = true;
  cad8var.DwgShowChanges = true;
  FillChanges(3);

  auto screenLineAt = [](long double x, long double y, long double len) {
    for (const auto& r : Records(RecLine))
      if (Near(r.f[1], x, 1e-5L) && Near(r.f[2], y, 1e-5L) && Near(r.f[3], x + len, 1e-5L) &&
          Near(r.f[4], y, 1e-5L))
        return true;
    return false;
  };
  auto screenCircle = [](long double r) {
    std::vector<DisplayRecordFields> out;
    for (const auto& c : Records(RecCircle))
      if (Near(c.r, r, 1e-5L)) out.push_back(c);
    return out;
  };
  auto screenText = [](const std::string& t) {
    for (const auto& r : Records(RecText))
      if (r.text == t) return true;
    return false;
  };

  // ISO Fig.2 on A4 with the 10 mm margin: logo at (3, 4) scaled 1.75; head blocks on top of the
  // block and its change table (36 + 4 rows of 3.5).
  wkwenvar.TitleBlockType = 2;
  DrawSheet(3, 4);
  EXPECT_FALSE(kwenvar.ErrorFlag);
  EXPECT_EQ(error0.ErrorCount, 0);
  EXPECT_TRUE(screenLineAt(20 + 3, 10 + 4, 17.5L));
  EXPECT_TRUE(screenLineAt(20, 10 + 36 + 4 * 3.5L, 10));
  ASSERT_EQ(screenCircle(2).size(), 1u);
  EXPECT_TRUE(Near(screenCircle(2)[0].f[2], 10 + 36 + 14, 1e-5L));
  EXPECT_TRUE(screenCircle(7).empty());  // the A3 head is not for A4
  ASSERT_EQ(screenCircle(3).size(), 1u);
  EXPECT_TRUE(Near(screenCircle(3)[0].f[1], 20, 1e-5L) && Near(screenCircle(3)[0].f[2], 10, 1e-5L));
  EXPECT_FALSE(screenText("Federwerk GmbH"));
  // The clean-up after a screen drawing leaves the user's files alone.
  EXPECT_TRUE(fs::exists(dir / "blocks" / "$logo_1.dx$"));
  EXPECT_TRUE(fs::exists(dir / "blocks" / "$head_4.dx$"));

  // DIN 6771 on A4: heads at the block's full height whatever the change count; logo at (57, 5).
  SetUp();
  cad8var.DwgHeadBlocks = true;
  FillChanges(12);
  wkwenvar.TitleBlockType = 3;
  DrawSheet(3, 4);
  EXPECT_TRUE(screenLineAt(17.9L, 5 + 55.25L, 10));
  EXPECT_TRUE(screenLineAt(17.9L + 57, 5 + 5, 10));

  // The same ISO sheet as TXT-like output: no blocks from files, the owner text fitted into its cell.
  SetUp();
  titleblk.OwnerText = "Federwerk GmbH";
  cad8var.DwgHeadBlocks = true;
  cad8var.DwgInsertBlocks = true;
  wkwenvar.TitleBlockType = 2;
  RecordingWriter& w = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w, "Federwerk GmbH", 20 + 1.5L, 10 + 4));
  EXPECT_TRUE(w.only("insert").empty());

  // With the logo switched off there is neither logo nor owner text in an ISO block.
  SetUp();
  titleblk.OwnerText = "Federwerk GmbH";
  cad8var.DwgNoLogo = true;
  wkwenvar.TitleBlockType = 1;
  DrawSheet(3, 4);
  EXPECT_FALSE(screenText("Federwerk GmbH"));
  EXPECT_FALSE(screenLineAt(20 + 2, 10 + 4, 7));
}

// A count beyond the records (a damaged spring file) shows the last eight records there are.
TEST_F(TitleBlockTest, ChangeCountBeyondTheRecordsIsHeldToThem) {
  for (int32_t type : {0, 2}) {
    SetUp();
    wkwenvar.TitleBlockType = type;
    cad8var.DwgShowChanges = true;
    FillChanges(25);
    aendvar.ChangeCount = 300;
    aendvar.DrawingTextCount = 60;
    aendvar.DrawingTexts[8] = {50, 150, 5, 0, "Acht"};
    RecordingWriter& w = DrawRecorded(4);
    EXPECT_FALSE(TextsEqual(w, "IDX25").empty()) << type;
    EXPECT_FALSE(TextsEqual(w, "IDX18").empty()) << type;
    EXPECT_TRUE(TextsEqual(w, "IDX17").empty()) << type;
    EXPECT_TRUE(HasTextAt(w, "Acht", 50, 150));
    if (type == 2) {
      EXPECT_TRUE(HasTextAt(w, "Z", 20 + 130, 10 + 2));
    }
  }
}

// A long name shrinks to its cell instead of running over it.
TEST_F(TitleBlockTest, LongNameIsFittedIntoItsCell) {
  wkwenvar.TitleBlockType = 2;
  const std::string longName(60, 'W');
  DrawSheet(1, 4, longName, "kurz", "N");
  const DxfCheck r = CheckDxf(dir / "feder.dxf");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  bool found = false;
  for (const auto& l : r.lines) {
    if (l.find("text=\"" + longName + "\"") == std::string::npos) continue;
    found = true;
    const size_t h = l.find(" h=");
    double height = 0;
    const char* p = l.data() + h + 3;
    std::from_chars(p, l.data() + l.size(), height);
    EXPECT_LT(height, 3.5);
    EXPECT_GT(height, 0.0);
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace qorva::cadtest
