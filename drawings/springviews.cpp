// springviews: the spring's views composed from CAD kernel primitives, blocks, ruled tables and diagrams.
#include "drawings/springviews.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "drawings/drawingsheet.h"
#include "drawings/materialdiagrams.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/choiceprompt.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "graphics/valuetable.h"
#include "graphics/dimensions.h"
#include "graphics/diagrams.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsdraw.h"
#include "platform/services.h"

namespace qorva {

namespace {

const std::array<std::string, 10> kViewTexts = {
    "",
    "Fertigungszeichnung",
    "Quick 1",
    "Diagramm F - s",
    "Goodman",
    "Haigh-Goodman",
    "Quick 3",
    "Feder VA",
    "Feder SA",
    "zur\x81"
    "ck ..",
};

constexpr uint16_t kViewHelpTopic = 2050;

// a / b where both give a usable scale; the views divide by De and by 1.1 b + 1.8 De, which the
// calculation keeps from being 0 but not from being negative.
long double Ratio(long double a, long double b) {
  if (!(b > 0.0L) || !std::isfinite(a / b)) return 0.0L;
  return a / b;
}

// The smaller of two scales, ignoring one that is unusable; 1 when neither is usable.
long double SmallerScale(long double s1, long double s2) {
  if (s1 > 0.0L && s2 > 0.0L) return std::min(s1, s2);
  if (s1 > 0.0L) return s1;
  if (s2 > 0.0L) return s2;
  return 1.0L;
}

void PageOfView(const Spring& s, uint16_t view) {
  const long double De = s.product.OuterDiameter;
  const long double b = s.family.BandWidth;
  switch (view) {
    case ViewProduction:
      SetSheetPageLimits(4);
      break;
    case ViewFront:
      CadPageSetup(-0.6L * De, -0.6L * De, 2.0L * De, 0.6L * De, b);
      break;
    case ViewSide:
      CadPageSetup(-0.1L * b, -0.6L * De, 1.1L * b, 0.6L * De, b);
      break;
    default:
      CadPageSetup(0.0L, 0.0L, 160.0L, 120.0L, 1.0L);
      break;
  }
}

void DefineBlock(const std::string& name, const Spring& s, void (*draw)(const Spring&)) {
  CadBeginBlock(name);
  draw(s);
  CadEndBlock();
}

void DrawFrameBlock(const Spring& s) {
  // Defined even when the frame draws nothing (no title block), so that its insertion always
  // names a block of the file.
  DrawDrawingFrame(s, 4);
}

void DrawGoodmanBlock(const Spring& s) { DrawGoodmanDiagram(s, 1, s.family.BandThickness); }

// Block definitions in the fixed order "frame_1", "goodman", "feder", "federsa".
void DefineBlocksOfView(const Spring& s, uint16_t view) {
  if (view == ViewProduction) DefineBlock("frame_1", s, DrawFrameBlock);
  if (view == ViewQuick3) DefineBlock("goodman", s, DrawGoodmanBlock);
  if (view == ViewProduction || view == ViewQuick1 || view == ViewQuick3) {
    DefineBlock("feder", s, DrawSpringFrontView);
    DefineBlock("federsa", s, DrawSpringSideView);
  }
}

void DrawContentOfView(const Spring& s, uint16_t view) {
  switch (view) {
    case ViewProduction:
      DrawProductionPage(s);
      break;
    case ViewQuick1:
      DrawQuick1Page(s);
      break;
    case ViewForceTravel:
      DrawCharacteristic(s, 15.0L, 10.0L, 120.0L, 100.0L);
      break;
    case ViewGoodman:
      DrawGoodmanDiagram(s, 1, s.family.BandThickness);
      break;
    case ViewHaighGoodman:
      DrawGoodmanDiagram(s, 2, s.family.BandThickness);
      break;
    case ViewQuick3:
      DrawQuick3Page(s);
      break;
    case ViewFront:
      DrawSpringFrontView(s);
      break;
    case ViewSide:
      DrawSpringSideView(s);
      break;
    default:
      break;
  }
}

std::array<std::string, 7> Cells(std::initializer_list<std::string> texts) {
  std::array<std::string, 7> a;
  std::size_t i = 0;
  for (const auto& t : texts) a[i++] = t;
  return a;
}

std::array<long double, 7> Widths(std::initializer_list<long double> widths) {
  std::array<long double, 7> a{};
  std::size_t i = 0;
  for (long double w : widths) a[i++] = w;
  return a;
}

}  // namespace

uint16_t ViewOfResultGraphic(int32_t resultGraphic) {
  switch (resultGraphic) {
    case 1:
      return ViewQuick1;
    case 2:
      return ViewQuick3;
    case 3:
    case 5:
      return ViewProduction;
    case 4:
      return ViewForceTravel;
    default:
      return ViewQuick3;
  }
}

void RedrawCurrentView(const Spring& s) { DrawSpringView(s, 3, ViewOfResultGraphic(desktopSettings.ResultGraphic)); }

void DrawSpringView(const Spring& s, uint16_t device, uint16_t view) {
  if (programState.FatalError) {
    // Results of a fatal stop are stale: the messages take the drawing's place, and the screen no
    // longer shows a drawing that belongs to other input.
    if (device == CadCodeOf(CadOutput::Screen)) {
      GraphClear();
      GraphClearViewPort();
    }
    ShowCalcMessages();
    return;
  }
  programState.ViewChoice = 0;
  for (;;) {
    programState.ViewChoice = static_cast<uint16_t>(programState.ViewChoice + 1);
    const std::vector<std::string> views(kViewTexts.begin() + 1, kViewTexts.end());
    SetPromptHelp(kViewHelpTopic);
    if (view == 0) AskChoice("Select ..", views, programState.ViewChoice);
    else programState.ViewChoice = view;
    if (programState.ErrorFlag || programState.ViewChoice == ViewBack) return;

    const uint16_t v = programState.ViewChoice;
    CadBeginOutput(device);
    DiagramReset();
    if (programState.ErrorFlag) return;

    CadSetColor(0);
    PageOfView(s, v);
    CadWriteTables(2);
    CadBeginBlocks();
    DefineBlocksOfView(s, v);
    CadEndSection();
    CadBeginEntities();
    DrawContentOfView(s, v);
    CadEndSection();
    CadEndOutput();

    if (programState.ErrorFlag || view != 0) return;
  }
}

void DrawSpringFrontView(const Spring& s) {
  const long double De = s.product.OuterDiameter;
  const long double Di = s.product.InnerDiameter;
  const long double t = s.family.BandThickness;
  const long double b = s.family.BandWidth;
  const long double N = s.product.TurnCount;

  CadSetColor(5);
  // The spiral ends after N + 1 turns at 270 degrees, where the free strip leaves the coil.
  const long double a0 = 270.0L - 360.0L * (N - std::floor(N));
  CadSpiral(Di / 2.0L, N + 1.0L, t, 0, a0);
  // The inner end of the strip, radial at the start of the spiral.
  CadPolarMoveTo(Di / 2.0L, DegToRad(a0));
  CadPolarLineTo(Di / 2.0L + t, DegToRad(a0));
  // The free strip, tangential to the bottom of the coil, one outer diameter long.
  CadMoveTo(0.0L, -De / 2.0L);
  CadLineTo(De, -De / 2.0L);
  CadLineTo(De, -De / 2.0L + t);
  CadLineTo(0.0L, -De / 2.0L + t);

  CadSetDimScale((De + b) / 100.0L);
  CadDimVertExt(LengthStr(De), "", "", De, -De / 2.0L, 0.0L, De / 2.0L, 1.15L * De);
  CadDimVertExt(LengthStr(t), "", "", De, -De / 2.0L, De, -De / 2.0L + t, 1.1L * De);
  CadDimHorzExt(LengthStr(Di), "", "", -Di / 2.0L, 0.0L, Di / 2.0L, 0.0L, 0.0L);
}

void DrawSpringSideView(const Spring& s) {
  const long double De = s.product.OuterDiameter;
  const long double t = s.family.BandThickness;
  const long double b = s.family.BandWidth;

  CadSetColor(1);
  CadHorzLine(-0.05L * b, 0.0L, 1.1L * b);
  CadSetColor(5);
  CadRectangle(0.0L, -De / 2.0L, b, De / 2.0L);
  CadHorzLine(0.0L, -De / 2.0L + t, b);
  CadSetDimScale((De + b) / 100.0L);
  CadDimHorzExt(LengthStr(b), "", "", 0.0L, -De / 2.0L, b, -De / 2.0L, -0.6L * De);
}

void DrawForceTable(const Spring& s, long double x, long double y, long double h) {
  const FamilyData& g = s.family;
  const ProductData& q = s.product;
  const long double Rm = g.TensileStrength;
  ValueTable table(x, y, h, Widths({2, 8, 8, 8, 6}),
                    Cells({"i", " F [" + ForceUnit() + "]", "s [" + LengthUnit() + "]", "sig.b " + StressUnit(),
                           "sig.b/Rm"}));
  table.TableRow(Cells({"2", ForceFix(5, 2, q.Force2), LengthFix(6, 0, q.Travel2), StressFix(8, 0, g.Stress2),
                        RealStrFix(4, 2, g.Stress2 / Rm)}));
  table.TableRow(Cells({"n", ForceFix(5, 2, q.ForceN), LengthFix(6, 0, q.TravelN), StressFix(8, 0, g.StressN),
                        RealStrFix(4, 2, g.PermissibleStress / Rm)}));
}

void DrawDimensionTable(const Spring& s, long double x, long double y, long double h) {
  const FamilyData& g = s.family;
  const ProductData& q = s.product;
  const std::string u = LengthUnit();
  ValueTable table(x, y, h, Widths({4, 3, 6}), Cells({"Abmessungen"}));
  table.TableRow(Cells({"t", u, LengthStr(g.BandThickness)}));
  table.TableRow(Cells({"b", u, LengthStr(g.BandWidth)}));
  table.TableRow(Cells({"De", u, LengthStr(q.OuterDiameter)}));
  table.TableRow(Cells({"Di", u, LengthStr(q.InnerDiameter)}));
  table.TableRow(Cells({"Dn", u, LengthStr(q.BendingDiameter)}));
  table.TableRow(Cells({"N", "", RealStr3(q.TurnCount)}));
  table.TableRow(Cells({"L flat", u, LengthStr(q.StripLength)}));
  table.TableRow(Cells({"m", MassUnit(), MassStr(q.SpringMass)}));
}

std::vector<std::string> WrapCellText(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end = text.find(' ', i);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(i, end - i);
    i = end;
    // A word longer than a line is cut where the line ends.
    while (word.size() > width) {
      if (!line.empty()) lines.push_back(std::move(line)), line.clear();
      lines.push_back(word.substr(0, width));
      word.erase(0, width);
    }
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > width) lines.push_back(std::move(line)), line.clear();
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

void DrawMaterialTable(const Spring& s, long double x, long double y, long double h) {
  const FamilyData& g = s.family;
  const MaterialRecord& m = g.MaterialRec;
  const std::string su = StressUnit();
  // The cell is 18 text heights wide: the leading blank and 22 characters of the 0.75-height style
  // fit in it, digits and capitals included, on the screen and in a CAD file; a longer text goes on
  // to the next row.
  constexpr std::size_t kCellChars = 22;
  ValueTable table(x, y, h, Widths({20}), Cells({"Werkstoff"}));
  for (const std::string* text : {&m.Text1, &m.Text2, &m.Text3, &m.Text4})
    for (const std::string& line : WrapCellText(*text, kCellChars)) table.TableRow(Cells({line}));
  table.TableRow(Cells({"E = " + StressFix(6, 0, g.EModulus) + " " + su}));
  // The temperature stays in degrees Celsius, as stored.
  if (!RealEq(g.OperatingTemperature, 20.0L))
    table.TableRow(Cells({"E" + RealStrDec(0, g.OperatingTemperature) + " = " + StressFix(6, 0, g.OperatingEModulus) +
                          " " + su}));
  table.TableRow(Cells({"Rm = " + StressFix(4, 0, g.TensileStrength) + " " + su}));
  table.TableRow(Cells({"Sig.zul = " + StressFix(4, 0, g.PermissibleStress) + " " + su}));
}

void DrawCharacteristic(const Spring& s, long double x0, long double y0, long double xlen, long double ylen) {
  const ProductData& q = s.product;
  const long double F2 = q.Force2;
  const long double Fn = q.ForceN;
  DiagramSetSize(xlen, ylen);
  DiagramSetOrigin(x0, y0);
  DiagramAxes(" s[" + LengthUnit() + "]", "F[" + ForceUnit() + "]",
              "Federkennlinie F = " + ForceStr(F2) + " " + ForceUnit(), 0.0L, 0.0L, LengthToUnit(q.Travel2),
              ForceToUnit(std::max(F2, Fn)), 1);
  // The curves in mm and N.
  DiagramScaleLimits(LengthToUnit(1.0L), ForceToUnit(1.0L));
  CadSetColor(5);
  DiagramLine(0.0L, F2, q.Travel2, F2);
  CadSetColor(21);
  DiagramLine(0.0L, Fn, q.TravelN, Fn);
}

void DrawQuick1Page(const Spring& s) {
  const FamilyData& g = s.family;
  const long double De = s.product.OuterDiameter;
  CadSetColor(19);
  CadMoveTo(80.0L, 115.0L);
  CadTextStyle(2, 0.0L, 2.0L, 1.6L);
  CadWriteLine(g.DrawingNumber + " " + g.DrawingName);
  CadWriteLine(g.DrawingName2);
  CadWriteLine(s.TitleLines[2]);
  CadWriteLine(s.TitleLines[3]);
  DrawForceTable(s, 5.0L, 40.0L, 2.5L);
  DrawDimensionTable(s, 80.0L, 100.0L, 2.5L);
  DrawMaterialTable(s, 112.0L, 100.0L, 2.5L);
  // The outer diameter becomes 30 mm.
  const long double scale = Ratio(30.0L, De);
  if (scale > 0.0L) CadInsertBlock("feder", 30.0L, 80.0L, 0.0L, scale, scale);
  if (errorList.ErrorCount > 0) TableMessageList(80.0L, 30.0L, 2.5L, 34.0L, 25.0L);
}

void DrawQuick3Page(const Spring& s) {
  const FamilyData& g = s.family;
  const long double De = s.product.OuterDiameter;
  const long double b = g.BandWidth;
  CadSetColor(19);
  CadTextStyle(2, 0.0L, 1.3L, 0.95L);
  CadMoveTo(75.0L, 116.0L);
  CadWriteLine(g.DrawingNumber + " " + g.DrawingName);
  CadWriteLine(g.DrawingName2);
  CadMoveTo(120.0L, 116.0L);
  CadWriteLine(s.TitleLines[2]);
  CadWriteLine(s.TitleLines[3]);
  DrawDimensionTable(s, 75.0L, 110.0L, 1.3L);
  DrawMaterialTable(s, 93.0L, 110.0L, 1.3L);
  DrawForceTable(s, 120.0L, 110.0L, 1.3L);
  if (errorList.ErrorCount > 0) TableMessageList(93.0L, 80.0L, 1.3L, 31.0L, 15.0L);
  const long double scale = SmallerScale(Ratio(30.0L, De), Ratio(60.0L, 1.1L * b + 1.8L * De));
  CadInsertBlock("feder", 36.0L, 100.0L, 0.0L, scale, scale);
  CadInsertBlock("federsa", 2.0L, 100.0L, 0.0L, scale, scale);
  DrawCharacteristic(s, 10.0L, 10.0L, 50.0L, 50.0L);
  if (g.LoadType == 2) CadInsertBlock("goodman", 70.0L, 0.0L, 0.0L, 0.58L, 0.55L);
  else DrawMaterialTable(s, 80.0L, 50.0L, 1.5L);
}

void DrawProductionPage(const Spring& s) {
  const FamilyData& g = s.family;
  const long double De = s.product.OuterDiameter;
  const long double b = g.BandWidth;
  CadSetColor(0);
  CadInsertBlock("frame_1", 0.0L, 0.0L, 0.0L, 1.0L, 1.0L);
  // The coil fits about 100 mm, both views side by side about 180 mm.
  const long double scale =
      NiceScaleNumber(SmallerScale(Ratio(100.0L, De), Ratio(180.0L, 1.1L * b + 1.8L * De)));
  CadInsertBlock("feder", 118.0L, 220.0L, 0.0L, scale, scale);
  CadInsertBlock("federsa", 28.0L, 220.0L, 0.0L, scale, scale);
  // A style of its own: the block insertions leave different styles on different outputs.
  CadTextStyle(0, 0.0L, 3.5L, 0.0L);
  CadText(ScaleText(scale), 25.0L, 275.0L);
  DrawDimensionTable(s, 50.0L, 120.0L, 2.5L);
  CadSetColor(4);
  CadTextStyle(0, 0.0L, 3.5L, 0.0L);
  CadText(g.MaterialRec.Text1 + " " + g.MaterialRec.Text3, 50.0L, 64.0L);
  CadText("F = " + ForceStr(s.product.Force2) + " " + ForceUnit(), 150.0L, 100.0L);
}

}  // namespace qorva
