// The title block in its four forms with the change rows and the change table, the owner field with
// the user's logo, head and insert blocks, and the index labels of the changes.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/machinefacts.h"
#include "tests/drawings/drawingsheet_fixture.h"

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

void FillTitleFields(DrawingData& d) {
  d.TitleDrawnDate = "2024-02-01";
  d.TitleDrawnBy = "Meier";
  d.TitleCheckedDate = "2024-02-02";
  d.TitleCheckedBy = "Huber";
  d.TitleStandardDate = "2024-02-03";
  d.TitleStandardBy = "Krause";
  d.TitleRow4Date = "2024-02-04";
  d.TitleRow4Name = "Lang";
  d.TitleReplaces = "QV-4700";
  d.TitleReplacedBy = "QV-4800";
  d.TitleDepartment = "Abt7";
  d.TitleDocType = "Fertigung";
  d.TitleDocStatus = "Freigegeben";
  titleBlock.OwnerText = "Federwerk GmbH";
  cadSettings.ReleaseField = "Frei";
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
    FillTitleFields(spring.drawing);
    FillChanges(25);
    cadSettings.DwgShowChanges = true;
    desktopSettings.TitleBlockType = c.type;
    desktopSettings.FrameMargin = 1;
    DrawSheet(1, 4);
    ASSERT_FALSE(programState.ErrorFlag);
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
    desktopSettings.ChangeIndexStyle = c.style;
    EXPECT_EQ(ChangeIndexText(c.n), c.text) << c.style << " " << c.n;
  }
}

// DIN rows: the last eight changes, the oldest lowest; style 3 leaves the index column empty but
// keeps the record's own index.
TEST_F(TitleBlockTest, DinRowsShowTheLastEightChangesOldestLowest) {
  desktopSettings.TitleBlockType = 0;
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
  desktopSettings.TitleBlockType = 0;
  desktopSettings.ChangeIndexStyle = 3;
  FillChanges(2);
  RecordingWriter& w3 = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w3, "IDX1", x0 + 8.8L, y0 + 4.25L + 1));
  for (const auto& t : w3.only("text")) EXPECT_FALSE(Near(t.v[0], x0 + 1) && Near(t.v[1], y0 + 4.25L + 1)) << t.text;
}

TEST_F(TitleBlockTest, IsoRevisionLetterAndChangeTable) {
  // No change: revision "A" and no table, even when the table is switched on.
  desktopSettings.TitleBlockType = 2;
  cadSettings.DwgShowChanges = true;
  RecordingWriter& w0 = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w0, "A", 20 + 130, 10 + 2));
  EXPECT_TRUE(TextsEqual(w0, "Index").empty());

  // Ten changes on Fig.1: rows of 3.5 from y 27 up, the last eight records, open on the right; a
  // description keeps to its one row.
  SetUp();
  desktopSettings.TitleBlockType = 1;
  cadSettings.DwgShowChanges = true;
  FillChanges(10);
  spring.drawing.ChangeRecords[10].Description = "erste Zeile\r\nzweite Zeile\ndritte";
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
  EXPECT_EQ(ChangeTableHeight(spring.drawing), 9 * 3.5L);
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
    desktopSettings.TitleBlockType = c.type;
    desktopSettings.FrameMargin = c.margin;
    RecordingWriter& w = DrawRecorded(c.format);
    const TitleBlockSize s = TitleBlockSizeFor(c.type);
    EXPECT_TRUE(HasRectangle(w, c.x, c.y, c.x + s.width, c.y + s.height));
    // The block's right end meets the border's (the ISO block under the 5 mm rule keeps 0.1 mm off).
    const SheetGeometry g = SheetGeometryFor(c.format);
    EXPECT_NEAR(static_cast<double>(c.x + s.width), static_cast<double>(g.border.x2), 0.1001);
    EXPECT_TRUE(Near(c.y, g.border.y1));
    EXPECT_TRUE(Near(cadrun.OriginX, 0) && Near(cadrun.OriginY, 0));  // origin restored
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
  titleBlock.OwnerText = "Federwerk GmbH";
  cadSettings.DwgHeadBlocks = true;
  cadSettings.DwgInsertBlocks = true;
  cadSettings.DwgShowChanges = true;
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
  desktopSettings.TitleBlockType = 2;
  DrawSheet(3, 4);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(errorList.ErrorCount, 0);
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
  cadSettings.DwgHeadBlocks = true;
  FillChanges(12);
  desktopSettings.TitleBlockType = 3;
  DrawSheet(3, 4);
  EXPECT_TRUE(screenLineAt(17.9L, 5 + 55.25L, 10));
  EXPECT_TRUE(screenLineAt(17.9L + 57, 5 + 5, 10));

  // The same ISO sheet as TXT-like output: no blocks from files, the owner text fitted into its cell.
  SetUp();
  titleBlock.OwnerText = "Federwerk GmbH";
  cadSettings.DwgHeadBlocks = true;
  cadSettings.DwgInsertBlocks = true;
  desktopSettings.TitleBlockType = 2;
  RecordingWriter& w = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w, "Federwerk GmbH", 20 + 1.5L, 10 + 4));
  EXPECT_TRUE(w.only("insert").empty());

  // And in a DXF file: the owner text, no insertion of the user's blocks, which the file lacks.
  SetUp();
  titleBlock.OwnerText = "Federwerk GmbH";
  cadSettings.DwgHeadBlocks = true;
  cadSettings.DwgInsertBlocks = true;
  desktopSettings.TitleBlockType = 1;
  DrawSheet(1, 4);
  const DxfCheck dxf = CheckDxf(dir / "feder.dxf");
  EXPECT_EQ(dxf.exitCode, 0) << dxf.output;
  EXPECT_TRUE(DxfHasText(dxf, "Federwerk GmbH")) << dxf.output;
  EXPECT_EQ(dxf.output.find("logo_1"), std::string::npos);
  EXPECT_EQ(dxf.output.find("head_"), std::string::npos);
  EXPECT_EQ(dxf.output.find("insert_"), std::string::npos);

  // With the logo switched off there is neither logo nor owner text in an ISO block.
  SetUp();
  titleBlock.OwnerText = "Federwerk GmbH";
  cadSettings.DwgNoLogo = true;
  desktopSettings.TitleBlockType = 1;
  DrawSheet(3, 4);
  EXPECT_FALSE(screenText("Federwerk GmbH"));
  EXPECT_FALSE(screenLineAt(20 + 2, 10 + 4, 7));
}

