// calculation: calculation and pre-design of the constant-force spring.
#include "spring/calculation.h"

#include <cmath>
#include <numbers>
#include <string>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "spring/productdata.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "spring/familydata.h"

namespace qorva {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
// Dimensions below this are taken as missing.
constexpr long double kMinDimension = 0.001L;
// Dimensions above this (10 m) describe no constant-force spring; their results would not fit a
// table cell.
constexpr long double kMaxDimension = 10000;
constexpr int kPreDesignPasses = 5;

void Fatal(const std::string& text) {
  AddErrorMsg("Fatal  : " + text);
  programState.FatalError = true;
}

// A dimension that is missing, negative or no number stops the calculation.
bool DimensionOk(const char* name, long double v) {
  const std::string n = name;
  if (!std::isfinite(v)) {
    Fatal(n + " invalid !");
    return false;
  }
  if (std::fabs(v) < kMinDimension) {
    Fatal(n + " = 0 !");
    return false;
  }
  if (v < 0) {
    Fatal(n + " <= 0 !");
    return false;
  }
  if (v > kMaxDimension) {
    Fatal(n + " > 10 m !");
    return false;
  }
  return true;
}

}  // namespace

void CalcSpring(Spring& s) {
  FamilyData& g = s.family;
  ProductData& q = s.product;
  ClearErrors();

  const long double de = q.OuterDiameter;
  const long double di = q.InnerDiameter;
  const long double b = g.BandWidth;
  const long double t = g.BandThickness;
  if (!DimensionOk("De", de) || !DimensionOk("Di", di) || !DimensionOk("b", b) || !DimensionOk("t", t)) return;
  // The coil is wound on the drum: without room between them there is no spring.
  if (!(de > di)) {
    Fatal("Di >= De !");
    return;
  }

  MaterialValuesAtT(g);
  if (g.EModulus == 0) {
    Fatal("E = 0 !");
    return;
  }
  const long double e = EModulusAtTemp(g.MaterialText, g.EModulus, g.OperatingTemperature);
  // Every force and stress divides by E(T); a negative modulus has no meaning.
  if (!(e > 0) || !std::isfinite(e)) {
    Fatal("E(T) <= 0 !");
    return;
  }
  g.OperatingEModulus = e;

  // Results are collected first and written only when every one of them is a number.
  const long double inertia = b * t * t * t / 12;
  const long double section = b * t * t / 6;
  const long double ratio = b / t;
  const long double dm = (de + di) / 2;
  long double dn = q.BendingDiameter;
  if (!(dn >= di && dn <= de)) dn = dm;
  if (!(dn > 0)) {
    Fatal("Dn = 0 !");
    return;
  }
  const long double n = ((de - di) / 2) / t - 1;
  // Less than one layer of strip beyond the first: no turns, negative length and mass.
  if (!(n > 0)) {
    Fatal("n <= 0 !");
    return;
  }
  const long double force = n > 10 ? e * b * t * t * t / (6.5L * de) * (2 / dn - 1 / de)
                                   : e * b * t * t * t / (6.5L * dn * dn);
  const long double sigmaZul = g.PermissibleStress;
  const long double forceN = sigmaZul * sigmaZul * b * t / (6.5L * e);
  const long double sigma2 = e * t / dn;
  const long double length = RoundDec(0, kPi * n * dm);
  const long double travel = length - 5 * di;
  const long double mass = length * b * t * g.Density / 1000;
  const long double work = force * travel;
  if (!AllFinite({inertia, section, ratio, dm, dn, n, force, forceN, sigma2, length, travel, mass, work})) {
    Fatal("overflow !");
    return;
  }

  q.MomentOfInertia = inertia;
  q.SectionModulus = section;
  q.WidthThicknessRatio = ratio;
  q.MeanDiameter = dm;
  q.BendingDiameter = dn;
  q.TurnCount = n;
  q.Force1 = 0;
  q.Force2 = force;
  q.ForceN = forceN;
  g.StressN = sigmaZul;
  g.Stress1 = 0;
  g.Stress2 = sigma2;
  q.StripLength = length;
  q.Travel1 = 0;
  q.Travel2 = travel;
  q.TravelN = travel;
  q.SpringMass = mass;
  q.SpringWork = work;

  EvaluateFatigue(g, t, 0, sigma2);

  const MaterialRecord& r = g.MaterialRec;
  if (sigma2 > sigmaZul) AddErrorMsg("Fehler : sig.2 > sig.zul !");
  if (t < r.DMIN) AddErrorMsg("Warnung: t < DMIN (" + LengthStr(r.DMIN) + ")");
  if (t > r.DMAX && r.DMAX > 0) AddErrorMsg("Warnung: t > DMAX (" + LengthStr(r.DMAX) + ")");
  if (t > b) AddErrorMsg("Warnung: t > b !");
  if (n < 2) AddErrorMsg("Fehler : n < 2 !");
  if (travel < 0) AddErrorMsg("Fehler : s < 0 !");
}

