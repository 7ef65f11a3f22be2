// Calculation and pre-design of the constant-force spring, checked against values worked out by hand.
#include "spring/qvarech.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/error0.h"
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
  ASSERT_TRUE(LoadMaterialByNumber(yebglob9.MaterialNumber));
  CalcSpring();
  const Qvaglob& q = qvaglob;
  const Yebglob9& g = yebglob9;
  EXPECT_FALSE(kwenvar.FatalError);
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
  yebglob9.BandThickness = 0.2L;
  qvaglob.OuterDiameter = 100;
  qvaglob.BendingDiameter = 90;
  CalcSpring();
  EXPECT_FALSE(kwenvar.FatalError);
  EXPECT_NEAR(D(qvaglob.TurnCount), 49, 1e-15);
  EXPECT_NEAR(D(qvaglob.Force2), 176.0 / 117.0, 1e-14);
  EXPECT_NEAR(D(yebglob9.Stress2), 4000.0 / 9.0, 1e-11);
  EXPECT_EQ(qvaglob.StripLength, 13854);
  EXPECT_EQ(qvaglob.Travel2, 13454);
  EXPECT_EQ(qvaglob.WidthThicknessRatio, 250);
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
    qvaglob.OuterDiameter = c.de;
    CalcSpring();
    EXPECT_NEAR(D(qvaglob.TurnCount), D(c.n), 1e-15);
    EXPECT_NEAR(D(qvaglob.Force2), c.force, 1e-9) << D(c.de);
  }
}

TEST_F(CalcSpringTest, NaturalDiameterOutsideTheCoilBecomesTheMeanDiameter) {
  struct Case {
    long double dn, used;
  } cases[] = {{79.9L, 82.5L}, {80, 80}, {82, 82}, {85, 85}, {85.1L, 82.5L}, {0, 82.5L}, {kNaN, 82.5L}};
  for (const Case& c : cases) {
    qvaglob.BendingDiameter = c.dn;
    CalcSpring();
    EXPECT_EQ(qvaglob.BendingDiameter, c.used) << D(c.dn);
    EXPECT_NEAR(D(yebglob9.Stress2), D(200000 * 0.5L / c.used), 1e-9);
  }
}

