// The diagram library: axis rounding and ticks, the value-to-paper mapping, clipping of curves, the
// axes drawn on every output, and when the limits dialog is offered.

#include "graphics/diagrams.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/utilstr.h"
#include "graphics/diagramstate.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {
namespace {

// Nice limits come from powers of ten computed through logarithms: equal to a few ulps.
#define EXPECT_LIMIT(a, b) \
  EXPECT_NEAR(static_cast<double>(a), static_cast<double>(b), 1e-9 * (1 + std::fabs(static_cast<double>(b))))

// The recording writer that also notes the text height each text was written with.
class DiagramWriter : public RecordingWriter {
 public:
  DiagramWriter() : RecordingWriter("txt", false) {}
  void text(const std::string& t, long double x, long double y) override {
    RecordingWriter::text(t, x, y);
    heights.push_back(cadrun.TextHeight);
  }
  std::vector<long double> heights;
};

class DiagramTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    InitDiagramState();
    services().DiagramLimitsDialog = nullptr;
    utilstr.ProgramParams.clear();
  }
  void TearDown() override {
    services().DiagramLimitsDialog = nullptr;
    utilstr.ProgramParams.clear();
    InitDiagramState();
    KernelTest::TearDown();
  }

  // Opens a TXT run whose calls are recorded (requested code 5: a file output).
  DiagramWriter& Open() {
    auto w = std::make_unique<DiagramWriter>();
    DiagramWriter& ref = *w;
    RegisterCadWriter(CadOutput::Txt, std::move(w));
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "diagram").string();
    CadBeginOutput(5);
    EXPECT_FALSE(programState.ErrorFlag);
    return ref;
  }

  // The diagram of 100 x 100 mm at the paper origin: paper values equal the values for 0..100.
  void UnitArea() {
    DiagramSetSize(100, 100);
    DiagramSetOrigin(0, 0);
    DiagramSetLimits(0, 0, 100, 100);
  }

  // Texts written at paper height y, in order.
  static std::vector<std::string> TextsAtY(const RecordingWriter& w, long double y) {
    std::vector<std::string> r;
    for (const auto& c : w.only("text"))
      if (Near(c.v[1], y, 1e-6L)) r.push_back(c.text);
    return r;
  }
  static std::vector<std::string> TextsAtX(const RecordingWriter& w, long double x) {
    std::vector<std::string> r;
    for (const auto& c : w.only("text"))
      if (Near(c.v[0], x, 1e-6L)) r.push_back(c.text);
    return r;
  }
};

// ---- Axis limits and ticks ----

struct AxisCase {
  const char* name;
  long double min, max;           // as the caller passes them
  long double niceMin, niceMax;   // the axis drawn
  long double step;
};

