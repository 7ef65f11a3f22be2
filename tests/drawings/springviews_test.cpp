// The spring views on the kernel: what a fatal calculation and the choice loop do, the geometry of
// the front view, the view each ResultGraphic value redraws, the frame block without a title block,
// and every view through the IGES, TXT and STL writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/messagebox.h"
#include "foundation/utilmath.h"
#include "graphics/stlwriter.h"
#include "graphics/txtwriter.h"
#include "graphics/iges.h"
#include "tests/drawings/springviews_fixture.h"
#include "tests/drawings/drawingsheet_fixture.h"

namespace qorva::cadtest {
namespace {

using test::scriptedPrompter;

std::vector<std::string> Choices() {
  std::vector<std::string> v;
  for (const auto& a : scriptedPrompter().asked())
    if (a.kind == AskKind::Choice) v.push_back(a.text);
  return v;
}

TEST_F(SpringViewTest, AFatalCalculationShowsTheMessagesAndLeavesNoStaleDrawing) {
  RecordingWriter& w = Register(5, "txt", false);
  AddErrorMsg("Fatal  : Aussendurchmesser fehlt");
  ASSERT_TRUE(programState.FatalError);
  graphicsState.DisplayList = {"8;3", "4;0;0;10;10"};  // the picture already on the screen
  const std::vector<std::string> before = graphicsState.DisplayList;
  struct Case {
    uint16_t device, view;
  };
  // The outputs to files write nothing and leave the screen alone; the screen drops the drawing of
  // the previous spring.
  const Case cases[] = {{5, 1}, {0, 0}, {1, 3}, {3, 2}, {3, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.device) + "," + std::to_string(c.view));
    graphicsState.DisplayList = before;
    calcMessagesShown = 0;
    DrawSpringView(spring, c.device, c.view);
    EXPECT_EQ(calcMessagesShown, 1);
    if (c.device == 3) {
      for (const std::string& r : graphicsState.DisplayList) EXPECT_NE(r.rfind("4;", 0), 0u) << r;
    } else {
      EXPECT_EQ(graphicsState.DisplayList, before);
    }
  }
  graphicsState.DisplayList = before;
  calcMessagesShown = 0;
  RedrawCurrentView(spring);
  EXPECT_EQ(calcMessagesShown, 1);
  EXPECT_TRUE(w.calls.empty());
  EXPECT_NE(graphicsState.DisplayList, before);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
  EXPECT_FALSE(std::filesystem::exists(BatchFile("dxf")));
}

TEST_F(SpringViewTest, ViewNineEndsAtOnceAndAnUnknownViewGetsAnEmptyPage) {
  RecordingWriter& w = Register(5, "txt", false);
  DrawSpringView(spring, 5, 9);
  EXPECT_TRUE(w.calls.empty());
  EXPECT_FALSE(programState.ErrorFlag);

  DrawSpringView(spring, 5, 12);
  ASSERT_FALSE(programState.ErrorFlag);
  const auto pages = w.only("page");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].v, (std::vector<long double>{0, 0, 160, 120, 1}));
  EXPECT_TRUE(w.only("line").empty());
  EXPECT_TRUE(w.only("text").empty());
  EXPECT_EQ(w.calls.back().op, "close");
}

// The page of each view: the A4 sheet for the production drawing, the spring's own extent for the
// two full-size views (height b), else the 160 x 120 diagram page.
TEST_F(SpringViewTest, EveryViewSetsUpItsPage) {
  const long double De = spring.product.OuterDiameter, b = spring.family.BandWidth;
  const std::vector<long double> diagram = {0, 0, 160, 120, 1};
  const std::vector<std::vector<long double>> pages = {
      {-5, -5, 215, 307, 1}, diagram, diagram, diagram, diagram, diagram,
      {-0.6L * De, -0.6L * De, 2 * De, 0.6L * De, b}, {-0.1L * b, -0.6L * De, 1.1L * b, 0.6L * De, b},
  };
  for (uint16_t v = 1; v <= 8; ++v) {
    SCOPED_TRACE("view " + std::to_string(v));
    RecordingWriter& w = Register(5, "txt", false);
    DrawSpringView(spring, 5, v);
    ASSERT_FALSE(programState.ErrorFlag);
    const auto page = w.only("page");
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].v, pages[v - 1]);
    RegisterCadWriter(CadOutput::Txt, nullptr);
  }
}