TEST_F(CalcSpringTest, FatalStopsKeepEveryResult) {
  struct Case {
    const char* name;
    void (*setup)();
    const char* msg;
  } cases[] = {
      {"De 0", [] { qvaglob.OuterDiameter = 0; }, "Fatal  : De = 0 !"},
      {"De 0.0009", [] { qvaglob.OuterDiameter = 0.0009L; }, "Fatal  : De = 0 !"},
      {"De negative", [] { qvaglob.OuterDiameter = -85; }, "Fatal  : De <= 0 !"},
      {"Di 0", [] { qvaglob.InnerDiameter = 0; }, "Fatal  : Di = 0 !"},
      {"Di negative", [] { qvaglob.InnerDiameter = -80; }, "Fatal  : Di <= 0 !"},
      {"b 0", [] { yebglob9.BandWidth = 0; }, "Fatal  : b = 0 !"},
      {"b negative", [] { yebglob9.BandWidth = -50; }, "Fatal  : b <= 0 !"},
      {"t 0.0009", [] { yebglob9.BandThickness = 0.0009L; }, "Fatal  : t = 0 !"},
      {"t negative", [] { yebglob9.BandThickness = -0.5L; }, "Fatal  : t <= 0 !"},
      {"t no number", [] { yebglob9.BandThickness = kNaN; }, "Fatal  : t invalid !"},
      {"De infinite", [] { qvaglob.OuterDiameter = std::numeric_limits<long double>::infinity(); },
       "Fatal  : De invalid !"},
      {"E 0", [] { yebglob9.MaterialRec.EModInt = 0; }, "Fatal  : E = 0 !"},
      {"E negative", [] { yebglob9.MaterialRec.EModInt = -200000; }, "Fatal  : E(T) <= 0 !"},
      {"E(T) 0", [] { yebglob9.MaterialText.clear(); yebglob9.OperatingTemperature = 3620; },
       "Fatal  : E(T) <= 0 !"},
      {"E(T) negative", [] { yebglob9.OperatingTemperature = 5000; }, "Fatal  : E(T) <= 0 !"},
      {"temperature no number", [] { yebglob9.OperatingTemperature = kNaN; }, "Fatal  : E(T) <= 0 !"},
      {"De absurdly large", [] { qvaglob.OuterDiameter = 1e9L; }, "Fatal  : De > 10 m !"},
      {"De far beyond any number", [] { qvaglob.OuterDiameter = 1e4000L; }, "Fatal  : De > 10 m !"},
      {"b absurdly large", [] { yebglob9.BandWidth = 10000.01L; }, "Fatal  : b > 10 m !"},
      {"De below Di", [] { qvaglob.OuterDiameter = 10; qvaglob.InnerDiameter = 54.61L; }, "Fatal  : Di >= De !"},
      {"De equal to Di", [] { qvaglob.OuterDiameter = 80; }, "Fatal  : Di >= De !"},
      {"coil thinner than the strip", [] { qvaglob.OuterDiameter = 80.9L; }, "Fatal  : n <= 0 !"},
      {"coil of one strip", [] { qvaglob.OuterDiameter = 81; }, "Fatal  : n <= 0 !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitSpringData();
    UseMaterial(RoundSteel());
    CalcSpring();  // a good spring first
    ASSERT_FALSE(kwenvar.FatalError);
    const Qvaglob before = qvaglob;
    const long double stress2 = yebglob9.Stress2;
    const long double operatingE = yebglob9.OperatingEModulus;
    const long double strokeStress = yebglob9.PermissibleStrokeStress;
    const long double cycles = yebglob9.CyclesToFracture;
    c.setup();
    const long double de = qvaglob.OuterDiameter, di = qvaglob.InnerDiameter;
    CalcSpring();
    EXPECT_TRUE(kwenvar.FatalError);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.msg});
    EXPECT_EQ(qvaglob.TurnCount, before.TurnCount);
    EXPECT_EQ(qvaglob.Force2, before.Force2);
    EXPECT_EQ(qvaglob.StripLength, before.StripLength);
    EXPECT_EQ(qvaglob.Travel2, before.Travel2);
    EXPECT_EQ(qvaglob.SpringMass, before.SpringMass);
    EXPECT_EQ(qvaglob.MeanDiameter, before.MeanDiameter);
    EXPECT_EQ(qvaglob.WidthThicknessRatio, before.WidthThicknessRatio);
    EXPECT_EQ(yebglob9.Stress2, stress2);
    EXPECT_EQ(yebglob9.OperatingEModulus, operatingE);
    EXPECT_EQ(yebglob9.PermissibleStrokeStress, strokeStress);
    EXPECT_EQ(yebglob9.CyclesToFracture, cycles);
    EXPECT_TRUE(qvaglob.OuterDiameter == de || std::isnan(de)) << "inputs untouched";
    EXPECT_EQ(qvaglob.InnerDiameter, di);
  }
}

TEST_F(CalcSpringTest, AValueIsCalculatedAsTheCurrentSpringAndLeavesItAlone) {
  // The open spring with a message of its own.
  CalcSpring();
  AddErrorMsg("Warnung: offen");
  const Spring open = CurrentSpring();
  const Error0 messages = error0;

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
    const YEB9WST_Record material = yebglob9.MaterialRec;
    const CalcOutcome out = Calculate(value, material);

    // The same spring calculated as the current one.
    MakeCurrent(value);
    CalcSpring();
    EXPECT_EQ(out.fatal, kwenvar.FatalError);
    EXPECT_EQ(out.product.Force2, qvaglob.Force2);
    EXPECT_EQ(out.product.StripLength, qvaglob.StripLength);
    EXPECT_EQ(out.family.Stress2, yebglob9.Stress2);
    EXPECT_EQ(out.family.CyclesToFracture, yebglob9.CyclesToFracture);
    EXPECT_EQ(out.messages, Messages());
    EXPECT_EQ(out.fatal, c.fatal);

    MakeCurrent(open);
    error0 = messages;
    kwenvar.FatalError = false;
    // Calculating the value again leaves the open spring and its messages alone.
    Calculate(value, material);
    EXPECT_EQ(qvaglob.Force2, open.product.Force2);
    EXPECT_EQ(yebglob9.BandWidth, open.family.BandWidth);
    EXPECT_EQ(error0.ErrorMsgs, messages.ErrorMsgs);
    EXPECT_EQ(error0.ErrorCount, messages.ErrorCount);
    EXPECT_FALSE(kwenvar.FatalError);
  }
}

