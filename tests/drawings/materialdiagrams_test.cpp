// The material diagrams: the Goodman and Haigh-Goodman diagrams of a spring under dynamic load, the
// tensile-strength and permissible-stress diagrams over the band thickness, each drawn as a DXF
// file in a batch run, on the screen and through a recording writer for the exact geometry.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "drawings/materialdiagrams.h"
#include "foundation/utilstr.h"
#include "graphics/diagramstate.h"
#include "graphics/diagrams.h"
#include "platform/services.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {
namespace {

// A line as a writer received it, with the colour in force.
struct ColouredLine {
  int colour;
  long double x1, y1, x2, y2;
};

std::vector<ColouredLine> LinesByColour(const RecordingWriter& w) {
  std::vector<ColouredLine> out;
  int colour = -1;
  for (const auto& c : w.calls) {
    if (c.op == "color") colour = static_cast<int>(c.v[0]);
    if (c.op == "line") out.push_back({colour, c.v[0], c.v[1], c.v[2], c.v[3]});
  }
  return out;
}

std::vector<std::string> Texts(const RecordingWriter& w) {
  std::vector<std::string> out;
  for (const auto& c : w.only("text")) out.push_back(c.text);
  return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

bool AnyStartsWith(const std::vector<std::string>& v, const std::string& prefix) {
  return std::any_of(v.begin(), v.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
}

bool AllFinite(const RecordingWriter& w) {
  return std::all_of(w.calls.begin(), w.calls.end(), [](const WriterCall& c) {
    return std::all_of(c.v.begin(), c.v.end(), [](long double x) { return std::isfinite(x); });
  });
}

class MaterialDiagramTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    InitDiagramState();
    services().DiagramLimitsDialog = nullptr;
    services().ShowCalcMessages = [this] { ++messageListShown; };
    desktopSettings.CadBatchMode = true;

    // A spring steel strip with Goodman data: at 1 mm sigma O 1100, sigma H0 600, slope 0.5.
    spring = Spring{};
    MaterialRecord& r = spring.family.MaterialRec;
    r.Text1 = "1.4310 EN 10151";
    r.Text3 = "X10CrNi18-8";
    r.EModInt = 185000;
    r.Rm0 = 1800;
    r.DR0 = 1;
    r.RmSlope = 300;
    r.GoodmanT0 = 1;
    r.SigO = 1100;
    r.SigH0 = 600;
    r.GoodmanSlope = 0.5;
    r.SigOShot = 1250;
    r.SigH0Shot = 700;
    r.GoodmanSlopeShot = 0.5;
    r.DMAX = 0;
    r.SigmaFactor = 0.56;  // stress scale 1: Goodman values are drawn as they are
    FamilyData& g = spring.family;
    g.ShotPeened = 'N';
    g.LoadType = 2;
    g.BandThickness = 1;
    g.EModulus = 185000;
    g.OperatingEModulus = 185000;
    g.OperatingTemperature = 20;
    g.TensileStrength = 1800;
    g.PermissibleStress = 1800 * 0.56L;
    g.Stress1 = 300;
    g.Stress2 = 700;
    g.LoadFrequency = 0;
    // What its calculation gave for these stresses: sigma hz 450 over a stroke of 400, and
    // 10^(11 - 4 x 550 / 600) load cycles.
    g.FatigueSafetyFactor = 450.0L / 400;
    g.CyclesToFracture = std::pow(10.0L, 11 - 4 * 550.0L / 600);
  }
  void TearDown() override {
    services().ShowCalcMessages = nullptr;
    InitDiagramState();
    KernelTest::TearDown();
  }

  // The page the spring drawings open for a fatigue diagram.
  void DrawGoodmanPage(uint16_t code, uint16_t kind, const std::string& name = "goodman") {
    programState.CurrentFileName = (dir / name).string();
    CadBeginOutput(code);
    ASSERT_FALSE(programState.ErrorFlag);
    DiagramReset();
    CadPageSetup(0, 0, 160, 120, 1);
    CadWriteTables(2);
    CadBeginEntities();
    DrawGoodmanDiagram(spring, kind, spring.family.BandThickness);
    CadEndSection();
    CadEndOutput();
  }

  RecordingWriter& DrawRecorded(uint16_t kind) {
    RecordingWriter& w = Register(5, "txt", false);
    DrawGoodmanPage(5, kind);
    return w;
  }

  // A fresh start for the next case of a table.
  void Fresh() {
    TearDown();
    SetUp();
  }

  int messageListShown = 0;
  Spring spring;
};

// Paper point of the fatigue diagram (90 x 85 mm at (15, 20), both axes 0..top) back to N/mm².
long double ValueX(long double px, long double top = 1600) { return (px - 15) / 90 * top; }
long double ValueY(long double py, long double top = 1600) { return (py - 20) / 85 * top; }

bool HasSegment(const std::vector<ColouredLine>& lines, int colour, long double x1, long double y1, long double x2,
                long double y2, long double top = 1600) {
  return std::any_of(lines.begin(), lines.end(), [&](const ColouredLine& l) {
    return l.colour == colour && Near(ValueX(l.x1, top), x1, 1e-6L) && Near(ValueY(l.y1, top), y1, 1e-6L) &&
           Near(ValueX(l.x2, top), x2, 1e-6L) && Near(ValueY(l.y2, top), y2, 1e-6L);
  });
}

TEST_F(MaterialDiagramTest, GoodmanCycleLinesFollowTheStressScale) {
  using Segments = std::vector<std::array<long double, 5>>;  // colour, x1, y1, x2, y2
  struct Case {
    const char* what;
    double factor;
    int kind;
    double sigH0;
    Segments segments;  // corners of the 10 million, 1 million and 100 000 lines in Goodman values
    long double top;    // axis end in N/mm²
    std::vector<std::string> ticks;
    std::string absentTick;
  };
  const Segments goodman = {{18, 0, 600, 1000, 1100}, {18, 1000, 1100, 1100, 1100}, {21, 0, 750, 700, 1100},
                            {21, 700, 1100, 1000, 1100}, {26, 0, 900, 400, 1100},  {26, 400, 1100, 700, 1100}};
  const Segments haigh = {{18, 0, 600, 1000, 100}, {18, 1000, 100, 1100, 0}, {21, 0, 750, 700, 400},
                          {21, 700, 400, 1000, 100}, {26, 0, 900, 400, 700},  {26, 400, 700, 700, 400}};
  // sigma H0 900: 1.25 x 900 lies above sigma O, so the 1 million and 100 000 lines start at sigma O.
  const Segments flat = {{18, 0, 900, 400, 1100}, {18, 400, 1100, 1100, 1100}, {21, 0, 1100, 400, 1100}};
  const std::vector<std::string> to1600 = {"0", "200", "800", "1600"};
  const Case cases[] = {
      {"Goodman, k 1", 0.56, 1, 600, goodman, 1600, to1600, "1800"},
      {"Goodman, k 0.56/0.75", 0.75, 1, 600, goodman, 1600, to1600, "1800"},
      {"Haigh-Goodman, k 1", 0.56, 2, 600, haigh, 1600, to1600, "1800"},
      {"1 million line without a slope", 0.56, 1, 900, flat, 1600, to1600, "1800"},
      // sigma O / k = 1100 / 0.56 = 1964 lies above 1600: both axes widen to 0..2000 by 500.
      {"sigma O / k above 1600", 1.0, 1, 600, goodman, 2000, {"0", "500", "1500", "2000"}, "1600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    spring.family.MaterialRec.SigmaFactor = c.factor;
    spring.family.MaterialRec.SigH0 = c.sigH0;
    const long double k = 0.56L / c.factor;
    RecordingWriter& w = DrawRecorded(static_cast<uint16_t>(c.kind));
    ASSERT_FALSE(programState.ErrorFlag);
    EXPECT_NEAR(static_cast<double>(diagramState.DiagramXMax), static_cast<double>(c.top), 1e-9);
    EXPECT_NEAR(static_cast<double>(diagramState.DiagramYMax), static_cast<double>(c.top), 1e-9);
    const auto lines = LinesByColour(w);
    for (const auto& s : c.segments)
      EXPECT_TRUE(HasSegment(lines, static_cast<int>(s[0]), s[1] / k, s[2] / k, s[3] / k, s[4] / k, c.top))
          << s[0] << ": (" << s[1] << ", " << s[2] << ") - (" << s[3] << ", " << s[4] << ")";
    if (c.sigH0 == 900) {
      for (const auto& l : lines) {
        if (l.colour == 21 || l.colour == 26) {
          EXPECT_TRUE(Near(l.y1, l.y2)) << "a sloped shorter-life line";
        }
      }
    }
    const auto texts = Texts(w);
    for (const auto& tick : c.ticks) EXPECT_TRUE(Contains(texts, tick)) << tick;
    EXPECT_FALSE(Contains(texts, c.absentTick));
    // The upper-stress limit of the diagram's own evaluation, in real bending stress.
    EXPECT_TRUE(Contains(texts, "sig.oz = " + StressFix(4, 0, 1100 / k) + " MPa"));
  }
}

TEST_F(MaterialDiagramTest, GoodmanWorkingPointLabelsAndValueBlock) {
  RecordingWriter& w = DrawRecorded(1);
  ASSERT_FALSE(programState.ErrorFlag);
  const auto lines = LinesByColour(w);
  // The working stroke rises from the diagonal at sigma 1 = 300 to sigma 2 = 700, with two markers.
  EXPECT_TRUE(HasSegment(lines, 5, 300, 300, 700 - 400, 700));
  const auto circles = w.only("circle");
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_NEAR(static_cast<double>(circles[0].v[2]), 0.8, 1e-9);
  EXPECT_NEAR(static_cast<double>(ValueY(circles[1].v[1])), 700, 1e-6);
  // sigma hz at lower stress 300: 600 + 0.5 x 300 - 300 = 450; stroke 400 stays below it.
  const auto t = Texts(w);
  for (const std::string& s : std::vector<std::string>{"Goodman-Diagramm", "  10 Mio.Lastsp.", "   1Mio.", " 100000", "sigma", "Dauerfestigkeitsschaubild (Goodman-Diagramm)",
        "1.4310 EN 10151 (X10CrNi18-8) nicht kugelgestrahlt", "E = " + StressFix(6, 0, 185000) + " MPa",
        "Rm = " + StressFix(4, 0, 1800) + " MPa", "sig.z / Rm = " + RealStrFix(1, 2, 0.56L),
        "sig.oz = " + StressFix(4, 0, 1100) + " MPa", "sig.hz= " + StressFix(4, 0, 450) + " MPa",
        "sigma1 = " + StressFix(4, 0, 300) + " MPa", "t  = 1 mm", "N > 10 Mio.Lastsp."})
    EXPECT_TRUE(Contains(t, s)) << s;
  // At 20 degrees there is no second modulus.
  EXPECT_FALSE(AnyStartsWith(t, "E20"));
  // The value block in its order, from (100, 115) down.
  const auto texts = w.only("text");
  const auto first = std::find_if(texts.begin(), texts.end(),
                                  [](const WriterCall& c) { return c.text.rfind("E = ", 0) == 0; });
  ASSERT_NE(first, texts.end());
  EXPECT_TRUE(Near(first->v[0], 100) && Near(first->v[1], 115));
  const std::vector<std::string> block = {"E = " + StressFix(6, 0, 185000) + " MPa",
                                          "Rm = " + StressFix(4, 0, 1800) + " MPa",
                                          "sig.z / Rm = " + RealStrFix(1, 2, 0.56L),
                                          "sig.z = " + StressFix(4, 0, 1008) + " MPa",
                                          "sig.oz = " + StressFix(4, 0, 1100) + " MPa",
                                          "sig.hz= " + StressFix(4, 0, 450) + " MPa",
                                          " ",
                                          "sigma1 = " + StressFix(4, 0, 300) + " MPa",
                                          "sigma2 = " + StressFix(4, 0, 700) + " MPa",
                                          " ",
                                          "t  = 1 mm",
                                          " ",
                                          "N > 10 Mio.Lastsp."};
  std::vector<std::string> got;
  for (auto it = first; it != texts.end(); ++it) got.push_back(it->text);
  EXPECT_EQ(got, block);
}

TEST_F(MaterialDiagramTest, ThicknessValueBlockInItsOrder) {
  spring.family.MaterialRec.Text2 = "Federband";
  spring.family.OperatingTemperature = 120;
  spring.family.OperatingEModulus = 180000;
  spring.family.PermissibleStrokeStress = 450;
  RecordingWriter& w = Register(5, "txt", false);
  programState.CurrentFileName = (dir / "werte").string();
  CadBeginOutput(5);
  ASSERT_FALSE(programState.ErrorFlag);
  WriteMaterialValueLines(spring, 1.5L);
  CadEndOutput();
  const auto texts = w.only("text");
  ASSERT_FALSE(texts.empty());
  EXPECT_TRUE(Near(texts[0].v[0], 125) && Near(texts[0].v[1], 103));
  // Empty material texts write no line.
  const std::vector<std::string> block = {"t  = 1.5 mm",
                                          "sigma1=" + StressFix(5, 0, 300) + " MPa",
                                          "sigma2=" + StressFix(5, 0, 700) + " MPa",
                                          "sigmaz =" + StressFix(5, 0, 1008) + " MPa",
                                          "sigmah=" + StressFix(5, 0, 400) + " MPa",
                                          "sigmahz=" + StressFix(5, 0, 450) + " MPa",
                                          "  ",
                                          "1.4310 EN 10151",
                                          "Federband",
                                          "X10CrNi18-8",
                                          "E = " + StressFix(6, 0, 185000) + " MPa",
                                          "E120 = " + StressFix(6, 0, 180000) + " MPa",
                                          "Rm(1.5)=" + StressFix(5, 0, 1800) + " MPa"};
  std::vector<std::string> got;
  for (const auto& c : texts) got.push_back(c.text);
  EXPECT_EQ(got, block);
}

TEST_F(MaterialDiagramTest, LifeLinesByLoadAndLimit) {
  struct Case {
    const char* what;
    uint16_t loadType;
    long double stress2;
    long double safety, cycles;  // as the calculation gave them
    std::vector<std::string> present;
  };
  // sigma hz 450 at lower stress 300. Upper stress 900: safety 450 / 600, 10^(11 - 4 x 750 / 600) =
  // 10^6 cycles, at 2/s 138.9 hours. Upper stress 1200, above sigma O 1100: 10^4 cycles, in brackets.
  const Case cases[] = {
      {"dynamic below the limit", 2, 900, 0.75L, 1e6L,
       {"N = " + RealStr3Minus(0, 1e6L) + " Lastsp.", "tN= " + RealStr3Minus(2, 1e6L / 7200) + " h  (f=2/s)"}},
      {"dynamic above the limit", 2, 1200, 0.5L, 1e4L,
       {"(N = " + RealStr3Minus(0, 1e4L) + " Lastsp.)", "(tN= " + RealStr3Minus(2, 1e4L / 7200) + " h)"}},
      {"dynamic with a reserve", 2, 600, 1.5L, 1e8L, {"N > 10 Mio.Lastsp."}},
      {"static", 1, 900, 0.75L, 0, {"sig.hz= " + StressFix(4, 0, 450) + " MPa"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    spring.family.LoadType = c.loadType;
    spring.family.Stress2 = c.stress2;
    spring.family.LoadFrequency = 2;
    spring.family.FatigueSafetyFactor = c.safety;
    spring.family.CyclesToFracture = c.cycles;
    RecordingWriter& w = DrawRecorded(1);
    const auto t = Texts(w);
    for (const auto& s : c.present) EXPECT_TRUE(Contains(t, s)) << s;
    // Exactly the life lines of the case, nothing of the other forms.
    const auto lifeLines = std::count_if(t.begin(), t.end(), [](const std::string& s) {
      return s.rfind("N ", 0) == 0 || s.rfind("(N ", 0) == 0 || s.rfind("tN", 0) == 0 || s.rfind("(tN", 0) == 0;
    });
    EXPECT_EQ(lifeLines, c.loadType == 1 ? 0 : static_cast<long>(c.present.size()));
  }
}

TEST_F(MaterialDiagramTest, GoodmanDiagramAsDxfReadsCleanWithItsTexts) {
  spring.family.OperatingTemperature = 120;
  spring.family.OperatingEModulus = 180000;
  DrawGoodmanPage(1, 2, "haigh");
  ASSERT_FALSE(programState.ErrorFlag);
  const DxfCheck c = CheckDxf(dir / "haigh.dxf");
  ASSERT_EQ(c.exitCode, 0) << c.output;
  EXPECT_TRUE(c.has("audit errors=0 fixes=0")) << c.output;
  const auto hasText = [&](const std::string& t, const std::string& layer = "") {
    const std::string key = "text=\"" + t + "\"";
    return std::any_of(c.lines.begin(), c.lines.end(), [&](const std::string& l) {
      return l.find("TEXT layer=" + layer) != std::string::npos && l.find(key) != std::string::npos;
    });
  };
  for (const std::string& t : std::vector<std::string>{"Haigh-Goodman-Diagramm", "10 Mio.Lastsp.", "1 Mio.Lastsp.", "100000 Lastsp.",
                              "sigma 1", "sigma", "sig.oz = " + StressFix(4, 0, 1100) + " MPa",
                              "E120 = " + StressFix(6, 0, 180000) + " MPa", "sigma2 = " + StressFix(4, 0, 700) + " MPa"})
    EXPECT_TRUE(hasText(t)) << t << "\n" << c.output;
  EXPECT_TRUE(hasText("sig.hz= " + StressFix(4, 0, 450) + " MPa", "19")) << c.output;
  // The 10-million label is slanted by the slope of its line in values: atan(-500 / 1000).
  const auto label = std::find_if(c.lines.begin(), c.lines.end(), [](const std::string& l) {
    return l.find("text=\"10 Mio.Lastsp.\"") != std::string::npos;
  });
  ASSERT_NE(label, c.lines.end());
  EXPECT_NE(label->find("rot=-26.57 "), std::string::npos) << *label;
  // The working-point circles (colour 21) and the cycle lines on their colour layers.
  for (const char* layer : {"CIRCLE layer=21", "LINE layer=18", "LINE layer=21", "LINE layer=26", "LINE layer=5"})
    EXPECT_TRUE(std::any_of(c.lines.begin(), c.lines.end(),
                            [&](const std::string& l) { return l.find(layer) != std::string::npos; }))
        << layer;
  // Circles of 12 N/mm² (0.6375 mm on the y axis of 85 mm for 1600) at sigma 1 = 300 (x 31.875 mm), on
  // the axis and at the stroke 400 (y 41.25 mm).
  for (const char* circle : {"CIRCLE layer=21 (31.875,20) r=0.6375", "CIRCLE layer=21 (31.875,41.25) r=0.6375"})
    EXPECT_TRUE(std::any_of(c.lines.begin(), c.lines.end(),
                            [&](const std::string& l) { return l.find(circle) != std::string::npos; }))
        << circle << "\n" << c.output;
}

TEST_F(MaterialDiagramTest, GoodmanDiagramOnTheScreenHoldsTheSameTextsAndMarkers) {
  CadBeginOutput(3);
  ASSERT_FALSE(programState.ErrorFlag);
  graphicsState.DisplayList.clear();
  DiagramReset();
  DrawGoodmanDiagram(spring, 1, 1);
  CadEndOutput();
  std::vector<std::string> texts;
  for (const auto& r : Records(RecText)) texts.push_back(r.text);
  for (const std::string& t : std::vector<std::string>{"Goodman-Diagramm", "  10 Mio.Lastsp.", "   1Mio.", " 100000", "sigma",
                              "1.4310 EN 10151 (X10CrNi18-8) nicht kugelgestrahlt", "N > 10 Mio.Lastsp."})
    EXPECT_TRUE(Contains(texts, t)) << t;
  EXPECT_EQ(Records(RecCircle).size(), 2u) << "the two working-point markers";
}

TEST_F(MaterialDiagramTest, GoodmanSetWithoutSlopeIsShownAsNoData) {
  struct Case {
    const char* what;
    double t0, slope;
    const char* message;
  };
  const Case cases[] = {
      {"slope 0 with stress data", 1, 0, "Fehler : yeb9wst Goodman"},
      {"no Goodman data", 0, 0.5, "Warnung: kein Goodman-Diagramm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    spring.family.MaterialRec.GoodmanT0 = c.t0;
    spring.family.MaterialRec.GoodmanSlope = c.slope;
    RecordingWriter& w = DrawRecorded(2);
    ASSERT_FALSE(programState.ErrorFlag);
    EXPECT_TRUE(AllFinite(w));
    const auto t = Texts(w);
    EXPECT_TRUE(Contains(t, "F\x81r diesen Werkstoff sind keine Daten verf\x81gbar"));
    EXPECT_TRUE(HasErrorMsg(c.message));
    for (const auto& l : LinesByColour(w)) EXPECT_TRUE(l.colour != 18 && l.colour != 21 && l.colour != 26) << l.colour;
    EXPECT_FALSE(Contains(t, "10 Mio.Lastsp."));
    EXPECT_FALSE(AnyStartsWith(t, "sig.hz="));
    EXPECT_FALSE(AnyStartsWith(t, "N "));
    // The working point is still there.
    EXPECT_TRUE(Contains(t, "sigma 1"));
  }
}

TEST_F(MaterialDiagramTest, GoodmanDiagramWithoutDataAsDxfReadsCleanWithItsMessage) {
  spring.family.MaterialRec.GoodmanSlope = 0;
  DrawGoodmanPage(1, 1, "keinedaten");
  ASSERT_FALSE(programState.ErrorFlag);
  const DxfCheck c = CheckDxf(dir / "keinedaten.dxf");
  ASSERT_EQ(c.exitCode, 0) << c.output;
  EXPECT_TRUE(c.has("audit errors=0 fixes=0")) << c.output;
  const auto hasText = [&](const std::string& t) {
    const std::string key = "text=\"" + t + "\"";
    return std::any_of(c.lines.begin(), c.lines.end(),
                       [&](const std::string& l) { return l.find(key) != std::string::npos; });
  };
  // The reader decodes the umlauts of the message from the file's code page.
  const std::vector<std::string> want = {"Goodman-Diagramm", "F\u00fcr diesen Werkstoff sind keine Daten verf\u00fcgbar",
                                        "Dauerfestigkeitsschaubild (Goodman-Diagramm)", "sigma",
                                        "sig.oz = " + StressFix(4, 0, 1100) + " MPa"};
  for (const std::string& t : want)
    EXPECT_TRUE(hasText(t)) << t << "\n" << c.output;
  EXPECT_FALSE(hasText("  10 Mio.Lastsp."));
  EXPECT_FALSE(std::any_of(c.lines.begin(), c.lines.end(),
                           [](const std::string& l) { return l.find("text=\"sig.hz=") != std::string::npos; }));
}

TEST_F(MaterialDiagramTest, FailedCalculationDrawsNothingAndAZeroedSpringStaysFinite) {
  // The results of another spring with a fatal stop: nothing is drawn.
  programState.FatalError = true;
  {
    RecordingWriter& w = DrawRecorded(1);
    EXPECT_TRUE(w.only("line").empty());
    EXPECT_TRUE(w.only("text").empty());
  }

  // No stroke (sigma 1 = sigma 2): the evaluation stops fatally and leaves the life of the spring
  // drawn before; the diagram is drawn but shows no life line.
  Fresh();
  spring.family.Stress1 = 500;
  spring.family.Stress2 = 500;
  spring.family.CyclesToFracture = 12345;
  spring.family.FatigueSafetyFactor = 0.5;
  {
    RecordingWriter& w = DrawRecorded(1);
    EXPECT_TRUE(HasErrorMsg("Fehler : sigmah=0 !"));
    const auto t = Texts(w);
    EXPECT_TRUE(Contains(t, "  10 Mio.Lastsp."));
    EXPECT_FALSE(AnyStartsWith(t, "N ")) << "stale life";
    EXPECT_FALSE(AnyStartsWith(t, "tN"));
  }

  // A cleared spring without material values: both kinds are drawn with finite numbers only.
  for (uint16_t kind : {1, 2}) {
    Fresh();
    spring = Spring{};
    spring.family.MaterialRec.SigmaFactor = 0;
    RecordingWriter& w = DrawRecorded(kind);
    EXPECT_TRUE(AllFinite(w));
    EXPECT_TRUE(Contains(Texts(w), "sig.z / Rm = " + RealStrFix(1, 2, 0)));
  }
}

TEST_F(MaterialDiagramTest, StressesThatAreNoNumberLeaveTheirMarksOutOfTheDxf) {
  // A broken calculation left sigma 1 without a value: the evaluation reports it, the diagram is
  // still drawn and the file stays readable.
  spring.family.Stress1 = std::numeric_limits<long double>::quiet_NaN();
  DrawGoodmanPage(1, 2, "ungueltig");
  EXPECT_TRUE(HasErrorMsg("Fatal  : sigma invalid !"));
  const DxfCheck c = CheckDxf(dir / "ungueltig.dxf");
  ASSERT_EQ(c.exitCode, 0) << c.output;
  EXPECT_TRUE(c.has("audit errors=0 fixes=0")) << c.output;
  EXPECT_TRUE(std::any_of(c.lines.begin(), c.lines.end(), [](const std::string& l) {
    return l.find("text=\"Haigh-Goodman-Diagramm\"") != std::string::npos;
  })) << c.output;
  EXPECT_FALSE(std::any_of(c.lines.begin(), c.lines.end(),
                           [](const std::string& l) { return l.find("CIRCLE") != std::string::npos; }))
      << "no working point without a lower stress";
}

// ---- Diagrams over the band thickness ----

TEST_F(MaterialDiagramTest, ThicknessDiagramsAsDxfKeepTheMaterialsLargestThickness) {
  struct Case {
    uint16_t kind;
    double dmax;
    const char* title;
    const char* axisEnd;                // last x tick
    const char* beyond;                 // the tick after it, which must not be there
    std::vector<std::string> headings;  // thickness set of the table
  };
  const Case cases[] = {
      {3, 0, "Rm = f(t)", "5", "6", {"0.2", "10"}},
      {4, 0, "Sigma b zul = f(t)", "5", "6", {"0.2", "10"}},
      {3, 2, "Rm = f(t)", "2", "2.5", {"0.1", "3"}},
      {4, -3, "Sigma b zul = f(t)", "5", "-1", {"0.2", "10"}},  // a damaged record: no usable thickness
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title) + " DMAX " + std::to_string(c.dmax));
    Fresh();
    spring.family.MaterialRec.DMAX = c.dmax;
    spring.family.MaterialRec.SigmaFactor = 0.75;
    spring.family.Stress1 = 300;
    spring.family.Stress2 = 900;
    const std::string name = "dicke" + std::to_string(++run);
    programState.CurrentFileName = (dir / name).string();
    DrawMaterialDiagram(spring, c.kind, 1, 1.5L);
    ASSERT_FALSE(programState.ErrorFlag);

    const DxfCheck x = CheckDxf(dir / (name + ".dxf"));
    ASSERT_EQ(x.exitCode, 0) << x.output;
    EXPECT_TRUE(x.has("audit errors=0 fixes=0")) << x.output;
    const auto hasText = [&](const std::string& t) {
      const std::string key = "text=\"" + t + "\"";
      return std::any_of(x.lines.begin(), x.lines.end(),
                         [&](const std::string& l) { return l.find(key) != std::string::npos; });
    };
    std::vector<std::string> want = {c.title, c.axisEnd, "1.4310 EN 10151", "X10CrNi18-8", "t  = 1.5 mm",
                                     "  t [mm]", " Rm MPa", " sig.bz MPa", "Rm = 1800 - 300 * log ( t / 1 )",
                                     "sig.bz = 0.75 * Rm", "Rm(1.5)=" + StressFix(5, 0, 1800) + " MPa"};
    for (const auto& h : c.headings) want.push_back(" " + h);
    // The table holds Rm and 0.75 Rm at its first thickness.
    const long double t1 = c.dmax > 3.5 || c.dmax <= 0 ? 0.2L : 0.1L;
    const long double rm1 = 1800 - 300 * std::log10(t1);
    want.push_back(" " + StressStr(rm1));
    want.push_back(" " + StressStr(rm1 * 0.75L));
    if (c.kind == 4) {
      want.push_back(" sigma 1");
      want.push_back(" sigma 2");
    }
    for (const auto& t : want) EXPECT_TRUE(hasText(t)) << t << "\n" << x.output;
    EXPECT_FALSE(hasText(c.beyond)) << "axis beyond its end";
  }
}

TEST_F(MaterialDiagramTest, ThicknessCurvesOnTheScreen) {
  // Rm over t: from 0.02 mm in steps of 10 % up to the axis end at 5 mm (DMAX 0).
  spring.family.MaterialRec.DMAX = 0;
  graphicsState.DisplayList.clear();
  DrawMaterialDiagram(spring, 3, 3, 1);
  ASSERT_FALSE(programState.ErrorFlag);
  // The display list keeps five decimals. Axes, grid and table are ruled straight; the falling curve is the only slanted line.
  std::vector<DisplayRecordFields> curve;
  for (const auto& l : Records(RecLine))
    if (!Near(l.f[1], l.f[3]) && !Near(l.f[2], l.f[4])) curve.push_back(l);
  // 0.02 x 1.1^n reaches 5 mm at n = 58.
  ASSERT_EQ(curve.size(), 58u);
  // Diagram 90 x 95 mm at (15, 12), t 0..5 mm, Rm 0..3000: the first point is Rm(0.02).
  EXPECT_NEAR(static_cast<double>(curve.front().f[1]), 15 + 0.02 / 5 * 90, 1e-4);
  EXPECT_NEAR(static_cast<double>(curve.front().f[2]), 12 + (1800 - 300 * std::log10(0.02)) / 3000 * 95, 1e-4);
  // The last point is the first step at or beyond 5 mm (5.03 mm, inside the frame's 1 % margin).
  EXPECT_NEAR(static_cast<double>(curve.back().f[3]), 15 + 0.02 * std::pow(1.1, 58) / 5 * 90, 1e-4);
}

TEST_F(MaterialDiagramTest, ThicknessDiagramInEnglishUnitsAndAfterAFatalStop) {
  desktopSettings.UnitSystem = 1;
  graphicsState.DisplayList.clear();
  DrawMaterialDiagram(spring, 4, 3, 25.4L);
  ASSERT_FALSE(programState.ErrorFlag);
  std::vector<std::string> texts;
  for (const auto& r : Records(RecText)) texts.push_back(r.text);
  for (const std::string& t : std::vector<std::string>{"Sigma b [psi]", "t [in]", "  t [in]", " Rm psi", "t  = " + LengthStr(25.4L) + " in"})
    EXPECT_TRUE(Contains(texts, t)) << t;
  // The axes in display units: t 0..0.2 in (5 mm), sigma 0..300000 psi (2000 N/mm²).
  for (const char* tick : {"0.2", "300000"}) EXPECT_TRUE(Contains(texts, RealStrAuto(std::stold(tick)))) << tick;
  // The curve is computed in mm and N/mm²: its first point, 0.02 mm with 0.56 x Rm(0.02), lands where
  // those values fall on the inch and psi axes of 90 x 95 mm at (15, 12).
  std::vector<DisplayRecordFields> curve;
  for (const auto& l : Records(RecLine))
    if (!Near(l.f[1], l.f[3]) && !Near(l.f[2], l.f[4])) curve.push_back(l);
  ASSERT_FALSE(curve.empty());
  const double sigma = (1800 - 300 * std::log10(0.02)) * 0.56 * 145.037;
  EXPECT_NEAR(static_cast<double>(curve.front().f[1]), 15 + 0.02 / 25.4 / 0.2 * 90, 1e-4);
  EXPECT_NEAR(static_cast<double>(curve.front().f[2]), 12 + sigma / 300000 * 95, 1e-4);

  // After a fatal stop the message list is shown instead; no output is opened.
  desktopSettings.UnitSystem = 0;
  programState.FatalError = true;
  graphicsState.DisplayList.clear();
  DrawMaterialDiagram(spring, 3, 3, 1);
  EXPECT_EQ(messageListShown, 1);
  EXPECT_TRUE(graphicsState.DisplayList.empty());
}

TEST_F(MaterialDiagramTest, PermissibleStressOfThicknessKeepsAZeroFactor) {
  spring.family.MaterialRec.SigmaFactor = 0.75;
  EXPECT_NEAR(static_cast<double>(PermissibleStressOfThickness(spring, 10)), (1800 - 300) * 0.75, 1e-9);
  spring.family.MaterialRec.SigmaFactor = 0;
  EXPECT_EQ(PermissibleStressOfThickness(spring, 10), 0);
}

}  // namespace
}  // namespace qorva::cadtest
