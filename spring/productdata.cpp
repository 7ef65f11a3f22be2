// productdata: product start values of the spring data and the demonstration spring.
#include "spring/productdata.h"

#include "spring/spring.h"
#include "spring/familydata.h"

namespace qorva {

void SetStartInputs(FamilyData& g, ProductData& q) {
  // The product's own part starts from its member values (WidthThicknessRatio stays 0 until the
  // first calculation); the family values below are the ones the product overrides.
  q = ProductData{};
  g.PermissibleStress = 0;
  g.OperatingEModulus = g.EModulus;
  g.BandWidth = 50;
  g.BandThickness = 0.5;
  g.ThicknessTolerance = 0;
  g.MaterialNumber = 12;
}

void PresetDemoSpring(Spring& s) {
  s.family.MaterialNumber = 12;
  s.family.BandWidth = 50;
  s.family.BandThickness = 0.5;
  s.family.LoadType = 2;
  s.product.OuterDiameter = 85;
  s.product.InnerDiameter = 80;
  s.product.BendingDiameter = 80;
}

}  // namespace qorva
