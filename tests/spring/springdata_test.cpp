// Start values of the spring data, the order of the two initialisations and the demonstration spring.
#include <gtest/gtest.h>

#include "spring/qvarech.h"
#include "tests/spring/springfixture.h"

namespace qorva::test {
namespace {

class SpringDataTest : public SpringTest {};

TEST_F(SpringDataTest, StartValuesAreTheProductsOverTheFamilyDefaults) {
  const Yebglob9& g = yebglob9;
  const Qvaglob& q = qvaglob;
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
  const YEB9WST_Record& r = g.MaterialRec;
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

TEST_F(SpringDataTest, ReversedOrderLeavesTheFamilyDefaults) {
  InitSpringInputs();
  InitSpringDefaults();
  EXPECT_EQ(yebglob9.MaterialNumber, 5);
  EXPECT_EQ(yebglob9.BandWidth, 0);
  EXPECT_EQ(yebglob9.BandThickness, 0);
}

TEST_F(SpringDataTest, ProductStartTakesTheFamilyModulusAsOperatingModulus) {
  InitSpringDefaults();
  yebglob9.EModulus = 190000;
  InitSpringInputs();
  EXPECT_EQ(yebglob9.OperatingEModulus, 190000);
}

TEST_F(SpringDataTest, InitialisationIsAlsoTheReset) {
  yebglob9.DrawingName = "Feder";
  yebglob9.MaterialRec.Rm0 = 1800;
  qvaglob.WidthThicknessRatio = 80;
  qvaglob.StripLength = 900;
  InitSpringData();
  EXPECT_TRUE(yebglob9.DrawingName.empty());
  EXPECT_EQ(yebglob9.MaterialRec.Rm0, 0);
  EXPECT_EQ(qvaglob.WidthThicknessRatio, 0);
  EXPECT_EQ(qvaglob.StripLength, 0);
}

TEST_F(SpringDataTest, FirstCalculationSetsWidthThicknessRatio) {
  UseMaterial(RoundSteel());
  CalcSpring();
  EXPECT_FALSE(kwenvar.FatalError);
  EXPECT_EQ(qvaglob.WidthThicknessRatio, 100);
}

TEST_F(SpringDataTest, DemoSpringSetsOnlyItsSevenValues) {
  yebglob9.MaterialNumber = 3;
  yebglob9.BandWidth = 20;
  yebglob9.BandThickness = 0.2L;
  yebglob9.LoadType = 1;
  qvaglob.OuterDiameter = 40;
  qvaglob.InnerDiameter = 30;
  qvaglob.BendingDiameter = 31;
  qvaglob.Force2 = 12;
  qvaglob.Travel2 = 300;
  yebglob9.OperatingTemperature = 80;
  yebglob9.LoadFrequency = 5;
  yebglob9.DrawingName = "Rollfeder";
  PresetDemoSpring();
  EXPECT_EQ(yebglob9.MaterialNumber, 12);
  EXPECT_EQ(yebglob9.BandWidth, 50);
  EXPECT_EQ(yebglob9.BandThickness, 0.5L);
  EXPECT_EQ(yebglob9.LoadType, 2);
  EXPECT_EQ(qvaglob.OuterDiameter, 85);
  EXPECT_EQ(qvaglob.InnerDiameter, 80);
  EXPECT_EQ(qvaglob.BendingDiameter, 80);
  EXPECT_EQ(qvaglob.Force2, 12);
  EXPECT_EQ(qvaglob.Travel2, 300);
  EXPECT_EQ(yebglob9.OperatingTemperature, 80);
  EXPECT_EQ(yebglob9.LoadFrequency, 5);
  EXPECT_EQ(yebglob9.DrawingName, "Rollfeder");
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
