// Material record loading and choice, tensile strength over thickness, modulus at temperature and the
// Goodman fatigue evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/messagebox.h"
#include "foundation/utilmath.h"
#include "platform/services.h"
#include "spring/materialsource.h"
#include "tests/spring/springfixture.h"

namespace qorva::test {
namespace {

class MaterialLawTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    UseMaterial(RoundSteel());
  }
};

// ---- Tensile strength over thickness ----

TEST_F(MaterialLawTest, TensileStrengthOverThickness) {
  MaterialRecord& r = spring.family.MaterialRec;
  r.Rm0 = 2000;
  r.RmSlope = 300;
  r.DR0 = 0.5;
  struct Case {
    int32_t rmMax;
    long double t;
    long double rm;
  } cases[] = {
      {0, 1.0L, 1909.6910013008057L},  // 2000 - 300 log10 2
      {1800, 1.0L, 1800},              // capped
      {1, 1.0L, 1909.6910013008057L},  // a cap of 1 does not apply
      {0, 0.05L, 2300},                // 2000 - 300 log10 0.1: thinner strip is stronger
      {2500, 0.05L, 2300},             // below the cap
  };
  for (const Case& c : cases) {
    r.RmMax = c.rmMax;
    EXPECT_NEAR(static_cast<double>(RmOfThickness(spring.family.MaterialRec, c.t)), static_cast<double>(c.rm), 1e-9)
        << "RmMax " << c.rmMax << " t " << static_cast<double>(c.t);
  }
  EXPECT_EQ(errorList.ErrorCount, 0);
}

TEST_F(MaterialLawTest, TensileStrengthOfBadThicknessOrReference) {
  struct Case {
    long double t;
    double dr0;
    const char* msg;
  } cases[] = {
      {0, 1.0, "Fatal  : t <= 0 !"},
      {-0.5L, 1.0, "Fatal  : t <= 0 !"},
      {std::numeric_limits<long double>::quiet_NaN(), 1.0, "Fatal  : t invalid !"},
      {0.5L, 0.0, "Fatal  : DR0 = 0 !"},
  };
  for (const Case& c : cases) {
    ClearErrors();
    spring.family.MaterialRec.DR0 = c.dr0;
    EXPECT_EQ(RmOfThickness(spring.family.MaterialRec, c.t), 0.1L);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.msg});
  }
  // A negative reference thickness makes the decade 0 instead of a logarithm of a negative number.
  ClearErrors();
  spring.family.MaterialRec.DR0 = -1;
  spring.family.MaterialRec.RmSlope = 300;
  EXPECT_EQ(RmOfThickness(spring.family.MaterialRec, 0.5L), 2000);
}

TEST_F(MaterialLawTest, MaterialValuesFollowThicknessAndMendAZeroFactor) {
  MaterialRecord& r = spring.family.MaterialRec;
  r.RmSlope = 300;
  r.SigmaFactor = 0;
  r.EModInt = 206000;
  r.Rho = 7.85;
  spring.family.BandThickness = 0.1L;
  MaterialValuesAtT(spring.family);
  EXPECT_NEAR(static_cast<double>(spring.family.TensileStrength), 2300, 1e-9);
  EXPECT_EQ(r.SigmaFactor, 0.75);
  EXPECT_NEAR(static_cast<double>(spring.family.PermissibleStress), 1725, 1e-9);
  EXPECT_EQ(spring.family.EModulus, 206000);
  EXPECT_NEAR(static_cast<double>(spring.family.Density), 7.85, 1e-12);
  EXPECT_EQ(spring.family.MaterialText, "Federband EN 10270-1") << "not touched";
}

// ---- Modulus at temperature ----

TEST_F(MaterialLawTest, ModulusAtTemperatureByStandard) {
  struct Case {
    const char* text;
    long double factorAt120;
  } cases[] = {
      {"X10CrNi18-8 EN 10270-3", 0.96L},
      {"EN 12166", 0.96L},
      {"C75S EN 10270-1", 0.975L},
      {"EN 10270-2", 0.975L},
      {"50CrV4 EN 10089", 0.975L},
      {"EN 10270-1 / EN 10270-3", 0.96L},  // the first rule that matches wins
      {"1.4310 EN 10151", 3500.0L / 3600.0L},
      {"", 3500.0L / 3600.0L},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(static_cast<double>(EModulusAtTemp(c.text, 200000, 120)),
                static_cast<double>(200000 * c.factorAt120), 1e-6)
        << c.text;
    EXPECT_NEAR(static_cast<double>(EModulusAtTemp(c.text, 200000, 20)), 200000, 1e-9) << c.text;
  }
}

