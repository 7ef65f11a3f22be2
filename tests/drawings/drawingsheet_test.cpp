// The drawing frame: sheet edge and border per format and margin rule, grid reference border and
// millimetre scales, protection notice, free texts, marginal texts, page limits, the frame as an
// empty block when the title block is off, and the rounding and text of a drawing scale.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/machinefacts.h"
#include "foundation/utilstr.h"
#include "graphics/stlwriter.h"
#include "graphics/txtwriter.h"
#include "graphics/iges.h"
#include "tests/drawings/drawingsheet_fixture.h"

namespace qorva::cadtest {
namespace {

using DrawingFrameTest = FrameTest;

bool DxfHasText(const DxfCheck& c, const std::string& text) {
  for (const auto& l : c.lines)
    if (l.find("text=\"" + text + "\"") != std::string::npos) return true;
  return false;
}

// The entity lines of one block as dxfcheck lists them.
std::vector<std::string> DxfBlock(const DxfCheck& c, const std::string& name) {
  std::vector<std::string> r;
  bool in = false;
  for (const auto& l : c.lines) {
    if (l.rfind("block ", 0) == 0 || l == "entities") in = l.rfind("block " + name + " ", 0) == 0;
    else if (in) r.push_back(l);
  }
  return r;
}

struct SheetCase {
  int32_t format, type, margin;
  bool border;
  SheetRect b, t;
  int32_t gx, gy;
  uint16_t sheetFormat;
};

TEST_F(DrawingFrameTest, EdgeBorderAndGridPerFormatAndMargin) {
  const std::vector<SheetCase> cases = {
      {4, 2, 1, true, {20, 10, 200, 287}, {0, 0, 210, 297}, 4, 6, 2},
      {4, 1, 1, true, {20, 10, 200, 287}, {0, 0, 210, 297}, 4, 6, 2},
      {4, 2, 2, true, {20, 10, 200, 287}, {0, 0, 210, 297}, 0, 0, 2},  // 10 mm rule, no grid
      {4, 2, 0, true, {17.9L, 5, 205.1L, 292}, {0, 0, 210, 297}, 0, 0, 2},
      {4, 0, 1, true, {17.9L, 5, 205.1L, 292}, {0, 0, 210, 297}, 0, 0, 2},
      {4, 3, 1, true, {17.9L, 5, 205.1L, 292}, {0, 0, 210, 297}, 0, 0, 2},
      {3, 2, 1, true, {20, 10, 410, 287}, {0, 0, 420, 297}, 8, 6, 3},
      {3, 0, 0, true, {15, 5, 415, 292}, {0, 0, 420, 297}, 0, 0, 3},
      {2, 2, 1, true, {20, 10, 584, 400}, {0, 0, 594, 420}, 0, 0, 0},
      {2, 0, 1, false, {}, {0, 0, 594, 420}, 0, 0, 0},
      {1, 1, 1, true, {20, 10, 831, 574}, {0, 0, 841, 594}, 0, 0, 0},
      {1, 3, 1, false, {}, {0, 0, 841, 594}, 0, 0, 0},
  };
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.format) + "/" + std::to_string(c.type) + "/" + std::to_string(c.margin));
    SetUp();
    desktopSettings.TitleBlockType = c.type;
    desktopSettings.FrameMargin = c.margin;
    RecordingWriter& w = DrawRecorded(c.format);
    EXPECT_EQ(printSettings.SheetFormat, c.sheetFormat);
    EXPECT_TRUE(HasRectangle(w, c.t.x1, c.t.y1, c.t.x2, c.t.y2));
    if (c.border) {
      EXPECT_TRUE(HasRectangle(w, c.b.x1, c.b.y1, c.b.x2, c.b.y2));
    }
    if (c.format <= 2) {
      // A1 and A2: edge and border only.
      EXPECT_EQ(w.only("line").size(), c.border ? 8u : 4u);
      EXPECT_TRUE(w.only("text").empty());
    }
    const long double wd = 4;
    EXPECT_EQ(HasRectangle(w, c.b.x1 - wd, c.b.y1 - wd, c.b.x2 + wd, c.b.y2 + wd), c.gx > 0);
    if (c.gx == 0) continue;
    // Field numbers above and below, letters on both sides from the bottom up; ticks w long.
    const long double dx = (c.b.x2 - c.b.x1) / c.gx, dy = (c.b.y2 - c.b.y1) / c.gy;
    for (int32_t i = 0; i < c.gx; ++i) {
      const long double xm = c.b.x1 + i * dx + dx / 2;
      EXPECT_TRUE(HasTextAt(w, IntStr(i + 1), xm, c.b.y2 + 1)) << i;
      EXPECT_TRUE(HasTextAt(w, IntStr(i + 1), xm, c.b.y1 - 3)) << i;
    }
    for (int32_t i = 0; i <= c.gx; ++i) {
      const long double x = c.b.x1 + i * dx;
      EXPECT_TRUE(HasLine(w, x, c.b.y2, x, c.b.y2 + wd)) << i;
      EXPECT_TRUE(HasLine(w, x, c.b.y1, x, c.b.y1 - wd)) << i;
    }
    for (int32_t j = 0; j < c.gy; ++j) {
      const long double ym = c.b.y1 + j * dy + dy / 2;
      EXPECT_TRUE(HasTextAt(w, NumToLetter(j + 1), c.b.x1 - 3, ym)) << j;
      EXPECT_TRUE(HasTextAt(w, NumToLetter(j + 1), c.b.x2 + 1, ym)) << j;
      EXPECT_TRUE(HasLine(w, c.b.x1, c.b.y1 + j * dy, c.b.x1 - wd, c.b.y1 + j * dy)) << j;
    }
    EXPECT_TRUE(TextsEqual(w, NumToLetter(c.gy + 1)).empty());
    // Millimetre scales: top 0 .. width, right 0 .. height; numbers every 10 mm centred on the tick.
    const long double top = c.b.y2 + wd, right = c.b.x2 + wd;
    EXPECT_TRUE(HasLine(w, c.b.x1 + 10, top, c.b.x1 + 10, top + 3));
    EXPECT_TRUE(HasLine(w, c.b.x1 + 5, top, c.b.x1 + 5, top + 2.25L));
    EXPECT_TRUE(HasLine(w, c.b.x1 + 7, top, c.b.x1 + 7, top + 1.5L));
    EXPECT_TRUE(HasLine(w, right, c.b.y1 + 270, right + 3, c.b.y1 + 270));
    EXPECT_TRUE(HasLine(w, right, c.b.y1 + 277, right + 1.5L, c.b.y1 + 277));
    EXPECT_FALSE(HasLine(w, right, c.b.y1 + 278, right + 1.5L, c.b.y1 + 278));
    const long double width = c.b.x2 - c.b.x1;
    const std::string last = IntStr(static_cast<int64_t>(width) / 10 * 10);
    EXPECT_TRUE(HasTextAt(w, last, c.b.x1 + std::stoi(last) - 1.5L * 0.375L * last.size(), top + 3.6L)) << last;
    EXPECT_TRUE(HasTextAt(w, "270", right + 4.8L, c.b.y1 + 270 - 1.5L * 0.375L * 3));
    EXPECT_TRUE(HasTextAt(w, "0", c.b.x1 - 1.5L * 0.375L, top + 3.6L));
  }
}

