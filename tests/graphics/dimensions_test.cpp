#include "graphics/dimensions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/desktopsettings.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsstate.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

// Display-list records carry 8 significant digits.
constexpr long double Eps = 1e-5L;
constexpr double AngleEps = 1e-4;
constexpr long double Deg = 180.0L / std::numbers::pi_v<long double>;

struct Pt {
  long double x, y;
};

long double dist(Pt a, Pt b) { return std::hypot(a.x - b.x, a.y - b.y); }
// Direction from a to b in degrees, 0..360.
long double dirDeg(Pt a, Pt b) {
  long double d = std::atan2(b.y - a.y, b.x - a.x) * Deg;
  return d < -Eps ? d + 360.0L : d;
}
long double angleDiff(long double a, long double b) {
  long double d = std::fmod(std::fabs(a - b), 360.0L);
  return std::min(d, 360.0L - d);
}

// Dimensions drawn on the screen output; the records of the display list are what they drew.
class DimensionsScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitCadKernel();
    InitGraphicsState();
    programState.TempDir = dir_.path().string();
    programState.ErrorFlag = false;
    CadBeginOutput(3);
    ASSERT_FALSE(programState.ErrorFlag);
    graphicsState.DisplayList.clear();
  }
  void TearDown() override {
    CadEndOutput();
    InitGraphicsState();
    InitCadKernel();
    InitAllSettings();
  }

  std::vector<DisplayRecordFields> records(int32_t type) const {
    std::vector<DisplayRecordFields> out;
    for (const auto& rec : graphicsState.DisplayList) {
      DisplayRecordFields f;
      std::string bad;
      EXPECT_TRUE(ReadDisplayRecord(rec, f, bad)) << rec;
      if (f.type == type) out.push_back(f);
    }
    return out;
  }

  // The arrows drawn: tip, the two barbs and the back of the head, and the end of the shaft (the line
  // drawn right after the head).
  struct Arrow {
    Pt tip, barb1, barb2, back, shaftEnd;
  };
  std::vector<Arrow> arrows() const {
    std::vector<Arrow> out;
    bool wantShaft = false;
    for (const auto& rec : graphicsState.DisplayList) {
      DisplayRecordFields s;
      std::string bad;
      EXPECT_TRUE(ReadDisplayRecord(rec, s, bad)) << rec;
      if (s.type == RecSolid) {
        EXPECT_FALSE(wantShaft) << "a head without its shaft";
        out.push_back({{s.f[1], s.f[2]}, {s.f[3], s.f[4]}, {s.f[5], s.f[6]}, {s.f[7], s.f[8]}, {0, 0}});
        wantShaft = true;
      } else if (s.type == RecLine && wantShaft) {
        EXPECT_LT(dist({s.f[1], s.f[2]}, out.back().tip), Eps) << "the shaft starts at the tip";
        out.back().shaftEnd = {s.f[3], s.f[4]};
        wantShaft = false;
      }
    }
    EXPECT_FALSE(wantShaft) << "a head without its shaft";
    return out;
  }
  std::optional<Arrow> arrowAt(Pt tip) const {
    for (const auto& a : arrows())
      if (dist(a.tip, tip) < Eps) return a;
    return std::nullopt;
  }

  test::ScratchDir dir_;
};

TEST_F(DimensionsScreenTest, ArrowHasTipAtThePointAndExtendsInItsDirection) {
  struct Case {
    long double angle, ds;
  };
  for (const Case& c : {Case{0, 1}, Case{90, 1}, Case{180, 2}, Case{270, 1}, Case{30, 2.5L}, Case{-135, 1}}) {
    graphicsState.DisplayList.clear();
    cadrun.DimScale = c.ds;
    CadArrow(10, 20, c.angle);
    auto all = arrows();
    ASSERT_EQ(all.size(), 1u);
    const Arrow& a = all[0];
    const long double len = 3.5L * c.ds;
    EXPECT_NEAR(a.tip.x, 10, Eps);
    EXPECT_NEAR(a.tip.y, 20, Eps);
    EXPECT_NEAR(dist(a.tip, a.barb1), len, Eps);
    EXPECT_NEAR(dist(a.tip, a.barb2), len, Eps);
    EXPECT_NEAR(dist(a.tip, a.back), len, Eps);
    EXPECT_NEAR(dist(a.tip, a.shaftEnd), len, Eps);
    EXPECT_NEAR(angleDiff(dirDeg(a.tip, a.barb1), c.angle + 10), 0, AngleEps) << static_cast<double>(c.angle);
    EXPECT_NEAR(angleDiff(dirDeg(a.tip, a.barb2), c.angle - 10), 0, AngleEps) << static_cast<double>(c.angle);
    EXPECT_NEAR(angleDiff(dirDeg(a.tip, a.back), c.angle), 0, AngleEps) << static_cast<double>(c.angle);
    EXPECT_NEAR(angleDiff(dirDeg(a.tip, a.shaftEnd), c.angle), 0, AngleEps) << static_cast<double>(c.angle);
  }
}