// ---- Goodman evaluation ----

struct Goodman {
  long double sO = -1, sH0 = -1, m = -1, x = -1, sHz = -1;
  std::string label;
};

Goodman Evaluate(FamilyData& family, long double t, long double s1, long double s2) {
  Goodman g;
  GoodmanEvaluation(family, t, s1, s2, g.sO, g.sH0, g.m, g.x, g.sHz, g.label);
  return g;
}

TEST_F(MaterialLawTest, GoodmanBranchesByShotPeening) {
  // With slopes, at t = 10 GoodmanT0 (one decade): not peened 1200-100 / 500-50 / 0.5,
  // peened 1300-80 / 600-40 / 0.4.
  struct Case {
    const char* name;
    char peened;
    bool ownSetMissing;
    uint16_t loadType;
    long double sO, sH0, m;
    const char* labelEnd;
    bool approx;
  } cases[] = {
      {"not peened", 'N', false, 2, 1100, 450, 0.5L, ") nicht kugelgestrahlt", false},
      {"not peened, approximated", 'N', true, 2, 1220, 600 / 1.2L - 40, 0.4L, ") nicht kugelgestrahlt", true},
      {"not peened, approximated, static", 'N', true, 1, 1220, 600 / 1.2L - 40, 0.4L, ") nicht kugelgestrahlt",
       false},
      {"peened", 'J', false, 2, 1220, 560, 0.4L, ") kugelgestrahlt", false},
      {"peened, approximated", 'J', true, 2, 1100, 500 * 1.2L - 50, 0.5L, ") kugelgestrahlt", true},
      {"peened, approximated, static", 'J', true, 1, 1100, 500 * 1.2L - 50, 0.5L, ") kugelgestrahlt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseMaterial(RoundSteel()
                    .set(13, "100").set(15, "50").set(18, "80").set(20, "40")
                    .set(c.peened == 'N' ? 12 : 17, c.ownSetMissing ? "0" : (c.peened == 'N' ? "1200" : "1300")));
    spring.family.ShotPeened = c.peened;
    spring.family.LoadType = c.loadType;
    ClearErrors();
    const Goodman g = Evaluate(spring.family, 10, 0, 100);
    EXPECT_NEAR(static_cast<double>(g.sO), static_cast<double>(c.sO), 1e-9);
    EXPECT_NEAR(static_cast<double>(g.sH0), static_cast<double>(c.sH0), 1e-9);
    EXPECT_NEAR(static_cast<double>(g.m), static_cast<double>(c.m), 1e-12);
    EXPECT_EQ(g.label, "Federband EN 10270-1 (1.1248" + std::string(c.labelEnd));
    EXPECT_EQ(Messages(), c.approx ? std::vector<std::string>{"Warnung: approx.Goodman"} : std::vector<std::string>{});
    // Stroke 100 below the 10^7 line: the permissible stroke stress at lower stress 0 is sH0.
    EXPECT_NEAR(static_cast<double>(g.sHz), static_cast<double>(c.sH0), 1e-9);
    EXPECT_NEAR(static_cast<double>(spring.family.FatigueSafetyFactor), static_cast<double>(c.sH0 / 100), 1e-9);
  }
  // Table texts padded with blanks make a label without them.
  UseMaterial(RoundSteel("  Federband  ").set(3, " 1.1248  "));
  spring.family.ShotPeened = 'N';
  EXPECT_EQ(Evaluate(spring.family, 1, 0, 100).label, "Federband (1.1248) nicht kugelgestrahlt");
}

TEST_F(MaterialLawTest, ApproximationWarningHidden) {
  UseMaterial(RoundSteel().set(12, "0"));
  desktopSettings.HideWarnings = true;
  const Goodman g = Evaluate(spring.family, 1, 0, 100);
  EXPECT_NEAR(static_cast<double>(g.sH0), 500, 1e-9);  // 600 / 1.2
  EXPECT_EQ(errorList.ErrorCount, 0);
  // Nor is a material without Goodman data reported.
  UseMaterial(RoundSteel().set(11, "0"));
  Evaluate(spring.family, 1, 0, 100);
  EXPECT_EQ(errorList.ErrorCount, 0);
}

