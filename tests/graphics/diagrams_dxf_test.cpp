// A diagram page with a value table, drawn as a DXF file in a batch run and on the screen: the DXF
// reader accepts the file and finds the tick values and the table cells.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/valuetable.h"
#include "platform/services.h"
#include "graphics/diagramstate.h"
#include "graphics/diagrams.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {
namespace {

class DiagramPageTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    InitDiagramState();
    services().DiagramLimitsDialog = nullptr;
  }
  void TearDown() override {
    InitDiagramState();
    KernelTest::TearDown();
  }

  // Force-travel diagram with a curve running out of the area, a value table beside it and the
  // message list below.
  static void DrawPage() {
    DiagramReset();
    DiagramSetSize(100, 80);
    DiagramSetOrigin(15, 20);
    DiagramAxes("s [mm]", "F [N]", "Kennlinie", 0, 0, 1550, 480, 1);
    CadSetColor(1);
    DiagramMoveTo(0, 0);
    for (int s = 100; s <= 2000; s += 100) DiagramLineTo(s, 0.35L * s);
    DiagramMarker(1000, 300, 1.0L);
    ValueTable table(120, 110, 2, {6, 5, 5, 0, 0, 0, 0}, {"", "s [mm]", "F [N]", "", "", "", ""});
    table.TableRow3("1", "500", "150");
    table.TableRow3("2", "1000", "300");
    ClearErrorList();
    AddErrorMsg("Warnung: Hub zu gross");
    TableMessageList(120, 40, 2, 0, 20);
  }
};

TEST_F(DiagramPageTest, DxfOfADiagramAndATableReadsCleanWithTicksAndCells) {
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "kennlinie").string();
  CadBeginOutput(1);
  ASSERT_FALSE(programState.ErrorFlag);
  CadPageSetup(0, 0, 160, 120, 1);
  CadWriteTables(2);
  CadBeginEntities();
  DrawPage();
  CadEndSection();
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);

  const DxfCheck c = CheckDxf(dir / "kennlinie.dxf");
  ASSERT_EQ(c.exitCode, 0) << c.output;
  EXPECT_TRUE(c.has("audit errors=0 fixes=0")) << c.output;
  const auto hasText = [&](const std::string& t) {
    const std::string key = "text=\"" + t + "\"";
    return std::any_of(c.lines.begin(), c.lines.end(), [&](const std::string& l) {
      return l.find("TEXT ") != std::string::npos && l.find(key) != std::string::npos;
    });
  };
  for (const char* t : {"Kennlinie", "0", "400", "1600", "100", "500", "s [mm]", "F [N]", " s [mm]", " F [N]",
                        " 1000", " 300", " Warnung: Hub zu gross"})
    EXPECT_TRUE(hasText(t)) << t << "\n" << c.output;
  // Axes and grid on the colour layer 17, the table texts on 18.
  EXPECT_TRUE(std::any_of(c.lines.begin(), c.lines.end(), [](const std::string& l) {
    return l.find("TEXT layer=18") != std::string::npos;
  })) << c.output;
  EXPECT_TRUE(std::any_of(c.lines.begin(), c.lines.end(), [](const std::string& l) {
    return l.find("LINE layer=17") != std::string::npos;
  }));
}

TEST_F(DiagramPageTest, ScreenDisplayListHoldsTheSameTextsAndTheClippedCurve) {
  CadBeginOutput(3);
  ASSERT_FALSE(programState.ErrorFlag);
  graphicsState.DisplayList.clear();
  DrawPage();
  CadEndOutput();
  std::vector<std::string> texts;
  for (const auto& r : Records(RecText)) texts.push_back(r.text);
  for (const char* t : {"Kennlinie", "1600", "500", " F [N]", " 300", " Warnung: Hub zu gross"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
  // The curve ends at the top of the area (F 500 at s 1428.6): no line reaches above it, except the
  // y zero axis with its arrow, which runs 5 % beyond. The table lies right of the diagram.
  const long double top = 20 + 80;
  int curve = 0;
  for (const auto& l : Records(RecLine)) {
    const bool zeroAxis = Near(l.f[1], 15) && Near(l.f[3], 15);
    const bool table = l.f[1] >= 120 && l.f[3] >= 120;
    if (!table && !zeroAxis && l.f[1] != l.f[3] && l.f[2] != l.f[4]) ++curve;
    if (!zeroAxis && !table) {
      EXPECT_LE(l.f[2], top + 1e-6L);
      EXPECT_LE(l.f[4], top + 1e-6L);
    }
  }
  EXPECT_EQ(curve, 15) << "14 whole segments and the one cut at the top";
}

}  // namespace
}  // namespace qorva::cadtest