TEST_F(DimensionsScreenTest, ArrowHeadTakesItsOwnHalfAngleAndLengths) {
  CadArrowHead(0, 0, 90, 20, 4, 9);
  auto all = arrows();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_NEAR(angleDiff(dirDeg(all[0].tip, all[0].barb1), 110), 0, AngleEps);
  EXPECT_NEAR(angleDiff(dirDeg(all[0].tip, all[0].barb2), 70), 0, AngleEps);
  EXPECT_NEAR(dist(all[0].tip, all[0].back), 4, Eps);
  EXPECT_NEAR(all[0].shaftEnd.x, 0, Eps);
  EXPECT_NEAR(all[0].shaftEnd.y, 9, Eps);
}

// One dimension between a and b: where the arrows point, where the value text stands and which text
// style stays in force.
struct DimCase {
  const char* name;
  bool vertical;
  long double a, b, at, ds;
  std::string upperTol;
  bool outside;
  Pt text;  // start of the value text
};

void PrintTo(const DimCase& c, std::ostream* os) { *os << c.name; }

class DimensionsLineTest : public DimensionsScreenTest, public ::testing::WithParamInterface<DimCase> {};

TEST_P(DimensionsLineTest, ArrowsTextAndStyle) {
  const DimCase& c = GetParam();
  cadrun.DimScale = c.ds;
  if (c.vertical) {
    CadDimVert("12.5", c.upperTol, "", c.a, c.b, c.at);
  } else {
    CadDimHorz("12.5", c.upperTol, "", c.a, c.b, c.at);
  }
  auto pt = [&](long double along) { return c.vertical ? Pt{c.at, along} : Pt{along, c.at}; };
  const long double lo = std::min(c.a, c.b), hi = std::max(c.a, c.b);

  // The dimension line from end to end.
  bool line = false;
  for (const auto& l : records(RecLine)) {
    Pt p1{l.f[1], l.f[2]}, p2{l.f[3], l.f[4]};
    if ((dist(p1, pt(lo)) < Eps && dist(p2, pt(hi)) < Eps) || (dist(p1, pt(hi)) < Eps && dist(p2, pt(lo)) < Eps))
      line = true;
  }
  EXPECT_TRUE(line);

  // An arrow at each end, its head inside the dimension or, for a short one, outside it.
  ASSERT_EQ(arrows().size(), 2u);
  for (long double end : {lo, hi}) {
    const auto a = arrowAt(pt(end));
    ASSERT_TRUE(a.has_value()) << static_cast<double>(end);
    long double back = c.vertical ? a->back.y : a->back.x;
    bool headOutside = back < lo - Eps || back > hi + Eps;
    EXPECT_EQ(headOutside, c.outside) << static_cast<double>(end);
    EXPECT_NEAR(dist(a->tip, a->back), 3.5L * c.ds, Eps);
  }

  auto texts = records(RecText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "12.5");
  EXPECT_NEAR(texts[0].f[1], c.text.x, Eps);
  EXPECT_NEAR(texts[0].f[2], c.text.y, Eps);

  // The value text was 3.5 DS high; the tolerance style stays in force.
  auto styles = records(RecTextStyle);
  ASSERT_EQ(styles.size(), 2u);
  const long double angle = c.vertical ? 90.0L : 0.0L;
  EXPECT_NEAR(styles[0].f[1], 3.5L * c.ds, Eps);
  EXPECT_NEAR(styles[0].angle, angle, Eps);
  EXPECT_NEAR(cadrun.TextHeight, 2.5L * c.ds, Eps);
  EXPECT_NEAR(cadrun.TextWidthFactor, 1.8L / 2.5L, Eps);
  EXPECT_NEAR(cadrun.TextAngle, angle, Eps);
}