// A count beyond the records (a damaged spring file) shows the last eight records there are.
TEST_F(TitleBlockTest, ChangeCountBeyondTheRecordsIsHeldToThem) {
  for (int32_t type : {0, 2}) {
    SetUp();
    desktopSettings.TitleBlockType = type;
    cadSettings.DwgShowChanges = true;
    FillChanges(25);
    spring.drawing.ChangeCount = 300;
    spring.drawing.DrawingTextCount = 60;
    spring.drawing.DrawingTexts[8] = {50, 150, 5, 0, "Acht"};
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

// One TEXT or LINE of a DXF as dxfcheck lists it, in sheet millimetres.
struct DxfItem {
  std::string kind, layer, text;
  double v[4] = {0, 0, 0, 0};  // LINE: both ends; TEXT: x, y, height, width factor
};

double Num(const std::string& l, size_t from) {
  double d = 0;
  std::from_chars(l.data() + from, l.data() + l.size(), d);
  return d;
}

std::vector<DxfItem> DxfItems(const DxfCheck& c) {
  std::vector<DxfItem> r;
  for (const auto& raw : c.lines) {
    const size_t lead = raw.find_first_not_of(' ');
    const std::string l = lead == std::string::npos ? raw : raw.substr(lead);
    DxfItem it;
    if (l.rfind("LINE layer=", 0) == 0 || l.rfind("TEXT layer=", 0) == 0) {
      it.kind = l.substr(0, 4);
      it.layer = l.substr(11, l.find(' ', 11) - 11);
      size_t p = l.find('(');
      it.v[0] = Num(l, p + 1);
      it.v[1] = Num(l, l.find(',', p) + 1);
      if (it.kind == "LINE") {
        p = l.find('(', p + 1);
        it.v[2] = Num(l, p + 1);
        it.v[3] = Num(l, l.find(',', p) + 1);
      } else {
        it.v[2] = Num(l, l.find(" h=") + 3);
        it.v[3] = Num(l, l.find(" width=") + 7);
        const size_t t = l.find(" text=\"") + 7;
        it.text = l.substr(t, l.find("\" style=") - t);
      }
      r.push_back(it);
    }
  }
  return r;
}

struct TextAt {
  std::string text;  // UTF-8 as the file carries it
  double x, y, h, w;  // in the block; w the character width
  const char* layer;
};
struct LineAt {
  double x1, y1, x2, y2;
  const char* layer;
};

// Every caption, value and rule of each form at its place, with its height, width and layer, checked
// in the DXF file that a reader sees.
TEST_F(TitleBlockTest, EveryTextAndRuleAtItsPlaceSizeAndLayer) {
  const std::string ae = "\xC3\x84";  // "Ä" in the file
  const std::vector<TextAt> isoValues = {
      {"QV-4711", 130, 12, 3.5, 2.8, "5"},      {"Zugfeder", 76, 8.5, 3.5, 2.8, "5"},
      {"Zweite Zeile", 76, 2.5, 2.5, 1.8, "4"}, {"C", 130, 2, 2.5, 1.8, "4"},
      {"2024-03-05", 138, 2, 2.5, 1.8, "4"},    {"de", 162, 2, 2.5, 1.8, "4"},
      {"Fertigung", 76, 20, 2.5, 1.8, "4"},
  };
  const std::vector<TextAt> fig2 = {
      {"Verantwortl. Abt.", 1, 33.5, 1.6, 1.3, "3"}, {"Technische Referenz", 32, 33.5, 1.6, 1.3, "3"},
      {"Erstellt durch", 75, 33.5, 1.6, 1.3, "3"},   {"Genehmigt von", 117, 33.5, 1.6, 1.3, "3"},
      {"Dokumentenart", 75, 24.5, 1.6, 1.3, "3"},    {"Dokumentenstatus", 129, 24.5, 1.6, 1.3, "3"},
      {"Titel, Zus\xC3\xA4tzlicher Titel", 75, 15.5, 1.6, 1.3, "3"},
      {ae + "nd.", 129, 6.5, 1.6, 1.3, "3"},         {"Ausgabedatum", 137, 6.5, 1.6, 1.3, "3"},
      {"Spr.", 161, 6.5, 1.6, 1.3, "3"},             {"Blatt", 171, 6.5, 1.6, 1.3, "3"},
      {"Abt7", 2, 29, 2.5, 1.8, "4"},                {"Krause", 33, 29, 2.5, 1.8, "4"},
      {"Meier", 76, 29, 2.5, 1.8, "4"},              {"Huber", 118, 29, 2.5, 1.8, "4"},
      {"Freigegeben", 130, 20, 2.5, 1.8, "4"},
      // The change table on top: headings in its lowest row, the records above.
      {"Index", 1, 36.9, 1.75, 1.3125, "3"},         {"Datum", 9, 36.9, 1.75, 1.3125, "3"},
      {"Name", 26, 36.9, 1.75, 1.3125, "3"},         {ae + "nderung", 41, 36.9, 1.75, 1.3125, "3"},
      {"Beschreibung", 71, 36.9, 1.75, 1.3125, "3"}, {"a", 1, 40.4, 1.75, 1.3125, "3"},
      {"2024-01-01", 9, 40.4, 1.75, 1.3125, "3"},    {"ed1", 26, 40.4, 1.75, 1.3125, "3"},
      {"IDX1", 41, 40.4, 1.75, 1.3125, "3"},         {"Beschreibung 1", 71, 40.4, 1.75, 1.3125, "3"},
      {"b", 1, 43.9, 1.75, 1.3125, "3"},             {"Beschreibung 2", 71, 43.9, 1.75, 1.3125, "3"},
  };
  const std::vector<TextAt> fig1 = {
      {"Verantwortl. Abt.", 1, 24.5, 1.6, 1.3, "3"}, {"Technische Referenz", 32, 24.5, 1.6, 1.3, "3"},
      {"Dokumentenart", 75, 24.5, 1.6, 1.3, "3"},    {"Dokumentenstatus", 136, 24.5, 1.6, 1.3, "3"},
      {"Erstellt durch", 32, 15.5, 1.6, 1.3, "3"},   {"Titel, Zus\xC3\xA4tzlicher Titel", 75, 15.5, 1.6, 1.3, "3"},
      {"Genehmigt von", 32, 6.5, 1.6, 1.3, "3"},     {ae + "nd.", 129, 6.5, 1.6, 1.3, "3"},
      {"Ausgabedatum", 137, 6.5, 1.6, 1.3, "3"},     {"Spr.", 161, 6.5, 1.6, 1.3, "3"},
      {"Blatt", 171, 6.5, 1.6, 1.3, "3"},            {"Meier", 33, 11, 2.5, 1.8, "4"},
      {"Huber", 33, 2, 2.5, 1.8, "4"},               {"Abt7", 2, 20, 2.5, 1.8, "4"},
      {"Krause", 33, 20, 2.5, 1.8, "4"},             {"Freigegeben", 138, 20, 2.5, 1.8, "4"},
      {"Index", 1, 27.9, 1.75, 1.3125, "3"},         {"IDX2", 41, 34.9, 1.75, 1.3125, "3"},
  };
  const std::vector<TextAt> din = {
      {"Zust.", 1, 1, 1.6, 1.3, "3"},                {ae + "nderung", 8.8, 1, 1.6, 1.3, "3"},
      {"Datum", 34.8, 1, 1.6, 1.3, "3"},             {"Name", 47.8, 1, 1.6, 1.3, "3"},
      {"Datum", 66, 35, 1.8, 1.5, "3"},              {"Name", 81.6, 35, 1.8, 1.5, "3"},
      {"Bearb.", 55.6, 30.75, 1.8, 1.5, "3"},        {"Gepr.", 55.6, 26.5, 1.8, 1.5, "3"},
      {"Norm", 55.6, 22.25, 1.8, 1.5, "3"},          {"Frei", 55.6, 18, 1.8, 1.5, "3"},
      {"2024-02-01", 66, 30.75, 1.8, 1.5, "3"},      {"Meier", 81.6, 30.75, 1.8, 1.5, "3"},
      {"2024-02-02", 66, 26.5, 1.8, 1.5, "3"},       {"Huber", 81.6, 26.5, 1.8, 1.5, "3"},
      {"2024-02-03", 66, 22.25, 1.8, 1.5, "3"},      {"Krause", 81.6, 22.25, 1.8, 1.5, "3"},
      {"2024-02-04", 66, 18, 1.8, 1.5, "3"},         {"Lang", 81.6, 18, 1.8, 1.5, "3"},
      {"Ersatz f\xC3\xBCr QV-4700", 99.8, 1, 1.8, 1.5, "3"},
      {"Ersetzt durch QV-4800", 144, 1, 1.8, 1.5, "3"},
      {"a", 1, 5.25, 1.7, 1.3, "3"},                 {"IDX1", 8.8, 5.25, 1.7, 1.3, "3"},
      {"2024-01-01", 34.8, 5.25, 1.7, 1.3, "3"},     {"ed1", 47.8, 5.25, 1.7, 1.3, "3"},
      {"b", 1, 9.5, 1.7, 1.3, "3"},                  {"ed2", 47.8, 9.5, 1.7, 1.3, "3"},
      {"Federwerk GmbH", 55.6, 1, 1.5, 1.2, "3"},    {"Zugfeder", 100.8, 28.625, 5, 4, "5"},
      {"QV-4711", 100.8, 7.375, 5, 4, "5"},          {"Zweite Zeile", 100.8, 20.125, 3.5, 2.8, "4"},
  };
  const std::vector<LineAt> fig2Lines = {
      {74, 0, 74, 36, "3"},   {0, 27, 180, 27, "3"},   {74, 18, 180, 18, "3"},  {128, 0, 128, 27, "3"},
      {128, 9, 180, 9, "3"},  {136, 0, 136, 9, "3"},   {160, 0, 160, 9, "3"},   {170, 0, 170, 9, "3"},
      {31, 27, 31, 36, "3"},  {116, 27, 116, 36, "3"}, {158, 27, 158, 36, "3"}, {0, 0, 180, 0, "5"},
      {180, 0, 180, 36, "5"}, {0, 39.5, 180, 39.5, "3"}, {0, 43, 180, 43, "3"}, {70, 36, 70, 46.5, "3"},
      {0, 36, 0, 46.5, "3"},  {8, 36, 8, 46.5, "3"},   {25, 36, 25, 46.5, "3"}, {40, 36, 40, 46.5, "3"},
  };
  const std::vector<LineAt> fig1Lines = {
      {74, 0, 74, 27, "3"},  {0, 18, 180, 18, "3"},  {128, 0, 128, 18, "3"}, {128, 9, 180, 9, "3"},
      {136, 0, 136, 9, "3"}, {160, 0, 160, 9, "3"},  {170, 0, 170, 9, "3"},  {31, 0, 31, 27, "3"},
      {135, 18, 135, 27, "3"}, {31, 9, 74, 9, "3"},  {0, 27, 180, 27, "5"},  {0, 34, 180, 34, "3"},
  };
  std::vector<LineAt> din0Lines = {
      {0, 4.25, 187.2, 4.25, "4"},   {54.6, 17, 187.2, 17, "4"},   {54.6, 0, 54.6, 38.25, "4"},
      {98.8, 0, 98.8, 38.25, "4"},   {174.2, 8.5, 187.2, 8.5, "3"}, {7.8, 0, 7.8, 38.25, "3"},
      {33.8, 0, 33.8, 38.25, "3"},   {46.8, 0, 46.8, 38.25, "3"},   {65, 17, 65, 38.25, "3"},
      {143, 0, 143, 4.25, "3"},      {80.6, 17, 80.6, 38.25, "3"},  {174.2, 4.25, 174.2, 17, "3"},
      {0, 38.25, 187.2, 38.25, "5"},
  };
  for (int i = 2; i <= 8; ++i) din0Lines.push_back({0, 4.25 * i, 54.6, 4.25 * i, "3"});
  for (int i = 5; i <= 8; ++i) din0Lines.push_back({54.6, 4.25 * i, 98.8, 4.25 * i, "3"});
  const std::vector<LineAt> din3Lines = {
      {98.8, 48.875, 187.2, 48.875, "4"}, {0, 38.25, 187.2, 38.25, "4"}, {54.6, 0, 54.6, 55.25, "4"},
      {98.8, 0, 98.8, 55.25, "4"},        {80.6, 17, 80.6, 55.25, "3"},  {150.8, 48.875, 150.8, 55.25, "3"},
      {7.8, 0, 7.8, 38.25, "3"},          {0, 55.25, 187.2, 55.25, "5"},
  };

  struct Form {
    int32_t type;
    double ox, oy;
    std::vector<TextAt> texts;
    std::vector<LineAt> lines;
  };
  std::vector<TextAt> iso2 = isoValues, iso1 = isoValues;
  iso2.insert(iso2.end(), fig2.begin(), fig2.end());
  iso1.insert(iso1.end(), fig1.begin(), fig1.end());
  for (const Form& f : std::vector<Form>{{2, 20, 10, iso2, fig2Lines},
                                         {1, 20, 10, iso1, fig1Lines},
                                         {0, 17.9, 5, din, din0Lines},
                                         {3, 17.9, 5, din, din3Lines}}) {
    SCOPED_TRACE("type " + std::to_string(f.type));
    SetUp();
    FillTitleFields(spring.drawing);
    FillChanges(2);
    cadSettings.DwgShowChanges = true;
    desktopSettings.TitleBlockType = f.type;
    DrawSheet(1, 4, "Zugfeder", "Zweite Zeile", "QV-4711");  // short enough to keep their full size
    const DxfCheck r = CheckDxf(dir / "feder.dxf");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::vector<DxfItem> items = DxfItems(r);
    for (const TextAt& t : f.texts) {
      bool found = false;
      for (const DxfItem& it : items)
        found = found || (it.kind == "TEXT" && it.text == t.text && std::abs(it.v[0] - (f.ox + t.x)) < 1e-6 &&
                          std::abs(it.v[1] - (f.oy + t.y)) < 1e-6 && std::abs(it.v[2] - t.h) < 1e-6 &&
                          std::abs(it.v[3] - t.w / t.h) < 6e-4 && it.layer == t.layer);
      EXPECT_TRUE(found) << t.text << " at " << t.x << ", " << t.y;
    }
    for (const LineAt& l : f.lines) {
      bool found = false;
      const double x1 = f.ox + l.x1, y1 = f.oy + l.y1, x2 = f.ox + l.x2, y2 = f.oy + l.y2;
      for (const DxfItem& it : items) {
        if (it.kind != "LINE" || it.layer != l.layer) continue;
        const auto near = [](double a, double b) { return std::abs(a - b) < 1e-6; };
        found = found || (near(it.v[0], x1) && near(it.v[1], y1) && near(it.v[2], x2) && near(it.v[3], y2)) ||
                (near(it.v[0], x2) && near(it.v[1], y2) && near(it.v[2], x1) && near(it.v[3], y1));
      }
      EXPECT_TRUE(found) << l.x1 << ", " << l.y1 << " to " << l.x2 << ", " << l.y2 << " layer " << l.layer;
    }
    TearDown();
  }
}

// A long name shrinks to its cell instead of running over it.
TEST_F(TitleBlockTest, LongNameIsFittedIntoItsCell) {
  desktopSettings.TitleBlockType = 2;
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
