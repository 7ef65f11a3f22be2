#pragma once
// What the spring-view tests share: the kernel fixture with a calculated spring of its own (the start
// spring with a round-number steel that carries Goodman values, drawing texts and title lines), the
// file a batch run writes, and the texts of a DXF check.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "drawings/springviews.h"
#include "drawings/titleblock.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/desktopsettings.h"
#include "graphics/diagramstate.h"
#include "graphics/cadkernel.h"
#include "platform/services.h"
#include "spring/spring.h"
#include "tests/drawings/drawingsheet_fixture.h"
#include "tests/graphics/cadkernel_fixture.h"
#include "tests/spring/springfixture.h"

namespace qorva::cadtest {

class SpringViewTest : public KernelTest {
 protected:
  static constexpr LocalDateTime kNow{2024, 3, 5, 14, 7, 9, 2};

  void SetUp() override {
    KernelTest::SetUp();
    InitTitleBlock();
    InitDiagramState();
    services() = HeadlessServices();
    services().ShowCalcMessages = [this] { ++calcMessagesShown; };
    test::fixedClock().set(kNow);
    // Materials 1..12: the start spring uses number 12.
    std::vector<MaterialTableRow> rows;
    for (int i = 1; i <= 11; ++i) rows.push_back(test::Row(test::RoundSteel("Anderer Stahl")));
    rows.push_back(test::Row(test::RoundSteel()));
    installMaterialTable(
        std::make_unique<MemoryMaterialTable>(test::MaterialFieldNames(), std::move(rows)));
    programState.ProgName = "QORVA";
    programState.ProgTitle = "QORVA - Konstantkraftfeder";
    programState.ProgVersion = "1.0";
    programState.DataExt = "qva";
    programState.CurrentFileName = (dir / "feder").string();
    programState.FileNameHasPath = true;
    desktopSettings.CadBatchMode = true;
    spring = NewSpring();
    spring.family.DrawingName = "Konstantkraftfeder";
    spring.family.DrawingName2 = "Zweite Zeile";
    spring.family.DrawingNumber = "QV-4711";
    spring.TitleLines[2] = "Titelzeile zwei";
    spring.TitleLines[3] = "Titelzeile drei";
    MaterialCatalog materials;
    ASSERT_TRUE(materials.load());
    const MaterialRecord* material = materials.byNumber(spring.family.MaterialNumber);
    ASSERT_NE(material, nullptr);
    spring.family.MaterialRec = *material;
    Recalculate();
    ASSERT_FALSE(programState.FatalError);
    ASSERT_FALSE(programState.ErrorFlag);
  }
  void TearDown() override {
    installMaterialTable(nullptr);
    services() = HeadlessServices();
    InitTitleBlock();
    KernelTest::TearDown();
  }

  // The spring calculated with its material: its results, and the message list of this calculation
  // as the program keeps it.
  void Recalculate() {
    const CalcOutcome out = Calculate(spring, spring.family.MaterialRec);
    spring.family = out.family;
    spring.product = out.product;
    ClearErrors();
    for (const std::string& m : out.messages) AddErrorMsg(m);
    programState.FatalError = out.fatal;
  }

  // The static variant: no Goodman diagram, a working temperature of 120 degrees.
  void MakeStatic() {
    spring.family.LoadType = 1;
    spring.family.OperatingTemperature = 120;
    Recalculate();
  }

  // The file a batch run of the code writes.
  fs::path BatchFile(const std::string& ext) const { return dir / ("feder." + ext); }

  int calcMessagesShown = 0;
  Spring spring;
};

// The texts of a DXF check (block entities included), JSON-quoted as the checker prints them.
inline std::vector<std::string> DxfTexts(const DxfCheck& c) {
  std::vector<std::string> out;
  for (const auto& l : c.lines) {
    const auto p = l.find(" text=\"");
    if (p == std::string::npos) continue;
    const auto e = l.find("\" style=", p);
    out.push_back(l.substr(p + 7, e == std::string::npos ? std::string::npos : e - p - 7));
  }
  return out;
}

inline bool HasText(const std::vector<std::string>& texts, const std::string& t) {
  for (const auto& x : texts)
    if (x == t) return true;
  return false;
}

}  // namespace qorva::cadtest