// Text widths on the screen (GraphTextWidth 0.8, CadTextWidth 1): "12.5" is 4 x 2.5 x 0.8 x 1.2 = 9.6 DS
// wide horizontally and 4 x 2.5 x (2.5 / 3.5) x 1.2 = 8.5714286 DS vertically; an empty tolerance adds
// 1.8 x (2.5 / 3.5) x 1.1 = 1.4142857 DS, each tolerance character as much again. A short dimension,
// whose arrows point in from outside, has its text beyond the upper (right) arrow: 3.5 DS of arrow
// and 1 DS clear of it.
INSTANTIATE_TEST_SUITE_P(
    Dimensions, DimensionsLineTest,
    ::testing::Values(
        DimCase{"Horz10IsShort", false, 0, 10, 5, 1, "", true, {10 + 4.5L, 6}},
        DimCase{"Horz10_01IsLong", false, 0, 10.01L, 5, 1, "", false, {5.005L - 5.5071429L, 6}},
        DimCase{"HorzReversedIsTheSame", false, 10, 0, 5, 1, "", true, {10 + 4.5L, 6}},
        DimCase{"HorzLongReversed", false, 40, 0, -3, 1, "", false, {20 - 5.5071429L, -2}},
        DimCase{"HorzScale2Short", false, 0, 20, 0, 2, "", true, {20 + 9, 2}},
        DimCase{"HorzScale2Long", false, 0, 20.02L, 0, 2, "", false, {10.01L - 11.0142857L, 2}},
        DimCase{"HorzToleranceWidensText", false, 0, 40, 0, 1, "+0.1", false, {20 - 5.5071429L - 2.8285714L, 1}},
        DimCase{"Vert30", true, 0, 30, 50, 1, "", false, {49, 15 - 4.9928571L}},
        DimCase{"Vert10IsShort", true, 10, 0, 50, 1, "", true, {49, 10 + 4.5L}},
        DimCase{"VertScale2", true, 100, 40, -10, 2, "", false, {-12, 70 - 9.9857143L}}),
    [](const ::testing::TestParamInfo<DimCase>& i) { return std::string(i.param.name); });

TEST_F(DimensionsScreenTest, ExtensionLinesEndOneScaleBeyondTheDimensionLine) {
  struct Case {
    bool vertical;
    long double p1, p2, dim, end;  // p1, p2: the across coordinates of the two points
  };
  // Only the first point decides the side.
  for (const Case& c : {Case{false, 30, 5, 10, 8}, Case{false, 5, 30, 10, 12}, Case{false, 10, 30, 10, 12},
                        Case{true, 30, 5, 10, 8}, Case{true, 5, 30, 10, 12}, Case{true, 10, -30, 10, 12}}) {
    graphicsState.DisplayList.clear();
    cadrun.DimScale = 2;
    if (c.vertical) {
      CadDimVertExt("40", "", "", c.p1, 0, c.p2, 40, c.dim);
    } else {
      CadDimHorzExt("40", "", "", 0, c.p1, 40, c.p2, c.dim);
    }
    auto lines = records(RecLine);
    ASSERT_GE(lines.size(), 2u);
    auto at = [&](long double across, long double along) {
      return c.vertical ? Pt{across, along} : Pt{along, across};
    };
    for (int i = 0; i < 2; ++i) {
      const long double along = i == 0 ? 0 : 40;
      const long double from = i == 0 ? c.p1 : c.p2;
      EXPECT_LT(dist({lines[i].f[1], lines[i].f[2]}, at(from, along)), Eps) << i;
      EXPECT_LT(dist({lines[i].f[3], lines[i].f[4]}, at(c.end, along)), Eps) << i;
    }
    // Then the dimension itself at dim.
    EXPECT_TRUE(arrowAt(at(c.dim, 0)).has_value());
    EXPECT_TRUE(arrowAt(at(c.dim, 40)).has_value());
  }
}

TEST_F(DimensionsScreenTest, TinyDimensionFactorNeverShrinksArrowsToNothing) {
  cadSettings.DimensionFactor = 0.01L;
  CadSetDimScale(0.5L);
  EXPECT_EQ(cadrun.DimScale, 1.0L);
  CadArrow(0, 0, 0);
  auto all = arrows();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_NEAR(dist(all[0].tip, all[0].back), 3.5L, Eps);
}

