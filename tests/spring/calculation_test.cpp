// Calculation and pre-design of the constant-force spring, checked against values worked out by hand.
#include "spring/calculation.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/errorlist.h"
#include "spring/spring.h"
#include "tests/spring/springfixture.h"

namespace qorva::test {
namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

double D(long double x) { return static_cast<double>(x); }

class CalcSpringTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    UseMaterial(RoundSteel());
  }
};

TEST_F(CalcSpringTest, StartSpringOnMaterialTwelveByHand) {
  // The start-up calculation: material record 12 of the table, b 50, t 0.5, De 85, Di 80, Dn 80.
  std::vector<MaterialTableRow> rows;
  for (int i = 1; i <= 11; ++i) rows.push_back(Row(RoundSteel("other").set(5, "100000")));
  rows.push_back(Row(RoundSteel()));
  useTable(rows);
  ASSERT_TRUE(LoadMaterialByNumber(spring.family, spring.family.MaterialNumber));
  CalcSpring(spring);
  const ProductData& q = spring.product;
  const FamilyData& g = spring.family;
  EXPECT_FALSE(programState.FatalError);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  // E 200000, Rm 2000, sigma zul = 0.7 * 2000 = 1400.
  EXPECT_EQ(g.TensileStrength, 2000);
  EXPECT_NEAR(D(g.PermissibleStress), 1400, 1e-9);
  EXPECT_EQ(g.OperatingEModulus, 200000);
  // I = 50 * 0.5^3 / 12 = 0.5208333; W = 50 * 0.5^2 / 6 = 2.0833333; b/t = 100.
  EXPECT_NEAR(D(q.MomentOfInertia), 6.25 / 12, 1e-15);
  EXPECT_NEAR(D(q.SectionModulus), 12.5 / 6, 1e-15);
  EXPECT_EQ(q.WidthThicknessRatio, 100);
  // Dm = 82.5; Dn 80 lies in Di..De; n = 2.5 / 0.5 - 1 = 4.
  EXPECT_EQ(q.MeanDiameter, 82.5L);
  EXPECT_EQ(q.BendingDiameter, 80);
  EXPECT_EQ(q.TurnCount, 4);
  // n <= 10: F = E b t^3 / (6.5 Dn^2) = 200000 * 50 * 0.125 / (6.5 * 6400) = 1250000 / 41600 = 30.0480769.
  EXPECT_NEAR(D(q.Force2), 30.048076923076923, 1e-12);
  EXPECT_EQ(q.Force1, 0);
  // Fn = 1400^2 * 50 * 0.5 / (6.5 * 200000) = 49000000 / 1300000 = 37.6923077.
  EXPECT_NEAR(D(q.ForceN), 37.692307692307692, 1e-12);
  // sigma2 = 200000 * 0.5 / 80 = 1250; sigmaN = sigma zul.
  EXPECT_NEAR(D(g.Stress2), 1250, 1e-12);
  EXPECT_EQ(g.Stress1, 0);
  EXPECT_NEAR(D(g.StressN), 1400, 1e-9);
  // L = pi * 4 * 82.5 = 1036.73 -> 1037; s = sn = 1037 - 5 * 80 = 637.
  EXPECT_EQ(q.StripLength, 1037);
  EXPECT_EQ(q.Travel2, 637);
  EXPECT_EQ(q.TravelN, 637);
  EXPECT_EQ(q.Travel1, 0);
  // m = 1037 * 50 * 0.5 * 7.9 / 1000 = 204.8075 g; W02 = 1250000 / 41600 * 637 = 19140.625 Nmm.
  EXPECT_NEAR(D(q.SpringMass), 204.8075, 1e-9);
  EXPECT_NEAR(D(q.SpringWork), 19140.625, 1e-9);
  // Fatigue: k = 0.56 / 0.7 = 0.8, scaled sigma2 1000 against sO 1200, sH0 500, m 0.5:
  // sHz 500 -> 625 unscaled; sO / k = 1500; safety 500 / 1000 = 0.5;
  // cycles 10^(11 - 4 (500 + 1000 - 500) / 500) = 10^3.
  EXPECT_NEAR(D(g.UpperStressLimit), 1500, 1e-9);
  EXPECT_NEAR(D(g.PermissibleStrokeStress), 625, 1e-9);
  EXPECT_NEAR(D(g.FatigueSafetyFactor), 0.5, 1e-12);
  EXPECT_NEAR(D(g.CyclesToFracture), 1000, 1e-9);
}