TEST_F(DiagramTest, AxisLimitsAreRoundedOutwardAndTickedAtEveryStep) {
  const long double inf = std::numeric_limits<long double>::infinity();
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const AxisCase cases[] = {
      {"0..1600", 0, 1600, 0, 1600, 200},
      {"0..3000", 0, 3000, 0, 3000, 500},
      {"0..5", 0, 5, 0, 5, 1},
      {"equal limits", 5, 5, 4, 6, 0.5L},
      {"reversed", 10, 0, 0, 10, 2},
      {"outward", 13, 1187, 0, 1200, 200},
      {"negative", -37, -5, -40, -5, 5},
      {"tiny", 0, 5e-5L, 0, 5e-5L, 1e-5L},
      {"tiny step: the last ticks stay", 0, 3e-5L, 0, 3e-5L, 5e-6L},
      {"below 1e-5 counts as equal", 0, 5e-6L, -1.5L, 1, 0.5L},
      {"huge", 0, 3e30L, 0, 3e30L, 5e29L},
      {"not a number", nan, 10, 0, 10, 2},
      {"infinite", -inf, inf, -1.5L, 1, 0.5L},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InitCadKernel();
    DiagramWriter& w = Open();
    DiagramReset();
    DiagramSetSize(120, 100);
    DiagramSetOrigin(15, 10);
    DiagramAxes("X", "Y", "T", c.min, 0, c.max, 100, 1);
    CadEndOutput();
    const long double tol = std::fabs(c.step) * 1e-9L;
    EXPECT_NEAR(static_cast<double>(diagramState.DiagramXMin), static_cast<double>(c.niceMin), static_cast<double>(tol));
    EXPECT_NEAR(static_cast<double>(diagramState.DiagramXMax), static_cast<double>(c.niceMax), static_cast<double>(tol));
    // The x tick values sit 5 % of the axis length below it, followed by the axis title.
    auto labels = TextsAtY(w, 10 - 0.05L * 100);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.back(), "X");
    labels.pop_back();
    const int n = static_cast<int>(std::lround((c.niceMax - c.niceMin) / c.step));
    ASSERT_EQ(labels.size(), static_cast<size_t>(n + 1));
    for (int i = 0; i <= n; ++i) {
      long double v = 0;
      ASSERT_TRUE(TryStrToReal(labels[static_cast<size_t>(i)], v)) << labels[static_cast<size_t>(i)];
      EXPECT_NEAR(static_cast<double>(v), static_cast<double>(c.niceMin + c.step * i),
                  static_cast<double>(c.step * 1e-3L))
          << labels[static_cast<size_t>(i)];
    }
    for (const auto& t : w.only("line"))
      for (long double v : t.v) EXPECT_TRUE(std::isfinite(v));
  }
}

TEST_F(DiagramTest, YAxisTicksRunFromTheLowerToTheUpperLimit) {
  DiagramWriter& w = Open();
  DiagramReset();
  DiagramAxes("s", "F", "", 0, -130, 10, 370, 1);  // y: -200..400 by 100
  CadEndOutput();
  EXPECT_LIMIT(diagramState.DiagramYMin, -200);
  EXPECT_LIMIT(diagramState.DiagramYMax, 400);
  // Tick values at 10 % of the x range left of the axis; the axis title above the column.
  const auto col = TextsAtX(w, DiagramX(-0.1L * diagramState.DiagramXRange));
  const std::vector<std::string> expected = {"-200", "-100", "0", "100", "200", "300", "400", "F"};
  EXPECT_EQ(col, expected);
}

// ---- Mapping ----

TEST_F(DiagramTest, ValuesMapOntoTheDiagramRectangle) {
  DiagramReset();
  DiagramSetSize(120, 100);
  DiagramSetOrigin(15, 10);
  DiagramSetLimits(0, 0, 600, 50);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramX(0)), 15.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramX(300)), 75.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramY(50)), 110.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramDX(60)), 12.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramDY(5)), 10.0);
  // Data in other units: 1 internal unit shows as 2 resp. 0.5 display units.
  DiagramScaleLimits(2, 0.5L);
  EXPECT_LIMIT(diagramState.DiagramXMax, 300);
  EXPECT_LIMIT(diagramState.DiagramYMax, 100);
  EXPECT_EQ(diagramState.DiagramXRange, 300);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramX(150)), 75.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramY(50)), 60.0);
}

TEST_F(DiagramTest, DegenerateLimitsAndSizesMapWithoutDividingByZero) {
  DiagramReset();
  DiagramSetSize(120, 100);
  DiagramSetOrigin(15, 10);
  DiagramSetLimits(5, 7, 5, 7);  // equal limits are widened by 1 each way
  EXPECT_EQ(diagramState.DiagramXRange, 2);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramX(5)), 75.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramY(8)), 110.0);
  // A unit factor of 0 or NaN leaves the limits alone instead of making them infinite.
  DiagramScaleLimits(0, std::numeric_limits<long double>::quiet_NaN());
  EXPECT_EQ(diagramState.DiagramXMin, 4);
  EXPECT_LIMIT(diagramState.DiagramYMax, 8);
  // Limits made equal directly (after a reset nothing else is set) still map to the origin.
  diagramState.DiagramXMin = diagramState.DiagramXMax = 3;
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramX(3)), 15.0);
  EXPECT_EQ(DiagramDX(1), 0);
  // A diagram without size maps everything onto its origin and keeps readable lettering.
  DiagramSetSize(0, 0);
  DiagramSetLimits(0, 0, 10, 10);
  EXPECT_EQ(DiagramX(7), 15);
  EXPECT_EQ(DiagramTextFactor(), 1);
}