TEST_F(DrawingFrameTest, GridBorderOptions) {
  desktopSettings.TitleBlockType = 2;
  cadSettings.DwgNoGridBorder = true;
  RecordingWriter& w = DrawRecorded(4);
  // No border strip, no fields, yet the scales stand where the border would be.
  EXPECT_FALSE(HasRectangle(w, 16, 6, 204, 291));
  EXPECT_TRUE(TextsEqual(w, "F").empty());
  EXPECT_TRUE(HasLine(w, 30, 291, 30, 294));
  EXPECT_TRUE(HasTextAt(w, "180", 200 - 1.5L * 0.375L * 3, 291 + 3.6L));

  SetUp();
  cadSettings.DwgNoGridBorder = true;
  cadSettings.DwgNoMmScale = true;
  RecordingWriter& none = Register(5, "txt", false);
  CadBeginOutput(5);
  CadPageSetup(0, 0, 210, 297, 0);
  CadBeginEntities();
  DrawGridBorder(4, 6, 20, 10, 200, 287, 4);
  CadEndOutput();
  EXPECT_TRUE(none.only("line").empty());
  EXPECT_TRUE(none.only("text").empty());
}

TEST_F(DrawingFrameTest, ProtectionNoticeAlongTheLeftEdge) {
  struct Case {
    int32_t format, type, margin;
    bool noGrid;
    long double x0;
  };
  for (const Case& c : std::vector<Case>{{4, 0, 1, false, 4},
                                         {3, 0, 1, false, 3},
                                         {4, 2, 0, false, 4},
                                         {4, 2, 1, false, 3},
                                         {4, 2, 1, true, 4},
                                         {3, 1, 1, true, 4}}) {
    SCOPED_TRACE(std::to_string(c.format) + "/" + std::to_string(c.type) + "/" + std::to_string(c.margin));
    SetUp();
    desktopSettings.TitleBlockType = c.type;
    desktopSettings.FrameMargin = c.margin;
    cadSettings.DwgNoGridBorder = c.noGrid;
    RecordingWriter& w = DrawRecorded(c.format);
    for (size_t k = 0; k < 5; ++k) {
      EXPECT_TRUE(HasTextAt(w, ProtectionNoticeEnglish[k], c.x0 + 2.7L * k, 10)) << k;
      EXPECT_TRUE(HasTextAt(w, ProtectionNoticeGerman[k], c.x0 + 2.7L * k, 190)) << k;
    }
  }
  SetUp();
  cadSettings.DwgNoCopyright = true;
  RecordingWriter& w = DrawRecorded(4);
  EXPECT_TRUE(TextsEqual(w, ProtectionNoticeEnglish[0]).empty());
  EXPECT_TRUE(TextsEqual(w, ProtectionNoticeGerman[4]).empty());
}