TEST_F(CalcSpringTest, ManyTurnsUseTheOuterDiameterLaw) {
  // t 0.2, De 100, Di 80, Dn 90: n = 10 / 0.2 - 1 = 49 > 10, so
  // F = E b t^3 / (6.5 De) * (2 / Dn - 1 / De) = 80000 / 650 * 110 / 9000 = 176 / 117 = 1.5042735;
  // sigma2 = 200000 * 0.2 / 90 = 444.444; L = pi * 49 * 90 = 13854.42 -> 13854; s = 13854 - 400 = 13454.
  spring.family.BandThickness = 0.2L;
  spring.product.OuterDiameter = 100;
  spring.product.BendingDiameter = 90;
  CalcSpring(spring);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_NEAR(D(spring.product.TurnCount), 49, 1e-15);
  EXPECT_NEAR(D(spring.product.Force2), 176.0 / 117.0, 1e-14);
  EXPECT_NEAR(D(spring.family.Stress2), 4000.0 / 9.0, 1e-11);
  EXPECT_EQ(spring.product.StripLength, 13854);
  EXPECT_EQ(spring.product.Travel2, 13454);
  EXPECT_EQ(spring.product.WidthThicknessRatio, 250);
}

TEST_F(CalcSpringTest, TenTurnsStillUseTheNaturalDiameterLaw) {
  struct Case {
    long double de;
    long double n;
    double force;
  } cases[] = {
      // n = 5.5 / 0.5 - 1 = 10: 1250000 / (6.5 * 80^2) = 30.0480769
      {91, 10, 30.048076923076923},
      // n = 5.6 / 0.5 - 1 = 10.2: 1250000 / (6.5 * 91.2) * (2/80 - 1/91.2) = 29.5949049
      {91.2L, 10.2L, 29.594904941165332},
  };
  for (const Case& c : cases) {
    spring.product.OuterDiameter = c.de;
    CalcSpring(spring);
    EXPECT_NEAR(D(spring.product.TurnCount), D(c.n), 1e-15);
    EXPECT_NEAR(D(spring.product.Force2), c.force, 1e-9) << D(c.de);
  }
}

TEST_F(CalcSpringTest, NaturalDiameterOutsideTheCoilBecomesTheMeanDiameter) {
  struct Case {
    long double dn, used;
  } cases[] = {{79.9L, 82.5L}, {80, 80}, {82, 82}, {85, 85}, {85.1L, 82.5L}, {0, 82.5L}, {kNaN, 82.5L}};
  for (const Case& c : cases) {
    spring.product.BendingDiameter = c.dn;
    CalcSpring(spring);
    EXPECT_EQ(spring.product.BendingDiameter, c.used) << D(c.dn);
    EXPECT_NEAR(D(spring.family.Stress2), D(200000 * 0.5L / c.used), 1e-9);
  }
}