// The same dimensions written as a DXF file: a third-party reader accepts it and finds them in place.
TEST(CadDimDxfTest, DimensionsInADxfFilePassTheAuditAndKeepTheirGeometry) {
  InitAllSettings();
  InitCadKernel();
  test::ScratchDir dir;
  programState.TempDir = dir.path().string();
  desktopSettings.CadBatchMode = true;
  cadSettings.ExecCadFile = false;
  programState.CurrentFileName = (dir / "dims").string();
  programState.ErrorFlag = false;

  CadBeginOutput(1);
  ASSERT_FALSE(programState.ErrorFlag);
  CadPageSetupDefault();
  CadWriteTables(0);
  CadBeginEntities();
  CadSetColor(1);
  CadDimHorzExt("40", "", "", 10, 50, 50, 30, 20);  // ext lines down to 19
  CadDimVertExt("25.5", "", "", 100, 10, 90, 35.5L, 80);  // ext lines left to 79, text rotated
  CadSetDimScale(2);
  CadDimHorz("8", "", "", 0, 20, 100);  // short at DS 2: arrows outside
  CadArrow(60, 60, 30);
  CadEndSection();
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  const auto file = dir / "dims.dxf";
  ASSERT_TRUE(std::filesystem::exists(file));

  const std::string script =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "a = doc.audit()\n"
      "print('errors', len(a.errors))\n"
      "f = lambda *vs: ' '.join('%.4f' % v for v in vs)\n"
      "for e in doc.modelspace():\n"
      "  t = e.dxftype(); l = e.dxf.layer\n"
      "  if t == 'LINE': print(t, l, f(e.dxf.start.x, e.dxf.start.y, e.dxf.end.x, e.dxf.end.y))\n"
      "  elif t == 'SOLID': print(t, l, f(*[c for p in ('vtx0', 'vtx1', 'vtx2', 'vtx3') "
      "for c in (e.dxf.get(p).x, e.dxf.get(p).y)]))\n"
      "  elif t == 'TEXT': print(t, l, e.dxf.text, f(e.dxf.insert.x, e.dxf.insert.y, e.dxf.height, "
      "e.dxf.rotation), '%.2f' % e.dxf.width)\n";
  test::writeFile(dir / "check.py", script);
  auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + (dir / "check.py").string() + "' '" +
                            file.string() + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string& out = r.output;
  EXPECT_NE(out.find("errors 0\n"), std::string::npos) << out;

  // Extension lines on layer 3, 1 DS beyond the dimension line.
  EXPECT_NE(out.find("LINE 3 10.0000 50.0000 10.0000 19.0000\n"), std::string::npos) << out;
  EXPECT_NE(out.find("LINE 3 50.0000 30.0000 50.0000 19.0000\n"), std::string::npos) << out;
  EXPECT_NE(out.find("LINE 3 100.0000 10.0000 79.0000 10.0000\n"), std::string::npos) << out;
  EXPECT_NE(out.find("LINE 3 90.0000 35.5000 79.0000 35.5000\n"), std::string::npos) << out;
  // Outside the screen the width factor is CadTextWidth: "40" is 2 x 2.5 x 1.2 + 1.4142857 = 7.4142857
  // wide, so it starts at 30 - 3.7071; the vertical text reads upwards 1 DS left of its line. Width
  // factor 2.5 / 3.5.
  EXPECT_NE(out.find("TEXT 3 40 26.2929 21.0000 3.5000 0.0000 0.71\n"), std::string::npos) << out;
  EXPECT_NE(out.find("TEXT 3 25.5 79.0000 17.7571 3.5000 90.0000 0.71\n"), std::string::npos) << out;
  // The short one's text stands beyond its right arrow (7 long), half a text height clear of it.
  EXPECT_NE(out.find("TEXT 3 8 29.0000 102.0000 7.0000 0.0000 0.71\n"), std::string::npos) << out;
  // The short dimension at DS 2 from 0 to 20: arrows outside, 7 long.
  EXPECT_NE(out.find("LINE 3 20.0000 100.0000 27.0000 100.0000\n"), std::string::npos) << out;
  EXPECT_NE(out.find("LINE 3 0.0000 100.0000 -7.0000 100.0000\n"), std::string::npos) << out;
  // The arrow at 30 degrees: tip, barbs at 40 and 20 degrees, back at 30, all 7 from the tip.
  EXPECT_NE(out.find("SOLID 3 60.0000 60.0000 65.3623 64.4995 66.5778 62.3941 66.0622 63.5000\n"), std::string::npos)
      << out;
  InitCadKernel();
  InitAllSettings();
}

}  // namespace
}  // namespace qorva
