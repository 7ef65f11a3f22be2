// Start values of a new spring, the product's start over the family defaults and the demonstration spring.
#include <gtest/gtest.h>

#include "spring/calculation.h"
#include "tests/spring/springfixture.h"

namespace qorva::test {
namespace {

class SpringDataTest : public SpringTest {};

TEST_F(SpringDataTest, StartValuesAreTheProductsOverTheFamilyDefaults) {
  const FamilyData& g = spring.family;
  const ProductData& q = spring.product;
  EXPECT_EQ(g.MaterialNumber, 12);
  EXPECT_EQ(g.BandWidth, 50);
  EXPECT_EQ(g.BandThickness, 0.5L);
  EXPECT_EQ(q.OuterDiameter, 85);
  EXPECT_EQ(q.InnerDiameter, 80);
  EXPECT_EQ(q.BendingDiameter, 80);
  EXPECT_EQ(q.MeanDiameter, 82.5L);
  EXPECT_EQ(q.Force2, 30);
  EXPECT_EQ(q.Travel2, 600);
  EXPECT_EQ(q.StressRatio, 1);
  EXPECT_EQ(q.WidthThicknessRatio, 0);
  EXPECT_EQ(g.LoadType, 2);
  EXPECT_EQ(g.OperatingTemperature, 20);
  EXPECT_EQ(g.ShotPeened, 'N');
  EXPECT_EQ(g.EModulus, 210000);
  EXPECT_EQ(g.OperatingEModulus, 210000);
  EXPECT_EQ(g.Density, 7.8L);
  EXPECT_EQ(g.PermissibleStress, 0);  // no material chosen yet
  EXPECT_EQ(g.PermissibleStrokeStress, 0);
  EXPECT_EQ(g.CyclesToFracture, 0);
  EXPECT_TRUE(g.MaterialText.empty());
  EXPECT_EQ(g.ToleranceStandard, 0);
  EXPECT_EQ(g.SurfaceKind, 0);

  // The cleared material record.
  const MaterialRecord& r = g.MaterialRec;
  EXPECT_TRUE(r.Text1.empty() && r.Text2.empty() && r.Text3.empty() && r.Text4.empty() && r.Text28.empty());
  EXPECT_EQ(r.EModInt, 0);
  EXPECT_EQ(r.Rm0, 0);
  EXPECT_EQ(r.ListNo, 0);
  EXPECT_EQ(r.Rho, 7.8);
  EXPECT_EQ(r.DR0, 1.0);
  EXPECT_EQ(r.GoodmanT0, 1.0);
  EXPECT_EQ(r.Value25, 0.3);
  EXPECT_EQ(r.SigmaFactor, 0.75);
  EXPECT_EQ(r.GoodmanSlope, 0);
  EXPECT_EQ(r.DMAX, 0);
}

TEST_F(SpringDataTest, FamilyDefaultsUnderneathTheProductStart) {
  const FamilyData defaults;
  EXPECT_EQ(defaults.MaterialNumber, 5);
  EXPECT_EQ(defaults.BandWidth, 0);
  EXPECT_EQ(defaults.BandThickness, 0);
}

TEST_F(SpringDataTest, ProductStartTakesTheFamilyModulusAsOperatingModulus) {
  FamilyData g;
  ProductData q;
  g.EModulus = 190000;
  q.StripLength = 900;
  SetStartInputs(g, q);
  EXPECT_EQ(g.OperatingEModulus, 190000);
  EXPECT_EQ(q.StripLength, 0);
}

TEST_F(SpringDataTest, ANewSpringCarriesNothingOfAnother) {
  spring.family.DrawingName = "Feder";
  spring.family.MaterialRec.Rm0 = 1800;
  spring.product.WidthThicknessRatio = 80;
  spring.product.StripLength = 900;
  spring.TitleLines[2] = "Zeile";
  spring.drawing.ChangeCount = 2;
  spring = NewSpring();
  EXPECT_TRUE(spring.family.DrawingName.empty());
  EXPECT_EQ(spring.family.MaterialRec.Rm0, 0);
  EXPECT_EQ(spring.product.WidthThicknessRatio, 0);
  EXPECT_EQ(spring.product.StripLength, 0);
  EXPECT_EQ(spring.TitleLines[2], "");
  EXPECT_EQ(spring.drawing.ChangeCount, 0);
  EXPECT_EQ(spring.documents.DocumentLinks[1].Program, "xdg-open");
}

TEST_F(SpringDataTest, FirstCalculationSetsWidthThicknessRatio) {
  UseMaterial(RoundSteel());
  CalcSpring(spring);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_EQ(spring.product.WidthThicknessRatio, 100);
}

TEST_F(SpringDataTest, DemoSpringSetsOnlyItsSevenValues) {
  spring.family.MaterialNumber = 3;
  spring.family.BandWidth = 20;
  spring.family.BandThickness = 0.2L;
  spring.family.LoadType = 1;
  spring.product.OuterDiameter = 40;
  spring.product.InnerDiameter = 30;
  spring.product.BendingDiameter = 31;
  spring.product.Force2 = 12;
  spring.product.Travel2 = 300;
  spring.family.OperatingTemperature = 80;
  spring.family.LoadFrequency = 5;
  spring.family.DrawingName = "Rollfeder";
  PresetDemoSpring(spring);
  EXPECT_EQ(spring.family.MaterialNumber, 12);
  EXPECT_EQ(spring.family.BandWidth, 50);
  EXPECT_EQ(spring.family.BandThickness, 0.5L);
  EXPECT_EQ(spring.family.LoadType, 2);
  EXPECT_EQ(spring.product.OuterDiameter, 85);
  EXPECT_EQ(spring.product.InnerDiameter, 80);
  EXPECT_EQ(spring.product.BendingDiameter, 80);
  EXPECT_EQ(spring.product.Force2, 12);
  EXPECT_EQ(spring.product.Travel2, 300);
  EXPECT_EQ(spring.family.OperatingTemperature, 80);
  EXPECT_EQ(spring.family.LoadFrequency, 5);
  EXPECT_EQ(spring.family.DrawingName, "Rollfeder");
}

TEST_F(SpringDataTest, OptionLists) {
  EXPECT_EQ(LoadTypeNames[1], "statisch");
  EXPECT_EQ(LoadTypeNames[2], "dynamisch");
  EXPECT_EQ(SurfaceNames[4], "gesch\x84lt");
  EXPECT_EQ(ToleranceClassNames[0], "....");
  EXPECT_EQ(ToleranceClassNames[4], "EN 10092-1 (t<=60mm, 50<W<=150mm");
  EXPECT_EQ(ToleranceClassNames[7], "ISO 9445-1 (P) (t<=3, w<600)");
}

}  // namespace
}  // namespace qorva::test