TEST_F(SpringViewTest, TheChoiceOffersTheViewAfterTheLastOneDrawnUntilBack) {
  RecordingWriter& w = Register(5, "txt", false);
  // Diagram F - s, then Feder SA, then "zurück ..".
  scriptedPrompter().push(2);
  scriptedPrompter().push(7);
  scriptedPrompter().push(8);
  DrawSpringView(spring, 5, 0);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(scriptedPrompter().pending(), 0u);
  const auto& asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].text, "Select ..");
  EXPECT_EQ(asked[0].entries,
            (std::vector<std::string>{"Fertigungszeichnung", "Quick 1", "Diagramm F - s", "Goodman", "Haigh-Goodman",
                                      "Quick 3", "Feder VA", "Feder SA", "zur\xC3\xBC" "ck .."}));
  // Preselected: the first view, the one after the force-travel diagram, then "zurück ..".
  EXPECT_EQ(asked[0].preselect, 0);
  EXPECT_EQ(asked[1].preselect, 3);
  EXPECT_EQ(asked[2].preselect, 8);
  EXPECT_EQ(messageBox.HelpTopic, 2050);
  // Each chosen view is a run of its own.
  EXPECT_EQ(w.only("open").size(), 2u);
  EXPECT_EQ(w.only("close").size(), 2u);
  const auto pages = w.only("page");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].v, (std::vector<long double>{0, 0, 160, 120, 1}));
  const long double De = spring.product.OuterDiameter, b = spring.family.BandWidth;
  EXPECT_EQ(pages[1].v, (std::vector<long double>{-0.1L * b, -0.6L * De, 1.1L * b, 0.6L * De, b}));
}

TEST_F(SpringViewTest, ACancelledChoiceDrawsNothingFurther) {
  RecordingWriter& w = Register(5, "txt", false);
  scriptedPrompter().push(0);  // the production drawing
  scriptedPrompter().push(Cancel{});
  DrawSpringView(spring, 5, 0);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Choices().size(), 2u);
  EXPECT_EQ(w.only("open").size(), 1u);
  EXPECT_EQ(w.only("close").size(), 1u);

  // Cancelled before anything was drawn: no output at all.
  programState.ErrorFlag = false;
  w.calls.clear();
  scriptedPrompter().clear();
  scriptedPrompter().push(Cancel{});
  DrawSpringView(spring, 5, 0);
  EXPECT_TRUE(w.calls.empty());

  // The output code asked and cancelled: no output is begun, and the loop ends there.
  programState.ErrorFlag = false;
  scriptedPrompter().clear();
  scriptedPrompter().push(3);  // Goodman
  scriptedPrompter().push(Cancel{});
  DrawSpringView(spring, 0, 0);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Choices(), (std::vector<std::string>{"Select ..", "CAD-Code"}));
  EXPECT_TRUE(w.calls.empty());
  EXPECT_FALSE(ShareTextFile.IsOpen());
}

TEST_F(SpringViewTest, TheSpiralStartsAfterTheTurnFractionAndEndsAtTheBottomOfTheCoil) {
  const long double Di = spring.product.InnerDiameter, t = spring.family.BandThickness;
  struct Case {
    long double turns;
    long double startDeg;
  };
  for (const Case c : {Case{4.0L, 270.0L}, Case{3.25L, 180.0L}, Case{5.5L, 90.0L}}) {
    SCOPED_TRACE(static_cast<double>(c.turns));
    RecordingWriter& w = Register(5, "txt", false);
    spring.product.TurnCount = c.turns;
    DrawSpringView(spring, 5, 7);
    ASSERT_FALSE(programState.ErrorFlag);
    const auto lines = w.only("line");
    ASSERT_GT(lines.size(), 72u);
    const long double a0 = DegToRad(c.startDeg);
    // First segment of the spiral from the drum radius at the start angle.
    EXPECT_NEAR(static_cast<double>(lines[0].v[0]), static_cast<double>(Di / 2 * std::cos(a0)), 1e-9);
    EXPECT_NEAR(static_cast<double>(lines[0].v[1]), static_cast<double>(Di / 2 * std::sin(a0)), 1e-9);
    // Its outer end straight below the centre, N + 1 layers out.
    const long double rEnd = Di / 2 + (c.turns + 1) * t;
    bool end = false, inner = false;
    for (const auto& l : lines) {
      end = end || (Near(l.v[2], 0, 1e-9L) && Near(l.v[3], -rEnd, 1e-9L));
      inner = inner || SameLine(l, Di / 2 * std::cos(a0), Di / 2 * std::sin(a0), (Di / 2 + t) * std::cos(a0),
                                (Di / 2 + t) * std::sin(a0));
    }
    EXPECT_TRUE(end);
    EXPECT_TRUE(inner) << "the inner strip end is radial at the start of the spiral";
    RegisterCadWriter(CadOutput::Txt, nullptr);
  }
}