// The marginal texts: data-file path, date and time of the clock, the program title line.
TEST_F(DrawingFrameTest, MarginalTextsFollowTheClockAndTheOptions) {
  programState.ProgTitle = "QORVA - Konstantkraftfeder";
  test::fixedClock().set(LocalDateTime{2025, 11, 30, 9, 5, 0, 0});
  RecordingWriter& w = DrawRecorded(4);
  EXPECT_TRUE(HasTextAt(w, programState.CurrentFileName, 20, 1));
  EXPECT_TRUE(HasTextAt(w, "2025-11-30 9:05", 186, 1));
  EXPECT_TRUE(HasTextAt(w, "KWENDAL   QORVA - Konstantkraftfeder  V1.0", 1, 300));

  SetUp();
  test::fixedClock().set(LocalDateTime{2025, 11, 30, 9, 5, 0, 0});
  desktopSettings.DateFormat = 1;
  RecordingWriter& a3 = DrawRecorded(3);
  EXPECT_TRUE(HasTextAt(a3, "30.11.2025 9:05", 395, 1));

  SetUp();
  cadSettings.DwgNoFileName = true;
  cadSettings.DwgNoDate = true;
  cadSettings.DwgNoMakerTitle = true;
  RecordingWriter& off = DrawRecorded(4);
  for (const auto& t : off.only("text")) {
    EXPECT_FALSE(Near(t.v[1], 1) && (Near(t.v[0], 20) || Near(t.v[0], 186))) << t.text;
    EXPECT_FALSE(Near(t.v[1], 300)) << t.text;
  }
}