TEST_F(DiagramTest, TextsGrowWithTheLargerSideRatio) {
  DiagramWriter& w = Open();
  DiagramReset();
  DiagramSetSize(320, 220);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramTextFactor()), 2.0);
  DiagramSetLimits(0, 0, 10, 10);
  DiagramTextStyle(2, 0, 3, 2);
  DiagramText("a", 5, 5);
  DiagramSetSize(160, 120);
  EXPECT_DOUBLE_EQ(static_cast<double>(DiagramTextFactor()), 120.0 / 110.0);
  CadEndOutput();
  ASSERT_EQ(w.heights.size(), 1u);
  EXPECT_DOUBLE_EQ(static_cast<double>(w.heights[0]), 6.0);
  const auto t = w.only("text");
  EXPECT_TRUE(Near(t[0].v[0], 160) && Near(t[0].v[1], 110));
}

TEST_F(DiagramTest, ResetKeepsTheEnteredLimits) {
  diagramState.DiagramEnteredLimits = {1, 2, 3, 4};
  diagramState.DiagramXLength = 7;
  DiagramReset();
  EXPECT_EQ(diagramState.DiagramXLength, 160);
  EXPECT_LIMIT(diagramState.DiagramYMin, 100);
  EXPECT_EQ(diagramState.DiagramXRange, 1);
  EXPECT_EQ(diagramState.DiagramEnteredLimits[3], 4);
  InitDiagramState();
  EXPECT_EQ(diagramState.DiagramEnteredLimits[2], 1);
}

// ---- Clipping ----

struct ClipCase {
  const char* name;
  long double x1, y1, x2, y2;
  bool drawn;
  long double cx1, cy1, cx2, cy2;  // what reaches the output
};

TEST_F(DiagramTest, CurvesAreClippedToTheDiagramArea) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const ClipCase cases[] = {
      {"inside", 10, 10, 90, 80, true, 10, 10, 90, 80},
      {"inside to outside ends at the frame", 50, 50, 150, 50, true, 50, 50, 100, 50},
      {"outside to inside", 50, -50, 50, 50, true, 50, 0, 50, 50},
      {"within the 1 % margin drawn whole", -0.5L, 50, 100.5L, 60, true, -0.5L, 50, 100.5L, 60},
      {"from a border point out through another side", 50, 0, 150, 50, true, 50, 0, 100, 25},
      {"both ends outside but crossing", -50, 50, 150, 50, true, 0, 50, 100, 50},
      {"both ends outside, diagonal", -10, 50, 60, 120, true, 0, 60, 40, 100},
      {"touching a corner only", -10, 90, 20, 120, false, 0, 0, 0, 0},
      {"both ends outside, missing", -50, -50, -10, -20, false, 0, 0, 0, 0},
      {"not a number", nan, 10, 50, 50, false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InitCadKernel();
    DiagramWriter& w = Open();
    UnitArea();
    DiagramLine(c.x1, c.y1, c.x2, c.y2);
    CadEndOutput();
    const auto lines = w.only("line");
    ASSERT_EQ(lines.size(), c.drawn ? 1u : 0u);
    if (c.drawn) {
      EXPECT_TRUE(Near(lines[0].v[0], c.cx1) && Near(lines[0].v[1], c.cy1) && Near(lines[0].v[2], c.cx2) &&
                  Near(lines[0].v[3], c.cy2))
          << lines[0].v[0] << " " << lines[0].v[1] << " " << lines[0].v[2] << " " << lines[0].v[3];
    }
  }
}