TEST_F(MaterialLawTest, GoodmanPermissibleStrokeOnAndBeyondTheKnee) {
  // sO 1200, sH0 500, m 0.5: the line reaches sO at lower stress X = 1400.
  struct Case {
    long double s1, s2, sHz, cycles;
    bool aboveLimit;
  } cases[] = {
      // below the knee: sH0 + m s1 - s1; 10^(11 - 4 (500 + 800 - 300 - 400) / 500) = 10^6.2
      {400, 800, 300, 1584893.1924611134L, false},
      // beyond the knee: sO - s1 = -300; 10^(11 - 4 (500 + 1600 + 300 - 1500) / 500) = 10^3.8
      {1500, 1600, -300, 6309.5734448019325L, true},
  };
  for (const Case& c : cases) {
    ClearErrors();
    const Goodman g = Evaluate(spring.family, 1, c.s1, c.s2);
    EXPECT_NEAR(static_cast<double>(g.x), 1400, 1e-9);
    EXPECT_NEAR(static_cast<double>(g.sHz), static_cast<double>(c.sHz), 1e-9);
    EXPECT_NEAR(static_cast<double>(spring.family.FatigueSafetyFactor), static_cast<double>(c.sHz / (c.s2 - c.s1)),
                1e-12);
    EXPECT_NEAR(static_cast<double>(spring.family.CyclesToFracture / c.cycles), 1, 1e-12);
    EXPECT_EQ(Messages(), c.aboveLimit ? std::vector<std::string>{"Fehler : sigma2 > sigmao !"}
                                       : std::vector<std::string>{});
  }
  // Above the upper-stress limit under static load: no error.
  spring.family.LoadType = 1;
  ClearErrors();
  Evaluate(spring.family, 1, 1500, 1600);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(MaterialLawTest, CyclesToFracture) {
  // sH0 500, sigma1 0: exponent 11 - 4 sigma2 / 500 + 4 = 7 - 4 (sigma2 - 500) / 500.
  struct Case {
    long double s1, s2, cycles;
  } cases[] = {
      {0, 500, 1e7L},  // stroke equal to the permissible one
      {0, 625, 1e6L},  // a quarter of sH0 above it
      {0, 750, 1e5L},
      {0, 250, 1e9L},
  };
  for (const Case& c : cases) {
    Evaluate(spring.family, 1, c.s1, c.s2);
    EXPECT_NEAR(static_cast<double>(spring.family.CyclesToFracture / c.cycles), 1, 1e-12)
        << static_cast<double>(c.s2);
  }
  // A negative lower stress, or a negative upper one, gives no life.
  spring.family.CyclesToFracture = 77;
  Evaluate(spring.family, 1, -10, 500);
  EXPECT_EQ(spring.family.CyclesToFracture, 0);
  spring.family.CyclesToFracture = 77;
  Evaluate(spring.family, 1, -600, -100);
  EXPECT_EQ(spring.family.CyclesToFracture, 0);
  // A negative sH0 leaves the previous value.
  UseMaterial(RoundSteel().set(14, "-500"));
  spring.family.CyclesToFracture = 77;
  Evaluate(spring.family, 1, 0, 500);
  EXPECT_EQ(spring.family.CyclesToFracture, 77);
  // No stroke stress is permissible at lower stress 0: no life.
  UseMaterial(RoundSteel().set(14, "0").set(19, "0"));
  spring.family.CyclesToFracture = 77;
  Evaluate(spring.family, 1, 0, 500);
  EXPECT_EQ(spring.family.CyclesToFracture, 0);
  // Static load: never a life.
  UseMaterial(RoundSteel());
  spring.family.LoadType = 1;
  Evaluate(spring.family, 1, 0, 500);
  EXPECT_EQ(spring.family.CyclesToFracture, 0);
}

TEST_F(MaterialLawTest, CyclesToFractureStayFiniteWhereThePowerOverflows) {
  // sH0 1 and a steep line: the exponent 11 + 4 (1e6 m - ...) is far beyond any real number.
  UseMaterial(RoundSteel().set(12, "2000000000").set(14, "1").set(16, "1000"));
  Evaluate(spring.family, 1, 1e6L, 5e5L);
  EXPECT_TRUE(std::isfinite(spring.family.CyclesToFracture));
  EXPECT_EQ(spring.family.CyclesToFracture, PowCap);
}

TEST_F(MaterialLawTest, NoGoodmanData) {
  for (uint16_t loadType : {1, 2}) {
    SCOPED_TRACE(loadType);
    UseMaterial(RoundSteel().set(11, "0"));
    spring.family.LoadType = loadType;
    spring.family.CyclesToFracture = 77;
    spring.family.FatigueSafetyFactor = 3;
    ClearErrors();
    const Goodman g = Evaluate(spring.family, 1, 0, 800);
    EXPECT_EQ(g.sO, 0);
    EXPECT_EQ(g.sH0, 0);
    EXPECT_EQ(g.m, 0);
    EXPECT_EQ(g.x, -1) << "X is not written";
    EXPECT_EQ(g.sHz, 0);
    EXPECT_TRUE(g.label.empty());
    EXPECT_EQ(spring.family.FatigueSafetyFactor, 0);
    EXPECT_EQ(spring.family.CyclesToFracture, 0);
    EXPECT_EQ(Messages(), loadType == 2 ? std::vector<std::string>{"Warnung: kein Goodman-Diagramm"}
                                        : std::vector<std::string>{});
    EXPECT_FALSE(programState.FatalError);
  }
}

TEST_F(MaterialLawTest, MissingSlopeEndsTheEvaluation) {
  for (uint16_t loadType : {1, 2}) {
    UseMaterial(RoundSteel().set(16, "0"));
    spring.family.LoadType = loadType;
    spring.family.CyclesToFracture = 77;
    spring.family.FatigueSafetyFactor = 3;
    ClearErrors();
    const Goodman g = Evaluate(spring.family, 1, 0, 800);
    EXPECT_EQ(g.sHz, 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler : yeb9wst Goodman"});
    EXPECT_EQ(spring.family.CyclesToFracture, 77);
    EXPECT_EQ(spring.family.FatigueSafetyFactor, 3);
    EXPECT_FALSE(programState.FatalError);
  }
}

TEST_F(MaterialLawTest, ZeroStressesAreFatal) {
  struct Case {
    long double s1, s2;
    const char* msg;
  } cases[] = {
      {0, 0, "Fehler : sigma2=0 !"},
      {300, 300, "Fehler : sigmah=0 !"},
      {std::numeric_limits<long double>::quiet_NaN(), 300, "Fatal  : sigma invalid !"},
      {0, std::numeric_limits<long double>::infinity(), "Fatal  : sigma invalid !"},
  };
  for (const Case& c : cases) {
    ClearErrors();
    spring.family.FatigueSafetyFactor = 3;
    spring.family.CyclesToFracture = 77;
    Evaluate(spring.family, 1, c.s1, c.s2);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.msg});
    EXPECT_TRUE(programState.FatalError);
    EXPECT_EQ(spring.family.FatigueSafetyFactor, 3);
    EXPECT_EQ(spring.family.CyclesToFracture, 77);
  }
}