// Dimensions the calculation has not checked (no calculation since they were typed): no view may
// hand a division by zero on to the output.
TEST_F(SpringViewTest, DegenerateDimensionsGiveOnlyFiniteNumbers) {
  struct Case {
    long double De, b;
  };
  for (const Case c : {Case{0, 0}, Case{-10, 0}, Case{-10, 16.363636363636363636L}}) {
    SCOPED_TRACE(static_cast<double>(c.De));
    spring.product.OuterDiameter = c.De;
    spring.family.BandWidth = c.b;
    for (uint16_t v = 1; v <= 8; ++v) {
      RecordingWriter& w = Register(5, "txt", false);
      DrawSpringView(spring, 5, v);
      EXPECT_FALSE(programState.ErrorFlag) << "view " << v;
      for (const auto& call : w.calls)
        for (long double x : call.v) ASSERT_TRUE(std::isfinite(x)) << "view " << v << " " << call.op;
      for (const auto& ins : w.only("insert")) EXPECT_GT(ins.v[3], 0) << "view " << v << " " << ins.text;
      RegisterCadWriter(CadOutput::Txt, nullptr);
    }
  }
}

TEST_F(SpringViewTest, RedrawCurrentViewDrawsTheViewOfResultGraphic) {
  const std::pair<int32_t, uint16_t> table[] = {{1, 2}, {2, 6}, {3, 1}, {4, 3}, {5, 1},
                                                {0, 6}, {6, 6}, {99, 6}, {-1, 6}};
  for (const auto& [rg, view] : table) {
    SCOPED_TRACE(rg);
    EXPECT_EQ(ViewOfResultGraphic(rg), view);
    InitGraphicsState();
    DrawSpringView(spring, 3, view);
    const std::vector<std::string> expected = graphicsState.DisplayList;
    InitGraphicsState();
    desktopSettings.ResultGraphic = rg;
    RedrawCurrentView(spring);
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_GT(expected.size(), 50u);
    EXPECT_EQ(graphicsState.DisplayList, expected);
  }
}

// Each spring drawn is the spring given: a second spring drawn after the first shows its own
// names, title lines, changes and dimensions, and the first drawn again gives its first picture.
TEST_F(SpringViewTest, TwoSpringsDrawnOneAfterTheOtherEachGiveTheirOwnPicture) {
  Spring other = spring;
  other.family.DrawingName = "Rollfeder";
  other.family.DrawingNumber = "QV-0815";
  other.TitleLines[2] = "Andere Zeile";
  other.drawing.ChangeCount = 1;
  other.drawing.ChangeRecords[1] = {"IDX-A", "2024-01-02", "ed", "Neu"};
  other.drawing.TitleDrawnBy = "Meier";
  other.family.BandThickness = 0.4L;
  other.product.OuterDiameter = 100;
  const CalcOutcome out = Calculate(other, other.family.MaterialRec);
  ASSERT_FALSE(out.fatal);
  other.family = out.family;
  other.product = out.product;

  cadSettings.DwgShowChanges = true;
  const auto draw = [](const Spring& s, uint16_t view) {
    InitGraphicsState();
    DrawSpringView(s, 3, view);
    EXPECT_FALSE(programState.ErrorFlag);
    return graphicsState.DisplayList;
  };
  const auto texts = [] {
    std::vector<std::string> t;
    for (const auto& r : Records(RecText)) t.push_back(r.text);
    return t;
  };
  const auto has = [](const std::vector<std::string>& v, const std::string& t) {
    return std::find(v.begin(), v.end(), t) != v.end();
  };
  // Where each view shows the other spring's own texts.
  const std::vector<std::vector<std::string>> own = {
      {},
      {"Rollfeder", "QV-0815", "IDX-A", "Meier"},
      {"QV-0815 Rollfeder", "Andere Zeile", " " + LengthStr(0.4L)},
      {},
      {"sigma2 = " + StressFix(4, 0, other.family.Stress2) + " MPa"},
      {"sigma2 = " + StressFix(4, 0, other.family.Stress2) + " MPa"},
      {"QV-0815 Rollfeder", "Andere Zeile"},
      {LengthStr(100), LengthStr(0.4L)},
      {},
  };
  for (uint16_t v = 1; v <= 8; ++v) {
    SCOPED_TRACE("view " + std::to_string(v));
    const std::vector<std::string> first = draw(spring, v);
    const std::vector<std::string> firstTexts = texts();
    const std::vector<std::string> second = draw(other, v);
    const std::vector<std::string> secondTexts = texts();
    EXPECT_NE(second, first);
    for (const std::string& t : own[v]) {
      EXPECT_TRUE(has(secondTexts, t)) << t;
      EXPECT_FALSE(has(firstTexts, t)) << t;
    }
    EXPECT_EQ(draw(spring, v), first);
  }
}