TEST_F(DiagramTest, PolylineContinuesFromTheLastPointAndIsClippedPerSegment) {
  DiagramWriter& w = Open();
  UnitArea();
  DiagramMoveTo(10, 10);
  DiagramLineTo(20, 20);
  DiagramLineTo(200, 20);  // leaves the area
  DiagramLineTo(200, 80);  // wholly outside: nothing
  DiagramLineTo(50, 80);   // back in
  CadEndOutput();
  EXPECT_EQ(diagramState.DiagramLastX, 50);
  const auto lines = w.only("line");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(Near(lines[0].v[0], 10) && Near(lines[0].v[3], 20));
  EXPECT_TRUE(Near(lines[1].v[0], 20) && Near(lines[1].v[2], 100) && Near(lines[1].v[3], 20));
  EXPECT_TRUE(Near(lines[2].v[0], 100) && Near(lines[2].v[1], 80) && Near(lines[2].v[2], 50));
}

TEST_F(DiagramTest, CirclesMarkersAndArrowsUseTheirOwnUnits) {
  DiagramWriter& w = Open();
  DiagramSetSize(100, 50);
  DiagramSetOrigin(10, 0);
  DiagramSetLimits(0, 0, 10, 100);
  DiagramCircle(5, 50, 20);  // radius in y units: 10 mm
  DiagramMarker(5, 50, 1.5L);
  DiagramArrow(1, 30, 40, 8);
  DiagramArrow(2, 30, 40, 8);
  CadEndOutput();
  const auto circles = w.only("circle");
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_TRUE(Near(circles[0].v[0], 60) && Near(circles[0].v[1], 25) && Near(circles[0].v[2], 10));
  EXPECT_TRUE(Near(circles[1].v[2], 1.5L));
  const auto solids = w.only("solid");
  ASSERT_EQ(solids.size(), 2u);
  const std::vector<long double> right = {30, 40, 22, 41, 22, 39, 30, 40};
  const std::vector<long double> up = {30, 40, 29, 32, 31, 32, 30, 40};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_TRUE(Near(solids[0].v[i], right[i])) << i;
    EXPECT_TRUE(Near(solids[1].v[i], up[i])) << i;
  }
}

TEST_F(DiagramTest, PointsThatAreNoNumberAreNotDrawn) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  DiagramWriter& w = Open();
  UnitArea();
  DiagramMoveTo(nan, 10);
  EXPECT_TRUE(std::isfinite(cadrun.CurX)) << "the current point stays where it was";
  DiagramCircle(10, inf, 5);
  DiagramCircle(10, 10, nan);
  DiagramMarker(nan, 10, 1);
  DiagramMarker(10, 10, inf);
  DiagramText("x", 10, -inf);
  const size_t bad = w.calls.size();
  // The same primitives at values are drawn.
  DiagramMoveTo(10, 10);
  DiagramCircle(10, 10, 5);
  DiagramMarker(10, 10, 1);
  DiagramText("x", 10, 10);
  CadEndOutput();
  EXPECT_EQ(bad, 1u) << "only the opening call";
  EXPECT_EQ(w.only("circle").size(), 2u);
  EXPECT_EQ(w.only("text").size(), 1u);
}

// ---- Axes ----