TEST_F(MaterialLawTest, FatigueStepScalesTheStressesAndSetsThePermissibleStroke) {
  // Factor 0.7: k = 0.56 / 0.7 = 0.8. sigma2 1000 becomes 800 against sO 1200, sH0 500, m 0.5:
  // sHz 500, so 625 unscaled; UpperStressLimit 1200 / 0.8 = 1500; safety 500 / 800 = 0.625;
  // cycles 10^(11 - 4 (500 + 800 - 500) / 500) = 10^4.6.
  spring.family.PermissibleStrokeStress = 999;  // of the spring before
  EvaluateFatigue(spring.family, 0.5L, 0, 1000);
  EXPECT_NEAR(static_cast<double>(spring.family.UpperStressLimit), 1500, 1e-9);
  EXPECT_NEAR(static_cast<double>(spring.family.PermissibleStrokeStress), 625, 1e-9);
  EXPECT_NEAR(static_cast<double>(spring.family.FatigueSafetyFactor), 0.625, 1e-12);
  EXPECT_NEAR(static_cast<double>(spring.family.CyclesToFracture / 39810.717055349722L), 1, 1e-12);

  // A factor of 0 scales by 0.8 as well.
  spring.family.MaterialRec.SigmaFactor = 0;
  EvaluateFatigue(spring.family, 0.5L, 0, 1000);
  EXPECT_NEAR(static_cast<double>(spring.family.UpperStressLimit), 1500, 1e-9);
  EXPECT_NEAR(static_cast<double>(spring.family.PermissibleStrokeStress), 625, 1e-9);
  // Without Goodman data nothing is permissible.
  UseMaterial(RoundSteel().set(11, "0"));
  spring.family.MaterialRec.SigmaFactor = 0;
  EvaluateFatigue(spring.family, 0.5L, 0, 1000);
  EXPECT_EQ(spring.family.PermissibleStrokeStress, 0);
  EXPECT_EQ(spring.family.UpperStressLimit, 0);
}

