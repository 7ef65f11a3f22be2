#pragma once
// A fresh spring with an in-memory material table, shared by the spring tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "spring/materialtable.h"
#include "platform/services.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "spring/familydata.h"
#include "tests/support/testsupport.h"

namespace qorva::test {

// The field texts of one material, as the table hands them over (field n at index n - 1).
struct MaterialFields {
  std::vector<std::string> f = std::vector<std::string>(29);
  MaterialFields& set(int n, const std::string& text) {
    f[static_cast<std::size_t>(n - 1)] = text;
    return *this;
  }
};

// A round-number spring steel: E 200000, density 7.9, Rm 2000 at every thickness, factor 0.7 (so
// sigma zul 1400), Goodman not peened sO 1200 / sH0 500 / m 0.5, peened 1300 / 600 / 0.4, slopes 0,
// thickness range 0.1 .. 2.
inline MaterialFields RoundSteel(const std::string& designation = "Federband EN 10270-1") {
  MaterialFields m;
  m.set(1, designation).set(2, "C75S").set(3, "1.1248").set(4, "")
      .set(5, "200000").set(6, "7.9").set(7, "2000").set(8, "1.0").set(9, "0").set(10, "0")
      .set(11, "1.0").set(12, "1200").set(13, "0").set(14, "500").set(15, "0").set(16, "0.5")
      .set(17, "1300").set(18, "0").set(19, "600").set(20, "0").set(21, "0.4")
      .set(22, "0.1").set(23, "2").set(24, "0").set(25, "0.3").set(26, "0").set(27, "0.7")
      .set(28, "").set(29, "1");
  return m;
}

inline std::vector<std::string> MaterialFieldNames() {
  std::vector<std::string> names;
  for (int n = 1; n <= 29; ++n) names.push_back("F" + IntStr(n));
  return names;
}

inline MaterialTableRow Row(const MaterialFields& m, bool deleted = false) {
  return MaterialTableRow{m.f, deleted};
}

// Compares with a golden file below tests/spring/data; QORVA_UPDATE_GOLDENS set rewrites it instead.
inline void ExpectGolden(const std::string& name, const std::string& actual) {
  const std::filesystem::path golden = std::string(QORVA_SOURCE_DIR) + "/tests/spring/data/" + name;
  if (std::getenv("QORVA_UPDATE_GOLDENS")) writeFile(golden, actual);
  ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
  EXPECT_EQ(readFile(golden), actual) << "differs from " << golden;
}

// A table in memory whose browse window is the test's browser, when it sets one.
using TestBrowser = std::function<bool(MaterialTable& t, uint16_t mode, const std::string& title1,
                                       const std::string& title2)>;
class BrowsedMaterialTable : public MemoryMaterialTable {
 public:
  BrowsedMaterialTable(std::vector<std::string> fields, std::vector<MaterialTableRow> rows, const TestBrowser& browser)
      : MemoryMaterialTable(std::move(fields), std::move(rows)), browser_(browser) {}
  bool browse(uint16_t mode, const std::string& title1, const std::string& title2) override {
    return browser_ ? browser_(*this, mode, title1, title2) : MemoryMaterialTable::browse(mode, title1, title2);
  }

 private:
  const TestBrowser& browser_;
};

// A spring of its own and the settings at their start values, the given materials as the material
// table, the services of a run without a window, the scripted prompter without answers.
class SpringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    spring = NewSpring();
    services() = HeadlessServices();
    scriptedPrompter().clear();
    useTable({Row(RoundSteel())});
  }
  void TearDown() override {
    installMaterialTable(nullptr);
    services() = HeadlessServices();
    scriptedPrompter().clear();
  }

  // The spring the test works on.
  Spring spring;
  // The browse window of the tables useTable installs; empty: the prompter's choice.
  TestBrowser browser;

  MemoryMaterialTable& useTable(std::vector<MaterialTableRow> rows) {
    auto t = std::make_unique<BrowsedMaterialTable>(MaterialFieldNames(), std::move(rows), browser);
    MemoryMaterialTable& ref = *t;
    installMaterialTable(std::move(t));
    return ref;
  }

  // Material 12 of the table is the one the start spring names; the 11 before it are other steels
  // with the given E modulus.
  MemoryMaterialTable& useTableEndingInStartMaterial(const std::string& otherModulus = "200000") {
    std::vector<MaterialTableRow> rows;
    for (int i = 1; i <= 11; ++i) rows.push_back(Row(RoundSteel("other " + IntStr(i)).set(5, otherModulus)));
    rows.push_back(Row(RoundSteel()));
    return useTable(rows);
  }

  // The program's names as the files and reports show them.
  static void NameTheProgram() {
    programState.ProgName = "QORVA";
    programState.ProgStem = "qorva";
    programState.ProgTitle = "QORVA - Konstantkraftfeder";
    programState.ProgVersion = "1.0";
    programState.DataExt = "qva";
  }

  // Loads the fields straight into MaterialRec and takes the material over, as the material window does.
  void UseMaterial(const MaterialFields& m) {
    MaterialRecord r;
    for (int n = 1; n <= 29; ++n) SetMaterialField(r, n, m.f[static_cast<std::size_t>(n - 1)]);
    spring.family.MaterialRec = r;
    TakeOverMaterial(spring.family);
  }

  static std::vector<std::string> Messages() {
    std::vector<std::string> v;
    for (uint16_t i = 1; i <= errorList.ErrorCount; ++i) v.push_back(errorList.ErrorMsgs[i]);
    return v;
  }
};

}  // namespace qorva::test