TEST_F(CalcSpringTest, FatalStopsKeepEveryResult) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    const char* msg;
  } cases[] = {
      {"De 0", [this] { spring.product.OuterDiameter = 0; }, "Fatal  : De = 0 !"},
      {"De 0.0009", [this] { spring.product.OuterDiameter = 0.0009L; }, "Fatal  : De = 0 !"},
      {"De negative", [this] { spring.product.OuterDiameter = -85; }, "Fatal  : De <= 0 !"},
      {"Di 0", [this] { spring.product.InnerDiameter = 0; }, "Fatal  : Di = 0 !"},
      {"Di negative", [this] { spring.product.InnerDiameter = -80; }, "Fatal  : Di <= 0 !"},
      {"b 0", [this] { spring.family.BandWidth = 0; }, "Fatal  : b = 0 !"},
      {"b negative", [this] { spring.family.BandWidth = -50; }, "Fatal  : b <= 0 !"},
      {"t 0.0009", [this] { spring.family.BandThickness = 0.0009L; }, "Fatal  : t = 0 !"},
      {"t negative", [this] { spring.family.BandThickness = -0.5L; }, "Fatal  : t <= 0 !"},
      {"t no number", [this] { spring.family.BandThickness = kNaN; }, "Fatal  : t invalid !"},
      {"De infinite", [this] { spring.product.OuterDiameter = std::numeric_limits<long double>::infinity(); },
       "Fatal  : De invalid !"},
      {"E 0", [this] { spring.family.MaterialRec.EModInt = 0; }, "Fatal  : E = 0 !"},
      {"E negative", [this] { spring.family.MaterialRec.EModInt = -200000; }, "Fatal  : E(T) <= 0 !"},
      {"E(T) 0", [this] { spring.family.MaterialText.clear(); spring.family.OperatingTemperature = 3620; },
       "Fatal  : E(T) <= 0 !"},
      {"E(T) negative", [this] { spring.family.OperatingTemperature = 5000; }, "Fatal  : E(T) <= 0 !"},
      {"temperature no number", [this] { spring.family.OperatingTemperature = kNaN; }, "Fatal  : E(T) <= 0 !"},
      {"De absurdly large", [this] { spring.product.OuterDiameter = 1e9L; }, "Fatal  : De > 10 m !"},
      {"De far beyond any number", [this] { spring.product.OuterDiameter = 1e4000L; }, "Fatal  : De > 10 m !"},
      {"b absurdly large", [this] { spring.family.BandWidth = 10000.01L; }, "Fatal  : b > 10 m !"},
      {"De below Di", [this] { spring.product.OuterDiameter = 10; spring.product.InnerDiameter = 54.61L; }, "Fatal  : Di >= De !"},
      {"De equal to Di", [this] { spring.product.OuterDiameter = 80; }, "Fatal  : Di >= De !"},
      {"coil thinner than the strip", [this] { spring.product.OuterDiameter = 80.9L; }, "Fatal  : n <= 0 !"},
      {"coil of one strip", [this] { spring.product.OuterDiameter = 81; }, "Fatal  : n <= 0 !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spring = NewSpring();
    UseMaterial(RoundSteel());
    CalcSpring(spring);  // a good spring first
    ASSERT_FALSE(programState.FatalError);
    const ProductData before = spring.product;
    const long double stress2 = spring.family.Stress2;
    const long double operatingE = spring.family.OperatingEModulus;
    const long double strokeStress = spring.family.PermissibleStrokeStress;
    const long double cycles = spring.family.CyclesToFracture;
    c.setup();
    const long double de = spring.product.OuterDiameter, di = spring.product.InnerDiameter;
    CalcSpring(spring);
    EXPECT_TRUE(programState.FatalError);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.msg});
    EXPECT_EQ(spring.product.TurnCount, before.TurnCount);
    EXPECT_EQ(spring.product.Force2, before.Force2);
    EXPECT_EQ(spring.product.StripLength, before.StripLength);
    EXPECT_EQ(spring.product.Travel2, before.Travel2);
    EXPECT_EQ(spring.product.SpringMass, before.SpringMass);
    EXPECT_EQ(spring.product.MeanDiameter, before.MeanDiameter);
    EXPECT_EQ(spring.product.WidthThicknessRatio, before.WidthThicknessRatio);
    EXPECT_EQ(spring.family.Stress2, stress2);
    EXPECT_EQ(spring.family.OperatingEModulus, operatingE);
    EXPECT_EQ(spring.family.PermissibleStrokeStress, strokeStress);
    EXPECT_EQ(spring.family.CyclesToFracture, cycles);
    EXPECT_TRUE(spring.product.OuterDiameter == de || std::isnan(de)) << "inputs untouched";
    EXPECT_EQ(spring.product.InnerDiameter, di);
  }
}

