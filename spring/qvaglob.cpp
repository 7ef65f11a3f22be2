// qvaglob: product start values of the spring data and the demonstration spring.
#include "spring/qvaglob.h"

#include "spring/yebglob9.h"

namespace qorva {



void InitSpringInputs() {
  // The product's own part starts from its member values (WidthThicknessRatio stays 0 until the
  // first calculation); the family values below are the ones the product overrides.
  qvaglob = Qvaglob{};
  yebglob9.PermissibleStress = 0;
  yebglob9.OperatingEModulus = yebglob9.EModulus;
  yebglob9.BandWidth = 50;
  yebglob9.BandThickness = 0.5;
  yebglob9.ThicknessTolerance = 0;
  yebglob9.MaterialNumber = 12;
}

void InitSpringData() {
  // Family first: the product's values must win.
  InitSpringDefaults();
  InitSpringInputs();
}

void PresetDemoSpring() {
  yebglob9.MaterialNumber = 12;
  yebglob9.BandWidth = 50;
  yebglob9.BandThickness = 0.5;
  yebglob9.LoadType = 2;
  qvaglob.OuterDiameter = 85;
  qvaglob.InnerDiameter = 80;
  qvaglob.BendingDiameter = 80;
}

}  // namespace qorva