TEST_F(DrawingFrameTest, SlashAloneLeavesANameFieldEmpty) {
  desktopSettings.TitleBlockType = 0;
  cadSettings.DwgNoFileName = true;
  RecordingWriter& w = DrawRecorded(4, " / ", "/", "  /");
  for (const auto& t : w.only("text")) EXPECT_EQ(t.text.find('/'), std::string::npos) << t.text;
  SetUp();
  desktopSettings.TitleBlockType = 0;
  RecordingWriter& kept = DrawRecorded(4, "a/b", "Zeile", "1/2");
  EXPECT_TRUE(HasTextAt(kept, "a/b", 17.9L + 100.8L, 5 + 28.625L));
  EXPECT_TRUE(HasTextAt(kept, "1/2", 17.9L + 100.8L, 5 + 7.375L));
}

// Free texts only on the sheet their mode names; a text without height keeps the style before it.
TEST_F(DrawingFrameTest, FreeTextsOnTheSheetsOfTheirMode) {
  struct Case {
    int32_t mode, format;
    bool drawn;
  };
  for (const Case& c : std::vector<Case>{
           {0, 4, true}, {0, 3, false}, {1, 4, false}, {1, 3, true}, {2, 4, true}, {2, 3, true}, {3, 4, false}}) {
    SCOPED_TRACE(std::to_string(c.mode) + "/" + std::to_string(c.format));
    SetUp();
    spring.drawing.DrawingTextCount = 1;
    spring.drawing.DrawingTextMode = c.mode;
    spring.drawing.DrawingTexts[1] = {50, 150, 5, 0, "Frei"};
    RecordingWriter& w = DrawRecorded(c.format);
    EXPECT_EQ(HasTextAt(w, "Frei", 50, 150), c.drawn);
  }

  SetUp();
  spring.drawing.DrawingTextCount = 2;
  spring.drawing.DrawingTexts[1] = {50, 150, 5, 30, "Erster"};
  spring.drawing.DrawingTexts[2] = {60, 160, 0, 0, "Zweiter"};
  spring.drawing.DrawingTexts[3] = {70, 170, 4, 0, "Dritter"};  // beyond the count
  DrawSheet(1, 4);
  const DxfCheck r = CheckDxf(dir / "feder.dxf");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  int seen = 0;
  for (const auto& l : DxfBlock(r, "frame_1")) {
    if (l.find("\"Erster\"") != std::string::npos || l.find("\"Zweiter\"") != std::string::npos) {
      ++seen;
      EXPECT_NE(l.find(" h=5 "), std::string::npos) << l;
      EXPECT_NE(l.find(" width=0.8 "), std::string::npos) << l;
      EXPECT_NE(l.find(" rot=30 "), std::string::npos) << l;
    }
    EXPECT_EQ(l.find("Dritter"), std::string::npos);
  }
  EXPECT_EQ(seen, 2);
  // The German notice reaches the file as readable text.
  EXPECT_TRUE(DxfHasText(r, "Weitergabe sowie Vervielf\xC3\xA4ltigung dieser Unterlage, Ver-"));
}