TEST_F(CalcSpringTest, AValueIsCalculatedAsCalcSpringCalculatesItAndLeavesItAlone) {
  // The test's spring with a message of its own.
  CalcSpring(spring);
  AddErrorMsg("Warnung: offen");
  const Spring open = spring;
  const ErrorList messages = errorList;

  struct Case {
    const char* name;
    void (*change)(Spring&);
    bool fatal;
  } cases[] = {
      {"wider and thinner", [](Spring& s) { s.family.BandWidth = 30; s.family.BandThickness = 0.3L; }, false},
      {"outer below inner", [](Spring& s) { s.product.OuterDiameter = 10; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spring value = open;
    c.change(value);
    const MaterialRecord material = spring.family.MaterialRec;
    const CalcOutcome out = Calculate(value, material);

    // The same spring calculated in place.
    spring = value;
    CalcSpring(spring);
    EXPECT_EQ(out.fatal, programState.FatalError);
    EXPECT_EQ(out.product.Force2, spring.product.Force2);
    EXPECT_EQ(out.product.StripLength, spring.product.StripLength);
    EXPECT_EQ(out.family.Stress2, spring.family.Stress2);
    EXPECT_EQ(out.family.CyclesToFracture, spring.family.CyclesToFracture);
    EXPECT_EQ(out.messages, Messages());
    EXPECT_EQ(out.fatal, c.fatal);

    spring = open;
    errorList = messages;
    programState.FatalError = false;
    // Calculating the value again leaves the test's spring and its messages alone.
    Calculate(value, material);
    EXPECT_EQ(spring.product.Force2, open.product.Force2);
    EXPECT_EQ(spring.family.BandWidth, open.family.BandWidth);
    EXPECT_EQ(errorList.ErrorMsgs, messages.ErrorMsgs);
    EXPECT_EQ(errorList.ErrorCount, messages.ErrorCount);
    EXPECT_FALSE(programState.FatalError);
  }
}

TEST_F(CalcSpringTest, SmallestDimensionPasses) {
  spring.product.OuterDiameter = 80.003L;  // n = 0.5
  spring.product.InnerDiameter = 80;
  spring.family.BandThickness = 0.001L;
  spring.family.BandWidth = 0.001L;
  CalcSpring(spring);
  for (const std::string& m : Messages()) EXPECT_NE(m.rfind("Fatal", 0), 0u) << m;
  EXPECT_FALSE(programState.FatalError);
}

TEST_F(CalcSpringTest, WarningsAndErrorsInTheirOrder) {
  // t 0.5 with DMIN 0.6, b 0.4, De 81.5: n = 0.75 / 0.5 - 1 = 0.5, L = pi * 0.5 * 80.75 = 127, s = -273.
  UseMaterial(RoundSteel().set(22, "0.6").set(7, "1000"));  // sigma zul 700 < sigma2 1250
  spring.family.BandWidth = 0.4L;
  spring.product.OuterDiameter = 81.5L;
  CalcSpring(spring);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Fehler : sig.2 > sig.zul !", "Warnung: t < DMIN (0.6)",
                                                  "Warnung: t > b !", "Fehler : n < 2 !", "Fehler : s < 0 !"}));
  // Results are still computed.
  EXPECT_EQ(spring.product.TurnCount, 0.5L);
  EXPECT_EQ(spring.product.Travel2, -273);
}