TEST_F(DiagramTest, ZeroAxesAppearOnlyWhereZeroLiesOnTheAxis) {
  DiagramWriter& w = Open();
  DiagramReset();
  DiagramSetSize(120, 100);
  DiagramSetOrigin(15, 10);
  DiagramAxes("s", "F", "Kennlinie", 0, 100, 1600, 500, 1);
  CadEndOutput();
  // y from 100: no x zero axis; x from 0: the y zero axis is the left frame line with an arrowhead
  // 5 % above the top.
  const auto solids = w.only("solid");
  ASSERT_EQ(solids.size(), 1u);
  EXPECT_TRUE(Near(solids[0].v[0], 15) && Near(solids[0].v[1], 10 + 1.05L * 100));
  EXPECT_TRUE(Near(solids[0].v[3], solids[0].v[1] - 0.04L * 100));  // size 4 % of the y length
  bool zeroAxis = false;
  for (const auto& l : w.only("line"))
    if (Near(l.v[0], 15) && Near(l.v[2], 15) && Near(l.v[1], 10) && Near(l.v[3], 115)) zeroAxis = true;
  EXPECT_TRUE(zeroAxis);
  // The title in colour 4, centred above by 3.5 mm per character; everything else in colour 17.
  const auto& first = w.calls[1];
  EXPECT_EQ(first.op, "color");
  EXPECT_EQ(first.v[0], 4);
  const auto texts = w.only("text");
  EXPECT_EQ(texts[0].text, "Kennlinie");
  EXPECT_TRUE(Near(texts[0].v[0], 15 + 60 - 9 * 3.5L / 2) && Near(texts[0].v[1], 113));
  EXPECT_DOUBLE_EQ(static_cast<double>(w.heights[0]), static_cast<double>(3.5L * 100 / 110));
  EXPECT_EQ(w.only("color").back().v[0], 17);
  EXPECT_EQ(printSettings.SheetFormat, 1);
  // Grid: 9 vertical lines (every 200) and 9 horizontal ones (every 50) spanning the diagram.
  int vertical = 0, horizontal = 0;
  for (const auto& l : w.only("line")) {
    if (Near(l.v[1], 10) && Near(l.v[3], 110) && Near(l.v[0], l.v[2])) ++vertical;
    if (Near(l.v[0], 15) && Near(l.v[2], 135) && Near(l.v[1], l.v[3])) ++horizontal;
  }
  EXPECT_EQ(vertical, 9);
  EXPECT_EQ(horizontal, 9);
}