TEST_F(CalcSpringTest, SmallestDimensionPasses) {
  qvaglob.OuterDiameter = 80.003L;  // n = 0.5
  qvaglob.InnerDiameter = 80;
  yebglob9.BandThickness = 0.001L;
  yebglob9.BandWidth = 0.001L;
  CalcSpring();
  for (const std::string& m : Messages()) EXPECT_NE(m.rfind("Fatal", 0), 0u) << m;
  EXPECT_FALSE(kwenvar.FatalError);
}

TEST_F(CalcSpringTest, WarningsAndErrorsInTheirOrder) {
  // t 0.5 with DMIN 0.6, b 0.4, De 81.5: n = 0.75 / 0.5 - 1 = 0.5, L = pi * 0.5 * 80.75 = 127, s = -273.
  UseMaterial(RoundSteel().set(22, "0.6").set(7, "1000"));  // sigma zul 700 < sigma2 1250
  yebglob9.BandWidth = 0.4L;
  qvaglob.OuterDiameter = 81.5L;
  CalcSpring();
  EXPECT_FALSE(kwenvar.FatalError);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Fehler : sig.2 > sig.zul !", "Warnung: t < DMIN (0.6)",
                                                  "Warnung: t > b !", "Fehler : n < 2 !", "Fehler : s < 0 !"}));
  // Results are still computed.
  EXPECT_EQ(qvaglob.TurnCount, 0.5L);
  EXPECT_EQ(qvaglob.Travel2, -273);
}