TEST_F(CalcSpringTest, LimitsThemselvesPass) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    std::vector<std::string> msgs;
  } cases[] = {
      {"t = DMIN", [this] { UseMaterial(RoundSteel().set(22, "0.5")); }, {}},
      {"t = DMAX", [this] { UseMaterial(RoundSteel().set(23, "0.5")); }, {}},
      {"t > DMAX", [this] { UseMaterial(RoundSteel().set(23, "0.4")); }, {"Warnung: t > DMAX (0.4)"}},
      {"DMAX 0", [this] { UseMaterial(RoundSteel().set(23, "0")); }, {}},
      {"t = b", [this] { spring.family.BandWidth = 0.5L; }, {}},
      // n = 1.5 / 0.5 - 1 = 2: L = pi * 2 * 81.5 = 512.1 -> 512, s = 112
      {"n = 2", [this] { spring.product.OuterDiameter = 83; }, {}},
      // sigma2 = 1250 = 0.625 * 2000
      {"sigma2 = sigma zul", [this] { UseMaterial(RoundSteel().set(27, "0.625")); }, {}},
      // n = 1.25 / 0.5 - 1 = 1.5; L = pi * 1.5 * 81.25 = 382.9 -> 383; s = 383 - 400 = -17
      {"s just negative", [this] { spring.product.OuterDiameter = 82.5L; }, {"Fehler : n < 2 !", "Fehler : s < 0 !"}},
      // n = 1.283 / 0.5 - 1 = 1.566; L = pi * 1.566 * 81.283 = 399.9 -> 400; s = 400 - 400 = 0
      {"s = 0", [this] { spring.product.OuterDiameter = 82.566L; }, {"Fehler : n < 2 !"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spring = NewSpring();
    UseMaterial(RoundSteel());
    c.setup();
    CalcSpring(spring);
    EXPECT_EQ(Messages(), c.msgs);
  }
}

TEST_F(CalcSpringTest, DmaxWarningInTheCurrentUnits) {
  UseMaterial(RoundSteel().set(23, "0.254"));
  desktopSettings.UnitSystem = 1;  // inch
  CalcSpring(spring);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: t > DMAX (0.0100)"});
}

TEST_F(CalcSpringTest, StaticLoad) {
  spring.family.LoadType = 1;
  spring.family.CyclesToFracture = 77;
  UseMaterial(RoundSteel().set(11, "0"));  // no Goodman data: no warning for static load
  spring.family.BandThickness = 0.6L;           // sigma2 1500 > sigma zul 1400
  CalcSpring(spring);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler : sig.2 > sig.zul !"});
  EXPECT_EQ(spring.family.CyclesToFracture, 0);
  EXPECT_EQ(spring.family.FatigueSafetyFactor, 0);

  UseMaterial(RoundSteel().set(16, "0"));  // Goodman data without slope
  CalcSpring(spring);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Fehler : yeb9wst Goodman", "Fehler : sig.2 > sig.zul !"}));

  UseMaterial(RoundSteel());
  CalcSpring(spring);
  // sHz 500 at scaled sigma2 1200: safety 500 / 1200, still computed for static load.
  EXPECT_NEAR(D(spring.family.FatigueSafetyFactor), 500.0 / 1200.0, 1e-12);
  EXPECT_EQ(spring.family.CyclesToFracture, 0);
  EXPECT_FALSE(programState.FatalError);
}

TEST_F(CalcSpringTest, EveryCalculationSetsThePermissibleStroke) {
  CalcSpring(spring);
  EXPECT_NEAR(D(spring.family.PermissibleStrokeStress), 625, 1e-9);
  // The next spring's material has no Goodman data: no fatigue life of the spring before.
  UseMaterial(RoundSteel().set(11, "0"));
  CalcSpring(spring);
  EXPECT_EQ(spring.family.PermissibleStrokeStress, 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: kein Goodman-Diagramm"});
}

TEST_F(CalcSpringTest, ModulusAtTemperatureEntersTheForce) {
  // EN 10270-1 at 120 degrees: E(T) = 0.975 * 200000 = 195000; F = 195000 * 6.25 / 41600.
  spring.family.OperatingTemperature = 120;
  CalcSpring(spring);
  EXPECT_NEAR(D(spring.family.OperatingEModulus), 195000, 1e-9);
  EXPECT_EQ(spring.family.EModulus, 200000);
  EXPECT_NEAR(D(spring.product.Force2), 195000 * 6.25 / 41600, 1e-9);
  // Fn = 1400^2 * 50 * 0.5 / (6.5 * 195000); sigma2 = 195000 * 0.5 / 80.
  EXPECT_NEAR(D(spring.product.ForceN), 49000000.0 / 1267500.0, 1e-9);
  EXPECT_NEAR(D(spring.family.Stress2), 1218.75, 1e-9);
}

TEST_F(CalcSpringTest, ChosenMaterialBringsItsModulusRule) {
  // Stainless after EN 10270-3 at 120 degrees: E(T) = 200000 * (1 - 100 * 0.0004) = 192000, not the
  // rule of the material before (here none: 200000 * 3500 / 3600).
  useTable({Row(RoundSteel("X10CrNi18-8 EN 10270-3"))});
  spring.family.MaterialText.clear();
  spring.family.OperatingTemperature = 120;
  browser = [](MaterialTable& t, uint16_t, const std::string&, const std::string&) {
    return t.gotoRecord(1);
  };
  SelectMaterial(spring.family, 1);
  ASSERT_FALSE(programState.ErrorFlag);
  CalcSpring(spring);
  EXPECT_NEAR(D(spring.family.OperatingEModulus), 192000, 1e-9);
}

TEST_F(CalcSpringTest, StartsFromAnEmptyList) {
  AddErrorMsg("Warnung: alt");
  programState.FatalError = true;
  CalcSpring(spring);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  EXPECT_FALSE(programState.FatalError);
}

// ---- Pre-design ----

class PreDesignTest : public CalcSpringTest {
 protected:
  void SetUp() override {
    CalcSpringTest::SetUp();
    spring.product.Force2 = 30;
    spring.product.Travel2 = 600;
    spring.product.WidthThicknessRatio = 100;
    spring.product.StressRatio = 1;
  }
};

TEST_F(PreDesignTest, ConstantStrengthByHand) {
  // sigma2 = sigma zul = 1400 at every thickness:
  // t = sqrt(6.5 * 30 * 200000 / 100) / 1400 = sqrt(390000) / 1400 = 0.446071286;
  // b = 44.6071286; Dn = Di = t E / sigma2 = 63.7244694.
  // De after five passes n = (5 Di + s) / (pi Dm), De = 2 t (n + 1) + Di, Dm = (De + Di) / 2:
  // n 4.588607, 4.415858, 4.421003, 4.420849, 4.420854 -> De 68.5606440.
  EXPECT_TRUE(PreDesign(spring));
  EXPECT_NEAR(D(spring.family.BandThickness), 0.4460712855998856, 1e-13);
  EXPECT_NEAR(D(spring.family.BandWidth), 44.60712855998856, 1e-11);
  EXPECT_NEAR(D(spring.product.InnerDiameter), 63.724469371412226, 1e-10);
  EXPECT_NEAR(D(spring.product.BendingDiameter), 63.724469371412226, 1e-10);
  EXPECT_NEAR(D(spring.product.OuterDiameter), 68.56064396308346, 1e-10);
  // The calculation that follows gives back the wanted force (n 4.42 <= 10): F = (b/t) t^2 sigma2^2 / (6.5 E).
  EXPECT_NEAR(D(spring.product.Force2), 30, 1e-9);
  EXPECT_NEAR(D(spring.family.Stress2), 1400, 1e-9);
  // L = pi * 4.420854 * 66.142557 = 918.6 -> 919, s = 919 - 5 * 63.724469 = 600.378.
  EXPECT_EQ(spring.product.StripLength, 919);
  EXPECT_NEAR(D(spring.product.Travel2), 600.3776531429389, 1e-9);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(PreDesignTest, MarginOnThePermissibleStressAndTemperature) {
  // Constant strength, sigma zul 1400: sigma2 = 1400 / StressRatio, t = sqrt(6.5 F E(T) / (b/t)) / sigma2,
  // Dn = Di = t E(T) / sigma2; EN 10270-1 at 120 degrees: E(T) = 0.975 * 200000 = 195000.
  struct Case {
    long double stressRatio, theta;
    double t, dn, de, sigma2;
  } cases[] = {
      // sqrt(390000) / 1120 = 0.5575891; Dn = 0.5575891 * 200000 / 1120 = 99.5694834
      {1.25L, 20, 0.557589106999857, 99.5694833928316, 104.50392808115868, 1120},
      // sqrt(380250) / 1400 = 0.4404601; Dn = 0.4404601 * 195000 / 1400 = 61.3498000
      {1, 120, 0.44046010266630997, 61.34980001423604, 66.21698538810665, 1400},
      {1.25L, 120, 0.5505751283328875, 95.8590625222438, 100.80734241556647, 1120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ratio " << D(c.stressRatio) << " theta " << D(c.theta));
    spring = NewSpring();
    UseMaterial(RoundSteel());
    spring.product.Force2 = 30;
    spring.product.Travel2 = 600;
    spring.product.WidthThicknessRatio = 100;
    spring.product.StressRatio = c.stressRatio;
    spring.family.OperatingTemperature = c.theta;
    PreDesign(spring);
    EXPECT_FALSE(programState.FatalError);
    EXPECT_NEAR(D(spring.family.BandThickness), c.t, 1e-13);
    EXPECT_NEAR(D(spring.family.BandWidth), c.t * 100, 1e-11);
    EXPECT_NEAR(D(spring.product.InnerDiameter), c.dn, 1e-10);
    EXPECT_NEAR(D(spring.product.BendingDiameter), c.dn, 1e-10);
    EXPECT_NEAR(D(spring.product.OuterDiameter), c.de, 1e-10);
    EXPECT_NEAR(D(spring.family.Stress2), c.sigma2, 1e-9);
    // The calculation gives back the wanted force with the modulus at temperature.
    EXPECT_NEAR(D(spring.product.Force2), 30, 1e-9);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
  }
}

TEST_F(PreDesignTest, FivePassesExactly) {
  // Rm = 2000 - 300 log10 t: the thickness after pass 4 is 0.4223363138, after pass 5 0.4223555020
  // (pass 1 at t 0.01: sigma zul 1820, t 0.3431318; pass 2: 1497.553, 0.4170134; pass 3: 1479.768,
  // 0.4220253; pass 4: 1478.679, 0.4223363; pass 5: 1478.612, 0.4223555).
  // De after four geometry passes 61.97218396, after five 61.97219059.
  UseMaterial(RoundSteel().set(10, "300"));
  PreDesign(spring);
  EXPECT_NEAR(D(spring.family.BandThickness), 0.42235550202851246, 1e-12);
  EXPECT_NEAR(D(spring.product.InnerDiameter), 57.12865565033182, 1e-9);
  EXPECT_NEAR(D(spring.product.OuterDiameter), 61.972190585300375, 1e-9);
  // sigma2 comes from sigma zul at the thickness of pass 4 (1478.6117) and is compared with sigma zul at
  // the final, larger thickness (1478.6076).
  EXPECT_NEAR(D(spring.family.Stress2), 1478.6117307350266, 1e-8);
  EXPECT_NEAR(D(spring.family.PermissibleStress), 1478.6075872162253, 1e-8);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler : sig.2 > sig.zul !"});
}

TEST_F(PreDesignTest, ZeroForceAddsOnlyItsMessage) {
  AddErrorMsg("Warnung: vorher");
  spring.product.Force2 = 0;
  spring.product.TurnCount = 7;
  EXPECT_FALSE(PreDesign(spring));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Warnung: vorher", "Fatal  : F = 0 !"}));
  EXPECT_TRUE(programState.FatalError);
  EXPECT_EQ(spring.product.TurnCount, 7) << "no calculation follows";
}

TEST_F(PreDesignTest, FatalStopsLeaveTheSpringAsItWas) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    const char* msg;
  } cases[] = {
      {"F negative", [this] { spring.product.Force2 = -30; }, "Fatal  : F = 0 !"},
      {"F no number", [this] { spring.product.Force2 = kNaN; }, "Fatal  : F invalid !"},
      {"s no number", [this] { spring.product.Travel2 = kNaN; }, "Fatal  : s invalid !"},
      {"b/t 0", [this] { spring.product.WidthThicknessRatio = 0; }, "Fatal  : b/t <= 0 !"},
      {"b/t negative", [this] { spring.product.WidthThicknessRatio = -100; }, "Fatal  : b/t <= 0 !"},
      {"stress ratio 0", [this] { spring.product.StressRatio = 0; }, "Fatal  : Sigmaz/Sigma2 <= 0 !"},
      {"stress ratio negative", [this] { spring.product.StressRatio = -1; }, "Fatal  : Sigmaz/Sigma2 <= 0 !"},
      {"E 0", [this] { spring.family.MaterialRec.EModInt = 0; }, "Fatal  : E = 0 !"},
      {"E(T) 0", [this] { spring.family.MaterialText.clear(); spring.family.OperatingTemperature = 3620; },
       "Fatal  : E(T) <= 0 !"},
      {"sigma zul 0", [this] { spring.family.MaterialRec.Rm0 = 0; }, "Fatal  : sig.zul <= 0 !"},
      {"travel far below zero", [this] { spring.product.Travel2 = -1e6L; }, "Fatal  : Dm <= 0 !"},
      // n about -86 in the last pass: Dm 25.8 but De -12.1.
      {"travel below zero", [this] { spring.product.Travel2 = -8500; }, "Fatal  : De <= 0 !"},
      // The pre-designed spring is too thin for the calculation: t = sqrt(1.3) / 1400 = 0.00081.
      {"thinner than the calculation takes", [this] { spring.product.Force2 = 0.0001L; }, "Fatal  : t = 0 !"},
      {"overflow in the passes", [this] { spring.product.Force2 = 1e4930L; }, "Fatal  : overflow !"},
      {"a spring too large for the calculation", [this] { spring.product.Force2 = 1e4900L; }, "Fatal  : De > 10 m !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spring = NewSpring();
    UseMaterial(RoundSteel());
    spring.product.WidthThicknessRatio = 100;
    CalcSpring(spring);
    ASSERT_FALSE(programState.FatalError);
    c.setup();
    const ProductData product = spring.product;
    const long double t = spring.family.BandThickness, b = spring.family.BandWidth, rm = spring.family.TensileStrength;
    EXPECT_FALSE(PreDesign(spring));
    EXPECT_TRUE(programState.FatalError);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.msg});
    EXPECT_EQ(spring.family.BandThickness, t);
    EXPECT_EQ(spring.family.BandWidth, b);
    EXPECT_EQ(spring.family.TensileStrength, rm);
    EXPECT_EQ(spring.product.InnerDiameter, product.InnerDiameter);
    EXPECT_EQ(spring.product.OuterDiameter, product.OuterDiameter);
    EXPECT_EQ(spring.product.BendingDiameter, product.BendingDiameter);
    EXPECT_EQ(spring.product.TurnCount, product.TurnCount);
  }
}

}  // namespace
}  // namespace qorva::test