// With the title block off (or after a cancelled step) nothing is drawn, yet SheetFormat is set and
// the frame block stays a valid, empty block in every output.
TEST_F(DrawingFrameTest, NoTitleBlockLeavesAnEmptyButValidBlock) {
  cadSettings.DwgNoTitleBlock = true;
  DrawSheet(1, 4);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(printSettings.SheetFormat, 2);
  const DxfCheck r = CheckDxf(dir / "feder.dxf");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(r.has("block frame_1 base=(0,0)")) << r.output;
  EXPECT_TRUE(DxfBlock(r, "frame_1").empty()) << r.output;
  bool inserted = false;
  for (const auto& l : r.lines) inserted = inserted || l.find("INSERT layer=0 frame_1 (0,0)") != std::string::npos;
  EXPECT_TRUE(inserted) << r.output;

  // Screen: the empty block file reads back without a message.
  SetUp();
  cadSettings.DwgNoTitleBlock = true;
  printSettings.SheetFormat = 0;
  DrawSheet(3, 4);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(errorList.ErrorCount, 0);
  EXPECT_TRUE(Records(RecText).empty());
  EXPECT_TRUE(Records(RecLine).empty());
  EXPECT_EQ(printSettings.SheetFormat, 2);

  // Writer outputs: a block opened and closed with nothing in it, then inserted.
  for (uint16_t code : {2, 5, 6}) {
    SCOPED_TRACE(code);
    SetUp();
    cadSettings.DwgNoTitleBlock = true;
    if (code == 6) test::scriptedPrompter().push(std::string("1"));  // the STL height
    RecordingWriter& w = Register(code, code == 2 ? "igs" : code == 5 ? "txt" : "stl", code == 6);
    DrawSheet(code, 3);
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(printSettings.SheetFormat, 3);
    EXPECT_TRUE(w.only("line").empty());
    EXPECT_TRUE(w.only("text").empty());
    EXPECT_TRUE(w.only("abandon").empty());
    EXPECT_EQ(w.only("close").size(), 1u);
    if (code != 6) {
      ASSERT_EQ(w.only("block").size(), 1u);
      EXPECT_EQ(w.only("endblock").size(), 1u);
      ASSERT_EQ(w.only("insert").size(), 1u);
      EXPECT_EQ(w.only("insert")[0].text, "frame_1");
    }
  }

  // The real IGES, TXT and STL writers: the file is complete, its reader finds nothing wrong and no
  // block is reported missing.
  RegisterIgesWriter();
  RegisterTxtWriter();
  RegisterStlWriter();
  for (const auto& [code, ext] : {std::pair<uint16_t, const char*>{2, "igs"}, {5, "txt"}, {6, "stl"}}) {
    SCOPED_TRACE(ext);
    SetUp();
    RegisterIgesWriter();
    RegisterTxtWriter();
    RegisterStlWriter();
    cadSettings.DwgNoTitleBlock = true;
    if (code == 6) test::scriptedPrompter().push(std::string("1"));  // the STL height
    DrawSheet(code, 4);
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(errorList.ErrorCount, 0) << errorList.ErrorMsgs[1];
    EXPECT_TRUE(Messages().empty());
    const fs::path file = dir / (std::string("feder.") + ext);
    ASSERT_TRUE(fs::exists(file));
    const std::string body = test::readFile(file);
    if (code == 2) {
      // OpenCASCADE reads the file without a failed check.
      const std::string script = std::string(QORVA_SOURCE_DIR) + "/tools/graphics/igescheck.sh";
      const auto occt = test::runCommand("'" + script + "' '" + file.string() + "' 2>&1");
      EXPECT_NE(occt.output.find("Total number of loaded entities"), std::string::npos) << occt.output;
      EXPECT_EQ(occt.output.find("F:"), std::string::npos) << occt.output;
      EXPECT_NE(body.find("S0000001"), std::string::npos);
      EXPECT_NE(body.find("T0000001"), std::string::npos);
    } else if (code == 5) {
      // The block opens and closes with nothing between, then is inserted.
      const size_t open = body.find("BLOCK\tframe_1\r\n");
      ASSERT_NE(open, std::string::npos) << body;
      EXPECT_EQ(body.compare(open + 15, 14, "END OF BLOCK\r\n"), 0) << body;
      EXPECT_GT(body.find("INSERT\tframe_1\t"), open) << body;
      EXPECT_NE(body.find("\nEOF"), std::string::npos) << body;
    } else {
      // Binary STL: the 80-byte header and a facet count of 0, nothing else.
      ASSERT_EQ(body.size(), 84u);
      EXPECT_EQ(body.substr(80), std::string(4, '\0'));
    }
  }

  // A cancelled step before the frame: only the sheet format is set.
  SetUp();
  printSettings.SheetFormat = 0;
  RecordingWriter& w = Register(5, "txt", false);
  CadBeginOutput(5);
  CadBeginEntities();
  programState.ErrorFlag = true;
  Name("n", "n2", "nr");
  DrawDrawingFrame(spring, 3);
  EXPECT_EQ(printSettings.SheetFormat, 3);
  programState.ErrorFlag = false;
  CadEndOutput();
  EXPECT_TRUE(w.only("line").empty());
  EXPECT_TRUE(w.only("text").empty());
}