TEST_F(CalcSpringTest, LimitsThemselvesPass) {
  struct Case {
    const char* name;
    void (*setup)();
    std::vector<std::string> msgs;
  } cases[] = {
      {"t = DMIN", [] { UseMaterial(RoundSteel().set(22, "0.5")); }, {}},
      {"t = DMAX", [] { UseMaterial(RoundSteel().set(23, "0.5")); }, {}},
      {"t > DMAX", [] { UseMaterial(RoundSteel().set(23, "0.4")); }, {"Warnung: t > DMAX (0.4)"}},
      {"DMAX 0", [] { UseMaterial(RoundSteel().set(23, "0")); }, {}},
      {"t = b", [] { yebglob9.BandWidth = 0.5L; }, {}},
      // n = 1.5 / 0.5 - 1 = 2: L = pi * 2 * 81.5 = 512.1 -> 512, s = 112
      {"n = 2", [] { qvaglob.OuterDiameter = 83; }, {}},
      // sigma2 = 1250 = 0.625 * 2000
      {"sigma2 = sigma zul", [] { UseMaterial(RoundSteel().set(27, "0.625")); }, {}},
      // n = 1.25 / 0.5 - 1 = 1.5; L = pi * 1.5 * 81.25 = 382.9 -> 383; s = 383 - 400 = -17
      {"s just negative", [] { qvaglob.OuterDiameter = 82.5L; }, {"Fehler : n < 2 !", "Fehler : s < 0 !"}},
      // n = 1.283 / 0.5 - 1 = 1.566; L = pi * 1.566 * 81.283 = 399.9 -> 400; s = 400 - 400 = 0
      {"s = 0", [] { qvaglob.OuterDiameter = 82.566L; }, {"Fehler : n < 2 !"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitSpringData();
    UseMaterial(RoundSteel());
    c.setup();
    CalcSpring();
    EXPECT_EQ(Messages(), c.msgs);
  }
}

TEST_F(CalcSpringTest, DmaxWarningInTheCurrentUnits) {
  UseMaterial(RoundSteel().set(23, "0.254"));
  wkwenvar.UnitSystem = 1;  // inch
  CalcSpring();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: t > DMAX (0.0100)"});
}

TEST_F(CalcSpringTest, StaticLoad) {
  yebglob9.LoadType = 1;
  yebglob9.CyclesToFracture = 77;
  UseMaterial(RoundSteel().set(11, "0"));  // no Goodman data: no warning for static load
  yebglob9.BandThickness = 0.6L;           // sigma2 1500 > sigma zul 1400
  CalcSpring();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler : sig.2 > sig.zul !"});
  EXPECT_EQ(yebglob9.CyclesToFracture, 0);
  EXPECT_EQ(yebglob9.FatigueSafetyFactor, 0);

  UseMaterial(RoundSteel().set(16, "0"));  // Goodman data without slope
  CalcSpring();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Fehler : yeb9wst Goodman", "Fehler : sig.2 > sig.zul !"}));

  UseMaterial(RoundSteel());
  CalcSpring();
  // sHz 500 at scaled sigma2 1200: safety 500 / 1200, still computed for static load.
  EXPECT_NEAR(D(yebglob9.FatigueSafetyFactor), 500.0 / 1200.0, 1e-12);
  EXPECT_EQ(yebglob9.CyclesToFracture, 0);
  EXPECT_FALSE(kwenvar.FatalError);
}

TEST_F(CalcSpringTest, EveryCalculationSetsThePermissibleStroke) {
  CalcSpring();
  EXPECT_NEAR(D(yebglob9.PermissibleStrokeStress), 625, 1e-9);
  // The next spring's material has no Goodman data: no fatigue life of the spring before.
  UseMaterial(RoundSteel().set(11, "0"));
  CalcSpring();
  EXPECT_EQ(yebglob9.PermissibleStrokeStress, 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: kein Goodman-Diagramm"});
}

TEST_F(CalcSpringTest, ModulusAtTemperatureEntersTheForce) {
  // EN 10270-1 at 120 degrees: E(T) = 0.975 * 200000 = 195000; F = 195000 * 6.25 / 41600.
  yebglob9.OperatingTemperature = 120;
  CalcSpring();
  EXPECT_NEAR(D(yebglob9.OperatingEModulus), 195000, 1e-9);
  EXPECT_EQ(yebglob9.EModulus, 200000);
  EXPECT_NEAR(D(qvaglob.Force2), 195000 * 6.25 / 41600, 1e-9);
  // Fn = 1400^2 * 50 * 0.5 / (6.5 * 195000); sigma2 = 195000 * 0.5 / 80.
  EXPECT_NEAR(D(qvaglob.ForceN), 49000000.0 / 1267500.0, 1e-9);
  EXPECT_NEAR(D(yebglob9.Stress2), 1218.75, 1e-9);
}

TEST_F(CalcSpringTest, ChosenMaterialBringsItsModulusRule) {
  // Stainless after EN 10270-3 at 120 degrees: E(T) = 200000 * (1 - 100 * 0.0004) = 192000, not the
  // rule of the material before (here none: 200000 * 3500 / 3600).
  useTable({Row(RoundSteel("X10CrNi18-8 EN 10270-3"))});
  yebglob9.MaterialText.clear();
  yebglob9.OperatingTemperature = 120;
  browser = [](MaterialTable& t, uint16_t, const std::string&, const std::string&) {
    return t.gotoRecord(1);
  };
  SelectMaterial(1);
  ASSERT_FALSE(kwenvar.ErrorFlag);
  CalcSpring();
  EXPECT_NEAR(D(yebglob9.OperatingEModulus), 192000, 1e-9);
}

TEST_F(CalcSpringTest, StartsFromAnEmptyList) {
  AddErrorMsg("Warnung: alt");
  kwenvar.FatalError = true;
  CalcSpring();
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  EXPECT_FALSE(kwenvar.FatalError);
}

// ---- Pre-design ----

class PreDesignTest : public CalcSpringTest {
 protected:
  void SetUp() override {
    CalcSpringTest::SetUp();
    qvaglob.Force2 = 30;
    qvaglob.Travel2 = 600;
    qvaglob.WidthThicknessRatio = 100;
    qvaglob.StressRatio = 1;
  }
};

TEST_F(PreDesignTest, ConstantStrengthByHand) {
  // sigma2 = sigma zul = 1400 at every thickness:
  // t = sqrt(6.5 * 30 * 200000 / 100) / 1400 = sqrt(390000) / 1400 = 0.446071286;
  // b = 44.6071286; Dn = Di = t E / sigma2 = 63.7244694.
  // De after five passes n = (5 Di + s) / (pi Dm), De = 2 t (n + 1) + Di, Dm = (De + Di) / 2:
  // n 4.588607, 4.415858, 4.421003, 4.420849, 4.420854 -> De 68.5606440.
  PreDesign();
  EXPECT_NEAR(D(yebglob9.BandThickness), 0.4460712855998856, 1e-13);
  EXPECT_NEAR(D(yebglob9.BandWidth), 44.60712855998856, 1e-11);
  EXPECT_NEAR(D(qvaglob.InnerDiameter), 63.724469371412226, 1e-10);
  EXPECT_NEAR(D(qvaglob.BendingDiameter), 63.724469371412226, 1e-10);
  EXPECT_NEAR(D(qvaglob.OuterDiameter), 68.56064396308346, 1e-10);
  // The calculation that follows gives back the wanted force (n 4.42 <= 10): F = (b/t) t^2 sigma2^2 / (6.5 E).
  EXPECT_NEAR(D(qvaglob.Force2), 30, 1e-9);
  EXPECT_NEAR(D(yebglob9.Stress2), 1400, 1e-9);
  // L = pi * 4.420854 * 66.142557 = 918.6 -> 919, s = 919 - 5 * 63.724469 = 600.378.
  EXPECT_EQ(qvaglob.StripLength, 919);
  EXPECT_NEAR(D(qvaglob.Travel2), 600.3776531429389, 1e-9);
  EXPECT_FALSE(kwenvar.FatalError);
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
    InitSpringData();
    UseMaterial(RoundSteel());
    qvaglob.Force2 = 30;
    qvaglob.Travel2 = 600;
    qvaglob.WidthThicknessRatio = 100;
    qvaglob.StressRatio = c.stressRatio;
    yebglob9.OperatingTemperature = c.theta;
    PreDesign();
    EXPECT_FALSE(kwenvar.FatalError);
    EXPECT_NEAR(D(yebglob9.BandThickness), c.t, 1e-13);
    EXPECT_NEAR(D(yebglob9.BandWidth), c.t * 100, 1e-11);
    EXPECT_NEAR(D(qvaglob.InnerDiameter), c.dn, 1e-10);
    EXPECT_NEAR(D(qvaglob.BendingDiameter), c.dn, 1e-10);
    EXPECT_NEAR(D(qvaglob.OuterDiameter), c.de, 1e-10);
    EXPECT_NEAR(D(yebglob9.Stress2), c.sigma2, 1e-9);
    // The calculation gives back the wanted force with the modulus at temperature.
    EXPECT_NEAR(D(qvaglob.Force2), 30, 1e-9);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
  }
}

TEST_F(PreDesignTest, FivePassesExactly) {
  // Rm = 2000 - 300 log10 t: the thickness after pass 4 is 0.4223363138, after pass 5 0.4223555020
  // (pass 1 at t 0.01: sigma zul 1820, t 0.3431318; pass 2: 1497.553, 0.4170134; pass 3: 1479.768,
  // 0.4220253; pass 4: 1478.679, 0.4223363; pass 5: 1478.612, 0.4223555).
  // De after four geometry passes 61.97218396, after five 61.97219059.
  UseMaterial(RoundSteel().set(10, "300"));
  PreDesign();
  EXPECT_NEAR(D(yebglob9.BandThickness), 0.42235550202851246, 1e-12);
  EXPECT_NEAR(D(qvaglob.InnerDiameter), 57.12865565033182, 1e-9);
  EXPECT_NEAR(D(qvaglob.OuterDiameter), 61.972190585300375, 1e-9);
  // sigma2 comes from sigma zul at the thickness of pass 4 (1478.6117) and is compared with sigma zul at
  // the final, larger thickness (1478.6076).
  EXPECT_NEAR(D(yebglob9.Stress2), 1478.6117307350266, 1e-8);
  EXPECT_NEAR(D(yebglob9.PermissibleStress), 1478.6075872162253, 1e-8);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler : sig.2 > sig.zul !"});
}

TEST_F(PreDesignTest, ZeroForceAddsOnlyItsMessage) {
  AddErrorMsg("Warnung: vorher");
  qvaglob.Force2 = 0;
  qvaglob.TurnCount = 7;
  PreDesign();
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Warnung: vorher", "Fatal  : F = 0 !"}));
  EXPECT_TRUE(kwenvar.FatalError);
  EXPECT_EQ(qvaglob.TurnCount, 7) << "no calculation follows";
}

TEST_F(PreDesignTest, FatalStopsLeaveTheSpringAsItWas) {
  struct Case {
    const char* name;
    void (*setup)();
    const char* msg;
  } cases[] = {
      {"F negative", [] { qvaglob.Force2 = -30; }, "Fatal  : F = 0 !"},
      {"F no number", [] { qvaglob.Force2 = kNaN; }, "Fatal  : F invalid !"},
      {"s no number", [] { qvaglob.Travel2 = kNaN; }, "Fatal  : s invalid !"},
      {"b/t 0", [] { qvaglob.WidthThicknessRatio = 0; }, "Fatal  : b/t <= 0 !"},
      {"b/t negative", [] { qvaglob.WidthThicknessRatio = -100; }, "Fatal  : b/t <= 0 !"},
      {"stress ratio 0", [] { qvaglob.StressRatio = 0; }, "Fatal  : Sigmaz/Sigma2 <= 0 !"},
      {"stress ratio negative", [] { qvaglob.StressRatio = -1; }, "Fatal  : Sigmaz/Sigma2 <= 0 !"},
      {"E 0", [] { yebglob9.MaterialRec.EModInt = 0; }, "Fatal  : E = 0 !"},
      {"E(T) 0", [] { yebglob9.MaterialText.clear(); yebglob9.OperatingTemperature = 3620; },
       "Fatal  : E(T) <= 0 !"},
      {"sigma zul 0", [] { yebglob9.MaterialRec.Rm0 = 0; }, "Fatal  : sig.zul <= 0 !"},
      {"travel far below zero", [] { qvaglob.Travel2 = -1e6L; }, "Fatal  : Dm <= 0 !"},
      // n about -86 in the last pass: Dm 25.8 but De -12.1.
      {"travel below zero", [] { qvaglob.Travel2 = -8500; }, "Fatal  : De <= 0 !"},
      // The pre-designed spring is too thin for the calculation: t = sqrt(1.3) / 1400 = 0.00081.
      {"thinner than the calculation takes", [] { qvaglob.Force2 = 0.0001L; }, "Fatal  : t = 0 !"},
      {"overflow in the passes", [] { qvaglob.Force2 = 1e4930L; }, "Fatal  : overflow !"},
      {"a spring too large for the calculation", [] { qvaglob.Force2 = 1e4900L; }, "Fatal  : De > 10 m !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitSpringData();
    UseMaterial(RoundSteel());
    qvaglob.WidthThicknessRatio = 100;
    CalcSpring();
    ASSERT_FALSE(kwenvar.FatalError);
    c.setup();
    const Qvaglob product = qvaglob;
    const long double t = yebglob9.BandThickness, b = yebglob9.BandWidth, rm = yebglob9.TensileStrength;
    PreDesign();
    EXPECT_TRUE(kwenvar.FatalError);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.msg});
    EXPECT_EQ(yebglob9.BandThickness, t);
    EXPECT_EQ(yebglob9.BandWidth, b);
    EXPECT_EQ(yebglob9.TensileStrength, rm);
    EXPECT_EQ(qvaglob.InnerDiameter, product.InnerDiameter);
    EXPECT_EQ(qvaglob.OuterDiameter, product.OuterDiameter);
    EXPECT_EQ(qvaglob.BendingDiameter, product.BendingDiameter);
    EXPECT_EQ(qvaglob.TurnCount, product.TurnCount);
  }
}

}  // namespace
}  // namespace qorva::test