namespace qorva::test {
namespace {

// Every material of the shipped table gives the start spring usable results.
TEST_F(CalcSpringTest, EveryShippedMaterialCalculates) {
  installMaterialTable(nullptr);
  programState.DbfDir = std::string(QORVA_SOURCE_DIR) + "/data";
  MaterialTable& table = materialTable();
  ASSERT_TRUE(table.open("yeb9wst.dbf"));
  const uint32_t count = table.recordCount();
  table.close();
  ASSERT_GE(count, 12u) << "the start spring uses record 12";
  for (uint16_t n = 1; n <= count; ++n) {
    SCOPED_TRACE(n);
    spring = NewSpring();
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, n));
    for (long double theta : {20.0L, 120.0L}) {
      spring.family.OperatingTemperature = theta;
      CalcSpring(spring);
      EXPECT_FALSE(programState.FatalError) << (Messages().empty() ? "" : Messages()[0]);
      for (long double v : {spring.product.Force2, spring.product.ForceN, spring.family.Stress2, spring.product.Travel2, spring.product.SpringMass,
                            spring.family.PermissibleStress, spring.family.OperatingEModulus, spring.family.FatigueSafetyFactor,
                            spring.family.CyclesToFracture, spring.family.PermissibleStrokeStress}) {
        EXPECT_TRUE(std::isfinite(v));
      }
      EXPECT_GT(spring.family.PermissibleStress, 0);
    }
  }
}

}  // namespace
}  // namespace qorva::test
