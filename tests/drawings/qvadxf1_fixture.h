#pragma once
// What the spring-view tests share: the kernel fixture with a calculated spring (the start spring
// with a round-number steel that carries Goodman values), drawing texts and the file a batch run
// writes, and the texts of a DXF check.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "drawings/qvadxf1.h"
#include "drawings/titleblk.h"
#include "foundation/error0.h"
#include "foundation/kwenvar.h"
#include "foundation/wkwenvar.h"
#include "graphics/cad1var.h"
#include "graphics/kwencad.h"
#include "spring/aendvar.h"
#include "spring/qvaglob.h"
#include "spring/qvarech.h"
#include "platform/services.h"
#include "spring/spring.h"
#include "spring/yebglob9.h"
#include "tests/graphics/kwencad_fixture.h"
#include "tests/spring/springfixture.h"

namespace qorva::cadtest {

class SpringViewTest : public KernelTest {
 protected:
  static constexpr LocalDateTime kNow{2024, 3, 5, 14, 7, 9, 2};

  void SetUp() override {
    KernelTest::SetUp();
    InitAendvar();
    InitTitleblk();
    InitCad1var();
    InitSpringData();
    services() = HeadlessServices();
    services().ShowCalcMessages = [this] { ++calcMessagesShown; };
    test::fixedClock().set(kNow);
    // Materials 1..12: the start spring uses number 12.
    std::vector<MaterialTableRow> rows;
    for (int i = 1; i <= 11; ++i) rows.push_back(test::Row(test::RoundSteel("Anderer Stahl")));
    rows.push_back(test::Row(test::RoundSteel()));
    installMaterialTable(
        std::make_unique<MemoryMaterialTable>(test::MaterialFieldNames(), std::move(rows)));
    kwenvar.ProgName = "QORVA";
    kwenvar.ProgTitle = "QORVA - Konstantkraftfeder";
    kwenvar.ProgVersion = "1.0";
    kwenvar.DataExt = "qva";
    kwenvar.CurrentFileName = (dir / "feder").string();
    kwenvar.FileNameHasPath = true;
    wkwenvar.CadBatchMode = true;
    yebglob9.DrawingName = "Konstantkraftfeder";
    yebglob9.DrawingName2 = "Zweite Zeile";
    yebglob9.DrawingNumber = "QV-4711";
    OpenSpring().TitleLines[2] = "Titelzeile zwei";
    OpenSpring().TitleLines[3] = "Titelzeile drei";
    ASSERT_TRUE(LoadMaterialByNumber(OpenSpring().family, yebglob9.MaterialNumber));
    CalcSpring(OpenSpring());
    ASSERT_FALSE(kwenvar.FatalError);
    ASSERT_FALSE(kwenvar.ErrorFlag);
  }
  void TearDown() override {
    installMaterialTable(nullptr);
    services() = HeadlessServices();
    InitAendvar();
    InitTitleblk();
    InitSpringData();
    ClearTitleLines(OpenSpring());
    KernelTest::TearDown();
  }

  // The static variant: no Goodman diagram, a working temperature of 120 degrees.
  static void MakeStatic() {
    yebglob9.LoadType = 1;
    yebglob9.OperatingTemperature = 120;
    CalcSpring(OpenSpring());
  }

  // The file a batch run of the code writes.
  fs::path BatchFile(const std::string& ext) const { return dir / ("feder." + ext); }

  int calcMessagesShown = 0;
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