namespace qorva::test {
namespace {

// Every material of the shipped table gives the start spring usable results.
TEST_F(CalcSpringTest, EveryShippedMaterialCalculates) {
  installMaterialTable(nullptr);
  kwenvar.DbfDir = std::string(QORVA_SOURCE_DIR) + "/data";
  MaterialTable& table = materialTable();
  ASSERT_TRUE(table.open("yeb9wst.dbf"));
  const uint32_t count = table.recordCount();
  table.close();
  ASSERT_GE(count, 12u) << "the start spring uses record 12";
  for (uint16_t n = 1; n <= count; ++n) {
    SCOPED_TRACE(n);
    InitSpringData();
    ASSERT_TRUE(LoadMaterialByNumber(n));
    for (long double theta : {20.0L, 120.0L}) {
      yebglob9.OperatingTemperature = theta;
      CalcSpring();
      EXPECT_FALSE(kwenvar.FatalError) << (Messages().empty() ? "" : Messages()[0]);
      for (long double v : {qvaglob.Force2, qvaglob.ForceN, yebglob9.Stress2, qvaglob.Travel2, qvaglob.SpringMass,
                            yebglob9.PermissibleStress, yebglob9.OperatingEModulus, yebglob9.FatigueSafetyFactor,
                            yebglob9.CyclesToFracture, yebglob9.PermissibleStrokeStress}) {
        EXPECT_TRUE(std::isfinite(v));
      }
      EXPECT_GT(yebglob9.PermissibleStress, 0);
    }
  }
}

}  // namespace
}  // namespace qorva::test