// Without the title block the frame draws nothing; its block must still be there for its insertion.
TEST_F(SpringViewTest, WithoutTitleBlockTheFrameIsAnEmptyBlockInEveryFormat) {
  cadSettings.DwgNoTitleBlock = true;
  DrawSpringView(spring, 1, 1);
  ASSERT_FALSE(programState.ErrorFlag);
  const DxfCheck c = CheckDxf(BatchFile("dxf"));
  ASSERT_EQ(c.exitCode, 0) << c.output;
  EXPECT_TRUE(c.has("audit errors=0 fixes=0"));
  const auto at = std::find(c.lines.begin(), c.lines.end(), "block frame_1 base=(0,0)");
  ASSERT_NE(at, c.lines.end()) << c.output;
  ASSERT_NE(at + 1, c.lines.end());
  EXPECT_EQ((at + 1)->rfind("block ", 0), 0u) << "frame_1 holds " << *(at + 1);
  EXPECT_TRUE(c.has("  INSERT layer=0 frame_1 (0,0) sx=1 sy=1 rot=0"));

  // Screen: the block file is written and read back without a complaint.
  DrawSpringView(spring, 3, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(Messages().empty());

  RegisterIgesWriter();
  RegisterTxtWriter();
  RegisterStlWriter();
  for (const auto& [code, ext] : {std::pair<uint16_t, const char*>{2, "igs"}, {5, "txt"}, {6, "stl"}}) {
    SCOPED_TRACE(ext);
    DrawSpringView(spring, code, 1);
    EXPECT_FALSE(programState.ErrorFlag) << (Messages().empty() ? "" : Messages().back());
    EXPECT_TRUE(std::filesystem::exists(BatchFile(ext)));
  }
  EXPECT_TRUE(Messages().empty());
}

// A command-line run ("/CADi:j") asks nothing, not even the STL height: the walls take the
// height of the view's page (b for the two spring views, else 1).
TEST_F(SpringViewTest, EveryViewIsWrittenAsIgesTxtAndStlWithoutAQuestion) {
  RegisterIgesWriter();
  RegisterTxtWriter();
  RegisterStlWriter();
  for (const auto& [code, ext] : {std::pair<uint16_t, const char*>{2, "igs"}, {5, "txt"}, {6, "stl"}}) {
    for (uint16_t v = 1; v <= 8; ++v) {
      SCOPED_TRACE(std::string(ext) + " view " + std::to_string(v));
      std::filesystem::remove(BatchFile(ext));
      scriptedPrompter().clear();
      DrawSpringView(spring, code, v);
      EXPECT_FALSE(programState.ErrorFlag) << (Messages().empty() ? "" : Messages().back());
      EXPECT_TRUE(scriptedPrompter().asked().empty()) << scriptedPrompter().asked().front().text;
      ASSERT_TRUE(std::filesystem::exists(BatchFile(ext)));
      EXPECT_GT(std::filesystem::file_size(BatchFile(ext)), 200u);
      if (code == 6) {
        EXPECT_TRUE(Near(cadrun.StlHeight, v >= 7 ? spring.family.BandWidth : 1.0L)) << cadrun.StlHeight;
      }
    }
  }
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace qorva::cadtest