// ---- Loading from the table ----

class MaterialTableTest : public SpringTest {};

TEST_F(MaterialTableTest, LoadingConvertsEveryField) {
  MaterialFields m = RoundSteel("Federstahl gr\xFCn");  // Windows 1252 u-umlaut
  m.set(5, "  206000 ").set(6, "7,85").set(7, "abc").set(16, "1e400").set(27, "0").set(28, "Bem.").set(29, "42");
  useTable({Row(RoundSteel()), Row(m)});
  ASSERT_TRUE(LoadMaterialByNumber(spring.family, 2));
  const MaterialRecord& r = spring.family.MaterialRec;
  EXPECT_EQ(r.Text1, "Federstahl gr\x81n");  // DOS 437
  EXPECT_EQ(r.Text2, "C75S");
  EXPECT_EQ(r.EModInt, 206000);
  EXPECT_DOUBLE_EQ(r.Rho, 7.85);
  EXPECT_EQ(r.Rm0, 0) << "no number reads as 0";
  EXPECT_EQ(r.SigmaFactor, 0.7) << "a factor of 0 is mended on loading";
  EXPECT_EQ(r.GoodmanSlope, 0) << "beyond the range of a real";
  EXPECT_EQ(r.GoodmanSlopeShot, 0.4);
  EXPECT_EQ(r.DMAX, 2);
  EXPECT_EQ(r.Text28, "Bem.");
  EXPECT_EQ(r.ListNo, 42);
  // Taken over.
  EXPECT_EQ(spring.family.MaterialText, "Federstahl gr\x81n");
  EXPECT_EQ(spring.family.EModulus, 206000);
  EXPECT_NEAR(static_cast<double>(spring.family.Density), 7.85, 1e-12);
  EXPECT_FALSE(materialTable().isOpen());
}

TEST_F(MaterialTableTest, NumberBeyondTheTableTakesTheLastRecord) {
  useTable({Row(RoundSteel("A")), Row(RoundSteel("B"))});
  EXPECT_TRUE(LoadMaterialByNumber(spring.family, 9));
  EXPECT_EQ(spring.family.MaterialRec.Text1, "B");
  EXPECT_EQ(Messages(), std::vector<std::string>{"DBF #9 not found."});
}

TEST_F(MaterialTableTest, NoRecordToLoad) {
  useTable({});
  spring.family.MaterialRec.Text1 = "before";
  EXPECT_FALSE(LoadMaterialByNumber(spring.family, 1));
  EXPECT_TRUE(programState.ErrorFlag);
  useTable({Row(RoundSteel("A"))});
  EXPECT_FALSE(LoadMaterialByNumber(spring.family, 0));
  EXPECT_EQ(spring.family.MaterialRec.Text1, "before");
  EXPECT_FALSE(materialTable().isOpen());
  // After a failed step the record standing in the table is not taken.
  MaterialTable& t = materialTable();
  t.open("yeb9wst.dbf");
  ASSERT_TRUE(t.gotoRecord(1));
  programState.ErrorFlag = true;
  LoadMaterialRecord(spring.family.MaterialRec);
  EXPECT_EQ(spring.family.MaterialRec.Text1, "before");
  t.close();
}

// A table whose file cannot be read: the access layer has told the user and set ErrorFlag.
class UnreadableTable : public MemoryMaterialTable {
 public:
  bool open(const std::string&) override {
    programState.ErrorFlag = true;
    return false;
  }
};