// The frame on the screen: the block is read back into display-list records.
TEST_F(DrawingFrameTest, FrameOnTheScreenBecomesDisplayListRecords) {
  desktopSettings.TitleBlockType = 2;
  titleBlock.OwnerText = "Federwerk GmbH";
  DrawSheet(3, 4);
  ASSERT_FALSE(programState.ErrorFlag);
  auto hasLine = [](long double x1, long double y1, long double x2, long double y2) {
    for (const auto& r : Records(RecLine))
      if (Near(r.f[1], x1, 1e-5L) && Near(r.f[2], y1, 1e-5L) && Near(r.f[3], x2, 1e-5L) && Near(r.f[4], y2, 1e-5L))
        return true;
    return false;
  };
  auto hasText = [](const std::string& t) {
    for (const auto& r : Records(RecText))
      if (r.text == t) return true;
    return false;
  };
  EXPECT_TRUE(hasLine(0, 0, 210, 0) || hasLine(210, 0, 0, 0));
  EXPECT_TRUE(hasLine(20, 10, 200, 10) || hasLine(200, 10, 20, 10));
  EXPECT_TRUE(hasText("Konstantkraftfeder"));
  EXPECT_TRUE(hasText("Dokumentenstatus"));
  EXPECT_TRUE(hasText("Federwerk GmbH"));
  EXPECT_TRUE(hasText(ProtectionNoticeEnglish[0]));
  EXPECT_TRUE(hasText("2024-03-05 14:07"));
  EXPECT_GT(Records(RecTextStyle).size(), 5u);
  EXPECT_GT(Records(RecLine).size(), 181u + 278u);  // more than the ticks of the mm scales
  EXPECT_EQ(printSettings.SheetFormat, 2);
}

TEST_F(DrawingFrameTest, PageLimitsOfTheSheet) {
  SetSheetPageLimits(4);
  EXPECT_TRUE(Near(cadrun.PageLimits.xmin, -5) && Near(cadrun.PageLimits.ymin, -5) &&
              Near(cadrun.PageLimits.xmax, 215) && Near(cadrun.PageLimits.ymax, 307));
  SetSheetPageLimits(3);
  EXPECT_TRUE(Near(cadrun.PageLimits.xmin, -2) && Near(cadrun.PageLimits.ymin, -5) &&
              Near(cadrun.PageLimits.xmax, 422) && Near(cadrun.PageLimits.ymax, 305) &&
              Near(cadrun.PageLimits.width, 424) && Near(cadrun.PageLimits.height, 310));
  for (int32_t f : {1, 2, 0, 9}) {
    SetSheetPageLimits(f);
    EXPECT_TRUE(Near(cadrun.PageLimits.xmax, 422)) << f;
  }
}

TEST(DrawingScale, NiceScaleNumberRoundsDownTo125) {
  struct Case {
    long double x, want;
  };
  for (const Case& c : std::vector<Case>{{0.8L, 0.5L},   {0.3L, 0.2L},    {1, 1},         {7, 5},
                                         {19, 10},       {9.9L, 10},      {9.7L, 5},      {1.98L, 1},
                                         {1.995L, 2},    {4.98L, 2},      {4.995L, 5},    {2, 2},
                                         {5, 5},         {10, 10},        {250, 200},     {0.0049L, 0.002L},
                                         {180.0L / 208, 0.5L}, {0, 1},    {-3, 1},        {1e-6L, 1e-6L}}) {
    const long double got = NiceScaleNumber(c.x);
    EXPECT_NEAR(static_cast<double>(got / c.want), 1.0, 1e-12) << static_cast<double>(c.x);
  }
}

TEST(DrawingScale, ScaleText) {
  struct Case {
    long double s;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{{0.5L, "M 1:2"},
                                         {2, "M 2:1"},
                                         {1, "M 1:1"},
                                         {0.2L, "M 1:5"},
                                         {0.01L, "M 1:100"},
                                         {0.25L, "M 1:4"},
                                         {5, "M 5:1"},
                                         {0, ""},
                                         {-1, ""}}) {
    EXPECT_EQ(ScaleText(c.s), c.text) << static_cast<double>(c.s);
  }
}

}  // namespace
}  // namespace qorva::cadtest
