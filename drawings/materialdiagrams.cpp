#include "drawings/materialdiagrams.h"

#include <array>
#include <cmath>
#include <string>

#include "foundation/programstate.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "graphics/valuetable.h"
#include "graphics/diagramstate.h"
#include "graphics/diagrams.h"
#include "graphics/cadkernel.h"
#include "platform/services.h"
#include "spring/materialrecord.h"

namespace qorva {

namespace {

// The material's Goodman values hold for stresses at 0.56 Rm; the spring's stresses are scaled to
// that level. A factor of 0 (not yet fixed up by a calculation) takes the calculation's fallback.
long double StressScale(const MaterialRecord& material) {
  const double factor = material.SigmaFactor;
  return factor == 0 ? 0.8L : 0.56L / factor;
}

// The thickness axis end: a material without a largest thickness is shown up to 5 mm, and so is
// one whose record holds no usable thickness (negative: the axis would run the wrong way). Only
// the drawing uses it; the record keeps its own value, so later calculations still know there is
// no limit.
long double ThicknessAxisEnd(const MaterialRecord& material) {
  const double dmax = material.DMAX;
  return !(dmax > 0) || !std::isfinite(dmax) ? 5.0L : static_cast<long double>(dmax);
}

std::string Stress(int32_t digits, long double mpa) { return StressFix(digits, 0, mpa) + " " + StressUnit(); }

void ValueTextStyle() { CadTextStyle(2, 0, 2.5L, 2.0L); }

// Both kinds: cycle lines for 10 million, 1 million and 100 000 load cycles. Dividing by k turns a Goodman
// value into real bending stress.
void DrawCycleLines(bool haigh, long double sO, long double sH0, long double m, long double x, long double k) {
  const long double m1 = RMin(sO, 1.25L * sH0);
  const long double x1 = (sO - m1) / m;
  const long double m2 = RMin(sO, 1.5L * sH0);
  const long double x2 = (sO - m2) / m;
  const auto line = [k](long double xa, long double ya, long double xb, long double yb) {
    DiagramLine(xa / k, ya / k, xb / k, yb / k);
  };
  if (haigh) {
    CadSetColor(18);
    line(0, sH0, x, sO - x);
    line(x, sO - x, sO, 0);
    const long double a = RadToDeg(ArcTanYX(sO - sH0 - x, x));
    CadTextStyle(2, a, 2.0L, 1.6L);
    DiagramText("10 Mio.Lastsp.", 10, sH0 / k + 30);
    CadSetColor(21);
    line(0, m1, x1, sO - x1);
    line(x1, sO - x1, x, sO - x);
    DiagramText("1 Mio.Lastsp.", 0, m1 / k + 30);
    CadSetColor(26);
    line(0, m2, x2, sO - x2);
    line(x2, sO - x2, x1, sO - x1);
    DiagramText("100000 Lastsp.", 0, m2 / k + 30);
  } else {
    CadSetColor(18);
    line(0, sH0, x, sO);
    line(x, sO, sO, sO);
    CadTextStyle(2, 0, 2.0L, 1.6L);
    DiagramText("  10 Mio.Lastsp.", x / k + 20, sO / k + 20);
    CadSetColor(21);
    line(0, m1, x1, sO);
    line(x1, sO, x, sO);
    DiagramText("   1Mio.", x1 / k - 20, sO / k + 20);
    CadSetColor(26);
    line(0, m2, x2, sO);
    line(x2, sO, x1, sO);
    DiagramText(" 100000", x2 / k - 20, sO / k + 20);
  }
}

// upperLimit: the upper-stress limit of the diagram's own evaluation, in real bending stress.
void DrawWorkingPoint(const FamilyData& g, bool haigh, long double upperLimit) {
  const long double s1 = g.Stress1;
  const long double s2 = g.Stress2;
  if (haigh) {
    CadSetColor(21);
    DiagramCircle(s1, 0, 12);
    DiagramCircle(s1, s2 - s1, 12);
    CadSetColor(5);
    DiagramLine(s1, 0, s1, s2 - s1);
    CadSetColor(19);
    CadTextStyle(2, 0, 2.0L, 1.6L);
    DiagramText("sigma 1", s1 + 20, 10);
    DiagramText("sigma", s1 + 20, s2 - s1);
  } else {
    CadSetColor(5);
    DiagramLine(s1, s1, s1, s2);
    CadSetColor(18);
    DiagramMarker(s1, s1, 0.8L);
    DiagramMarker(s1, s2, 0.8L);
    const long double d = upperLimit / 50;
    DiagramText("sigma", s1 - d, s2 + d);
    CadSetColor(19);
    ValueTextStyle();
    CadMoveTo(6, 7.5L);
    CadWriteLine("Dauerfestigkeitsschaubild (Goodman-Diagramm)");
  }
}

// upperLimit and strokeStress: the diagram's own evaluation, in real bending stress; the life is the
// spring's, as its calculation gave it. lifeKnown is false when the evaluation stopped before it
// could tell the life of this spring.
void WriteGoodmanValueBlock(const FamilyData& g, long double t, long double upperLimit, long double strokeStress,
                            long double sHz, bool aboveLimit, bool lifeKnown) {
  CadMoveTo(100, 115);
  ValueTextStyle();
  CadSetColor(19);
  CadWriteLine("E = " + Stress(6, g.EModulus));
  if (!RealEq(g.OperatingTemperature, 20))
    CadWriteLine("E" + RealStrDec(0, g.OperatingTemperature) + " = " + Stress(6, g.OperatingEModulus));
  CadWriteLine("Rm = " + Stress(4, g.TensileStrength));
  // A spring without a material has no tensile strength yet: the ratio is shown as 0.
  const long double ratio = g.TensileStrength == 0 ? 0 : g.PermissibleStress / g.TensileStrength;
  CadWriteLine("sig.z / Rm = " + RealStrFix(1, 2, ratio));
  CadWriteLine("sig.z = " + Stress(4, g.PermissibleStress));
  CadWriteLine("sig.oz = " + Stress(4, upperLimit));
  if (sHz > 0) CadWriteLine("sig.hz= " + Stress(4, strokeStress));
  CadWriteLine(" ");
  CadWriteLine("sigma1 = " + Stress(4, g.Stress1));
  CadWriteLine("sigma2 = " + Stress(4, g.Stress2));
  CadWriteLine(" ");
  CadWriteLine("t  = " + LengthStr(t) + " " + LengthUnit());
  CadWriteLine(" ");

  if (!(sHz > 0) || g.LoadType != 2 || !lifeKnown) return;
  if (g.FatigueSafetyFactor < 1) {
    const std::string n = RealStr3Minus(0, RoundDec(-2, g.CyclesToFracture));
    CadWriteLine(aboveLimit ? "(N = " + n + " Lastsp.)" : "N = " + n + " Lastsp.");
    const long double f = g.LoadFrequency;
    if (f > 0) {
      const std::string tn = RealStr3Minus(2, g.CyclesToFracture / f / 3600);
      CadWriteLine(aboveLimit ? "(tN= " + tn + " h)" : "tN= " + tn + " h  (f=" + RealStr3(f) + "/s)");
    }
  } else {
    CadWriteLine(aboveLimit ? "(N > 10 Mio.Lastsp.)" : "N > 10 Mio.Lastsp.");
  }
}

// The strength curve from 0.02 mm in steps of 10 % up to the first thickness at or beyond e.
template <typename F>
void DrawThicknessCurve(long double e, F value) {
  long double t = 0.02L;
  DiagramMoveTo(t, value(t));
  do {
    t *= 1.1L;
    DiagramLineTo(t, value(t));
  } while (t < e);
}

}  // namespace

void DrawGoodmanDiagram(const Spring& s, uint16_t kind, long double t) {
  // The results of a failed calculation are those of an earlier spring: nothing of them is drawn.
  if (programState.FatalError) return;
  const FamilyData& g = s.family;
  const bool haigh = kind == 2;
  const long double k = StressScale(g.MaterialRec);
  long double sO = 0, sH0 = 0, m = 0, x = 0, sHz = 0;
  std::string label;
  // The evaluation writes its fatigue results into the family it is given: a scratch copy here.
  FamilyData evaluated = g;
  GoodmanEvaluation(evaluated, t, k * g.Stress1, k * g.Stress2, sO, sH0, m, x, sHz, label);
  // The calculation has set the spring's own upper-stress limit and stroke stress from the same
  // evaluation at its thickness; the diagram shows those of its t and leaves the spring alone.
  const long double upperLimit = sO / k;
  const long double strokeStress = sHz / k;
  if (programState.ErrorFlag) return;

  DiagramSetSize(90, 85);
  DiagramSetOrigin(15, 20);
  const long double top = StressToUnit(RMax(1600, sO / k));
  const std::string xTitle = "sigma u [" + StressUnit() + "]";
  if (haigh)
    DiagramAxes(xTitle, "sigma h", "Haigh-Goodman-Diagramm", 0, 0, top, top, 1);
  else
    DiagramAxes(xTitle, "sigma o", "Goodman-Diagramm", 0, 0, top, top, 1);
  DiagramScaleLimits(StressToUnit(1), StressToUnit(1));
  DiagramLine(0, 0, diagramState.DiagramXMax, diagramState.DiagramYMax);

  // A Goodman set without a slope gives no line to draw: the material is shown as one without data
  // (the evaluation has reported the set).
  if (m == 0) {
    CadTextStyle(2, 0, 2.5L, 2.0L);
    DiagramText("F\x81r diesen Werkstoff sind keine Daten verf\x81gbar", 50, 500);
    sHz = 0;
  } else {
    DrawCycleLines(haigh, sO, sH0, m, x, k);
  }

  DrawWorkingPoint(g, haigh, upperLimit);
  CadSetColor(19);
  ValueTextStyle();
  CadText(label, 6, 4);
  // An evaluation that stops on a zero stress leaves the life of the spring drawn before in place.
  WriteGoodmanValueBlock(g, t, upperLimit, strokeStress, sHz, k * g.Stress2 > sO, !programState.FatalError);
}

long double PermissibleStressOfThickness(const Spring& s, long double t) {
  return RmOfThickness(s.family.MaterialRec, t) * s.family.MaterialRec.SigmaFactor;
}

void DrawRmCurve(const Spring& s) {
  CadSetColor(16);
  long double e = ThicknessAxisEnd(s.family.MaterialRec);
  if (e < 0.02L) e = 25;
  DrawThicknessCurve(e, [&s](long double t) { return RmOfThickness(s.family.MaterialRec, t); });
  CadSetColor(19);
  DrawStrengthTable(s);
}

void DrawPermissibleStressCurve(const Spring& s, long double t) {
  const FamilyData& g = s.family;
  CadSetColor(16);
  DrawThicknessCurve(25, [&s](long double d) { return PermissibleStressOfThickness(s, d); });
  CadSetColor(19);
  DiagramLine(t, g.Stress1, t, g.Stress2);
  DiagramMarker(t, g.Stress1, 0.7L);
  DiagramText(" sigma 1", t, g.Stress1);
  DiagramMarker(t, g.Stress2, 0.7L);
  DiagramText(" sigma 2", t, g.Stress2);
  DrawStrengthTable(s);
}

void DrawStrengthTable(const Spring& s) {
  const MaterialRecord& r = s.family.MaterialRec;
  static constexpr long double thick[6] = {0.2L, 0.5L, 1, 2.5L, 5, 10};
  static constexpr long double thin[6] = {0.1L, 0.2L, 0.5L, 1, 2, 3};
  const long double* ts = ThicknessAxisEnd(r) > 3.5L ? thick : thin;
  const long double factor = r.SigmaFactor;
  const DiagramState& d = diagramState;

  const long double h = RMin(DiagramDY(0.022L * d.DiagramYRange), DiagramDX(0.02L * d.DiagramXRange));
  std::array<std::string, 7> head{" t [" + LengthUnit() + "]"};
  std::array<std::string, 7> rm{"Rm " + StressUnit()};
  std::array<std::string, 7> sbz{"sig.bz " + StressUnit()};
  for (int i = 0; i < 6; ++i) {
    head[static_cast<size_t>(i + 1)] = LengthStr(ts[i]);
    const long double v = RmOfThickness(r, ts[i]);
    rm[static_cast<size_t>(i + 1)] = StressStr(v);
    sbz[static_cast<size_t>(i + 1)] = StressStr(v * factor);
  }
  {
    ValueTable table(DiagramX(0.28L * d.DiagramXRange), DiagramY(0.98L * d.DiagramYRange), h,
                      {9, 5, 5, 5, 5, 5, 5}, head);
    table.TableRow(rm);
    table.TableRow(sbz);
  }
  // The table leaves its own text style and colour: the laws are written in them.
  CadText("Rm = " + StressStr(r.Rm0) + " - " + StressStr(r.RmSlope) + " * log ( t / " + LengthStr(r.DR0) + " )",
          DiagramX(0.55L * d.DiagramXRange), DiagramY(0.775L * d.DiagramYRange));
  CadText("sig.bz = " + RealStr3(factor) + " * Rm", DiagramX(0.55L * d.DiagramXRange),
          DiagramY(0.74L * d.DiagramYRange));
}

void WriteMaterialValueLines(const Spring& s, long double t) {
  const FamilyData& g = s.family;
  const MaterialRecord& r = g.MaterialRec;
  CadSetColor(19);
  CadTextStyle(0, 0, 2.3L, 1.7L);
  CadMoveTo(125, 103);
  CadWriteLine("t  = " + LengthStr(t) + " " + LengthUnit());
  CadWriteLine("sigma1=" + Stress(5, g.Stress1));
  CadWriteLine("sigma2=" + Stress(5, g.Stress2));
  CadWriteLine("sigmaz =" + Stress(5, g.PermissibleStress));
  CadWriteLine("sigmah=" + Stress(5, g.Stress2 - g.Stress1));
  CadWriteLine("sigmahz=" + Stress(5, g.PermissibleStrokeStress));
  CadWriteLine("  ");
  CadWriteLine(r.Text1);
  CadWriteLine(r.Text2);
  CadWriteLine(r.Text3);
  CadWriteLine(r.Text4);
  CadWriteLine("E = " + Stress(6, g.EModulus));
  if (!RealEq(g.OperatingTemperature, 20))
    CadWriteLine("E" + RealStrDec(0, g.OperatingTemperature) + " = " + Stress(6, g.OperatingEModulus));
  CadWriteLine("Rm(" + LengthStr(t) + ")=" + Stress(5, g.TensileStrength));
}

void DrawMaterialDiagram(const Spring& s, uint16_t kind, uint16_t device, long double t) {
  if (programState.FatalError) {
    ShowCalcMessages();
    return;
  }
  CadBeginOutput(device);
  if (programState.ErrorFlag) return;
  DiagramReset();
  CadPageSetupDefault();
  CadWriteTables(2);
  CadBeginEntities();
  CadSetColor(19);
  CadTextStyle(0, 0, 2.2L, 1.7L);
  CadText(s.family.MaterialRec.Text1, 10, 2);
  WriteMaterialValueLines(s, t);
  DiagramSetSize(90, 95);
  DiagramSetOrigin(15, 12);
  const long double end = LengthToUnit(ThicknessAxisEnd(s.family.MaterialRec));
  const std::string xTitle = "t [" + LengthUnit() + "]";
  if (kind == 3) {
    DiagramAxes(xTitle, "Rm [" + StressUnit() + "]", "Rm = f(t)", 0, 0, end, StressToUnit(3000), 1);
    DiagramScaleLimits(LengthToUnit(1), StressToUnit(1));
    DrawRmCurve(s);
  } else if (kind == 4) {
    DiagramAxes(xTitle, "Sigma b [" + StressUnit() + "]", "Sigma b zul = f(t)", 0, 0, end, StressToUnit(2000),
                1);
    DiagramScaleLimits(LengthToUnit(1), StressToUnit(1));
    DrawPermissibleStressCurve(s, t);
  }
  CadEndSection();
  CadEndOutput();
}

}  // namespace qorva