TEST_F(MaterialTableTest, UnreadableTable) {
  installMaterialTable(std::make_unique<UnreadableTable>());
  UseMaterial(RoundSteel("kept"));
  EXPECT_FALSE(LoadMaterialByNumber(spring.family, 1));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fatal  : yeb9wst DBF error"});
  EXPECT_EQ(spring.family.MaterialRec.Text1, "kept");
  EXPECT_FALSE(OpenMaterialTableIndexed());

  ClearErrors();
  EXPECT_EQ(SelectMaterial(spring.family, 1), MaterialChoice::Failed);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Fatal  : yeb9wst DBF error"});
  EXPECT_EQ(spring.family.MaterialNumber, 12);
}

TEST_F(MaterialTableTest, OpenIndexedOrdersByThePermissibleStressFactor) {
  useTable({Row(RoundSteel("A").set(27, "0.75")), Row(RoundSteel("B").set(27, "0.5")),
            Row(RoundSteel("C").set(27, "0.6"))});
  ASSERT_TRUE(OpenMaterialTableIndexed());
  MaterialTable& t = materialTable();
  EXPECT_TRUE(t.isOpen());
  std::string order;
  for (bool ok = t.first(); ok; ok = t.skip()) order += t.fieldStr(1);
  EXPECT_EQ(order, "BCA");
  t.close();
}

TEST_F(MaterialTableTest, AFieldIsOrderedByValueOrByTextNeverByAMix) {
  MemoryMaterialTable& t = useTable({Row(RoundSteel("9").set(27, "10")), Row(RoundSteel("10").set(27, " ")),
                                     Row(RoundSteel("1a").set(27, "9"))});
  t.open("yeb9wst.dbf");
  auto order = [&t](int field) {
    t.orderBy(field);
    std::string s;
    for (bool ok = t.first(); ok; ok = t.skip()) s += IntStr(t.recNo());
    return s;
  };
  EXPECT_EQ(order(1), "231") << "one designation is no number: all by text";
  EXPECT_EQ(order(27), "231") << "numbers by value, a blank one as 0";
  EXPECT_EQ(order(0), "123");
  t.close();
}

TEST_F(MaterialTableTest, ChoiceInTheBrowseWindow) {
  useTable({Row(RoundSteel("Zeta")), Row(RoundSteel("Alpha")), Row(RoundSteel("Beta").set(5, "190000"))});
  spring.family.MaterialNumber = 2;
  SetPromptHelp(0);
  uint32_t startRecord = 0;
  std::string firstInOrder, titles;
  browser = [&](MaterialTable& t, uint16_t mode, const std::string& t1, const std::string& t2) {
    EXPECT_EQ(mode, 1);
    startRecord = t.recNo();
    titles = t1 + "|" + t2;
    t.first();
    firstInOrder = t.fieldStr(1);
    return t.gotoRecord(3);
  };
  EXPECT_EQ(SelectMaterial(spring.family, 1), MaterialChoice::Chosen);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(messageBox.HelpTopic, 9590);
  EXPECT_EQ(titles, "|Material");
  EXPECT_EQ(startRecord, 2u) << "the current material is the selected row";
  EXPECT_EQ(firstInOrder, "Alpha") << "listed by designation";
  EXPECT_EQ(spring.family.MaterialNumber, 3);
  EXPECT_EQ(programState.BrowseRecNo, 3);
  EXPECT_EQ(spring.family.MaterialRec.Text1, "Beta");
  EXPECT_EQ(spring.family.MaterialRec.EModInt, 190000);
  // Taken over: the next calculation picks the modulus-at-temperature rule of the chosen material.
  EXPECT_EQ(spring.family.MaterialText, "Beta");
  EXPECT_EQ(spring.family.EModulus, 190000);
  EXPECT_FALSE(materialTable().isOpen());
}

TEST_F(MaterialTableTest, CancelledChoiceKeepsTheMaterial) {
  useTable({Row(RoundSteel("A")), Row(RoundSteel("B"))});
  UseMaterial(RoundSteel("current"));
  spring.family.MaterialNumber = 1;
  browser = [](MaterialTable& t, uint16_t, const std::string&, const std::string&) {
    t.gotoRecord(2);
    return false;
  };
  EXPECT_EQ(SelectMaterial(spring.family, 1), MaterialChoice::Cancelled);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(spring.family.MaterialNumber, 1);
  EXPECT_EQ(spring.family.MaterialRec.Text1, "current");
  EXPECT_FALSE(materialTable().isOpen());
}

