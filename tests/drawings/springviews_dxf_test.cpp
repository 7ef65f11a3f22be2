// The spring views written as DXF files in batch mode and read back by ezdxf: every view audits
// clean, defines the blocks it inserts and carries the texts and dimensions it must show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/utilstr.h"
#include "tests/drawings/springviews_fixture.h"

namespace qorva::cadtest {
namespace {

class SpringViewDxfTest : public SpringViewTest {
 protected:
  DxfCheck WriteView(uint16_t view) {
    std::filesystem::remove(BatchFile("dxf"));
    DrawSpringView(spring, 1, view);
    EXPECT_FALSE(programState.ErrorFlag) << "view " << view;
    EXPECT_TRUE(std::filesystem::exists(BatchFile("dxf"))) << "view " << view;
    return CheckDxf(BatchFile("dxf"));
  }
};

std::vector<std::string> Blocks(const DxfCheck& c) {
  std::vector<std::string> out;
  for (const auto& l : c.lines)
    if (l.rfind("block ", 0) == 0) out.push_back(l.substr(6, l.find(' ', 6) - 6));
  return out;
}

// The model-space INSERT lines without their layer.
std::vector<std::string> Inserts(const DxfCheck& c) {
  std::vector<std::string> out;
  bool entities = false;
  for (const auto& l : c.lines) {
    if (l == "entities") entities = true;
    const auto p = l.find("INSERT layer=");
    if (entities && p != std::string::npos) out.push_back(l.substr(l.find(' ', p + 13) + 1));
  }
  return out;
}

size_t Count(const std::vector<std::string>& v, const std::string& t) {
  return static_cast<size_t>(std::count(v.begin(), v.end(), t));
}

struct ViewCase {
  uint16_t view;
  std::vector<std::string> blocks;
  std::vector<std::string> inserts;
};

// De 85, b 50: the production drawing takes 180 / 208 rounded down to 0.5, Quick 3 60 / 208 as it is.
const std::vector<ViewCase> kViews = {
    {1, {"frame_1", "feder", "federsa"},
     {"frame_1 (0,0) sx=1 sy=1 rot=0", "feder (118,220) sx=0.5 sy=0.5 rot=0", "federsa (28,220) sx=0.5 sy=0.5 rot=0"}},
    {2, {"feder", "federsa"}, {"feder (30,80) sx=0.352941 sy=0.352941 rot=0"}},
    {3, {}, {}},
    {4, {}, {}},
    {5, {}, {}},
    {6, {"goodman", "feder", "federsa"},
     {"feder (36,100) sx=0.288462 sy=0.288462 rot=0", "federsa (2,100) sx=0.288462 sy=0.288462 rot=0",
      "goodman (70,0) sx=0.58 sy=0.55 rot=0"}},
    {7, {}, {}},
    {8, {}, {}},
};

TEST_F(SpringViewDxfTest, EveryViewAuditsCleanWithItsBlocksTextsAndDimensions) {
  const std::string F2 = ForceStr(spring.product.Force2);
  const std::string De = LengthStr(spring.product.OuterDiameter), Di = LengthStr(spring.product.InnerDiameter);
  const std::string t = LengthStr(spring.family.BandThickness), b = LengthStr(spring.family.BandWidth);
  const std::string dims = " Abmessungen", mat = " Werkstoff";
  const std::string force = " " + ForceFix(5, 2, spring.product.Force2), travel = " " + LengthFix(6, 0, spring.product.Travel2);
  const std::vector<std::vector<std::string>> texts = {
      {},
      // production drawing: title block fields, scale, dimension table, material, force; the views
      // with their dimensions inside their blocks
      {"QV-4711", "Konstantkraftfeder", "Zweite Zeile", "M 1:2", dims, " 1037", "F = " + F2 + " N",
       "Federband EN 10270-1 1.1248", De, Di, t, b},
      {"QV-4711 Konstantkraftfeder", "Zweite Zeile", "Titelzeile zwei", "Titelzeile drei", "  F [N]", force,
       travel, dims, mat, " E = 200000 MPa", " Sig.zul = 1400 MPa", De, Di, t, b},
      {"Federkennlinie F = " + F2 + " N", " s[mm]", "F[N]"},
      {"Goodman-Diagramm"},
      {"Haigh-Goodman-Diagramm"},
      {"QV-4711 Konstantkraftfeder", "Titelzeile drei", dims, mat, force, "Federkennlinie F = " + F2 + " N",
       "Goodman-Diagramm", De, b},
      {De, Di, t},
      {b},
  };
  for (const ViewCase& vc : kViews) {
    SCOPED_TRACE("view " + std::to_string(vc.view));
    const DxfCheck c = WriteView(vc.view);
    ASSERT_EQ(c.exitCode, 0) << c.output;
    EXPECT_TRUE(c.has("audit errors=0 fixes=0"));
    EXPECT_EQ(Blocks(c), vc.blocks);
    EXPECT_EQ(Inserts(c), vc.inserts);
    const auto found = DxfTexts(c);
    for (const auto& x : texts[vc.view]) EXPECT_TRUE(HasText(found, x)) << "missing text \"" << x << "\"";
    if (vc.view == 1) {
      EXPECT_TRUE(c.has("  TEXT layer=0 (25,275) h=3.5 text=\"M 1:2\" style=STANDARD width=0.7 rot=0 oblique=0"))
          << c.output;
    }
  }
}

// The model-space TEXT lines as "(x,y) h=<h> text" without layer and style.
std::vector<std::string> PlacedTexts(const DxfCheck& c) {
  std::vector<std::string> out;
  bool entities = false;
  for (const auto& l : c.lines) {
    if (l == "entities") entities = true;
    if (!entities || l.rfind("  TEXT layer=", 0) != 0) continue;
    const auto at = l.find(" (");
    const auto end = l.find(" style=");
    out.push_back(l.substr(at + 1, end - at - 1));
  }
  return out;
}

// Quick 1 with the start spring: the title lines 1.6 heights apart, then the three tables with
// their labels, units and number formats, each cell one blank after its column boundary (column
// widths 0.9 text heights per width unit, rows two text heights apart).
TEST_F(SpringViewDxfTest, Quick1ShowsEveryTextAtItsPlaceAndHeight) {
  const DxfCheck c = WriteView(2);
  ASSERT_EQ(c.exitCode, 0) << c.output;
  std::vector<std::string> want = {
      "(80,115) h=2 text=\"QV-4711 Konstantkraftfeder\"",
      "(80,111.8) h=2 text=\"Zweite Zeile\"",
      "(80,108.6) h=2 text=\"Titelzeile zwei\"",
      "(80,105.4) h=2 text=\"Titelzeile drei\"",
  };
  // (x, y, text) of the table cells, all 2.5 high.
  struct Cell {
    const char* x;
    const char* y;
    const char* text;
  };
  const Cell cells[] = {
      // forces at (5, 40): widths 2, 8, 8, 8, 6; numbers right-aligned in their widths
      {"5", "36.25", " i"}, {"9.5", "36.25", "  F [N]"}, {"27.5", "36.25", " s [mm]"},
      {"45.5", "36.25", " sig.b MPa"}, {"63.5", "36.25", " sig.b/Rm"},
      {"5", "31.25", " 2"}, {"9.5", "31.25", "    30.05"}, {"27.5", "31.25", "    637"},
      {"45.5", "31.25", "     1250"}, {"63.5", "31.25", "    0.63"},
      {"5", "26.25", " n"}, {"9.5", "26.25", "    37.69"}, {"27.5", "26.25", "    637"},
      {"45.5", "26.25", "     1400"}, {"63.5", "26.25", "    0.70"},
      // dimensions at (80, 100): widths 4, 3, 6
      {"80", "96.25", " Abmessungen"}, {"89", "96.25", " "}, {"95.75", "96.25", " "},
      {"80", "91.25", " t"}, {"89", "91.25", " mm"}, {"95.75", "91.25", " 0.5"},
      {"80", "86.25", " b"}, {"89", "86.25", " mm"}, {"95.75", "86.25", " 50"},
      {"80", "81.25", " De"}, {"89", "81.25", " mm"}, {"95.75", "81.25", " 85"},
      {"80", "76.25", " Di"}, {"89", "76.25", " mm"}, {"95.75", "76.25", " 80"},
      {"80", "71.25", " Dn"}, {"89", "71.25", " mm"}, {"95.75", "71.25", " 80"},
      {"80", "66.25", " N"}, {"89", "66.25", " "}, {"95.75", "66.25", " 4"},
      {"80", "61.25", " L flat"}, {"89", "61.25", " mm"}, {"95.75", "61.25", " 1037"},
      {"80", "56.25", " m"}, {"89", "56.25", " g"}, {"95.75", "56.25", " 204.8"},
      // material at (112, 100): one column of width 20; at 20 degrees no second modulus
      {"112", "96.25", " Werkstoff"}, {"112", "91.25", " Federband EN 10270-1"}, {"112", "86.25", " C75S"},
      {"112", "81.25", " 1.1248"}, {"112", "76.25", " "}, {"112", "71.25", " E = 200000 MPa"},
      {"112", "66.25", " Rm = 2000 MPa"}, {"112", "61.25", " Sig.zul = 1400 MPa"},
  };
  for (const Cell& cell : cells)
    want.push_back(std::string("(") + cell.x + "," + cell.y + ") h=2.5 text=\"" + cell.text + "\"");
  EXPECT_EQ(PlacedTexts(c), want) << c.output;
}

// A designation longer than the material table's cell goes on over as many rows as it needs, broken
// at its blanks; the rows below move down with it.
TEST_F(SpringViewDxfTest, ALongDesignationIsBrokenOverRowsOfItsCell) {
  spring.family.MaterialRec.Text1 = "1.4310 X10CrNi18-8 EN 10151 +C1300 Federband nichtrostend";
  const DxfCheck c = WriteView(2);
  ASSERT_EQ(c.exitCode, 0) << c.output;
  const auto got = PlacedTexts(c);
  for (const char* t : {"(112,91.25) h=2.5 text=\" 1.4310 X10CrNi18-8 EN\"",
                        "(112,86.25) h=2.5 text=\" 10151 +C1300 Federband\"",
                        "(112,81.25) h=2.5 text=\" nichtrostend\"", "(112,76.25) h=2.5 text=\" C75S\"",
                        "(112,61.25) h=2.5 text=\" E = 200000 MPa\""})
    EXPECT_TRUE(HasText(got, t)) << "missing " << t << "\n" << c.output;
}

TEST(WrapCellText, BreaksAtBlanksAndCutsWordsLongerThanALine) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {""}},
      {"C75S", {"C75S"}},
      {"1.4310 X10CrNi18-8 EN 10151 +C1300", {"1.4310 X10CrNi18-8", "EN 10151 +C1300"}},
      {"  two  blanks  ", {"two blanks"}},
      {"Federbandstahlbezeichnung", {"Federbandstahlbeze", "ichnung"}},
      {"exactly eighteen c", {"exactly eighteen c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapCellText(c.text, 18), c.lines) << c.text;
}

// The production drawing and Quick 3 place their texts and tables where their layout says.
TEST_F(SpringViewDxfTest, ProductionAndQuick3PlaceTheirTextsAndTables) {
  struct Case {
    uint16_t view;
    bool isStatic;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {1, false,
       {"(25,275) h=3.5 text=\"M 1:2\"", "(50,116.25) h=2.5 text=\" Abmessungen\"",
        "(50,76.25) h=2.5 text=\" m\"", "(50,64) h=3.5 text=\"Federband EN 10270-1 1.1248\"",
        "(150,100) h=3.5 text=\"F = 30.05 N\""}},
      // titles 1.3 high, 1.6 heights apart; tables 1.3 high at y 110
      {6, false,
       {"(75,116) h=1.3 text=\"QV-4711 Konstantkraftfeder\"", "(75,113.92) h=1.3 text=\"Zweite Zeile\"",
        "(120,116) h=1.3 text=\"Titelzeile zwei\"", "(120,113.92) h=1.3 text=\"Titelzeile drei\"",
        "(75,108.05) h=1.3 text=\" Abmessungen\"", "(93,108.05) h=1.3 text=\" Werkstoff\"",
        "(120,108.05) h=1.3 text=\" i\"", "(122.34,108.05) h=1.3 text=\"  F [N]\""}},
      // static: the larger copy of the material table in the place of the Goodman diagram
      {6, true, {"(93,108.05) h=1.3 text=\" Werkstoff\"", "(80,47.75) h=1.5 text=\" Werkstoff\"",
                 "(80,35.75) h=1.5 text=\" \"", "(80,32.75) h=1.5 text=\" E = 200000 MPa\""}},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE("view " + std::to_string(cs.view) + (cs.isStatic ? " static" : ""));
    if (cs.isStatic) MakeStatic();
    const DxfCheck c = WriteView(cs.view);
    ASSERT_EQ(c.exitCode, 0) << c.output;
    const auto got = PlacedTexts(c);
    for (const auto& t : cs.texts) EXPECT_TRUE(HasText(got, t)) << "missing " << t << "\n" << c.output;
  }
}

// The spring at full size (De 85, Di 80, t 0.5, b 50; dimension scale (De + b) / 100 = 1.35): the
// free strip and the side view's outline and axis, and the extension lines of every dimension,
// which end one dimension scale beyond their dimension line (De at x 1.15 De, t at 1.1 De, Di
// across the centre, b at y -0.6 De).
TEST_F(SpringViewDxfTest, TheSpringViewsDrawTheirOutlinesAndDimensionsAtFullSize) {
  const std::pair<uint16_t, std::vector<std::string>> cases[] = {
      {7,
       {"LINE layer=5 (0,-42.5) (85,-42.5)", "LINE layer=5 (85,-42.5) (85,-42)", "LINE layer=5 (85,-42) (0,-42)",
        "LINE layer=3 (85,-42.5) (99.1,-42.5)", "LINE layer=3 (0,42.5) (99.1,42.5)",
        "LINE layer=3 (85,-42.5) (94.85,-42.5)", "LINE layer=3 (85,-42) (94.85,-42)",
        "LINE layer=3 (-40,0) (-40,1.35)", "LINE layer=3 (40,0) (40,1.35)"}},
      {8,
       {"LINE layer=1 (-2.5,0) (52.5,0)", "LINE layer=5 (0,-42) (50,-42)", "LINE layer=3 (0,-42.5) (0,-52.35)",
        "LINE layer=3 (50,-42.5) (50,-52.35)"}},
  };
  for (const auto& [view, lines] : cases) {
    SCOPED_TRACE("view " + std::to_string(view));
    const DxfCheck c = WriteView(view);
    ASSERT_EQ(c.exitCode, 0) << c.output;
    for (const auto& l : lines) EXPECT_TRUE(c.has("  " + l)) << "missing " << l << "\n" << c.output;
  }
}

TEST_F(SpringViewDxfTest, StaticQuick3ShowsTheMaterialTwiceAndNoGoodmanDiagram) {
  MakeStatic();
  ASSERT_FALSE(programState.FatalError);
  const DxfCheck c = WriteView(6);
  ASSERT_EQ(c.exitCode, 0) << c.output;
  // The block is defined all the same, but not inserted.
  EXPECT_EQ(Blocks(c), (std::vector<std::string>{"goodman", "feder", "federsa"}));
  for (const auto& i : Inserts(c)) EXPECT_EQ(i.find("goodman"), std::string::npos) << i;
  const auto found = DxfTexts(c);
  EXPECT_EQ(Count(found, " Werkstoff"), 2u);
  // The modulus at the working temperature, the temperature in degrees Celsius.
  EXPECT_EQ(Count(found, " E120 = " + StressFix(6, 0, spring.family.OperatingEModulus) + " MPa"), 2u);
}

TEST_F(SpringViewDxfTest, TheSummaryPagesShowTheCalculationMessagesOnlyWhenThereAreAny) {
  ASSERT_EQ(errorList.ErrorCount, 0);
  const std::string msg = "Warnung: Dicke zu gross";
  for (uint16_t v : {2, 6}) {
    SCOPED_TRACE("view " + std::to_string(v));
    errorList.ErrorCount = 0;
    auto quiet = DxfTexts(WriteView(v));
    EXPECT_FALSE(HasText(quiet, " " + msg));
    AddErrorMsg(msg);
    const DxfCheck c = WriteView(v);
    ASSERT_EQ(c.exitCode, 0) << c.output;
    // One message: the table is its heading row alone.
    EXPECT_EQ(Count(DxfTexts(c), " " + msg), 1u);
  }
}

TEST_F(SpringViewDxfTest, EnglishUnitsChangeTheTextsButNotTheGeometry) {
  desktopSettings.UnitSystem = 1;
  const DxfCheck front = WriteView(7);
  ASSERT_EQ(front.exitCode, 0) << front.output;
  const auto texts = DxfTexts(front);
  EXPECT_TRUE(HasText(texts, LengthStr(85)));
  EXPECT_NE(LengthStr(85), "85");
  EXPECT_FALSE(HasText(texts, "85"));
  // The free strip is still one outer diameter (85 mm) long.
  EXPECT_TRUE(front.has("  LINE layer=5 (0,-42.5) (85,-42.5)")) << front.output;

  const DxfCheck quick1 = WriteView(2);
  ASSERT_EQ(quick1.exitCode, 0) << quick1.output;
  const auto q = DxfTexts(quick1);
  EXPECT_TRUE(HasText(q, "  F [lbf]"));
  EXPECT_TRUE(HasText(q, " s [inch]") || HasText(q, " s [in]")) << quick1.output;
  EXPECT_TRUE(HasText(q, " E = " + StressFix(6, 0, spring.family.EModulus) + " psi"));
  EXPECT_TRUE(quick1.has("  INSERT layer=18 feder (30,80) sx=0.352941 sy=0.352941 rot=0")) << quick1.output;
}

}  // namespace
}  // namespace qorva::cadtest