TEST_F(DiagramTest, DiagramOnTheScreenEndsWithTheDottedGridStyle) {
  programState.ErrorFlag = false;
  CadBeginOutput(3);
  ASSERT_FALSE(programState.ErrorFlag);
  graphicsState.DisplayList.clear();
  DiagramReset();
  DiagramSetSize(120, 100);
  DiagramSetOrigin(15, 10);
  DiagramAxes("s", "F", "Kennlinie", -500, -2, 1500, 2, 1);
  EXPECT_EQ(graphicsState.CurrentLineStyle, 1) << "the grid is dotted and the style stays so";
  CadEndOutput();
  std::vector<std::string> texts;
  for (const auto& r : Records(RecText)) texts.push_back(r.text);
  for (const char* t : {"Kennlinie", "-500", "0", "1000", "1500", "-2", "2", "s", "F"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
  // Both zero axes with their arrowheads.
  EXPECT_EQ(Records(RecSolid).size(), 2u);
  bool dotted = false;
  for (const auto& r : Records(RecLineStyle)) dotted = dotted || r.value == 1;
  EXPECT_TRUE(dotted);
}

// ---- The limits dialog ----

TEST_F(DiagramTest, LimitsDialogIsOfferedOnlyForUserChosenOutputsWithTheSettingOn) {
  struct Case {
    const char* name;
    uint16_t code;
    bool setting;
    int params;
    bool dialog;
  };
  const Case cases[] = {
      {"file output, setting on", 5, true, 0, true},
      {"one command-line parameter", 5, true, 1, true},
      {"screen", 3, true, 0, false},
      {"screen chosen by the user", 0, true, 0, true},
      {"setting off", 5, false, 0, false},
      {"batch run", 5, true, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InitCadKernel();
    int shown = 0;
    DiagramLimitsRequest seen;
    services().DiagramLimitsDialog = [&](const DiagramLimitsRequest& r) {
      ++shown;
      seen = r;
    };
    desktopSettings.DiagramLimitsQuery = c.setting;
    utilstr.ProgramParams.assign(static_cast<size_t>(c.params), "x");
    if (c.code == 5) {
      Open();
    } else {
      if (c.code == 0) test::scriptedPrompter().push(2);  // "Kontrollausgabe auf Bildschirm"
      CadBeginOutput(c.code);
      ASSERT_FALSE(programState.ErrorFlag);
      ASSERT_EQ(cadSettings.CadCode, 3);
    }
    DiagramReset();
    DiagramAxes("s", "F", "T", 0, 0, 1550, 480, 1);
    CadEndOutput();
    EXPECT_EQ(shown, c.dialog ? 1 : 0);
    if (c.dialog) {
      EXPECT_EQ(seen.xTitle, "s");
      EXPECT_EQ(seen.title, "T");
      EXPECT_LIMIT(seen.xmax, 1600);
      EXPECT_LIMIT(seen.ymax, 500);
    }
  }
}

TEST_F(DiagramTest, ConfirmedLimitsAreRoundedAndCancelKeepsTheComputedOnes) {
  desktopSettings.DiagramLimitsQuery = true;
  bool cancel = false;
  services().DiagramLimitsDialog = [&](const DiagramLimitsRequest&) {
    if (cancel)
      programState.ErrorFlag = true;
    else
      diagramState.DiagramEnteredLimits = {0, 0, 1000, 260};
  };
  Open();
  DiagramReset();
  DiagramAxes("s", "F", "T", 0, 0, 1550, 480, 1);
  EXPECT_LIMIT(diagramState.DiagramXMax, 1000);
  EXPECT_LIMIT(diagramState.DiagramYMax, 300);  // 260 widened to the step of 50
  EXPECT_FALSE(programState.ErrorFlag);

  cancel = true;
  DiagramAxes("s", "F", "T", 0, 0, 1550, 480, 1);
  EXPECT_LIMIT(diagramState.DiagramXMax, 1600);
  EXPECT_LIMIT(diagramState.DiagramYMax, 500);
  EXPECT_FALSE(programState.ErrorFlag) << "Cancel leaves no error behind";

  // A flag the caller had set before neither turns OK into Cancel nor gets lost.
  cancel = false;
  programState.ErrorFlag = true;
  DiagramAxes("s", "F", "T", 0, 0, 1550, 480, 1);
  EXPECT_LIMIT(diagramState.DiagramXMax, 1000);
  EXPECT_TRUE(programState.ErrorFlag);
  programState.ErrorFlag = false;

  // Limits typed the wrong way round are ordered.
  services().DiagramLimitsDialog = [&](const DiagramLimitsRequest&) { diagramState.DiagramEnteredLimits = {1000, 260, 0, 0}; };
  DiagramAxes("s", "F", "T", 0, 0, 1550, 480, 1);
  EXPECT_LIMIT(diagramState.DiagramXMin, 0);
  EXPECT_LIMIT(diagramState.DiagramXMax, 1000);
  EXPECT_LIMIT(diagramState.DiagramYMax, 300);
  CadEndOutput();
}

TEST_F(DiagramTest, WithoutADialogTheComputedLimitsAreUsed) {
  desktopSettings.DiagramLimitsQuery = true;
  diagramState.DiagramEnteredLimits = {0, 0, 7, 7};
  Open();
  DiagramReset();
  DiagramAxes("s", "F", "T", 0, 0, 1550, 480, 1);
  CadEndOutput();
  EXPECT_LIMIT(diagramState.DiagramXMax, 1600);
  EXPECT_LIMIT(diagramState.DiagramYMax, 500);
  EXPECT_FALSE(programState.ErrorFlag);
}

}  // namespace
}  // namespace qorva::cadtest