TEST_F(MaterialTableTest, ViewingLoadsNothing) {
  useTable({Row(RoundSteel("A")), Row(RoundSteel("B"))});
  UseMaterial(RoundSteel("current"));
  uint16_t seenMode = 9;
  browser = [&](MaterialTable& t, uint16_t mode, const std::string&, const std::string&) {
    seenMode = mode;
    return t.gotoRecord(2);
  };
  SelectMaterial(spring.family, 0);
  EXPECT_EQ(seenMode, 0);
  EXPECT_EQ(spring.family.MaterialNumber, 12);
  EXPECT_EQ(spring.family.MaterialRec.Text1, "current");
}

TEST_F(MaterialTableTest, ChoiceWithoutBrowseWindowAsksThePrompter) {
  useTable({Row(RoundSteel("Zeta")), Row(RoundSteel("Alpha"), true), Row(RoundSteel("Gr\xFCn")),
            Row(RoundSteel("Beta"))});
  spring.family.MaterialNumber = 3;
  scriptedPrompter().push(0);  // the first entry: Beta
  SelectMaterial(spring.family, 1);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  const AskRecord& a = scriptedPrompter().asked()[0];
  EXPECT_EQ(a.kind, AskKind::Choice);
  EXPECT_EQ(a.text, "Material");
  // Preferred materials only, by designation; the current one preselected.
  EXPECT_EQ(a.entries, (std::vector<std::string>{"Beta", "Gr\xC3\xBCn", "Zeta"}));
  EXPECT_EQ(a.preselect, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(spring.family.MaterialNumber, 4);
  EXPECT_EQ(spring.family.MaterialRec.Text1, "Beta");

  scriptedPrompter().push(Cancel{});
  EXPECT_EQ(SelectMaterial(spring.family, 1), MaterialChoice::Cancelled);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(spring.family.MaterialNumber, 4);
}

TEST_F(MaterialTableTest, ViewingWithoutBrowseWindowShowsEveryRecord) {
  useTable({Row(RoundSteel("Zeta")), Row(RoundSteel("Alpha"), true)});
  UseMaterial(RoundSteel("current"));
  SelectMaterial(spring.family, 0);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  const AskRecord& a = scriptedPrompter().asked()[0];
  EXPECT_EQ(a.kind, AskKind::TextScreen);
  EXPECT_EQ(a.entries, (std::vector<std::string>{"    1   Zeta", "    2 * Alpha"}));
  EXPECT_EQ(spring.family.MaterialRec.Text1, "current");
  EXPECT_EQ(spring.family.MaterialNumber, 12);
}

TEST_F(MaterialTableTest, ShippedTableIsReadFromItsSource) {
  ScratchDir dir;
  std::string text = "DELETED";
  for (int n = 1; n <= 29; ++n) text += "\t" + MaterialFieldName(n);
  text += "\tSOURCE\n";
  auto line = [](const std::string& deleted, const MaterialFields& m) {
    std::string s = deleted;
    for (const auto& f : m.f) s += "\t" + f;
    return s + "\ttest\n";
  };
  text += line("", RoundSteel("Federband"));
  text += line("*", RoundSteel("Gr\xC3\xBCn").set(5, "195000").set(6, "7,8"));  // UTF-8 in the source
  writeFile(dir / "yeb9wst.tsv", text);

  installMaterialTable(std::make_unique<SourceMaterialTable>());
  programState.DbfDir = dir.path().string();
  ASSERT_TRUE(LoadMaterialByNumber(spring.family, 2));
  EXPECT_EQ(spring.family.MaterialRec.Text1, "Gr\x81n");
  EXPECT_EQ(spring.family.MaterialRec.EModInt, 195000);
  EXPECT_DOUBLE_EQ(spring.family.MaterialRec.Rho, 7.8);
  EXPECT_EQ(spring.family.MaterialText, "Gr\x81n");

  // No source in the table folder: the user is told, nothing changes.
  programState.DbfDir = (dir / "missing").string();
  EXPECT_FALSE(LoadMaterialByNumber(spring.family, 1));
  EXPECT_EQ(spring.family.MaterialRec.Text1, "Gr\x81n");
  ASSERT_FALSE(scriptedPrompter().asked().empty());
  EXPECT_EQ(scriptedPrompter().asked().back().kind, AskKind::Message);
  EXPECT_NE(scriptedPrompter().asked().back().text.find("yeb9wst.tsv nicht gefunden !"), std::string::npos);
}

}  // namespace
}  // namespace qorva::test
