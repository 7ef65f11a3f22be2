// resultreport: the result report of the constant-force spring.
#include "spring/resultreport.h"

#include <string>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/reportwriter.h"
#include "foundation/utilstr.h"
#include "spring/productdata.h"
#include "platform/services.h"
#include "spring/spring.h"
#include "spring/familydata.h"

namespace qorva {

namespace {

// Once a step has failed (a write, or the next printer sheet refused) the report writes nothing
// more: the output is dropped when it is closed, and the printer must not ask again.
bool Stopped() { return programState.ErrorFlag; }

void Row(const std::string& text, const std::string& symbol, const std::string& unit, const std::string& value) {
  if (!Stopped()) WriteResultRow(text, symbol, unit, value);
}

void Text(const std::string& s) {
  if (!Stopped()) WriteTextLine(s);
}

void ThinLine() {
  std::string s;
  ThinSeparator(s);
  Text(s);
}

void KeepTogether() {
  if (!Stopped()) NewPageIfNearEnd();
}

// An empty line, the heading and a thin separator.
void BlockHeading(const std::string& heading) {
  Text("");
  Text(heading);
  ThinLine();
}

bool HasNonBlank(const std::string& s) { return s.find_first_not_of(' ') != std::string::npos; }

}  // namespace

void WriteFatigueLifeLines(const Spring& s) {
  const FamilyData& g = s.family;
  if (g.LoadType != 2 || !(g.PermissibleStrokeStress > 0)) return;
  const long double n = g.CyclesToFracture;
  const long double f = g.LoadFrequency;
  const bool aboveLimit = g.UpperStressLimit < g.Stress2;
  if (g.FatigueSafetyFactor < 1) {
    // Values that rest on a working stress above the upper-stress limit are only indications.
    auto shown = [aboveLimit](const std::string& v) { return aboveLimit ? "(" + v + ")" : v; };
    Row("Lastspiele bis Bruch", "N", "Mio", shown(RealStr3Minus(2, n / 1000000)));
    if (f > 0 && n < 10000000) {
      Row("Lebensdauer (f=" + RealStr3(f) + "Hz)", "tN", "h", shown(RealStr3Minus(2, n / f / 3600)));
    }
  } else if (!aboveLimit) {
    Row("Lastspiele bis Bruch", "N", "", " > 10 Mio.");
    Row("Lebensdauer", "tN", "", "dauerfest");
  } else {
    Row("Lastspiele bis Bruch", "N", "", "( > 10 Mio.)");
  }
}

void PrintSpringResults(const Spring& s, uint16_t device) {
  const FamilyData& g = s.family;
  const ProductData& q = s.product;
  std::string line1;
  NumberedTitleLine(g.DrawingName, g.DrawingNumber, line1);
  BeginReport(programState.ProgName + " V" + programState.ProgVersion + "  Konstantkraftfeder", line1, g.DrawingName2,
              s.TitleLines[2], s.TitleLines[3], 0, s.TitleLines);
  if (programState.FatalError) {
    ShowCalcMessages();
    return;
  }
  OpenOutput(device, programState.CurrentFileName + ".TXT");
  if (programState.ErrorFlag) return;
  CreateOutput();
  if (!programState.ErrorFlag) PageHeader(0);
  if (programState.ErrorFlag) {
    CloseOutput();  // drops the unfinished output
    return;
  }

  // Main dimensions.
  Text("");
  Row("HAUPTABMESSUNGEN", "", "", "");
  Row("Banddicke", "t", LengthUnit(), LengthFix(5, 2, g.BandThickness));
  Row("Bandbreite", "b", LengthUnit(), LengthFix(5, 2, g.BandWidth));
  Row("Au\xE1" "endurchmesser", "De", LengthUnit(), LengthFix(5, 2, q.OuterDiameter));
  Row("Innendurchmesser (drum)", "Di", LengthUnit(), LengthFix(5, 2, q.InnerDiameter));
  Row("Biegedurchmesser", "Dn", LengthUnit(), LengthFix(5, 2, q.BendingDiameter));
  Row("Windungszahl", "n0", "", RealStrFix(5, 2, q.TurnCount));
  Row("L\x84nge", "L", LengthUnit(), LengthFix(7, 0, q.StripLength));

  // Material.
  const MaterialRecord& m = g.MaterialRec;
  Text("");
  ThinLine();
  Text("Werkstoff: " + m.Text1 + " " + m.Text2);
  if (HasNonBlank(m.Text3 + m.Text4)) Text("Werkstoff: " + m.Text3 + " " + m.Text4);
  ThinLine();
  Row("Elastizit\x84tsmodul", "E", StressUnit(), StressFix(7, 0, g.EModulus));
  Row("Dichte", "rho", "kg/dm^3", RealStrFix(4, 2, g.Density));
  Row("Zugfestigkeit (t=" + LengthStr(g.BandThickness) + ")", "Rm", StressUnit(),
      StressFix(7, 0, g.TensileStrength));
  Row("zul. Biegespannung", "sig.zul", StressUnit(), StressFix(7, 0, g.PermissibleStress));
  Row("Betriebstemperatur", "theta", TempUnit(), TempFix(7, 0, g.OperatingTemperature));
  Row("Elastizit\x84tsmodul Betriebstemperatur", "E" + RealStrFix(3, 0, g.OperatingTemperature),
      StressUnit(), StressFix(7, 0, g.OperatingEModulus));

  // Force.
  KeepTogether();
  BlockHeading("Federkraft");
  Row("Federkraft", "F", ForceUnit(), RealStr3W(7, ForceToUnit(q.Force2)));
  Row("max. Federkraft bei Sigmaz", "Fn", ForceUnit(), RealStr3W(7, ForceToUnit(q.ForceN)));

  // Travel.
  KeepTogether();
  BlockHeading("Federweg");
  Row("max. Federweg", "s", LengthUnit(), LengthFix(7, 0, q.Travel2));

  // Stresses and fatigue.
  KeepTogether();
  BlockHeading("Biegespannung");
  Row("Biegespannung", "sigma", StressUnit(), StressFix(6, 0, g.Stress2));
  Row("zul Biegespannung", "sigmaz", StressUnit(), StressFix(6, 0, g.PermissibleStress));
  KeepTogether();
  Text("");
  Row("Hubspannung", "sigmah", StressUnit(), StressFix(6, 0, g.Stress2 - g.Stress1));
  if (g.PermissibleStrokeStress > 0) {
    Row("zul Hubspannung", "sighz", StressUnit(), StressFix(6, 0, g.PermissibleStrokeStress));
    WriteFatigueLifeLines(s);
  }

  // Mass, load, ratio and work.
  KeepTogether();
  Row("Gewicht der Feder", "m", MassUnit(), MassStr(q.SpringMass));
  const std::string loadName = g.LoadType < LoadTypeNames.size() ? LoadTypeNames[g.LoadType] : std::string();
  Text("Beanspruchung : " + loadName);
  ThinLine();
  if (g.LoadType == 2 && g.LoadFrequency > 0) {
    Row("Lastspielfrequenz", "f", "1/s", RealStr3(g.LoadFrequency));
  }
  Row("Bandbreite/Banddicke", "b/t", "", RealStrFix(4, 2, q.WidthThicknessRatio));
  Row("Federarbeit max", "W02", TorqueUnit(), TorqueStr(q.SpringWork));

  // Calculation messages.
  if (errorList.ErrorCount > 0) {
    KeepTogether();
    if (!Stopped()) WriteMessageSection();
  }

  if (!Stopped()) NewPage();
  CloseOutput();
}

}  // namespace qorva
