// materialrecord: loading of the material record and the strength laws (tensile strength over thickness,
// modulus at temperature, Goodman fatigue evaluation).
#include "spring/materialrecord.h"

#include <cmath>
#include <limits>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "spring/materialtable.h"
#include "spring/familydata.h"

namespace qorva {

namespace {

constexpr int kMaterialFields = 29;
const std::string kTableName = "yeb9wst.dbf";
const std::string kTableError = "Fatal  : yeb9wst DBF error";
constexpr uint16_t kHelpTopicMaterialTable = 9590;

// Numbers are read without the blanks a table may pad them with.
int32_t FieldInt(const std::string& s) { return StrToInt0(TrimStr(s)); }
// A value beyond the range of the record's reals reads as 0 like any other text that is no number.
double FieldReal(const std::string& s) {
  const long double v = StrToReal(TrimStr(s));
  if (!(std::fabs(v) <= std::numeric_limits<double>::max())) return 0;
  return static_cast<double>(v);
}

bool Contains(const std::string& text, const char* what) { return text.find(what) != std::string::npos; }

}  // namespace

void SetMaterialField(MaterialRecord& r, int n, const std::string& w) {
  switch (n) {
    case 1: r.Text1 = WinToDos(w); break;
    case 2: r.Text2 = WinToDos(w); break;
    case 3: r.Text3 = WinToDos(w); break;
    case 4: r.Text4 = WinToDos(w); break;
    case 5: r.EModInt = FieldInt(w); break;
    case 6: r.Rho = FieldReal(w); break;
    case 7: r.Rm0 = FieldInt(w); break;
    case 8: r.DR0 = FieldReal(w); break;
    case 9: r.RmMax = FieldInt(w); break;
    case 10: r.RmSlope = FieldInt(w); break;
    case 11: r.GoodmanT0 = FieldReal(w); break;
    case 12: r.SigO = FieldInt(w); break;
    case 13: r.SigOSlope = FieldInt(w); break;
    case 14: r.SigH0 = FieldInt(w); break;
    case 15: r.SigH0Slope = FieldInt(w); break;
    case 16: r.GoodmanSlope = FieldReal(w); break;
    case 17: r.SigOShot = FieldInt(w); break;
    case 18: r.SigOSlopeShot = FieldInt(w); break;
    case 19: r.SigH0Shot = FieldInt(w); break;
    case 20: r.SigH0SlopeShot = FieldInt(w); break;
    case 21: r.GoodmanSlopeShot = FieldReal(w); break;
    case 22: r.DMIN = FieldReal(w); break;
    case 23: r.DMAX = FieldReal(w); break;
    case 24: r.Value24 = FieldInt(w); break;
    case 25: r.Value25 = FieldReal(w); break;
    case 26: r.Value26 = FieldReal(w); break;
    case 27: r.SigmaFactor = FieldReal(w); break;
    case 28: r.Text28 = WinToDos(w); break;
    case 29: r.ListNo = FieldInt(w); break;
    default: break;
  }
}

bool MaterialDesignation::empty() const {
  for (const std::string& t : texts)
    if (!t.empty()) return false;
  return true;
}

MaterialDesignation DesignationOf(const MaterialRecord& rec) {
  return MaterialDesignation{{TrimStr(rec.Text1), TrimStr(rec.Text2), TrimStr(rec.Text3), TrimStr(rec.Text4)}};
}

std::string DesignationText(const MaterialDesignation& d) {
  std::string out;
  for (const std::string& t : d.texts) {
    if (t.empty()) continue;
    if (!out.empty()) out += ' ';
    out += t;
  }
  return out;
}

namespace {
MaterialRecord CurrentTableRecord() {
  MaterialTable& table = materialTable();
  MaterialRecord rec;
  for (int n = 1; n <= kMaterialFields; ++n) {
    SetMaterialField(rec, n, table.fieldStr(n));
    if (n == 27 && rec.SigmaFactor == 0) rec.SigmaFactor = 0.7;
  }
  return rec;
}
}  // namespace

bool MaterialCatalog::load() {
  records_.clear();
  designations_.clear();
  programState.ErrorFlag = false;
  MaterialTable& table = materialTable();
  if (!table.open(kTableName) || programState.ErrorFlag) {
    programState.ErrorFlag = true;
    return false;
  }
  const uint32_t count = table.recordCount();
  records_.reserve(count);
  for (uint32_t n = 1; n <= count; ++n) {
    if (!table.gotoRecord(n) || table.recNo() != n) break;
    records_.push_back(CurrentTableRecord());
    designations_.push_back(DesignationOf(records_.back()));
  }
  table.close();
  programState.ErrorFlag = false;
  return true;
}

const MaterialRecord* MaterialCatalog::byNumber(uint32_t n) const {
  return n >= 1 && n <= records_.size() ? &records_[n - 1] : nullptr;
}

uint32_t MaterialCatalog::numberOf(const MaterialDesignation& d) const {
  if (d.empty()) return 0;
  for (std::size_t i = 0; i < designations_.size(); ++i)
    if (designations_[i] == d) return static_cast<uint32_t>(i + 1);
  return 0;
}

void LoadMaterialRecord(MaterialRecord& rec) {
  if (programState.ErrorFlag) return;
  rec = CurrentTableRecord();
}

bool LoadMaterialByNumber(FamilyData& g, uint16_t n, bool exact) {
  programState.ErrorFlag = false;
  MaterialTable& table = materialTable();
  if (!table.open(kTableName) || programState.ErrorFlag) {
    programState.ErrorFlag = true;
    AddErrorMsg(kTableError);
    return false;
  }
  bool ok = false;
  // Beyond the last record the table stands on the last one, which is not record n.
  if (table.gotoRecord(n) && !programState.ErrorFlag && (!exact || table.recNo() == n)) {
    LoadMaterialRecord(g.MaterialRec);
    TakeOverMaterial(g);
    ok = true;
  }
  table.close();
  return ok;
}

MaterialChoice SelectMaterial(FamilyData& g, uint16_t mode) {
  MaterialTable& table = materialTable();
  programState.ErrorFlag = false;
  if (!table.open(kTableName) || programState.ErrorFlag) {
    programState.ErrorFlag = true;
    AddErrorMsg(kTableError);
    return MaterialChoice::Failed;
  }
  // Choosing lists the materials by designation.
  if (mode == 1) table.orderBy(1);
  SetPromptHelp(kHelpTopicMaterialTable);
  // The spring's material is the selected row.
  if (mode == 1 && g.MaterialNumber > 0) table.gotoRecord(g.MaterialNumber);
  const bool accepted = BrowseMaterialTable(table, mode, "", "Material") && !programState.ErrorFlag;
  if (mode == 1 && accepted) {
    g.MaterialNumber = static_cast<uint16_t>(table.recNo());
    LoadMaterialRecord(g.MaterialRec);
    // The designation chooses the modulus-at-temperature rule: it must be the chosen material's.
    TakeOverMaterial(g);
  }
  table.close();
  if (accepted) return MaterialChoice::Chosen;
  programState.ErrorFlag = true;
  return MaterialChoice::Cancelled;
}

bool OpenMaterialTableIndexed() {
  MaterialTable& table = materialTable();
  programState.ErrorFlag = false;
  if (!table.open(kTableName) || programState.ErrorFlag) {
    programState.ErrorFlag = true;
    AddErrorMsg(kTableError);
    return false;
  }
  table.orderBy(27);
  return true;
}

void TakeOverMaterial(FamilyData& g) {
  g.MaterialText = g.MaterialRec.Text1;
  g.EModulus = g.MaterialRec.EModInt;
  g.Density = g.MaterialRec.Rho;
}

void MaterialValuesAtT(FamilyData& g) {
  // A material typed in ("andere") keeps its own values while that choice stands.
  if (g.MaterialSource == 2) return;
  MaterialRecord& r = g.MaterialRec;
  g.TensileStrength = RmOfThickness(r, g.BandThickness);
  if (r.SigmaFactor == 0) r.SigmaFactor = 0.75;
  g.PermissibleStress = g.TensileStrength * r.SigmaFactor;
  g.EModulus = r.EModInt;
  g.Density = r.Rho;
}

long double RmOfThickness(const MaterialRecord& r, long double t) {
  if (std::isnan(t) || std::isinf(t)) {
    AddErrorMsg("Fatal  : t invalid !");
    return 0.1L;
  }
  if (t <= 0) {
    AddErrorMsg("Fatal  : t <= 0 !");
    return 0.1L;
  }
  if (r.DR0 == 0) {
    AddErrorMsg("Fatal  : DR0 = 0 !");
    return 0.1L;
  }
  long double rm = r.Rm0 - r.RmSlope * SafeLog10(t / r.DR0);
  if (r.RmMax > 1 && rm > r.RmMax) rm = r.RmMax;
  return rm;
}

long double EModulusAtTemp(const std::string& text, long double e, long double theta) {
  if (Contains(text, "10270-3") || Contains(text, "12166")) return e * (1 - (theta - 20) * 0.0004L);
  if (Contains(text, "10270-1") || Contains(text, "10270-2") || Contains(text, "10089"))
    return e * (1 - (theta - 20) * 0.00025L);
  return e * (3620 - theta) / 3600;
}

void GoodmanEvaluation(FamilyData& g, long double t, long double s1, long double s2, long double& sO,
                       long double& sH0, long double& m, long double& x, long double& sHz, std::string& label) {
  const MaterialRecord& r = g.MaterialRec;
  const bool dynamic = g.LoadType == 2;
  const long double sh = s2 - s1;
  label.clear();
  sO = 0;
  sH0 = 0;
  m = 0;
  sHz = 0;
  if (!std::isfinite(t) || !std::isfinite(s1) || !std::isfinite(s2)) {
    // Nothing sound can be said about a load cycle that is no number.
    AddErrorMsg("Fatal  : sigma invalid !");
    programState.FatalError = true;
    return;
  }

  if (r.GoodmanT0 > 0) {
    label = TrimStr(r.Text1) + " (" + TrimStr(r.Text3) + ")";
    const long double l = SafeLog10(t / r.GoodmanT0);
    const bool approx = !desktopSettings.HideWarnings && dynamic;
    if (g.ShotPeened == 'N') {
      if (r.SigO != 0 && r.SigH0 != 0) {
        sO = r.SigO - r.SigOSlope * l;
        sH0 = r.SigH0 - r.SigH0Slope * l;
        m = r.GoodmanSlope;
      } else {
        // Only the shot-peened values are known: unpeened strip endures less at zero lower stress.
        sO = r.SigOShot - r.SigOSlopeShot * l;
        sH0 = r.SigH0Shot / 1.2L - r.SigH0SlopeShot * l;
        m = r.GoodmanSlopeShot;
        if (approx) AddErrorMsg("Warnung: approx.Goodman");
      }
      label += " nicht kugelgestrahlt";
    } else {
      if (r.SigOShot != 0 && r.SigH0Shot != 0) {
        sO = r.SigOShot - r.SigOSlopeShot * l;
        sH0 = r.SigH0Shot - r.SigH0SlopeShot * l;
        m = r.GoodmanSlopeShot;
      } else {
        sO = r.SigO - r.SigOSlope * l;
        sH0 = r.SigH0 * 1.2L - r.SigH0Slope * l;
        m = r.GoodmanSlope;
        if (approx) AddErrorMsg("Warnung: approx.Goodman");
      }
      label += " kugelgestrahlt";
    }
  }

  const bool noData = sO == 0 && sH0 == 0 && m == 0;
  if (noData) {
    sHz = 0;
  } else if (m == 0) {
    AddErrorMsg("Fehler : yeb9wst Goodman");
    sHz = 0;
    return;
  } else {
    // Lower stress at which the Goodman line sH0 + m * s1 reaches the upper-stress limit.
    x = (sO - sH0) / m;
    sHz = x > s1 ? sH0 + m * s1 - s1 : sO - s1;
  }

  if (s2 == 0) {
    AddErrorMsg("Fehler : sigma2=0 !");
    programState.FatalError = true;
    return;
  }
  if (sh == 0) {
    AddErrorMsg("Fehler : sigmah=0 !");
    programState.FatalError = true;
    return;
  }
  g.FatigueSafetyFactor = sHz / sh;

  if (dynamic) {
    if (s2 < 0 || s1 < 0 || sH0 == 0) {
      g.CyclesToFracture = 0;
    } else if (sH0 > 0) {
      // 10^7 where the stroke stress equals the permissible one, a decade less per quarter of sH0 above.
      g.CyclesToFracture = Pow("Load cycles", 10, 11 - 4 * (sH0 + s2 - sHz - s1) / sH0);
    }
  } else {
    g.CyclesToFracture = 0;
  }

  if (sO > 0 && s2 > sO && dynamic) AddErrorMsg("Fehler : sigma2 > sigmao !");
  if (noData && dynamic && !desktopSettings.HideWarnings) AddErrorMsg("Warnung: kein Goodman-Diagramm");
}

void EvaluateFatigue(FamilyData& g, long double t, long double s1, long double s2) {
  const double factor = g.MaterialRec.SigmaFactor;
  // The material's Goodman values hold for stresses at 0.56 Rm; the working stresses are scaled to it.
  const long double k = factor == 0 ? 0.8L : 0.56L / factor;
  long double sO = 0, sH0 = 0, m = 0, x = 0, sHz = 0;
  std::string label;
  GoodmanEvaluation(g, t, k * s1, k * s2, sO, sH0, m, x, sHz, label);
  g.UpperStressLimit = sO / k;
  // What the Goodman diagram shows, so that a report never shows the fatigue life of another spring.
  g.PermissibleStrokeStress = sHz / k;
}

}  // namespace qorva
