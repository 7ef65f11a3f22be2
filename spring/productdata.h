#pragma once
// productdata: the product part of a constant-force spring: coil geometry, forces, travels and
// the other calculation results. Units: mm, N, N/mm², g, Nmm. The family part (material, band
// section, load data, stresses, fatigue) is familydata.

#include <cstdint>

namespace qorva {

struct Spring;
struct FamilyData;

struct ProductData {
  // Coil geometry.
  long double OuterDiameter = 85;    // De
  long double InnerDiameter = 80;    // Di (drum)
  long double BendingDiameter = 80;  // Dn, natural diameter; replaced by Dm outside Di..De
  long double MeanDiameter = 82.5;   // Dm = (De + Di) / 2

  // Pre-design inputs (b/t is also a result of the calculation).
  long double WidthThicknessRatio = 0;
  long double StressRatio = 1.0;     // permissible / working bending stress wanted

  // Results. Position 1 is always the unloaded spring (0); N is the limit state.
  long double MomentOfInertia = 0;   // I, mm^4
  long double SectionModulus = 0;    // W, mm^3
  long double TurnCount = 0;         // n
  long double Force1 = 0;
  long double Force2 = 30;           // F
  long double ForceN = 0;            // Fn at the permissible stress
  long double Travel1 = 0;
  long double Travel2 = 600;         // s
  long double TravelN = 0;
  long double StripLength = 0;       // L, whole mm
  long double SpringMass = 0;        // g
  long double SpringWork = 0;        // W02 = F * sn, Nmm
};


// The product's start values: q at its member values, and the family values the product overrides
// on top of the family defaults (material number 12, b 50, t 0.5, ...).
void SetStartInputs(FamilyData& g, ProductData& q);
// The demonstration's spring made of s: material 12, b 50, t 0.5, dynamic load, De 85, Di 80, Dn 80;
// nothing else of s changes.
void PresetDemoSpring(Spring& s);

}  // namespace qorva