bool PreDesign(Spring& spring) {
  FamilyData& g = spring.family;
  ProductData& q = spring.product;
  const long double f = q.Force2;
  const long double s = q.Travel2;
  const long double ratio = q.WidthThicknessRatio;
  const long double stressRatio = q.StressRatio;

  if (std::isnan(f) || (std::isinf(f) && f > 0)) {
    Fatal("F invalid !");
    return false;
  }
  if (!(f > 0)) {
    Fatal("F = 0 !");
    return false;
  }
  if (!std::isfinite(s)) {
    Fatal("s invalid !");
    return false;
  }
  if (!(ratio > 0) || !std::isfinite(ratio)) {
    Fatal("b/t <= 0 !");
    return false;
  }
  if (!(stressRatio > 0) || !std::isfinite(stressRatio)) {
    Fatal("Sigmaz/Sigma2 <= 0 !");
    return false;
  }

  // The passes work on the spring data itself (the material values follow BandThickness); a fatal
  // stop puts the spring back as it was, so the user's dimensions are never lost.
  const FamilyData savedFamily = g;
  const ProductData savedProduct = q;
  auto stop = [&](const std::string& text) {
    g = savedFamily;
    q = savedProduct;
    Fatal(text);
    return false;
  };

  long double t = 0.01L;
  long double e = 0;
  long double sigma2 = 0;
  for (int pass = 1; pass <= kPreDesignPasses; ++pass) {
    g.BandThickness = t;
    MaterialValuesAtT(g);
    if (g.EModulus == 0) return stop("E = 0 !");
    e = EModulusAtTemp(g.MaterialText, g.EModulus, g.OperatingTemperature);
    if (!(e > 0) || !std::isfinite(e)) return stop("E(T) <= 0 !");
    g.OperatingEModulus = e;
    if (!(g.PermissibleStress > 0) || !std::isfinite(g.PermissibleStress)) return stop("sig.zul <= 0 !");
    sigma2 = g.PermissibleStress / stressRatio;
    // From F = (b/t) t^2 sigma2^2 / (6.5 E) with sigma2 = E t / Dn at Dn = Di.
    t = std::sqrt(6.5L * f * e / ratio) / sigma2;
    if (!(t > 0) || !std::isfinite(t)) return stop("overflow !");
  }

  const long double b = t * ratio;
  const long double dn = t * e / sigma2;
  if (!(dn > 0) || !std::isfinite(dn) || !std::isfinite(b)) return stop("Dn = 0 !");
  const long double di = dn;
  long double dm = di;
  long double n = 0;
  long double de = di;
  for (int pass = 1; pass <= kPreDesignPasses; ++pass) {
    // Strip length L = pi n Dm must give the travel s = L - 5 Di.
    n = (5 * di + s) / (kPi * dm);
    de = 2 * t * (n + 1) + di;
    dm = (de + di) / 2;
    if (!std::isfinite(n) || !std::isfinite(de)) return stop("overflow !");
    if (!(dm > 0)) return stop("Dm <= 0 !");
  }
  // A travel far below zero winds no coil.
  if (!(de > 0)) return stop("De <= 0 !");

  g.BandThickness = t;
  g.BandWidth = b;
  g.Stress2 = sigma2;
  q.BendingDiameter = dn;
  q.InnerDiameter = di;
  q.MeanDiameter = dm;
  q.TurnCount = n;
  q.OuterDiameter = de;
  CalcSpring(spring);
  // A pre-designed spring that the calculation rejects is not kept either.
  if (programState.FatalError) {
    g = savedFamily;
    q = savedProduct;
    return false;
  }
  return true;
}

}  // namespace qorva
